// Keyboard bindings: letter pairs on the joints, arrows and page keys on the wrist, `w` to
// store a waypoint, `h` to hide the panels, F1 for the help, F5 to reload the scene, F12 for
// a screenshot. The help (aide.cpp) lists them: keep both in step.
#include "app/application.h"
#include "app/panneau.h"
#include "app/touches.h"
#include "robot/bras_pilote.h"
#include "robot/robot.h"

namespace {
// Steps one spinner of the robot state through its limits, then reports its group.
void pas(CApplication& app, void* variable, float increment, IdControle id) {
    Controle* c = app.panneau.controleDe(variable);
    if (!c) return;
    c->fixeValeur(c->valeur() + increment);
    app.controle(id);
}
}  // namespace

void CApplication::clavier(int key, int modifiers, bool special) {
    decodeModificateurs(modifiers);
    const float lineaire = toucheShift ? 10.0f : 1.0f;
    const float angulaire = toucheShift ? 15.0f : 7.0f;
    constexpr IdControle joints = IdControle::Articulations, poignet = IdControle::Poignet;
    key &= 0xff;
    Panneau& p = panneau;
    if (!special) {
        switch (key) {
            case 'a': pas(*this, &p.theta1, angulaire, joints); break;
            case 'q': pas(*this, &p.theta1, -angulaire, joints); break;
            case 's': pas(*this, &p.theta2, angulaire, joints); break;
            case 'z': pas(*this, &p.theta2, -angulaire, joints); break;
            case 'd': pas(*this, &p.theta3, angulaire, joints); break;
            case 'e': pas(*this, &p.theta3, -angulaire, joints); break;
            case 'f': pas(*this, &p.theta5, angulaire, joints); break;
            case 'r': pas(*this, &p.theta5, -angulaire, joints); break;
            case 'p':
                if (brasPilote()) brasPilote()->videCommandes();
                break;
            case ' ': controle(IdControle::Saisie); break;
            case 'w': controle(IdControle::MemorisePoint); break;
            case 'h': p.panneauxMasques = !p.panneauxMasques; break;
            case touches::ECHAP: p.aideAffichee = false; break;
            default: break;
        }
        return;
    }
    switch (key) {
        case touches::DROITE: pas(*this, &p.poignetX, lineaire, poignet); break;
        case touches::GAUCHE: pas(*this, &p.poignetX, -lineaire, poignet); break;
        case touches::HAUT: pas(*this, &p.poignetY, lineaire, poignet); break;
        case touches::BAS: pas(*this, &p.poignetY, -lineaire, poignet); break;
        case touches::PAGE_HAUT: pas(*this, &p.poignetZ, lineaire, poignet); break;
        case touches::PAGE_BAS: pas(*this, &p.poignetZ, -lineaire, poignet); break;
        case touches::FIN: pas(*this, &p.poignetTheta, angulaire, poignet); break;
        case touches::DEBUT: pas(*this, &p.poignetTheta, -angulaire, poignet); break;
        // The main loop reloads: a load may show boxes, which run their own event loop.
        case TOUCHE_RECHARGEMENT: rechargementDemande = true; break;
        case touches::F1: controle(IdControle::Aide); break;
        // The main loop takes it: the frame is read from the window.
        case touches::F12: captureDemandee = true; break;
        default: break;
    }
}
