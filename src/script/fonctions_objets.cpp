// The builtins that work on entities: Wavefront meshes, textures, mesh transformations,
// materials, robots and metaball zones.
#include <array>

#include "commun/console.h"
#include "geometrie/mesh.h"
#include "geometrie/texture.h"
#include "geometrie/wavefront.h"
#include "metaball/metaballzone.h"
#include "robot/robot.h"
#include "scene/scene.h"
#include "script/fonctions.h"
#include "script/script.h"

namespace {
// The argument's entity when it is of class T; otherwise the row's box and null.
template <class T>
std::shared_ptr<T> entiteDe(const Valeur& v, const char* texteNul, const char* texteType) {
    auto e = v.objet<Entite>();
    if (!e) {
        console.boiteMessage(texteNul, "erreur de pointeur");
        return nullptr;
    }
    auto t = std::dynamic_pointer_cast<T>(e);
    if (!t) console.boiteMessage(texteType, "erreur de type");
    return t;
}

std::shared_ptr<Mesh> meshDe(const Valeur& v, const char* texteType) {
    return entiteDe<Mesh>(v, "pointeur sur mesh non initialisé", texteType);
}

std::shared_ptr<Robot> robotDe(const Valeur& v, const char* texteType) {
    return entiteDe<Robot>(v, "pointeur sur robot non initialisé", texteType);
}

const char* const SCALE_MESH_SEULEMENT = "La fonction 'scale' ne s'applique qu'à des mesh !";

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

Valeur pointeurNul() { return Valeur::objetDe<std::string>(T_POINTEUR, nullptr); }
Valeur entiteNulle() { return Valeur::objetDe<Entite>(T_ENTITE, nullptr); }
}  // namespace

Valeur Script::chargeWaveFront(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_STRING, false}, {T_BOOL, false}}, true))
        return entiteNulle();
    if (!exigeObjet(fonction, 1, a[0])) return entiteNulle();
    const std::string nom = *a[0].objet<std::string>();

    TableMateriaux materiaux;
    std::shared_ptr<Mesh> mesh = wfLecture(nom.c_str(), materiaux);
    // A relative name not found from the working directory is looked for beside the scene.
    if (!mesh && !repertoire.empty() && !nom.empty() && nom[0] != '/') {
        materiaux.clear();
        mesh = wfLecture((repertoire + nom).c_str(), materiaux);
    }
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

Valeur Script::chargeTexture(int fonction, int nb) {
    auto a = depileArguments(nb);
    const Valeur textureNulle = Valeur::objetDe<Texture>(T_TEXTURE, nullptr);
    if (!verifieArguments(fonction, a, {{T_STRING, false}})) return textureNulle;
    if (!exigeObjet(fonction, 1, a[0])) return textureNulle;
    // Shows its own box when the file cannot be opened here or beside the scene.
    auto texture = ::chargeTexture(*a[0].objet<std::string>(), repertoire);
    if (!texture) return textureNulle;
    return Valeur::objetDe(T_TEXTURE, texture);
}

Valeur Script::scale(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_ENTITE, true}, {T_FLOAT, false}})) return pointeurNul();
    auto mesh = meshDe(a[0], SCALE_MESH_SEULEMENT);
    if (!mesh) return pointeurNul();
    const float k = a[1].scalaire.f;
    for (int i = 0; i < mesh->nbSommets(); ++i) {
        CVecteur p = mesh->getSomCoord(i);
        mesh->setSomCoord(i, k * p.x, k * p.y, k * p.z);
    }
    recalculeBoite(*mesh);
    return pointeurNul();
}

Valeur Script::rotate(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_ENTITE, true}, {T_POINT, false}, {T_FLOAT, false}}))
        return valeur_nulle;
    auto mesh = meshDe(a[0], SCALE_MESH_SEULEMENT);
    if (!mesh || !exigeObjet(fonction, 2, a[1])) return valeur_nulle;
    auto axe = a[1].objet<CVecteur>();
    mesh->appliqueMatrice(CMatrice::rotation(CVecteur(axe->x, axe->y, axe->z), a[2].scalaire.f));
    recalculeBoite(*mesh);
    return valeur_nulle;
}

Valeur Script::translate(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_ENTITE, true}, {T_POINT, false}})) return pointeurNul();
    auto mesh = meshDe(a[0], SCALE_MESH_SEULEMENT);
    if (!mesh || !exigeObjet(fonction, 2, a[1])) return pointeurNul();
    auto v = a[1].objet<CVecteur>();
    for (int i = 0; i < mesh->nbSommets(); ++i) {
        CVecteur p = mesh->getSomCoord(i);
        mesh->setSomCoord(i, p.x + v->x, p.y + v->y, p.z + v->z);
    }
    recalculeBoite(*mesh);
    return pointeurNul();
}

Valeur Script::setTexture(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_ENTITE, true}, {T_TEXTURE, true}})) return valeur_nulle;
    auto mesh = meshDe(a[0], "Les textures ne s'applique qu'à des mesh !");
    if (!mesh) return valeur_nulle;
    mesh->setTexture(a[1].objet<Texture>());
    return valeur_nulle;
}

Valeur Script::setMaterial(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_ENTITE, true}, {T_MATERIAL, false}}))
        return valeur_nulle;
    auto mesh = meshDe(a[0], "Les materiaux ne s'applique qu'à des mesh !");
    if (!mesh) return valeur_nulle;
    mesh->setMaterial(a[1].objet<Material>());
    return valeur_nulle;
}

Valeur Script::robot(int fonction, int nb) {
    auto a = depileArguments(nb);
    std::vector<Attendu> attendus(15, {T_FLOAT, false});
    attendus.insert(attendus.end(), 11, {T_ENTITE, true});
    if (!verifieArguments(fonction, a, attendus)) return pointeurNul();

    std::array<float, 15> nombres;
    for (int i = 0; i < 15; ++i) nombres[i] = a[i].scalaire.f;
    std::array<std::shared_ptr<Mesh>, 11> liens;
    for (int i = 0; i < 11; ++i) {
        const Valeur& v = a[15 + i];
        if (!exigeObjet(fonction, 16 + i, v)) return pointeurNul();
        liens[i] = std::dynamic_pointer_cast<Mesh>(v.objet<Entite>());
        if (!liens[i]) {
            console.boiteMessage(
                "Les paramètres de la fonction 'robot' de type 'entité' doivent être des mesh !",
                "erreur de type");
            return pointeurNul();
        }
    }
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

Valeur Script::setRobotReperes(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_ENTITE, true}, {T_BOOL, false}})) return valeur_nulle;
    auto r = robotDe(a[0], "setRobotReperes ne s'applique qu'à des robot !");
    if (r) r->reperes = a[1].booleenVal();
    return valeur_nulle;
}

Valeur Script::setRobotCoordArticulaires(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(
            fonction, a,
            {{T_ENTITE, true}, {T_INT, false}, {T_INT, false}, {T_INT, false}, {T_INT, false}}))
        return valeur_nulle;
    auto r = robotDe(a[0], "setArticulationCoord ne s'applique qu'à des robot !");
    if (r)
        r->setCoordArticulaires(
            static_cast<float>(a[1].scalaire.i), static_cast<float>(a[2].scalaire.i),
            static_cast<float>(a[3].scalaire.i), static_cast<float>(a[4].scalaire.i));
    return valeur_nulle;
}

Valeur Script::setRobotPrecisionProgrammeMGI(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_ENTITE, true}, {T_FLOAT, false}})) return valeur_nulle;
    auto r = robotDe(a[0], "setRobotPrecisionProgrammeMGI ne s'applique qu'à des robot !");
    if (r) r->precisionMGI = a[1].scalaire.f;
    return valeur_nulle;
}

Valeur Script::metaballzone(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_FLOAT, false}, {T_INT, false}, {T_FLOAT, false}}))
        return valeur_nulle;
    auto zone = std::make_shared<MetaballZone>(a[0].scalaire.f, a[1].scalaire.i, a[2].scalaire.f);
    return Valeur::objetDe<Entite>(T_ENTITE, zone);
}

Valeur Script::addMetaballEx(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a,
                          {{T_ENTITE, true},
                           {T_STRING, false},
                           {T_FLOAT, false},
                           {T_STRING, false},
                           {T_POINT, false},
                           {T_FLOAT, false}}))
        return valeur_nulle;
    auto zone = entiteDe<MetaballZone>(
        a[0], "pointeur sur une MetaballZone non initialisée",
        "addMetaballEx ne s'applique qu'à des objets de type MetaballZone !");
    if (!zone) return valeur_nulle;
    for (int i : {1, 3, 4})
        if (!exigeObjet(fonction, i + 1, a[i])) return valeur_nulle;
    auto position = a[4].objet<CVecteur>();
    auto primitive = zone->ajoutePrimitive(
        *a[1].objet<std::string>(), a[2].scalaire.f, *a[3].objet<std::string>(),
        CVecteur(position->x, position->y, position->z), a[5].scalaire.f);
    // Published under a name of its own so that the scene takes it over with the rest.
    std::string nom;
    do {
        nom = "#metaball" + std::to_string(compteurMetaball_++);
    } while (!definit_variable(nom, Valeur::objetDe<Instance>(T_INSTANCE, primitive)));
    return valeur_nulle;
}
