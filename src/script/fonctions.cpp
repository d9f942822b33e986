// The builtin table with each row's signature, the checks a call goes through before its
// handler runs, and the builtins that build or change plain values: instances, lights,
// colours, matrices, materials, gravity. Entities are in fonctions_objets.cpp, the robot's
// queued commands in fonctions_mouvement.cpp.
#include "script/fonctions.h"

#include <algorithm>
#include <iterator>

#include "commun/console.h"
#include "geometrie/mesh.h"
#include "metaball/metaballzone.h"
#include "robot/bras_chaine.h"
#include "robot/modele_cinematique.h"
#include "robot/robot.h"
#include "scene/scene.h"
#include "script/script.h"

// ---------------------------------------------------------------------------------------
// Signatures

namespace {
constexpr Parametre ENTIER = parValeur(T_INT);
constexpr Parametre NOMBRE = parValeur(T_FLOAT, bitType(T_INT));
constexpr Parametre BOOLEEN = parValeur(T_BOOL);
constexpr Parametre CHAINE = parValeur(T_STRING);
constexpr Parametre POINT = parValeur(T_POINT);
constexpr Parametre COULEUR = parValeur(T_COULEUR);
constexpr Parametre MATRICE = parValeur(T_MATRICE);
constexpr Parametre QUELCONQUE = parValeur(T_VOID, TOUS_LES_TYPES).siNul(Nul::Accepte);

// The matrix a builtin changes: a matrix variable, or an entity's or instance's own matrix.
// Rows word its null box "initialisé" or, with `accorde`, "initialisée".
constexpr Parametre matriceCible(bool accorde) {
    return parAdresse(T_MATRICE, bitType(T_ENTITE) | bitType(T_INSTANCE))
        .siNul(Nul::Refuse, accorde ? "pointeur sur une matrice non initialisée"
                                    : "pointeur sur une matrice non initialisé");
}

// An entity variable whose object must be of class `c`.
constexpr Parametre entiteCible(Classe c, const char* texteNul, const char* texteClasse) {
    return parAdresse(T_ENTITE).siNul(Nul::Refuse, texteNul).deClasse(c, texteClasse);
}
constexpr Parametre meshCible(const char* texteClasse) {
    return entiteCible(Classe::Mesh, "pointeur sur mesh non initialisé", texteClasse);
}
constexpr Parametre robotCible(const char* texteClasse) {
    return entiteCible(Classe::Robot, "pointeur sur robot non initialisé", texteClasse);
}

template <std::size_t N>
constexpr std::array<Parametre, N> repete(const Parametre& p) {
    std::array<Parametre, N> r{};
    for (std::size_t i = 0; i < N; ++i) r[i] = p;
    return r;
}
template <std::size_t A, std::size_t B>
constexpr std::array<Parametre, A + B> suite(const std::array<Parametre, A>& a,
                                             const std::array<Parametre, B>& b) {
    std::array<Parametre, A + B> r{};
    for (std::size_t i = 0; i < A; ++i) r[i] = a[i];
    for (std::size_t i = 0; i < B; ++i) r[A + i] = b[i];
    return r;
}

constexpr const char* SCALE_MESH_SEULEMENT = "La fonction 'scale' ne s'applique qu'à des mesh !";

constexpr std::array P_INSTANCIE{
    parAdresse(T_ENTITE).siNul(Nul::Refuse, "pointeur sur une entité non initialisée")};
constexpr std::array P_WAVEFRONT{CHAINE, BOOLEEN};
constexpr std::array P_LUMIERE{BOOLEEN, POINT,  NOMBRE, POINT,  COULEUR, COULEUR, COULEUR,
                               NOMBRE,  NOMBRE, NOMBRE, NOMBRE, NOMBRE,  BOOLEEN};
constexpr std::array P_DETRUIT{QUELCONQUE};
constexpr auto P_RGB = repete<3>(ENTIER);
constexpr auto P_RGBA = repete<4>(ENTIER);
constexpr auto P_MATRICE = repete<16>(NOMBRE);
constexpr std::array P_TEXTURE{CHAINE};
constexpr std::array P_SET_MATRICE{matriceCible(false), MATRICE};
constexpr std::array P_SCALE{meshCible(SCALE_MESH_SEULEMENT), NOMBRE};
constexpr std::array P_ROTATE{meshCible(SCALE_MESH_SEULEMENT), POINT, NOMBRE};
constexpr std::array P_TRANSLATE{meshCible(SCALE_MESH_SEULEMENT), POINT};
constexpr std::array P_MATRICE_SCALE{matriceCible(false), POINT};
constexpr std::array P_MATRICE_TRANSLATE{matriceCible(true), POINT};
constexpr std::array P_MATRICE_ROTATE{matriceCible(true), POINT.siNul(Nul::Ignore), ENTIER};
constexpr std::array P_SET_TEXTURE{meshCible("Les textures ne s'applique qu'à des mesh !"),
                                   parAdresse(T_TEXTURE).siNul(Nul::Accepte)};
constexpr std::array P_MATERIAL{COULEUR, COULEUR, COULEUR, COULEUR, NOMBRE};
constexpr std::array P_SET_MATERIAL{meshCible("Les materiaux ne s'applique qu'à des mesh !"),
                                    parValeur(T_MATERIAL).siNul(Nul::Accepte)};
constexpr auto P_ROBOT =
    suite(repete<15>(NOMBRE),
          repete<11>(parAdresse(T_ENTITE).deClasse(
              Classe::Mesh,
              "Les paramètres de la fonction 'robot' de type 'entité' doivent être des mesh !")));
constexpr std::array P_REPERES{robotCible("setRobotReperes ne s'applique qu'à des robot !"),
                               BOOLEEN};
// An arm and its joint values, as many as it has joints (checked by the handler).
constexpr std::array P_COORD{entiteCible(Classe::Bras, "pointeur sur robot non initialisé",
                                         "setArticulationCoord ne s'applique qu'à des robot !"),
                             NOMBRE};
// A description file, its scale, and the tool link (optional).
constexpr std::array P_ROBOT_URDF{CHAINE, NOMBRE, CHAINE};
constexpr std::array P_PRECISION{
    robotCible("setRobotPrecisionProgrammeMGI ne s'applique qu'à des robot !"), NOMBRE};
constexpr std::array P_ZONE{NOMBRE, ENTIER, NOMBRE};
constexpr std::array P_METABALL{
    entiteCible(Classe::ZoneMetaball, "pointeur sur une MetaballZone non initialisée",
                "addMetaballEx ne s'applique qu'à des objets de type MetaballZone !"),
    CHAINE,
    NOMBRE,
    CHAINE,
    POINT,
    NOMBRE};
constexpr std::array P_GRAVITE{parAdresse(T_INSTANCE), BOOLEEN};
// Any arm: the four-joint one or one read from a description.
constexpr Parametre brasCible(const char* texteClasse) {
    return entiteCible(Classe::Bras, "pointeur sur robot non initialisé", texteClasse);
}
constexpr Parametre ROBOT_ARTICULAIRE =
    brasCible("deplaceArticulaire ne s'applique qu'à des robot !");
constexpr Parametre ROBOT_POIGNET = brasCible("deplacePoignet ne s'applique qu'à des robot !");
// The four-joint arm's signatures.
constexpr std::array P_DEPLACE_ARTICULAIRE{ROBOT_ARTICULAIRE, NOMBRE, NOMBRE, NOMBRE, NOMBRE};
constexpr std::array P_DEPLACE_POIGNET{ROBOT_POIGNET, NOMBRE, NOMBRE, NOMBRE, NOMBRE, BOOLEEN};
// An arm read from a description: one value per joint; x, y, z and, from six joints on,
// roll, pitch, yaw, then whether the tool goes along a straight line.
constexpr auto P_ARTICULAIRE_CHAINE =
    suite(std::array{ROBOT_ARTICULAIRE}, repete<MAX_ARTICULATIONS>(NOMBRE));
constexpr std::array P_POIGNET_POSITION{ROBOT_POIGNET, NOMBRE, NOMBRE, NOMBRE, BOOLEEN};
constexpr std::array P_POIGNET_POSE{ROBOT_POIGNET, NOMBRE, NOMBRE, NOMBRE,
                                    NOMBRE,        NOMBRE, NOMBRE, BOOLEEN};
constexpr std::array P_SAISIS{brasCible("saisis ne s'applique qu'à des robot !")};
constexpr std::array P_LACHE{brasCible("lache ne s'applique qu'à des robot !")};
constexpr std::array P_ATTENDS{brasCible("attends ne s'applique qu'à des robot !"), NOMBRE};
constexpr std::array P_PROFIL{brasCible("setRobotProfil ne s'applique qu'à des robot !"), CHAINE,
                              NOMBRE};

// The row `ligne` with these parameters, all of them required.
template <std::size_t N>
FonctionPredefinie avecParametres(const FonctionPredefinie& ligne,
                                  const std::array<Parametre, N>& p, int32_t nombre = N) {
    FonctionPredefinie r = ligne;
    r.selonBras = nullptr;
    r.parametres = p.data();
    r.nb_parametres = r.nb_minimum = nombre;
    r.dernierRepete = false;
    return r;
}

FonctionPredefinie signatureArticulaire(const FonctionPredefinie& ligne, const Entite& bras) {
    if (const auto* b = dynamic_cast<const BrasChaine*>(&bras))
        return avecParametres(ligne, P_ARTICULAIRE_CHAINE, 1 + b->nbArticulations());
    return avecParametres(ligne, P_DEPLACE_ARTICULAIRE);
}

FonctionPredefinie signaturePoignet(const FonctionPredefinie& ligne, const Entite& bras) {
    if (const auto* b = dynamic_cast<const BrasChaine*>(&bras))
        return b->nbArticulations() >= 6 ? avecParametres(ligne, P_POIGNET_POSE)
                                         : avecParametres(ligne, P_POIGNET_POSITION);
    return avecParametres(ligne, P_DEPLACE_POIGNET);
}
}  // namespace

// Each row: the name, the handler, the signature, and the type of the null result of a
// failed check (void: no result).
const FonctionPredefinie fonctions_predefinies[] = {
    FonctionPredefinie("instancieEntite", &Script::instancieEntite, P_INSTANCIE, T_INSTANCE)
        .siObjetRefuse(T_VOID),
    FonctionPredefinie("chargeWaveFront", &Script::chargeWaveFront, P_WAVEFRONT, T_ENTITE)
        .dansLOrdre(),
    {"insertLumiere", &Script::insertLumiere, P_LUMIERE, T_VOID},
    {"detruit", &Script::detruit, P_DETRUIT, T_VOID},
    {"rgb", &Script::rgb, P_RGB, T_COULEUR},
    {"rgba", &Script::rgba, P_RGBA, T_COULEUR},
    {"matrice", &Script::matrice, P_MATRICE, T_VOID},
    {"chargeTexture", &Script::chargeTexture, P_TEXTURE, T_TEXTURE},
    {"setMatrice", &Script::setMatrice, P_SET_MATRICE, T_VOID},
    {"scale", &Script::scale, P_SCALE, T_POINTEUR},
    {"rotate", &Script::rotate, P_ROTATE, T_VOID},
    {"translate", &Script::translate, P_TRANSLATE, T_POINTEUR},
    {"matriceScale", &Script::matriceScale, P_MATRICE_SCALE, T_VOID},
    {"matriceTranslate", &Script::matriceTranslate, P_MATRICE_TRANSLATE, T_VOID},
    {"matriceRotate", &Script::matriceRotate, P_MATRICE_ROTATE, T_VOID},
    {"setTexture", &Script::setTexture, P_SET_TEXTURE, T_VOID},
    {"creerMaterial", &Script::creerMaterial, P_MATERIAL, T_VOID},
    {"setMaterial", &Script::setMaterial, P_SET_MATERIAL, T_VOID},
    {"robot", &Script::robot, P_ROBOT, T_POINTEUR},
    {"setRobotReperes", &Script::setRobotReperes, P_REPERES, T_VOID},
    FonctionPredefinie("setRobotCoordArticulaires", &Script::setRobotCoordArticulaires, P_COORD,
                       T_VOID)
        .repeteDernier(),
    FonctionPredefinie("robotURDF", &Script::robotURDF, P_ROBOT_URDF, T_ENTITE)
        .facultatifs(1)
        .dansLOrdre(),
    {"setRobotPrecisionProgrammeMGI", &Script::setRobotPrecisionProgrammeMGI, P_PRECISION, T_VOID},
    {"metaballzone", &Script::metaballzone, P_ZONE, T_VOID},
    {"addMetaballEx", &Script::addMetaballEx, P_METABALL, T_VOID},
    {"subitGravite", &Script::subitGravite, P_GRAVITE, T_VOID},
    FonctionPredefinie("deplaceArticulaire", &Script::deplaceArticulaire, P_DEPLACE_ARTICULAIRE,
                       T_VOID)
        .selon(signatureArticulaire),
    FonctionPredefinie("deplacePoignet", &Script::deplacePoignet, P_DEPLACE_POIGNET, T_VOID)
        .selon(signaturePoignet),
    {"saisis", &Script::saisis, P_SAISIS, T_VOID},
    {"lache", &Script::lache, P_LACHE, T_VOID},
    {"attends", &Script::attends, P_ATTENDS, T_VOID},
    FonctionPredefinie("setRobotProfil", &Script::setRobotProfil, P_PROFIL, T_VOID).repeteDernier(),
};
const int nb_fonctions_predefinies = static_cast<int>(std::size(fonctions_predefinies));

int chercheFonction(const std::string& nom) {
    if (nom.empty() || nom.size() >= sizeof(FonctionPredefinie::nom)) return -1;
    for (int i = 0; i < nb_fonctions_predefinies; ++i)
        if (nom == fonctions_predefinies[i].nom) return i;
    return -1;
}

// ---------------------------------------------------------------------------------------
// Argument checks

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

bool accepte(const Parametre& p, int32_t type) {
    return type >= 0 && type <= T_MATERIAL && (p.acceptes & bitType(type)) != 0;
}

// A value of an accepted type as a value of the expected one.
Valeur convertie(const Valeur& v, int32_t type) {
    if (type == T_FLOAT && v.type == T_INT) return Valeur::reel(static_cast<float>(v.scalaire.i));
    if (type == T_MATRICE && (v.type == T_ENTITE || v.type == T_INSTANCE)) {
        // The object's own placement matrix, shared: the value keeps the object alive.
        std::shared_ptr<CMatrice> m;
        if (v.type == T_ENTITE) {
            if (auto e = v.objet<Entite>()) m = std::shared_ptr<CMatrice>(e, e.get());
        } else if (auto i = v.objet<Instance>()) {
            m = std::shared_ptr<CMatrice>(i, i.get());
        }
        return Valeur::objetDe(T_MATRICE, m);
    }
    return v;
}

bool estDeClasse(const Entite& e, Classe c) {
    switch (c) {
        case Classe::Mesh: return dynamic_cast<const Mesh*>(&e) != nullptr;
        case Classe::Robot: return dynamic_cast<const Robot*>(&e) != nullptr;
        case Classe::Bras:
            return dynamic_cast<const Robot*>(&e) != nullptr ||
                   dynamic_cast<const BrasChaine*>(&e) != nullptr;
        case Classe::ZoneMetaball: return dynamic_cast<const MetaballZone*>(&e) != nullptr;
        case Classe::Toute: break;
    }
    return true;
}

// The result of a failed call: void, or a null object of the row's type.
Valeur resultatNul(int32_t type) {
    return type == T_VOID ? Valeur() : Valeur::objetDe<void>(type, nullptr);
}
}  // namespace

bool Script::verifie_parametre(const FonctionPredefinie& f, int position, const Parametre& p,
                               Valeur& v) {
    if (accepte(p, v.type)) {
        v = convertie(v, p.type);
        return true;
    }
    console.boiteMessage(
        texteMauvaisType(f.nom, position, nom_type(p.type), texte_valeur(v), nom_type(v.type)),
        TITRE_BUG);
    return false;
}

bool Script::dereference_parametre(const FonctionPredefinie& f, int position, const Parametre& p,
                                   Valeur& v) {
    if (v.type != T_POINTEUR) {
        console.boiteMessage(
            texteMauvaisType(f.nom, position, "pointeur", texte_valeur(v), nom_type(v.type)),
            TITRE_BUG_POINTEUR);
        return false;
    }
    auto nomVariable = v.objet<std::string>();
    if (!nomVariable) {
        console.boiteMessage("Le paramètre n° n\n " + std::to_string(position) +
                                 " de la fonction " + f.nom + " est NULL !",
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
    if (accepte(p, variable.type)) {
        v = convertie(variable, p.type);
        return true;
    }
    console.boiteMessage(texteMauvaisType(f.nom, position, "*" + nom_type(p.type), texte_valeur(v),
                                          "*" + nom_type(variable.type)) +
                             "\n Et le cast est impossible.",
                         TITRE_BUG_POINTEUR);
    return false;
}

bool Script::verifie_signature(const FonctionPredefinie& f, std::vector<Valeur>& arguments,
                               Valeur& echec) {
    const int n = static_cast<int>(arguments.size());
    if (f.selonBras && n >= 1) {
        // The arm first, as the row's first parameter says; then the whole call against the
        // signature of that arm.
        std::vector<Valeur> bras(arguments.begin(), arguments.begin() + 1);
        FonctionPredefinie premier = f;
        premier.selonBras = nullptr;
        premier.nb_parametres = premier.nb_minimum = 1;
        premier.dernierRepete = false;
        if (!verifie_signature(premier, bras, echec)) return false;
        const FonctionPredefinie g = f.selonBras(f, *bras[0].objet<Entite>());
        if (!verifie_nb_parametres(g, n)) {
            echec = resultatNul(f.echec);
            return false;
        }
        return verifie_signature(g, arguments, echec);
    }
    if (!f.accepteNombre(n)) {
        echec = resultatNul(f.echec);
        return false;
    }
    // Types first, all of them, from the last argument unless the row says otherwise.
    for (int k = 0; k < n; ++k) {
        const int i = f.typesDansLOrdre ? k : n - 1 - k;
        const Parametre& p = f.parametre(i);
        if (!(p.adresse ? dereference_parametre(f, i + 1, p, arguments[i])
                        : verifie_parametre(f, i + 1, p, arguments[i]))) {
            echec = resultatNul(f.echec);
            return false;
        }
    }
    // Then the objects, from the first argument: null, then of the wrong class.
    for (int i = 0; i < n; ++i) {
        const Parametre& p = f.parametre(i);
        const Valeur& v = arguments[i];
        if (!v.estObjet()) continue;
        if (!v.adresse()) {
            if (p.nul == Nul::Accepte) continue;
            if (p.nul == Nul::Refuse) signaleObjetNul(f, i + 1, p);
            echec = resultatNul(f.echecObjet);
            return false;
        }
        if (p.classe != Classe::Toute && !estDeClasse(*v.objet<Entite>(), p.classe)) {
            console.boiteMessage(p.texteClasse, "erreur de type");
            echec = resultatNul(f.echecObjet);
            return false;
        }
    }
    return true;
}

void Script::signaleObjetNul(const FonctionPredefinie& f, int position, const Parametre& p) {
    if (p.texteNul)
        console.boiteMessage(p.texteNul, "erreur de pointeur");
    else
        console.boiteMessage(std::string("La fonction\n\n ") + f.nom +
                                 "\n\nreçoit en paramètre n°" + std::to_string(position) +
                                 " un objet non initialisé (détruit ou mal construit) !",
                             "erreur de pointeur");
}

std::vector<Valeur> Script::depileArguments(int nb) {
    std::vector<Valeur> arguments(static_cast<std::size_t>(std::max(nb, 0)));
    for (int i = nb - 1; i >= 0; --i) arguments[i] = depile();
    return arguments;
}

// ---------------------------------------------------------------------------------------
// Builtins on plain values (their arguments are checked against the row already)

namespace {
const float UN_SUR_255 = 0.003921569f;

// Copies the 16 numbers only: the target may be the matrix an entity or instance is built on.
void copieMatrice(CMatrice& cible, const CMatrice& source) {
    std::copy(source.m, source.m + 16, cible.m);
}

// The target matrix (argument 1) multiplied on the right by `m`.
void composeMatrice(const Valeur& cible, const CMatrice& m) {
    auto c = cible.objet<CMatrice>();
    copieMatrice(*c, *c * m);
}

RGBA couleurDe(const Valeur& v) {
    auto c = v.objet<RGBA>();
    return RGBA(c->r, c->g, c->b, c->a);
}

CVecteur vecteurDe(const Valeur& v) {
    auto p = v.objet<CVecteur>();
    return CVecteur(p->x, p->y, p->z);
}

// A colour from integer components 0..255 (not clamped).
Valeur couleur(const std::vector<Valeur>& a, float alpha) {
    auto c = std::make_shared<RGBA>(a[0].scalaire.i * UN_SUR_255, a[1].scalaire.i * UN_SUR_255,
                                    a[2].scalaire.i * UN_SUR_255, alpha);
    return Valeur::objetDe(T_COULEUR, c);
}
}  // namespace

Valeur Script::instancieEntite(const std::vector<Valeur>& a) {
    return Valeur::objetDe<Instance>(T_INSTANCE,
                                     std::make_shared<InstanceEntite>(a[0].objet<Entite>()));
}

Valeur Script::insertLumiere(const std::vector<Valeur>& a) {
    auto l = std::make_shared<Lumiere>();
    l->fixeObservateur = a[0].booleenVal();
    l->ambiante = couleurDe(a[4]);
    l->diffuse = couleurDe(a[5]);
    l->speculaire = couleurDe(a[6]);
    const CVecteur position = vecteurDe(a[1]);
    l->position = CHomoVecteur(position.x, position.y, position.z, a[2].scalaire.f);
    const CVecteur d = vecteurDe(a[3]);
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

Valeur Script::detruit(const std::vector<Valeur>& a) {
    // A copy shares the argument's object: releasing it releases the object for all.
    for (Valeur v : a) detruit_valeur(v);
    return valeur_nulle;
}

Valeur Script::rgb(const std::vector<Valeur>& a) { return couleur(a, 1.0f); }

Valeur Script::rgba(const std::vector<Valeur>& a) {
    return couleur(a, a[3].scalaire.i * UN_SUR_255);
}

Valeur Script::matrice(const std::vector<Valeur>& a) {
    auto m = std::make_shared<CMatrice>();
    // The numbers come row by row; the storage is column-major.
    for (int ligne = 0; ligne < 4; ++ligne)
        for (int colonne = 0; colonne < 4; ++colonne)
            m->m[4 * colonne + ligne] = a[4 * ligne + colonne].scalaire.f;
    return Valeur::objetDe(T_MATRICE, m);
}

Valeur Script::setMatrice(const std::vector<Valeur>& a) {
    copieMatrice(*a[0].objet<CMatrice>(), *a[1].objet<CMatrice>());
    return valeur_nulle;
}

Valeur Script::matriceScale(const std::vector<Valeur>& a) {
    const CVecteur s = vecteurDe(a[1]);
    composeMatrice(a[0], CMatrice::echelle(s.x, s.y, s.z));
    return valeur_nulle;
}

Valeur Script::matriceTranslate(const std::vector<Valeur>& a) {
    composeMatrice(a[0], CMatrice::translation(vecteurDe(a[1])));
    return valeur_nulle;
}

Valeur Script::matriceRotate(const std::vector<Valeur>& a) {
    composeMatrice(a[0], CMatrice::rotation(vecteurDe(a[1]), static_cast<float>(a[2].scalaire.i)));
    return valeur_nulle;
}

Valeur Script::creerMaterial(const std::vector<Valeur>& a) {
    auto m = std::make_shared<Material>();
    // Arguments 3 and 4 are the emission and specular colours, stored the other way round.
    m->couleur1 = couleurDe(a[0]);
    m->couleur2 = couleurDe(a[1]);
    m->couleur3 = couleurDe(a[3]);
    m->couleur4 = couleurDe(a[2]);
    m->brillance = a[4].scalaire.f;
    return Valeur::objetDe(T_MATERIAL, m);
}

Valeur Script::subitGravite(const std::vector<Valeur>& a) {
    a[0].objet<Instance>()->tombe = a[1].booleenVal();
    return valeur_nulle;
}
