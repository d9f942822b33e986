// Teaching by example from the window: `w` or "Memoriser" stores the driven robot's pose,
// "Rejouer" queues the list on it, "Sauver" writes it as a scene-file fragment naming the
// robot's variable. What is done goes to the status line, what fails there and in red.
#include <string>

#include "app/application.h"
#include "app/panneau.h"
#include "robot/robot.h"
#include "script/fragment_scene.h"
#include "script/script.h"

namespace {
std::string pluriel(std::size_t n, const char* mot) {
    return std::to_string(n) + " " + mot + (n > 1 ? "s" : "");
}
}  // namespace

void CApplication::memorisePoint() {
    if (!robotCourant) return;
    if (!pointsPassage.ajoute(*robotCourant)) {
        signale("liste pleine (" + std::to_string(PointsPassage::MAX) + " points)",
                "point de passage refusé : ");
        return;
    }
    informe("point de passage " + std::to_string(pointsPassage.points().size()) + " mémorisé" +
            (robotCourant->objetTenu() ? " (objet tenu)" : ""));
}

void CApplication::rejouePoints() {
    if (!robotCourant) return;
    const std::size_t n = pointsPassage.points().size();
    if (n == 0) {
        signale("aucun point de passage à rejouer");
        return;
    }
    // A move per point and a grip or release where the grip state changes, unless the
    // queue's limit cuts the replay short.
    std::size_t attendu = 0;
    bool tenu = robotCourant->getLien() != nullptr;
    for (const PointPassage& p : pointsPassage.points()) {
        attendu += p.tenu != tenu ? 2 : 1;
        tenu = p.tenu;
    }
    const std::size_t commandes = pointsPassage.rejoue(*robotCourant, instanceRobotCourant,
                                                       panneau.deplacementRectiligne == 1);
    if (commandes < attendu) {
        signale("file de commandes pleine : " + pluriel(commandes, "commande") + " en file",
                "relecture tronquée : ");
        return;
    }
    informe(pluriel(commandes, "commande") + " en file pour rejouer " + pluriel(n, "point") +
            " de passage");
}

void CApplication::videPoints() {
    const std::size_t n = pointsPassage.points().size();
    pointsPassage.vide();
    informe(pluriel(n, "point") + " de passage effacé" + (n > 1 ? "s" : ""));
}

void CApplication::sauvePoints() {
    const std::string& chemin = panneau.cheminPointsPassage;
    const std::size_t n = pointsPassage.points().size();
    if (n == 0) {
        signale("aucun point de passage à enregistrer");
        return;
    }
    if (chemin.empty()) {
        signale("aucun fichier donné", "points de passage non enregistrés : ");
        return;
    }
    const std::string erreur =
        enregistrePoints(pointsPassage, chemin, variableRobot(), panneau.deplacementRectiligne == 1,
                         fichiersDeLaScene());
    if (!erreur.empty()) {
        signale(erreur, "points de passage non enregistrés : ");
        return;
    }
    informe(pluriel(n, "point") + " de passage enregistré" + (n > 1 ? "s" : "") + " dans " +
            chemin);
}

std::string CApplication::variableRobot() const {
    if (!script || !robotCourant) return "robot";
    const void* robot = static_cast<const Entite*>(robotCourant);
    for (const auto& [nom, v] : script->variables)
        if (v.type == T_ENTITE && v.adresse() == robot) return nom;
    // Most often the load handed the robot to the scene and kept only its name.
    for (const auto& [nom, adresse] : script->entitesRemises)
        if (adresse == robot) return nom;
    return "robot";
}
