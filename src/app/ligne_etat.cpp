// The status line under the robot panel: the driven robot, its queue, the selected and held
// objects, and the last refusal or stall in words, which the console also gets in red.
#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/panneau.h"
#include "commun/console.h"
#include "robot/bras_chaine.h"
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
    BrasPilote* r = brasPilote();
    const std::string nom = r ? r->entite().nom : std::string();
    l.robot = !r ? std::string() : nom.empty() ? nomInstance(instanceRobotCourant) : nom;
    l.commandes = r ? r->nbCommandes() : 0;
    l.selection = nomInstance(scene.instanceSelectionnee());
    l.tenu = r ? nomInstance(r->objetTenu()) : std::string();
    l.manipulabilite.clear();
    l.conditionnement.clear();
    l.singularite.clear();
    if (r) {
        const Manipulabilite m = r->mesures();
        char texte[32];
        std::snprintf(texte, sizeof texte, "%.3g", m.manipulabilite);
        l.manipulabilite = texte;
        std::snprintf(texte, sizeof texte, "%.3f", m.conditionnement);
        l.conditionnement = texte;
        l.singularite = r->texteSingularite(m);
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

namespace {
// An arm's last reason and its number; false for an entity that is no arm.
bool raisonDe(const Entite* e, const std::string*& raison, unsigned long& numero) {
    if (const auto* r = dynamic_cast<const Robot*>(e)) {
        raison = &r->derniereRaison;
        numero = r->numeroRaison;
        return true;
    }
    if (const auto* b = dynamic_cast<const BrasChaine*>(e)) {
        raison = &b->raison();
        numero = b->numeroRaison();
        return true;
    }
    return false;
}
}  // namespace

void CApplication::rapporteRaisons() {
    for (int i = 0; i < scene.nbEntites(); ++i) {
        const Entite* e = scene.getEntite(i);
        const std::string* raison;
        unsigned long numero;
        if (!raisonDe(e, raison, numero)) continue;
        unsigned long& vu = raisonsVues[e];
        if (vu == numero) continue;
        vu = numero;
        // A robot other than the driven one is named.
        std::string contexte;
        if (!brasPilote_ || e != &brasPilote_->entite())
            contexte = (e->nom.empty() ? "autre robot" : e->nom) + " : ";
        signale(*raison, contexte);
    }
}

void CApplication::retientRaisons() {
    for (int i = 0; i < scene.nbEntites(); ++i) {
        const Entite* e = scene.getEntite(i);
        const std::string* raison;
        unsigned long numero;
        if (raisonDe(e, raison, numero)) raisonsVues[e] = numero;
    }
}
