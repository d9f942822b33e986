// The builtins that work on entities: Wavefront meshes, textures, mesh transformations,
// materials, robots and metaball zones.
#include <array>

#include "commun/console.h"
#include "geometrie/formats_maillage.h"
#include "geometrie/mesh.h"
#include "geometrie/texture.h"
#include "metaball/metaballzone.h"
#include "robot/robot.h"
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
    std::shared_ptr<Mesh> mesh = lisMaillage(nom, materiaux, &lus);
    // A relative name not found from the working directory is looked for beside the scene.
    if (!mesh && !repertoire.empty() && !nom.empty() && nom[0] != '/')
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
    auto r = entiteDe<Robot>(a[0]);
    float t[4];
    for (int k = 0; k < 4; ++k) t[k] = static_cast<float>(a[1 + k].scalaire.i);
    // A refused pose leaves the arm where it was: said, so that the scene is corrected.
    if (!r->setCoordArticulaires(t[0], t[1], t[2], t[3])) {
        std::string raison = Robot::texteLimites(t[0], t[1], t[2], t[3]);
        if (raison.empty()) raison = r->derniereRaison;
        console.boiteMessage("pose refusée : " + raison + " !",
                             "fonction 'setRobotCoordArticulaires'");
    }
    return valeur_nulle;
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
