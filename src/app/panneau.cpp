// The panel model, and the application's panel callback and refresh operations.
#include "app/panneau.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <tuple>
#include <utility>

#include "app/application.h"
#include "robot/bras_pilote.h"
#include "robot/robot.h"

float Controle::valeur() const {
    if (entier) return static_cast<float>(*entier);
    if (reel) return *reel;
    return 0;
}

void Controle::fixeValeur(float v) {
    if (limite == Limite::Borne) {
        if (v < min) v = min;
        if (v > max) v = max;
    } else if (limite == Limite::Boucle) {
        // Integer angle spinners: a period of 360 keeps the angle meaning of the value.
        const float periode = entier ? max - min + 1 : max - min;
        if (periode > 0) {
            while (v < min) v += periode;
            while (v > max) v -= periode;
        }
    }
    if (entier) *entier = static_cast<int>(v);
    if (reel) *reel = decimales == 0 ? std::trunc(v) : v;
}

namespace {
// Half the last digit shown: a value this close to another shows the same.
float demiUnite(int decimales) { return 0.5f * std::pow(10.0f, -static_cast<float>(decimales)); }
}  // namespace

float Controle::valeurAffichee() const {
    const float v = saisieEnCours ? saisie : valeur();
    return std::fabs(v) <= demiUnite(decimales) ? 0.0f : v;
}

bool Controle::saisit(float v, EvenementSaisie e) {
    switch (e) {
        case EvenementSaisie::Frappe:
            // Typing back the value shown (or Escape restoring it) leaves nothing to commit.
            saisie = v;
            saisieEnCours = std::fabs(v - valeur()) > demiUnite(decimales);
            return false;
        case EvenementSaisie::Sortie:
            if (!saisieEnCours) return false;
            break;
        case EvenementSaisie::Pas: break;
    }
    saisieEnCours = false;
    fixeValeur(v);
    return true;
}

namespace {
Controle controle(GenreControle genre, const char* libelle, int niveau,
                  IdControle id = IdControle::Aucun) {
    Controle c;
    c.genre = genre;
    c.libelle = libelle;
    c.niveau = niveau;
    c.id = id;
    return c;
}
Controle rollout(const char* libelle, bool ouvert = true) {
    Controle c = controle(GenreControle::Rollout, libelle, 0);
    c.ouvert = ouvert;
    return c;
}
Controle groupe(const char* libelle) { return controle(GenreControle::Groupe, libelle, 1); }
Controle colonne() { return controle(GenreControle::Colonne, "", 1); }
Controle texte(const char* libelle) { return controle(GenreControle::Texte, libelle, 1); }
Controle bouton(const char* libelle, IdControle id) {
    return controle(GenreControle::Bouton, libelle, 1, id);
}
Controle caseACocher(const char* libelle, int* v, IdControle id, int niveau = 1) {
    Controle c = controle(GenreControle::Case, libelle, niveau, id);
    c.entier = v;
    return c;
}
Controle spinner(const std::string& libelle, int* v, IdControle id, int niveau = 1) {
    Controle c = controle(GenreControle::SpinnerEntier, libelle.c_str(), niveau, id);
    c.entier = v;
    return c;
}
Controle spinner(const std::string& libelle, float* v, IdControle id) {
    Controle c = controle(GenreControle::SpinnerReel, libelle.c_str(), 1, id);
    c.reel = v;
    return c;
}
// Robot coordinate spinners step by 5 on the large buttons.
Controle rapide(Controle c) {
    c.vitesse = 5;
    return c;
}
// An angle in whole degrees that wraps around within [-180, 179].
Controle angle(Controle c) {
    c.limite = Limite::Boucle;
    c.min = -180;
    c.max = 179;
    return rapide(c);
}

// The live variables of one set of robot coordinates: four joints, then the wrist.
struct Coordonnees {
    int *theta1, *theta2, *theta3, *theta5;
    float *x, *y, *z;
    int* theta;
};

// The joint group then the wrist group of one rollout; the target's labels carry a prime and
// its wrist point is kept in whole numbers.
void ajouteCoordonnees(std::vector<Controle>& r, const std::string& prime, const Coordonnees& c,
                       IdControle idArticulations, IdControle idPoignet, int decimalesPoignet) {
    r.push_back(texte("Coordonnees articulaires :"));
    r.push_back(angle(spinner("THETA1" + prime, c.theta1, idArticulations)));
    r.push_back(rapide(spinner("THETA2" + prime, c.theta2, idArticulations)));
    r.push_back(rapide(spinner("THETA3" + prime, c.theta3, idArticulations)));
    r.push_back(angle(spinner("THETA5" + prime, c.theta5, idArticulations)));
    r.push_back(texte("Coordonnees du poignet :"));
    for (auto [axe, v] : {std::pair{"X", c.x}, {"Y", c.y}, {"Z", c.z}}) {
        r.push_back(rapide(spinner(axe + prime, v, idPoignet)));
        r.back().decimales = decimalesPoignet;
    }
    r.push_back(angle(spinner("THETA" + prime, c.theta, idPoignet)));
}

// The display check boxes, in display order, each mirroring one scene option. The four
// options that change the drawing state at once are set through the drawer's setters.
struct CaseOption {
    const char* libelle;
    IdControle id;
    int Panneau::*caseCochee;
    bool CScene::*option;
    void (Dessinateur::*regle)(bool);
};
const CaseOption casesOptions[] = {
    {"Eclairage", IdControle::Eclairage, &Panneau::eclairage, &CScene::eclairage, nullptr},
    {"Texturage", IdControle::Texturage, &Panneau::texturage, &CScene::texturage, nullptr},
    {"Bilineaire", IdControle::Bilineaire, &Panneau::bilineaire, &CScene::bilinear, nullptr},
    {"Backface Culling", IdControle::BackfaceCulling, &Panneau::backfaceCulling,
     &CScene::backface_culling, &Dessinateur::setBackfaceCulling},
    {"Antialiasing", IdControle::Antialiasing, &Panneau::antialiasing, &CScene::antialiasing,
     &Dessinateur::setAntialiasing},
    {"Dithering", IdControle::Dithering, &Panneau::dithering, &CScene::dithering,
     &Dessinateur::setDithering},
    {"Smooth shading", IdControle::SmoothShading, &Panneau::smoothShading, &CScene::smoothshading,
     &Dessinateur::setSmoothShading},
    {"Transparence", IdControle::Transparence, &Panneau::transparence, &CScene::selection_surlignee,
     nullptr},
    {"Boites englobantes", IdControle::BoitesEnglobantes, &Panneau::boitesEnglobantes,
     &CScene::boite_englobante, nullptr},
    {"Ombrage", IdControle::Ombrage, &Panneau::ombrage, &CScene::ombrage, nullptr},
    {"Ombres d'origine", IdControle::OmbresOrigine, &Panneau::ombresOrigine,
     &CScene::ombrage_ancien, nullptr},
    {"Afficher sol", IdControle::AfficherSol, &Panneau::afficherSol, &CScene::afficher_sol,
     nullptr},
    {"Afficher lumieres", IdControle::AfficherLumieres, &Panneau::afficherLumieres,
     &CScene::afficher_lumieres, nullptr},
    {"Lumiere tournante", IdControle::LumiereTournante, &Panneau::lumiereTournante,
     &CScene::rotation_lumiere, nullptr},
};

// The motion aids, in a rollout of their own: drawn over the robots to show where the tool
// went, where the target is and what the arm can reach.
struct CaseAide {
    const char* libelle;
    IdControle id;
    int Panneau::*caseCochee;
    bool CScene::*option;
};
const CaseAide casesAides[] = {
    {"Trajectoire de l'outil", IdControle::TrajectoireOutil, &Panneau::trajectoireOutil,
     &CScene::trajectoire_outil},
    {"Cible a atteindre", IdControle::CibleFantome, &Panneau::cibleFantome, &CScene::cible_fantome},
    {"Espace de travail", IdControle::EspaceTravail, &Panneau::espaceTravail,
     &CScene::espace_travail},
    {"Ellipsoide de manipulabilite", IdControle::EllipsoideManipulabilite,
     &Panneau::ellipsoideManipulabilite, &CScene::ellipsoide_manipulabilite},
};
}  // namespace

Panneau::Panneau() {
    construitPanneauRobot();
    construitPanneauOptions();
}

void Panneau::construitPanneauRobot() {
    auto& r = panneauRobot;
    r.push_back(rollout("Etat courant du robot : "));
    r.push_back(caseACocher("Afficher les reperes", &afficherReperes, IdControle::AfficherReperes));
    r.push_back(
        caseACocher("Collision prehenseur", &collisionPrehenseur, IdControle::CollisionPrehenseur));
    const std::size_t debutQuatreAxes = r.size();
    ajouteCoordonnees(
        r, "", {&theta1, &theta2, &theta3, &theta5, &poignetX, &poignetY, &poignetZ, &poignetTheta},
        IdControle::Articulations, IdControle::Poignet, 2);
    for (std::size_t i = debutQuatreAxes; i < r.size(); ++i) r[i].quatreAxes = true;
    // An arm read from a description: its joints' rows with their targets, in their place.
    r.push_back(controle(GenreControle::LignesArticulations, "", 1));
    r.push_back(rollout("Etat a atteindre : "));
    const std::size_t debutCibles = r.size();
    ajouteCoordonnees(r, "'",
                      {&cibleTheta1, &cibleTheta2, &cibleTheta3, &cibleTheta5, &ciblePoignetX,
                       &ciblePoignetY, &ciblePoignetZ, &ciblePoignetTheta},
                      IdControle::CibleArticulaire, IdControle::CiblePoignet, 0);
    // The whole wrist target in one field, checked as a whole: no order of single edits to
    // guess when each one alone would be out of reach.
    r.push_back(texte("X' Y' Z' THETA' ensemble :"));
    Controle entiere = controle(GenreControle::ChampTexte, "quatre nombres, Entree pour valider", 1,
                                IdControle::CiblePoignetEntiere);
    entiere.texte = &ciblePoignetEntiere;
    entiere.largeur = -1;
    r.push_back(entiere);
    for (std::size_t i = debutCibles; i < r.size(); ++i) r[i].quatreAxes = true;
    r.push_back(caseACocher("Deplacement rectiligne", &deplacementRectiligne,
                            IdControle::DeplacementRectiligne));
    r.push_back(bouton("Atteint", IdControle::Atteint));
    r.push_back(colonne());
    r.push_back(bouton("SAISIS", IdControle::Saisie));  // the label shown is libelleSaisie
    // Closed at start, so that the default window shows the controls above in full.
    // Opened and closed by the scene's option "courbes", which its header sets.
    Controle courbesOuvertes = rollout("Courbes (10 s)", false);
    courbesOuvertes.entier = &courbes;
    courbesOuvertes.id = IdControle::Courbes;
    r.push_back(courbesOuvertes);
    r.push_back(controle(GenreControle::Courbes, "", 1));
    r.push_back(rollout("Points de passage", false));
    Controle memorise = bouton("Memoriser la pose (w)", IdControle::MemorisePoint);
    memorise.largeur = -1;
    r.push_back(memorise);
    r.push_back(bouton("Rejouer", IdControle::RejouePoints));
    r.push_back(colonne());
    r.push_back(bouton("Vider", IdControle::VidePoints));
    // The file's path, with "Sauver" beside it.
    Controle chemin = controle(GenreControle::ChampTexte, "fichier ecrit par Sauver", 1);
    chemin.texte = &cheminPointsPassage;
    chemin.largeur = -66;
    r.push_back(chemin);
    r.push_back(colonne());
    Controle sauve = bouton("Sauver", IdControle::SauvePoints);
    sauve.largeur = 60;
    r.push_back(sauve);
    r.push_back(controle(GenreControle::ListePoints, "", 1));
}

void Panneau::construitPanneauOptions() {
    auto& o = panneauOptions;
    Controle aide = bouton("? Aide (F1)", IdControle::Aide);
    aide.niveau = 0;
    aide.largeur = -1;
    o.push_back(aide);
    o.push_back(rollout("Option d'affichage"));
    o.push_back(groupe("Mode"));
    for (const CaseOption& c : casesOptions)
        o.push_back(caseACocher(c.libelle, &(this->*c.caseCochee), c.id, 2));
    for (auto [l, c, s] : {std::tuple{"Grille X", &grilleX, &grillePosX},
                           {"Grille Y", &grilleY, &grillePosY},
                           {"Grille Z", &grilleZ, &grillePosZ}}) {
        o.push_back(caseACocher(l, c, IdControle::Grilles, 2));
        o.push_back(spinner(l, s, IdControle::Grilles, 2));
    }
    o.push_back(groupe("Affichage"));
    Controle radio = controle(GenreControle::Radio, "", 2, IdControle::ModeAffichage);
    radio.entier = &modeAffichage;
    radio.options = {"Sommets seuls", "Fil de fer", "Normal"};
    o.push_back(radio);
    o.push_back(groupe("Couleur de fond"));
    for (auto [l, v] : {std::pair{"R :", &fondR}, {"G :", &fondG}, {"B :", &fondB}}) {
        Controle c = spinner(l, v, IdControle::CouleurFond, 2);
        c.limite = Limite::Borne;
        c.min = 0;
        c.max = 255;
        o.push_back(c);
    }
    o.push_back(bouton("Quitter", IdControle::Quitter));
    o.push_back(rollout("Aides au mouvement", false));
    for (const CaseAide& c : casesAides)
        o.push_back(caseACocher(c.libelle, &(this->*c.caseCochee), c.id));
    o.push_back(controle(GenreControle::LegendeEspace, "", 1));
}

Controle* Panneau::controleDe(const void* variable) {
    for (auto* liste : {&panneauRobot, &panneauOptions})
        for (auto& c : *liste)
            if ((c.entier && c.entier == variable) || (c.reel && c.reel == variable)) return &c;
    return nullptr;
}

Controle* Panneau::spinnerGrille(int axe) {
    const int* v = axe == 0 ? &grillePosX : (axe == 1 ? &grillePosY : &grillePosZ);
    for (auto& c : panneauOptions)
        if (c.entier == v && c.genre == GenreControle::SpinnerEntier) return &c;
    return nullptr;
}

// ---- the application's panel operations ----

void CApplication::majGrilles() {
    const int cases[3] = {panneau.grilleX, panneau.grilleY, panneau.grilleZ};
    for (int axe = 0; axe < 3; ++axe) {
        Controle* s = panneau.spinnerGrille(axe);
        if (s) s->actif = cases[axe] != 0;
    }
}

namespace {
// The rows of the driven arm's joints and its tool pose; the targets typed are kept while the
// arm is the same (same joint names), else they start at the current values.
void majLignesArticulations(Panneau& p, const BrasPilote& b) {
    const std::vector<double> valeurs = b.valeursArticulations();
    bool memeBras = static_cast<int>(p.articulations.size()) == b.nbArticulations();
    for (int i = 0; memeBras && i < b.nbArticulations(); ++i)
        memeBras = p.articulations[i].nom == b.nomArticulation(i);
    if (!memeBras) p.articulations.assign(b.nbArticulations(), LigneArticulation());
    for (int i = 0; i < b.nbArticulations(); ++i) {
        LigneArticulation& l = p.articulations[i];
        l.nom = b.nomArticulation(i);
        l.valeur = valeurs[i];
        l.bornee = b.bornee(i);
        l.min = b.min(i);
        l.max = b.max(i);
        l.prismatique = b.prismatique(i);
        if (!memeBras) l.cible = static_cast<float>(valeurs[i]);
    }
    const Eigen::Isometry3d t = b.poseOutil();
    // Roll, pitch, yaw about the fixed x, y, z axes: R = Rz(yaw) Ry(pitch) Rx(roll).
    const Eigen::Matrix3d r = t.rotation();
    const double roulis = std::atan2(r(2, 1), r(2, 2));
    const double tangage = std::asin(std::clamp(-r(2, 0), -1.0, 1.0));
    const double lacet = std::atan2(r(1, 0), r(0, 0));
    const double k = 180 / M_PI;
    const double pose[6] = {t.translation().x(), t.translation().y(), t.translation().z(),
                            roulis * k,          tangage * k,         lacet * k};
    std::copy(pose, pose + 6, p.outil);
}
}  // namespace

void CApplication::majPanneauRobot() {
    BrasPilote* b = brasPilote();
    panneau.brasDecrit = b && !robotCourant;
    if (b) {
        majLignesArticulations(panneau, *b);
        panneau.libelleSaisie = b->objetTenu() ? "LACHE" : "SAISIS";
    }
    Robot* r = robotCourant;
    if (!r) return;
    panneau.afficherReperes = r->reperes ? 1 : 0;
    panneau.collisionPrehenseur = r->collisionPince ? 1 : 0;
    r->lireCoordArticulaires(panneau.theta1, panneau.theta2, panneau.theta3, panneau.theta5);
    r->lireCoordPoignet(panneau.poignetX, panneau.poignetY, panneau.poignetZ, panneau.poignetTheta);
    panneau.libelleSaisie = r->objetTenu() ? "LACHE" : "SAISIS";
}

CibleMouvement Panneau::cible() const {
    CibleMouvement c;
    c.T1 = static_cast<float>(cibleTheta1);
    c.T2 = static_cast<float>(cibleTheta2);
    c.T3 = static_cast<float>(cibleTheta3);
    c.T5 = static_cast<float>(cibleTheta5);
    c.X = ciblePoignetX;
    c.Y = ciblePoignetY;
    c.Z = ciblePoignetZ;
    c.THETA = static_cast<float>(ciblePoignetTheta);
    c.rectiligne = deplacementRectiligne == 1;
    return c;
}

void Panneau::retientCiblePoignet() {
    ciblePoignetValide[0] = ciblePoignetX;
    ciblePoignetValide[1] = ciblePoignetY;
    ciblePoignetValide[2] = ciblePoignetZ;
    ciblePoignetThetaValide = ciblePoignetTheta;
}

void CApplication::majPanneau() {
    panneau.fondR = static_cast<int>(scene.couleurfond.r * 255);
    panneau.fondG = static_cast<int>(scene.couleurfond.g * 255);
    panneau.fondB = static_cast<int>(scene.couleurfond.b * 255);
    for (const CaseOption& c : casesOptions) panneau.*c.caseCochee = scene.*c.option;
    for (const CaseAide& c : casesAides) panneau.*c.caseCochee = scene.*c.option;
    panneau.courbes = scene.courbes;
    panneau.grilleX = scene.grilleX;
    panneau.grilleY = scene.grilleY;
    panneau.grilleZ = scene.grilleZ;
    panneau.grillePosX = static_cast<int>(scene.grillePos.x);
    panneau.grillePosY = static_cast<int>(scene.grillePos.y);
    panneau.grillePosZ = static_cast<int>(scene.grillePos.z);
    panneau.modeAffichage = scene.points_seuls ? 0 : (scene.filaire ? 1 : 2);
    majPanneauRobot();
    majGrilles();
    controle(IdControle::CibleArticulaire);
    panneau.retientCiblePoignet();
}

namespace {
// Why these target joints are refused: the first one outside its limits, the others taken
// from a set within them.
std::string raisonLimites(const float t[4], const int valides[4]) {
    static const char* const noms[4] = {"THETA1", "THETA2", "THETA3", "THETA5"};
    for (int k = 0; k < 4; ++k) {
        float u[4];
        for (int i = 0; i < 4; ++i) u[i] = i == k ? t[i] : static_cast<float>(valides[i]);
        if (!Robot::verifieLimites(u[0], u[1], u[2], u[3]))
            return std::string(noms[k]) + " hors limites";
    }
    return "position hors d'atteinte";
}

// A target joint edit: the wrist target follows when the arm can reach that pose, else the
// joints go back to the last accepted target. Returns why it was refused, or empty.
std::string changeCibleArticulaire(Panneau& p, Robot& r) {
    const float t[4] = {static_cast<float>(p.cibleTheta1), static_cast<float>(p.cibleTheta2),
                        static_cast<float>(p.cibleTheta3), static_cast<float>(p.cibleTheta5)};
    float x, y, z, theta;
    CMatrice m;
    std::string raison;
    if (!r.MGD(t[0], t[1], t[2], t[3], x, y, z, theta, m))
        raison = raisonLimites(t, p.cibleArticulaireValide);
    else if (const char* refus = r.refusPosition(x, y, z))
        raison = refus;
    if (raison.empty()) {
        p.ciblePoignetX = std::trunc(x);
        p.ciblePoignetY = std::trunc(y);
        p.ciblePoignetZ = std::trunc(z);
        p.ciblePoignetTheta = static_cast<int>(theta);
        p.cibleArticulaireValide[0] = p.cibleTheta1;
        p.cibleArticulaireValide[1] = p.cibleTheta2;
        p.cibleArticulaireValide[2] = p.cibleTheta3;
        p.cibleArticulaireValide[3] = p.cibleTheta5;
    } else {
        p.cibleTheta1 = p.cibleArticulaireValide[0];
        p.cibleTheta2 = p.cibleArticulaireValide[1];
        p.cibleTheta3 = p.cibleArticulaireValide[2];
        p.cibleTheta5 = p.cibleArticulaireValide[3];
    }
    return raison;
}

// A target wrist edit: the joint target follows when the arm reaches that point exactly,
// else the wrist goes back to the last accepted wrist target. A joint stopped by its limit
// would leave the arm short of the target, somewhere else than the panel shows: refused.
// Returns why it was refused, or empty.
std::string changeCiblePoignet(Panneau& p, Robot& r) {
    Commande c;
    const char* raison = r.cibleVers(p.ciblePoignetX, p.ciblePoignetY, p.ciblePoignetZ,
                                     static_cast<float>(p.ciblePoignetTheta), c, true);
    if (!raison) {
        p.cibleTheta1 = static_cast<int>(c.T1);
        p.cibleTheta2 = static_cast<int>(c.T2);
        p.cibleTheta3 = static_cast<int>(c.T3);
        p.cibleTheta5 = static_cast<int>(c.T5);
        p.retientCiblePoignet();
        return std::string();
    }
    p.ciblePoignetX = p.ciblePoignetValide[0];
    p.ciblePoignetY = p.ciblePoignetValide[1];
    p.ciblePoignetZ = p.ciblePoignetValide[2];
    p.ciblePoignetTheta = p.ciblePoignetThetaValide;
    return raison;
}

// The four wrist targets typed at once: taken together when the whole target is reachable,
// else refused with its reason and the spinners left as they were. Returns why, or empty.
std::string changeCiblePoignetEntiere(Panneau& p, Robot& r) {
    std::istringstream in(p.ciblePoignetEntiere);
    float v[4];
    std::string reste;
    for (float& x : v)
        if (!(in >> x) || !std::isfinite(x)) return "il faut quatre nombres : X' Y' Z' THETA'";
    if (in >> reste) return "il faut quatre nombres : X' Y' Z' THETA'";
    p.ciblePoignetX = v[0];
    p.ciblePoignetY = v[1];
    p.ciblePoignetZ = v[2];
    p.ciblePoignetTheta = static_cast<int>(std::lround(v[3]));
    return changeCiblePoignet(p, r);
}

// Current joints or wrist edited: the arm moves and the other group shows where it went,
// or the refused group shows the arm's actual state again.
void changeArticulations(Panneau& p, Robot& r) {
    if (r.setCoordArticulaires(static_cast<float>(p.theta1), static_cast<float>(p.theta2),
                               static_cast<float>(p.theta3), static_cast<float>(p.theta5)))
        r.lireCoordPoignet(p.poignetX, p.poignetY, p.poignetZ, p.poignetTheta);
    else
        r.lireCoordArticulaires(p.theta1, p.theta2, p.theta3, p.theta5);
}

// A wrist target stopped short by a joint limit is taken at the pose reached, so the wrist
// is read back whether the target was accepted or refused.
void changePoignet(Panneau& p, Robot& r) {
    if (r.setCoordPoignet(p.poignetX, p.poignetY, p.poignetZ, static_cast<float>(p.poignetTheta)))
        r.lireCoordArticulaires(p.theta1, p.theta2, p.theta3, p.theta5);
    r.lireCoordPoignet(p.poignetX, p.poignetY, p.poignetZ, p.poignetTheta);
}

// The grip button: its label says what the press does. Releasing resets the label even
// without a robot. Returns why nothing was gripped, or empty.
std::string appuieSaisie(Panneau& p, Robot* r, InstanceEntite* instanceRobot) {
    if (p.libelleSaisie == "SAISIS") {
        if (!r) return std::string();
        if (!r->chercheObjet(instanceRobot)) return "rien sous la pince";
        p.libelleSaisie = "LACHE";
    } else {
        if (r) r->lache();
        p.libelleSaisie = "SAISIS";
    }
    return std::string();
}

// "Atteint": queues a move to the target state.
void envoieVersCible(const Panneau& p, Robot& r, InstanceEntite* instanceRobot) {
    Commande c;
    static_cast<CibleMouvement&>(c) = p.cible();
    c.instanceRobot = instanceRobot;
    r.ajouteCommande(c);
}

void changeModeAffichage(CScene& s, int mode) {
    if (mode == 0) {
        s.filaire = false;
        s.points_seuls = true;
    } else if (mode == 1) {
        s.filaire = true;
        s.points_seuls = false;
    } else if (mode == 2) {
        s.filaire = s.points_seuls = false;
    }
}

// The display options panel: a check box sets its scene option; the grids, the drawing mode
// and the background colour gather several controls each.
void changeOptionAffichage(CApplication& app, const Panneau& p, IdControle id) {
    auto applique = [&](const CaseOption& c) {
        const bool coche = p.*c.caseCochee == 1;
        if (c.regle)
            (app.dessin.*c.regle)(coche);
        else
            app.scene.*c.option = coche;
    };
    for (const CaseOption& c : casesOptions)
        if (c.id == id) return applique(c);
    for (const CaseAide& c : casesAides)
        if (c.id == id) {
            app.scene.*c.option = p.*c.caseCochee == 1;
            return;
        }
    switch (id) {
        case IdControle::Grilles:
            app.scene.grilleX = p.grilleX == 1;
            app.scene.grilleY = p.grilleY == 1;
            app.scene.grilleZ = p.grilleZ == 1;
            app.scene.grillePos =
                CVecteur(static_cast<float>(p.grillePosX), static_cast<float>(p.grillePosY),
                         static_cast<float>(p.grillePosZ));
            app.majGrilles();
            return;
        case IdControle::Courbes: app.scene.courbes = p.courbes == 1; return;
        case IdControle::ModeAffichage: changeModeAffichage(app.scene, p.modeAffichage); return;
        case IdControle::CouleurFond:
            // The window has no alpha buffer: the previous alpha is kept.
            app.scene.couleurfond =
                RGBA(p.fondR / 255.0f, p.fondG / 255.0f, p.fondB / 255.0f, app.scene.couleurfond.a);
            return;
        default: return;
    }
}

// What a control does; controle then reports what the robot refused.
void appliqueControle(CApplication& app, IdControle id) {
    Panneau& p = app.panneau;
    Robot* r = app.robotCourant;
    InstanceEntite* instanceRobot = app.instanceRobotCourant;
    // An arm read from a description: its rows' targets, its grip in its queue.
    if (BrasPilote* b = app.brasPilote(); b && !r) {
        if (id == IdControle::Atteint) {
            std::vector<double> cibles;
            for (const LigneArticulation& l : p.articulations) cibles.push_back(l.cible);
            app.signale(b->ajouteDeplacement(cibles, p.deplacementRectiligne == 1),
                        "cible refusée : ");
            return;
        }
        if (id == IdControle::Saisie) {
            if (b->objetTenu())
                b->ajouteLacher();
            else
                b->ajouteSaisie();
            return;
        }
    }
    switch (id) {
        case IdControle::Quitter: std::exit(0);
        case IdControle::Saisie: app.signale(appuieSaisie(p, r, instanceRobot)); return;
        case IdControle::CibleArticulaire:
            if (r) app.signale(changeCibleArticulaire(p, *r), "cible refusée : ");
            return;
        case IdControle::CiblePoignet:
            if (r) app.signale(changeCiblePoignet(p, *r), "cible refusée : ");
            return;
        case IdControle::CiblePoignetEntiere:
            if (r) app.signale(changeCiblePoignetEntiere(p, *r), "cible refusée : ");
            return;
        case IdControle::Articulations:
            if (r) changeArticulations(p, *r);
            return;
        case IdControle::Poignet:
            if (r) changePoignet(p, *r);
            return;
        case IdControle::Atteint:
            if (r) envoieVersCible(p, *r, instanceRobot);
            return;
        case IdControle::AfficherReperes:
            if (r) r->reperes = p.afficherReperes == 1;
            return;
        case IdControle::CollisionPrehenseur:
            if (r) r->collisionPince = p.collisionPrehenseur == 1;
            return;
        case IdControle::MemorisePoint: app.memorisePoint(); return;
        case IdControle::RejouePoints: app.rejouePoints(); return;
        case IdControle::VidePoints: app.videPoints(); return;
        case IdControle::SauvePoints: app.sauvePoints(); return;
        case IdControle::Aide: p.aideAffichee = !p.aideAffichee; return;
        // "Deplacement rectiligne" is only read, by "Atteint" and by the left click.
        case IdControle::DeplacementRectiligne:
        case IdControle::Aucun: return;
        default: changeOptionAffichage(app, p, id); return;
    }
}

// The controls that command the driven robot: taken without a refusal, they clear the last one.
bool estCommandeRobot(IdControle id) {
    switch (id) {
        case IdControle::Saisie:
        case IdControle::CibleArticulaire:
        case IdControle::CiblePoignet:
        case IdControle::CiblePoignetEntiere:
        case IdControle::Articulations:
        case IdControle::Poignet:
        case IdControle::Atteint: return true;
        default: return false;
    }
}

// A value typed into a field and not committed yet, through the field's limits as the commit
// would take it.
float valeurEnSaisie(const Controle& c) {
    Controle copie = c;
    int entier = 0;
    float reel = 0;
    if (copie.entier) copie.entier = &entier;
    if (copie.reel) copie.reel = &reel;
    copie.fixeValeur(c.saisie);
    return copie.entier ? static_cast<float>(entier) : reel;
}

// The target the ghost gripper shows: the target fields, with what is being typed in one of
// them. The wrist decides the pose while one of its fields is edited, or when "Atteint"
// would move along a straight line; otherwise the joints do.
void majCibleFantome(CApplication& app) {
    const Panneau& p = app.panneau;
    CibleFantome c;
    static_cast<CibleMouvement&>(c) = p.cible();
    const std::pair<const void*, float*> champs[] = {
        {&p.cibleTheta1, &c.T1},  {&p.cibleTheta2, &c.T2},         {&p.cibleTheta3, &c.T3},
        {&p.cibleTheta5, &c.T5},  {&p.ciblePoignetX, &c.X},        {&p.ciblePoignetY, &c.Y},
        {&p.ciblePoignetZ, &c.Z}, {&p.ciblePoignetTheta, &c.THETA}};
    bool articulaire = false, poignet = false;
    for (const Controle& k : p.panneauRobot) {
        if (!k.saisieEnCours) continue;
        const void* v = k.entier ? static_cast<const void*>(k.entier) : k.reel;
        for (const auto& [variable, champ] : champs)
            if (variable == v) {
                *champ = valeurEnSaisie(k);
                (k.id == IdControle::CiblePoignet ? poignet : articulaire) = true;
            }
    }
    c.parPoignet = poignet || (!articulaire && c.rectiligne);
    for (const LigneArticulation& l : p.articulations) c.articulations.push_back(l.cible);
    app.dessin.aides.fantome = c;
    app.dessin.aides.brasFantome =
        p.brasDecrit && app.brasPilote() ? &app.brasPilote()->entite() : nullptr;
}
}  // namespace

void CApplication::controle(IdControle id) {
    const unsigned long signalements = nbSignalements;
    appliqueControle(*this, id);
    // What the robot refused or cut short: the status line and the console say why.
    rapporteRaisons();
    // A command taken without a refusal: the last refusal no longer describes the arm.
    if (nbSignalements == signalements && estCommandeRobot(id)) panneau.ligneEtat.message.clear();
    majCibleFantome(*this);
}

void CApplication::saisie(Controle& c, float v, EvenementSaisie e) {
    if (c.saisit(v, e))
        controle(c.id);
    else
        majCibleFantome(*this);  // the ghost follows what is being typed
}
