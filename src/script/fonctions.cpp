// The builtin table, the argument checks every builtin shares, and the builtins that build
// or change plain values: instances, lights, colours, matrices, materials, gravity.
#include "script/fonctions.h"

#include <algorithm>
#include <cstring>

#include "commun/console.h"
#include "geometrie/mesh.h"
#include "scene/scene.h"
#include "script/script.h"

const FonctionPredefinie fonctions_predefinies[] = {
    {"instancieEntite", &Script::instancieEntite, 1},
    {"chargeWaveFront", &Script::chargeWaveFront, 2},
    {"insertLumiere", &Script::insertLumiere, 13},
    {"detruit", &Script::detruit, 1},
    {"rgb", &Script::rgb, 3},
    {"rgba", &Script::rgba, 4},
    {"matrice", &Script::matrice, 16},
    {"chargeTexture", &Script::chargeTexture, 1},
    {"setMatrice", &Script::setMatrice, 2},
    {"scale", &Script::scale, 2},
    {"rotate", &Script::rotate, 3},
    {"translate", &Script::translate, 2},
    {"matriceScale", &Script::matriceScale, 2},
    {"matriceTranslate", &Script::matriceTranslate, 2},
    {"matriceRotate", &Script::matriceRotate, 3},
    {"setTexture", &Script::setTexture, 2},
    {"creerMaterial", &Script::creerMaterial, 5},
    {"setMaterial", &Script::setMaterial, 2},
    {"robot", &Script::robot, 26},
    {"setRobotReperes", &Script::setRobotReperes, 2},
    {"setRobotCoordArticulaires", &Script::setRobotCoordArticulaires, 5},
    {"setRobotPrecisionProgrammeMGI", &Script::setRobotPrecisionProgrammeMGI, 2},
    {"metaballzone", &Script::metaballzone, 3},
    {"addMetaballEx", &Script::addMetaballEx, 6},
    {"subitGravite", &Script::subitGravite, 2},
};
const int nb_fonctions_predefinies = 25;

int chercheFonction(const std::string& nom) {
    if (nom.empty() || nom.size() >= sizeof(FonctionPredefinie::nom)) return -1;
    for (int i = 0; i < nb_fonctions_predefinies; ++i)
        if (nom == fonctions_predefinies[i].nom) return i;
    return -1;
}

namespace {
const char* const TITRE_BUG = "erreur: c'est plein de bug ton truc...";
const char* const TITRE_BUG_POINTEUR = "(erreur) c'est plein de bug ton truc...";

// The common text of a wrongly typed argument.
std::string texteMauvaisType(const char* fonction, int position, const std::string& attendu,
                             const std::string& valeur, const std::string& reel) {
    return std::string("La fonction\n\n ") + fonction + "\n\nattend en paramètre n°" +
           std::to_string(position) + " un élement du type\n\n '" + attendu + "'\n\nor ici, " +
           valeur + " est du type\n\n  '" + reel + "'";
}

const float UN_SUR_255 = 0.003921569f;

// Copies the 16 numbers only: the target may be the matrix an entity or instance is built on.
void copieMatrice(CMatrice& cible, const CMatrice& source) {
    std::copy(source.m, source.m + 16, cible.m);
}

Valeur couleurNulle() { return Valeur::objetDe<RGBA>(T_COULEUR, nullptr); }
}  // namespace

// ---------------------------------------------------------------------------------------
// Argument checks

bool Script::verifie_parametre(int fonction, int position, int32_t attendu, Valeur& v) {
    if (v.type == attendu) return true;
    if (attendu == T_FLOAT && v.type == T_INT) {
        v = Valeur::reel(static_cast<float>(v.scalaire.i));
        return true;
    }
    console.boiteMessage(texteMauvaisType(fonctions_predefinies[fonction].nom, position,
                                          nom_type(attendu), texte_valeur(v), nom_type(v.type)),
                         TITRE_BUG);
    return false;
}

bool Script::dereference_parametre(int fonction, int position, int32_t attendu, Valeur& v) {
    const char* nom = fonctions_predefinies[fonction].nom;
    if (v.type != T_POINTEUR) {
        console.boiteMessage(
            texteMauvaisType(nom, position, "pointeur", texte_valeur(v), nom_type(v.type)),
            TITRE_BUG_POINTEUR);
        return false;
    }
    auto nomVariable = v.objet<std::string>();
    if (!nomVariable) {
        console.boiteMessage("Le paramètre n° n\n " + std::to_string(position) +
                                 " de la fonction " + nom + " est NULL !",
                             TITRE_BUG_POINTEUR);
        return false;
    }
    auto it = variables.find(*nomVariable);
    if (it == variables.end()) {
        console.boiteMessage("La variable\n\n " + *nomVariable + "\n\nn'existe pas !",
                             TITRE_BUG_POINTEUR);
        return false;
    }
    const Valeur& variable = it->second;
    if (variable.type == attendu) {
        v = variable;
        return true;
    }
    if (attendu == T_MATRICE && (variable.type == T_ENTITE || variable.type == T_INSTANCE)) {
        // The object's own placement matrix, shared: the value keeps the object alive.
        std::shared_ptr<CMatrice> m;
        if (variable.type == T_ENTITE) {
            if (auto e = variable.objet<Entite>()) m = std::shared_ptr<CMatrice>(e, e.get());
        } else if (auto i = variable.objet<Instance>()) {
            m = std::shared_ptr<CMatrice>(i, i.get());
        }
        v = Valeur::objetDe(T_MATRICE, m);
        return true;
    }
    console.boiteMessage(texteMauvaisType(nom, position, "*" + nom_type(attendu), texte_valeur(v),
                                          "*" + nom_type(variable.type)) +
                             "\n Et le cast est impossible.",
                         TITRE_BUG_POINTEUR);
    return false;
}

std::vector<Valeur> Script::depileArguments(int nb) {
    std::vector<Valeur> arguments(static_cast<std::size_t>(std::max(nb, 0)));
    for (int i = nb - 1; i >= 0; --i) arguments[i] = depile();
    return arguments;
}

bool Script::verifieArguments(int fonction, std::vector<Valeur>& arguments,
                              const std::vector<Attendu>& attendus, bool dansLOrdre) {
    if (arguments.size() != attendus.size()) return false;
    const int n = static_cast<int>(attendus.size());
    for (int k = 0; k < n; ++k) {
        const int i = dansLOrdre ? k : n - 1 - k;
        const bool ok = attendus[i].adresse
                            ? dereference_parametre(fonction, i + 1, attendus[i].type, arguments[i])
                            : verifie_parametre(fonction, i + 1, attendus[i].type, arguments[i]);
        if (!ok) return false;
    }
    return true;
}

bool Script::exigeObjet(int fonction, int position, const Valeur& v) {
    if (v.adresse()) return true;
    console.boiteMessage(std::string("La fonction\n\n ") + fonctions_predefinies[fonction].nom +
                             "\n\nreçoit en paramètre n°" + std::to_string(position) +
                             " un objet non initialisé (détruit ou mal construit) !",
                         "erreur de pointeur");
    return false;
}

// ---------------------------------------------------------------------------------------
// Builtins on plain values

Valeur Script::instancieEntite(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_ENTITE, true}}))
        return Valeur::objetDe<Instance>(T_INSTANCE, nullptr);
    auto entite = a[0].objet<Entite>();
    if (!entite) {
        console.boiteMessage("pointeur sur une entité non initialisée", "erreur de pointeur");
        return valeur_nulle;
    }
    return Valeur::objetDe<Instance>(T_INSTANCE, std::make_shared<InstanceEntite>(entite));
}

Valeur Script::insertLumiere(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a,
                          {{T_BOOL, false},
                           {T_POINT, false},
                           {T_FLOAT, false},
                           {T_POINT, false},
                           {T_COULEUR, false},
                           {T_COULEUR, false},
                           {T_COULEUR, false},
                           {T_FLOAT, false},
                           {T_FLOAT, false},
                           {T_FLOAT, false},
                           {T_FLOAT, false},
                           {T_FLOAT, false},
                           {T_BOOL, false}}))
        return valeur_nulle;
    for (int i : {1, 3, 4, 5, 6})
        if (!exigeObjet(fonction, i + 1, a[i])) return valeur_nulle;

    auto l = std::make_shared<Lumiere>();
    auto position = a[1].objet<CVecteur>();
    auto direction = a[3].objet<CVecteur>();
    auto couleur = [&](int i) {
        auto c = a[i].objet<RGBA>();
        return RGBA(c->r, c->g, c->b, c->a);
    };
    l->fixeObservateur = a[0].booleenVal();
    l->ambiante = couleur(4);
    l->diffuse = couleur(5);
    l->speculaire = couleur(6);
    l->position = CHomoVecteur(position->x, position->y, position->z, a[2].scalaire.f);
    CVecteur d(direction->x, direction->y, direction->z);
    l->direction = d.norme() < 0.0001f ? CVecteur(0, 0, 0) : d.normalise();
    l->exposant = a[7].scalaire.f;
    l->coupure = a[8].scalaire.f;
    l->attenuationConstante = a[9].scalaire.f;
    l->attenuationLineaire = a[10].scalaire.f;
    l->attenuationQuadratique = a[11].scalaire.f;
    l->porteOmbre = true;
    l->allumee = a[12].booleenVal();
    if (scene) scene->ajouteLumiere(l);
    return valeur_nulle;
}

Valeur Script::detruit(int, int nb) {
    auto a = depileArguments(nb);
    for (Valeur& v : a) detruit_valeur(v);
    return valeur_nulle;
}

Valeur Script::rgb(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_INT, false}, {T_INT, false}, {T_INT, false}}))
        return couleurNulle();
    return Valeur::objetDe(T_COULEUR, std::make_shared<RGBA>(a[0].scalaire.i * UN_SUR_255,
                                                             a[1].scalaire.i * UN_SUR_255,
                                                             a[2].scalaire.i * UN_SUR_255, 1.0f));
}

Valeur Script::rgba(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a,
                          {{T_INT, false}, {T_INT, false}, {T_INT, false}, {T_INT, false}}))
        return couleurNulle();
    return Valeur::objetDe(
        T_COULEUR,
        std::make_shared<RGBA>(a[0].scalaire.i * UN_SUR_255, a[1].scalaire.i * UN_SUR_255,
                               a[2].scalaire.i * UN_SUR_255, a[3].scalaire.i * UN_SUR_255));
}

Valeur Script::matrice(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, std::vector<Attendu>(16, {T_FLOAT, false})))
        return valeur_nulle;
    auto m = std::make_shared<CMatrice>();
    // The numbers come row by row; the storage is column-major.
    for (int ligne = 0; ligne < 4; ++ligne)
        for (int colonne = 0; colonne < 4; ++colonne)
            m->m[4 * colonne + ligne] = a[4 * ligne + colonne].scalaire.f;
    return Valeur::objetDe(T_MATRICE, m);
}

Valeur Script::setMatrice(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_MATRICE, true}, {T_MATRICE, false}}))
        return valeur_nulle;
    auto cible = a[0].objet<CMatrice>();
    if (!cible) {
        console.boiteMessage("pointeur sur une matrice non initialisé", "erreur de pointeur");
        return valeur_nulle;
    }
    if (!exigeObjet(fonction, 2, a[1])) return valeur_nulle;
    copieMatrice(*cible, *a[1].objet<CMatrice>());
    return valeur_nulle;
}

Valeur Script::matriceScale(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_MATRICE, true}, {T_POINT, false}})) return valeur_nulle;
    auto cible = a[0].objet<CMatrice>();
    if (!cible) {
        console.boiteMessage("pointeur sur une matrice non initialisé", "erreur de pointeur");
        return valeur_nulle;
    }
    if (!exigeObjet(fonction, 2, a[1])) return valeur_nulle;
    auto s = a[1].objet<CVecteur>();
    copieMatrice(*cible, *cible * CMatrice::echelle(s->x, s->y, s->z));
    return valeur_nulle;
}

Valeur Script::matriceTranslate(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_MATRICE, true}, {T_POINT, false}})) return valeur_nulle;
    auto cible = a[0].objet<CMatrice>();
    if (!cible) {
        console.boiteMessage("pointeur sur une matrice non initialisée", "erreur de pointeur");
        return valeur_nulle;
    }
    if (!exigeObjet(fonction, 2, a[1])) return valeur_nulle;
    auto v = a[1].objet<CVecteur>();
    copieMatrice(*cible, *cible * CMatrice::translation(CVecteur(v->x, v->y, v->z)));
    return valeur_nulle;
}

Valeur Script::matriceRotate(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_MATRICE, true}, {T_POINT, false}, {T_INT, false}}))
        return valeur_nulle;
    auto cible = a[0].objet<CMatrice>();
    if (!cible) {
        console.boiteMessage("pointeur sur une matrice non initialisée", "erreur de pointeur");
        return valeur_nulle;
    }
    auto axe = a[1].objet<CVecteur>();
    if (!axe) return valeur_nulle;
    copieMatrice(*cible, *cible * CMatrice::rotation(CVecteur(axe->x, axe->y, axe->z),
                                                     static_cast<float>(a[2].scalaire.i)));
    return valeur_nulle;
}

Valeur Script::creerMaterial(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a,
                          {{T_COULEUR, false},
                           {T_COULEUR, false},
                           {T_COULEUR, false},
                           {T_COULEUR, false},
                           {T_FLOAT, false}}))
        return valeur_nulle;
    for (int i = 0; i < 4; ++i)
        if (!exigeObjet(fonction, i + 1, a[i])) return valeur_nulle;
    auto couleur = [&](int i) {
        auto c = a[i].objet<RGBA>();
        return RGBA(c->r, c->g, c->b, c->a);
    };
    auto m = std::make_shared<Material>();
    // Arguments 3 and 4 are the emission and specular colours, stored the other way round.
    m->couleur1 = couleur(0);
    m->couleur2 = couleur(1);
    m->couleur3 = couleur(3);
    m->couleur4 = couleur(2);
    m->brillance = a[4].scalaire.f;
    return Valeur::objetDe(T_MATERIAL, m);
}

Valeur Script::subitGravite(int fonction, int nb) {
    auto a = depileArguments(nb);
    if (!verifieArguments(fonction, a, {{T_INSTANCE, true}, {T_BOOL, false}})) return valeur_nulle;
    if (!exigeObjet(fonction, 1, a[0])) return valeur_nulle;
    a[0].objet<Instance>()->tombe = a[1].booleenVal();
    return valeur_nulle;
}
