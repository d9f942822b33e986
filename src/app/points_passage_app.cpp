// Teaching by example from the window: `w` or "Memoriser" stores the driven robot's pose,
// "Rejouer" queues the list on it, "Sauver" writes it as a scene-file fragment naming the
// robot's variable. What is done goes to the status line, what fails there and in red.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/application.h"
#include "app/panneau.h"
#include "commun/console.h"
#include "commun/ecriture_sure.h"
#include "commun/nombre_court.h"
#include "robot/bras_pilote.h"
#include "robot/modele_cinematique.h"
#include "robot/robot.h"
#include "script/fragment_scene.h"
#include "script/script.h"

namespace {
std::string pluriel(std::size_t n, const char* mot) {
    return std::to_string(n) + " " + mot + (n > 1 ? "s" : "");
}

// The recovery file: a comment line, then one pose a line, its joints, its tool point and
// whether an object was held, as the shortest decimals that read back the same floats. A
// pose of an arm read from a description reads "bras", its number of joints, their values
// and whether an object was held.
const char* const ENTETE_RECUPERATION =
    "# brakmor : points de passage non enregistrés (T1 T2 T3 T5 X Y Z THETA tenu)\n";
const char* const MOT_BRAS = "bras";

// A pose of an arm read from a description, from a recovery line after its first word.
bool lisPointBras(std::istringstream& in, PointPassage& p) {
    int n = 0, tenu = 0;
    if (!(in >> n) || n <= 0 || n > MAX_ARTICULATIONS) return false;
    p.articulations.resize(static_cast<std::size_t>(n));
    for (double& v : p.articulations)
        if (!(in >> v) || !std::isfinite(v)) return false;
    if (!(in >> tenu)) return false;
    p.tenu = tenu != 0;
    return true;
}

}  // namespace

void CApplication::memorisePoint() {
    BrasPilote* b = brasPilote();
    if (!b) return;
    Instance* tenu = b->objetTenu();
    if (!(robotCourant ? pointsPassage.ajoute(*robotCourant) : pointsPassage.ajoute(*b, tenu))) {
        signale("liste pleine (" + std::to_string(PointsPassage::MAX) + " points)",
                "point de passage refusé : ");
        return;
    }
    pointsNonEnregistres = true;
    informe("point de passage " + std::to_string(pointsPassage.points().size()) + " mémorisé" +
            (tenu ? " (objet tenu)" : ""));
}

std::string CApplication::gardePointsNonEnregistres() {
    namespace fs = std::filesystem;
    const auto& points = pointsPassage.points();
    if (!pointsNonEnregistres || points.empty()) {
        std::error_code ec;
        if (recuperationLue) fs::remove(cheminRecuperation, ec);
        return std::string();
    }
    std::string texte = ENTETE_RECUPERATION;
    for (const PointPassage& p : points) {
        if (!p.articulations.empty()) {
            texte += std::string(MOT_BRAS) + " " + std::to_string(p.articulations.size()) + " ";
            for (double v : p.articulations) texte += nombreCourt(v) + " ";
        } else {
            for (float v : {p.T1, p.T2, p.T3, p.T5, p.X, p.Y, p.Z, p.THETA})
                texte += nombreCourt(v) + " ";
        }
        texte += p.tenu ? "1\n" : "0\n";
    }
    const std::string erreur =
        ecriture::ecritFichier(cheminRecuperation, texte, fichiersDeLaScene());
    if (!erreur.empty()) {
        console.erreur(pluriel(points.size(), "point") + " de passage non enregistré" +
                       (points.size() > 1 ? "s" : "") + " perdu" + (points.size() > 1 ? "s" : "") +
                       " : " + erreur);
        return erreur;
    }
    console << pluriel(points.size(), "point") << " de passage non enregistré"
            << (points.size() > 1 ? "s" : "") << " gardé" << (points.size() > 1 ? "s" : "")
            << " dans " << cheminRecuperation << " pour le prochain démarrage\n";
    return std::string();
}

std::size_t CApplication::recuperePoints() {
    std::ifstream f(cheminRecuperation);
    if (!f) return 0;
    recuperationLue = true;
    std::size_t n = 0;
    std::string ligne;
    while (std::getline(f, ligne)) {
        if (ligne.empty() || ligne[0] == '#') continue;
        std::istringstream in(ligne);
        PointPassage p;
        if (ligne.rfind(MOT_BRAS, 0) == 0) {
            std::string mot;
            in >> mot;
            if (!lisPointBras(in, p)) continue;
        } else {
            int tenu = 0;
            if (!(in >> p.T1 >> p.T2 >> p.T3 >> p.T5 >> p.X >> p.Y >> p.Z >> p.THETA >> tenu))
                continue;
            p.tenu = tenu != 0;
        }
        if (!pointsPassage.ajoute(p)) break;
        ++n;
    }
    if (n == 0) return 0;
    pointsNonEnregistres = true;
    informe(pluriel(n, "point") + " de passage non enregistré" + (n > 1 ? "s" : "") +
            " à la dernière sortie récupéré" + (n > 1 ? "s" : "") + " (" + cheminRecuperation +
            ") : \"Sauver\" les garde, \"Vider\" les oublie");
    return n;
}

void CApplication::rejouePoints() {
    BrasPilote* b = brasPilote();
    if (!b) return;
    const std::size_t n = pointsPassage.points().size();
    if (n == 0) {
        signale("aucun point de passage à rejouer");
        return;
    }
    if (!robotCourant) {
        // An arm read from a description, through its own queue.
        std::string raison;
        const std::size_t commandes = pointsPassage.rejoue(
            *b, b->objetTenu() != nullptr, panneau.deplacementRectiligne == 1, raison);
        if (!raison.empty()) {
            signale(raison + " (" + pluriel(commandes, "commande") + " en file)",
                    "relecture tronquée : ");
            return;
        }
        informe(pluriel(commandes, "commande") + " en file pour rejouer " + pluriel(n, "point") +
                " de passage");
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
    pointsNonEnregistres = false;
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
    pointsNonEnregistres = false;
    informe(pluriel(n, "point") + " de passage enregistré" + (n > 1 ? "s" : "") + " dans " +
            chemin);
}

std::string CApplication::variableRobot() const {
    if (!script || !brasPilote()) return "robot";
    const void* robot = &brasPilote()->entite();
    for (const auto& [nom, v] : script->variables)
        if (v.type == T_ENTITE && v.adresse() == robot) return nom;
    // Most often the load handed the robot to the scene and kept only its name.
    for (const auto& [nom, adresse] : script->entitesRemises)
        if (adresse == robot) return nom;
    return "robot";
}
