// The builtins that work on entities: Wavefront meshes, textures, mesh transformations,
// materials, robots and metaball zones.
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>

#include "commun/console.h"
#include "geometrie/formats_maillage.h"
#include "geometrie/mesh.h"
#include "geometrie/texture.h"
#include "metaball/metaballzone.h"
#include "robot/bras_chaine.h"
#include "robot/robot.h"
#include "robot/robot_urdf.h"
#include "scene/scene.h"
#include "script/script.h"

namespace {
// Vertices moved by a script: the box must follow, since gravity, collisions and the
// drawn bounding boxes read it.
void recalculeBoite(Mesh& mesh) {
    if (mesh.sommets.empty()) return;
    mesh.boiteMin = mesh.boiteMax = mesh.getSomCoord(0);
    for (int i = 1; i < mesh.nbSommets(); ++i) {
        CVecteur p = mesh.getSomCoord(i);
        for (int k = 0; k < 3; ++k) {
            if (p[k] < mesh.boiteMin[k]) mesh.boiteMin[k] = p[k];
            if (p[k] > mesh.boiteMax[k]) mesh.boiteMax[k] = p[k];
        }
    }
}

// Every vertex p of the mesh becomes deplace(p); then the box follows.
template <class F>
void deplaceSommets(Mesh& mesh, F deplace) {
    for (int i = 0; i < mesh.nbSommets(); ++i) {
        const CVecteur p = deplace(mesh.getSomCoord(i));
        mesh.setSomCoord(i, p.x, p.y, p.z);
    }
    recalculeBoite(mesh);
}

// The entity of a checked argument, of the class its row requires.
template <class T>
std::shared_ptr<T> entiteDe(const Valeur& v) {
    return std::dynamic_pointer_cast<T>(v.objet<Entite>());
}

Valeur pointeurNul() { return Valeur::objetDe<std::string>(T_POINTEUR, nullptr); }
Valeur entiteNulle() { return Valeur::objetDe<Entite>(T_ENTITE, nullptr); }
}  // namespace

Valeur Script::chargeWaveFront(const std::vector<Valeur>& a) {
    const std::string nom = *a[0].objet<std::string>();

    TableMateriaux materiaux;
    std::vector<std::string> lus;
    // This builtin reads Wavefront files only: another extension loads nothing.
    const bool wavefront = formatMaillage(nom) == FormatMaillage::Wavefront;
    std::shared_ptr<Mesh> mesh = wavefront ? lisMaillage(nom, materiaux, &lus) : nullptr;
    // A relative name not found from the working directory is looked for beside the scene.
    if (!mesh && wavefront && !repertoire.empty() && nom[0] != '/')
        mesh = lisMaillage(repertoire + nom, materiaux, &lus);
    for (const std::string& f : lus) noteFichier(f);
    if (!mesh) {
        console.boiteMessage("impossible de charger le fichier " + nom + ".",
                             "lecture de fichier wavefront");
        return valeur_nulle;
    }
    // Each material is published under the file name as written, then its own name.
    for (const auto& entree : materiaux)
        definit_variable(nom + entree.first, Valeur::objetDe(T_MATERIAL, entree.second));
    return Valeur::objetDe<Entite>(T_ENTITE, mesh);
}

Valeur Script::chargeTexture(const std::vector<Valeur>& a) {
    // Shows its own box when the file cannot be opened here or beside the scene.
    auto texture = ::chargeTexture(*a[0].objet<std::string>(), repertoire);
    if (texture) noteFichier(texture->chemin);
    return Valeur::objetDe<Texture>(T_TEXTURE, texture);
}

Valeur Script::scale(const std::vector<Valeur>& a) {
    const float k = a[1].scalaire.f;
    deplaceSommets(*entiteDe<Mesh>(a[0]), [k](const CVecteur& p) { return k * p; });
    return pointeurNul();
}

Valeur Script::rotate(const std::vector<Valeur>& a) {
    auto mesh = entiteDe<Mesh>(a[0]);
    auto axe = a[1].objet<CVecteur>();
    mesh->appliqueMatrice(CMatrice::rotation(CVecteur(axe->x, axe->y, axe->z), a[2].scalaire.f));
    recalculeBoite(*mesh);
    return valeur_nulle;
}

Valeur Script::translate(const std::vector<Valeur>& a) {
    const CVecteur v = *a[1].objet<CVecteur>();
    deplaceSommets(*entiteDe<Mesh>(a[0]), [&v](const CVecteur& p) { return p + v; });
    return pointeurNul();
}

Valeur Script::setTexture(const std::vector<Valeur>& a) {
    entiteDe<Mesh>(a[0])->setTexture(a[1].objet<Texture>());
    return valeur_nulle;
}

Valeur Script::setMaterial(const std::vector<Valeur>& a) {
    entiteDe<Mesh>(a[0])->setMaterial(a[1].objet<Material>());
    return valeur_nulle;
}

Valeur Script::robot(const std::vector<Valeur>& a) {
    // The numbers, then the links.
    std::array<float, 15> nombres;
    for (std::size_t i = 0; i < nombres.size(); ++i) nombres[i] = a[i].scalaire.f;
    const std::string nonFini = Robot::nombreNonFini(nombres);
    if (!nonFini.empty()) {
        console.boiteMessage("erreur dans la création d'un robot :\n\n" + nonFini + " !",
                             "fonction 'robot'");
        return entiteNulle();
    }
    std::array<std::shared_ptr<Mesh>, 11> liens;
    for (std::size_t i = 0; i < liens.size(); ++i) liens[i] = entiteDe<Mesh>(a[nombres.size() + i]);
    std::shared_ptr<Robot> r;
    try {
        r = std::make_shared<Robot>(nombres, liens, scene ? &scene->instances : nullptr);
    } catch (...) {
        r.reset();
    }
    if (!r) {
        console.boiteMessage("erreur dans la création d'un robot", "fonction 'robot'");
        return entiteNulle();
    }
    return Valeur::objetDe<Entite>(T_ENTITE, r);
}

Valeur Script::setRobotReperes(const std::vector<Valeur>& a) {
    entiteDe<Robot>(a[0])->reperes = a[1].booleenVal();
    return valeur_nulle;
}

Valeur Script::setRobotCoordArticulaires(const std::vector<Valeur>& a) {
    const char* const titre = "fonction 'setRobotCoordArticulaires'";
    const std::size_t nbValeurs = a.size() - 1;
    if (auto bras = entiteDe<BrasChaine>(a[0])) {
        std::vector<double> q(nbValeurs);
        for (std::size_t k = 0; k < nbValeurs; ++k) q[k] = a[1 + k].scalaire.f;
        const std::string raison = bras->setArticulations(q);
        if (!raison.empty()) console.boiteMessage("pose refusée : " + raison + " !", titre);
        return valeur_nulle;
    }
    auto r = entiteDe<Robot>(a[0]);
    if (nbValeurs != 4) {
        console.boiteMessage(
            "pose refusée : ce robot a 4 articulations, pas " + std::to_string(nbValeurs) + " !",
            titre);
        return valeur_nulle;
    }
    float t[4];
    for (int k = 0; k < 4; ++k) t[k] = a[1 + k].scalaire.f;
    // A refused pose leaves the arm where it was: said, so that the scene is corrected.
    if (!r->setCoordArticulaires(t[0], t[1], t[2], t[3])) {
        std::string raison = Robot::texteLimites(t[0], t[1], t[2], t[3]);
        if (raison.empty()) raison = r->derniereRaison;
        console.boiteMessage("pose refusée : " + raison + " !", titre);
    }
    return valeur_nulle;
}

Valeur Script::robotURDF(const std::vector<Valeur>& a) {
    const char* const titre = "fonction 'robotURDF'";
    const std::string nom = *a[0].objet<std::string>();
    OptionsURDF options;
    options.echelle = a[1].scalaire.f;
    if (a.size() > 2) options.lienOutil = *a[2].objet<std::string>();
    if (!std::isfinite(options.echelle) || options.echelle <= 0) {
        std::ostringstream o;
        o << "erreur dans la création d'un robot : l'échelle vaut " << options.echelle
          << ", elle doit être un nombre positif !";
        console.boiteMessage(o.str(), titre);
        return entiteNulle();
    }
    // A relative name not found from the working directory is looked for beside the scene.
    std::string chemin = nom;
    if (!std::ifstream(chemin) && !repertoire.empty() && !nom.empty() && nom[0] != '/')
        chemin = repertoire + nom;
    noteFichier(chemin);
    // Every mesh the description names is watched too, read or not.
    options.lecteur = [this](const std::string& maillage, float echelle) {
        noteFichier(maillage);
        return lisMaillageMisAEchelle(maillage, echelle);
    };
    std::shared_ptr<BrasChaine> bras;
    try {
        bras = std::make_shared<BrasChaine>(lisURDF(chemin, options));
    } catch (const std::exception& e) {
        console.boiteMessage(std::string("erreur dans la création d'un robot :\n\n") + e.what(),
                             titre);
        return entiteNulle();
    }
    // Grips look for objects among the scene's instances.
    if (scene) bras->listeInstances = &scene->instances;
    // The robot loads without the meshes it could not read; each one is reported.
    for (const DiagnosticURDF& d : bras->description().avertissements)
        console.avertit("robotURDF : " + d.texte());
    return Valeur::objetDe<Entite>(T_ENTITE, bras);
}

Valeur Script::setRobotPrecisionProgrammeMGI(const std::vector<Valeur>& a) {
    entiteDe<Robot>(a[0])->precisionMGI = a[1].scalaire.f;
    return valeur_nulle;
}

Valeur Script::metaballzone(const std::vector<Valeur>& a) {
    auto zone = std::make_shared<MetaballZone>(a[0].scalaire.f, a[1].scalaire.i, a[2].scalaire.f);
    return Valeur::objetDe<Entite>(T_ENTITE, zone);
}

Valeur Script::addMetaballEx(const std::vector<Valeur>& a) {
    auto position = a[4].objet<CVecteur>();
    auto primitive = entiteDe<MetaballZone>(a[0])->ajoutePrimitive(
        *a[1].objet<std::string>(), a[2].scalaire.f, *a[3].objet<std::string>(),
        CVecteur(position->x, position->y, position->z), a[5].scalaire.f);
    // Published under a name of its own so that the scene takes it over with the rest.
    std::string nom;
    do {
        nom = "#metaball" + std::to_string(compteurMetaball_++);
    } while (!definit_variable(nom, Valeur::objetDe<Instance>(T_INSTANCE, primitive)));
    return valeur_nulle;
}
