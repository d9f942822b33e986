#include "robot/pilote_quatre_axes.h"

#include "robot/modele_quatre_axes.h"
#include "robot/robot.h"

namespace {
constexpr double DEGRES_PAR_RADIAN = 180.0 / M_PI;
// Queue limit shared with the scripted commands and the taught poses.
constexpr std::size_t COMMANDES_MAX = 10000;
}  // namespace

Entite& PiloteQuatreAxes::entite() { return robot_; }

std::string PiloteQuatreAxes::nomArticulation(int i) const {
    return ModeleQuatreAxes(robot_).nomArticulation(i);
}

double PiloteQuatreAxes::min(int i) const {
    return ModeleQuatreAxes(robot_).limites(i).min * DEGRES_PAR_RADIAN;
}

double PiloteQuatreAxes::max(int i) const {
    return ModeleQuatreAxes(robot_).limites(i).max * DEGRES_PAR_RADIAN;
}

std::vector<double> PiloteQuatreAxes::valeursArticulations() const {
    return {robot_.THETA1, robot_.THETA2, robot_.THETA3, robot_.THETA5};
}

Eigen::Isometry3d PiloteQuatreAxes::poseOutil() const {
    Eigen::Isometry3d t;
    t.matrix() = Eigen::Matrix4f::Map(robot_.matricePince.m).cast<double>();
    return t;
}

std::size_t PiloteQuatreAxes::nbCommandes() const { return robot_.commandes.size(); }
void PiloteQuatreAxes::videCommandes() { robot_.videCommandes(); }
bool PiloteQuatreAxes::avance(float dt) { return robot_.avance(dt); }
const std::string& PiloteQuatreAxes::raison() const { return robot_.derniereRaison; }
unsigned long PiloteQuatreAxes::numeroRaison() const { return robot_.numeroRaison; }
const TrajectoireOutil& PiloteQuatreAxes::trajectoireOutil() const { return robot_.trajectoire; }
const HistoriqueArticulaire& PiloteQuatreAxes::historiqueArticulaire() const {
    return robot_.historique;
}

std::string PiloteQuatreAxes::ajouteDeplacement(const std::vector<double>& valeurs,
                                                bool rectiligne) {
    if (valeurs.size() != 4)
        return "ce robot a 4 articulations, pas " + std::to_string(valeurs.size());
    if (robot_.commandes.size() >= COMMANDES_MAX) return "la file de commandes du robot est pleine";
    Commande c;
    c.T1 = static_cast<float>(valeurs[0]);
    c.T2 = static_cast<float>(valeurs[1]);
    c.T3 = static_cast<float>(valeurs[2]);
    c.T5 = static_cast<float>(valeurs[3]);
    CMatrice pince;
    if (!robot_.MGD(c.T1, c.T2, c.T3, c.T5, c.X, c.Y, c.Z, c.THETA, pince))
        return Robot::texteLimites(c.T1, c.T2, c.T3, c.T5);
    if (const char* raison = robot_.refusPosition(c.X, c.Y, c.Z)) return raison;
    c.rectiligne = rectiligne;
    c.enOrdre = true;
    c.instanceRobot = instance_;
    robot_.ajouteCommande(c);
    return std::string();
}

namespace {
void ajouteAction(Robot& r, Instance* instance, GenreCommande genre, float secondes) {
    if (r.commandes.size() >= COMMANDES_MAX) return;
    Commande c;
    c.genre = genre;
    c.secondes = secondes;
    c.enOrdre = true;
    c.instanceRobot = instance;
    r.ajouteCommande(c);
}
}  // namespace

void PiloteQuatreAxes::ajouteSaisie() { ajouteAction(robot_, instance_, GenreCommande::Saisie, 0); }
void PiloteQuatreAxes::ajouteLacher() { ajouteAction(robot_, instance_, GenreCommande::Lacher, 0); }
void PiloteQuatreAxes::ajouteAttente(float secondes) {
    ajouteAction(robot_, instance_, GenreCommande::Attente, secondes);
}
Instance* PiloteQuatreAxes::objetTenu() { return robot_.objetTenu(); }

std::string PiloteQuatreAxes::vaChercher(Instance* objet, bool rectiligne) {
    // An object the gripper cannot reach is refused now, with its reason, rather than queued
    // for a command the robot would drop.
    if (!robot_.peutSaisir(objet, instance_)) return robot_.derniereRaison;
    Commande c;
    c.instanceRobot = instance_;
    c.approche = objet;
    c.cible = objet;
    c.rectiligne = rectiligne;
    robot_.ajouteCommande(c);
    return std::string();
}

std::vector<std::string> PiloteQuatreAxes::colonnesQuatreAxes() {
    return {"THETA1_deg", "THETA2_deg", "THETA3_deg", "THETA5_deg",
            "X_u",        "Y_u",        "Z_u",        "THETA_deg"};
}

Manipulabilite PiloteQuatreAxes::mesures() { return manipulabilite(robot_); }

std::string PiloteQuatreAxes::texteSingularite(const Manipulabilite& m) const {
    return configurationSinguliere(robot_, m.conditionnement);
}

std::vector<float> PiloteQuatreAxes::valeursTrace() const {
    const Robot& r = robot_;
    return {r.THETA1, r.THETA2, r.THETA3, r.THETA5, r.X, r.Y, r.Z, r.THETA};
}
