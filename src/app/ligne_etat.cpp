// The status line under the robot panel: the driven robot, its queue, the selected and held
// objects, and the last refusal or stall in words, which the console also gets in red.
#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/panneau.h"
#include "commun/console.h"
#include "robot/manipulabilite.h"
#include "robot/robot.h"

int CApplication::indiceDe(const Instance* i) const {
    if (!i) return -1;
    for (int k = 0; k < scene.nbInstances(); ++k)
        if (scene.getInstance(k) == i) return k;
    return -1;
}

std::string CApplication::nomInstance(const Instance* i) const {
    const int k = indiceDe(i);
    if (k < 0) return std::string();
    if (!i->nom.empty()) return i->nom;
    std::string nom = "#" + std::to_string(k);
    const auto* ie = dynamic_cast<const InstanceEntite*>(i);
    if (ie && ie->entite && !ie->entite->nom.empty()) nom += " " + ie->entite->nom;
    return nom;
}

void CApplication::majLigneEtat() {
    LigneEtat& l = panneau.ligneEtat;
    Robot* r = robotCourant;
    l.robot = !r ? std::string() : r->nom.empty() ? nomInstance(instanceRobotCourant) : r->nom;
    l.commandes = r ? r->commandes.size() : 0;
    l.selection = nomInstance(scene.instanceSelectionnee());
    l.tenu = r ? nomInstance(r->objetTenu()) : std::string();
    l.manipulabilite.clear();
    l.conditionnement.clear();
    l.singularite.clear();
    if (r) {
        const Manipulabilite m = manipulabilite(*r);
        char texte[32];
        std::snprintf(texte, sizeof texte, "%.3g", m.manipulabilite);
        l.manipulabilite = texte;
        std::snprintf(texte, sizeof texte, "%.3f", m.conditionnement);
        l.conditionnement = texte;
        l.singularite = configurationSinguliere(*r, m.conditionnement);
    }
}

void CApplication::signale(const std::string& raison, const std::string& contexte) {
    if (raison.empty()) return;
    ++nbSignalements;
    panneau.ligneEtat.message = contexte + raison;
    panneau.ligneEtat.information.clear();
    console.erreur(panneau.ligneEtat.message);
}

void CApplication::informe(const std::string& texte) {
    panneau.ligneEtat.information = texte;
    panneau.ligneEtat.message.clear();
    console << texte << "\n";
}

void CApplication::rapporteRaisons() {
    for (int i = 0; i < scene.nbEntites(); ++i) {
        auto* r = dynamic_cast<Robot*>(scene.getEntite(i));
        if (!r) continue;
        unsigned long& vu = raisonsVues[r];
        if (vu == r->numeroRaison) continue;
        vu = r->numeroRaison;
        // A robot other than the driven one is named.
        std::string contexte;
        if (r != robotCourant) contexte = (r->nom.empty() ? "autre robot" : r->nom) + " : ";
        signale(r->derniereRaison, contexte);
    }
}
