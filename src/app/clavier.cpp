// Keyboard bindings: letter pairs on the joints, arrows and page keys on the wrist.
#include <GL/glut.h>

#include "app/application.h"
#include "app/panneau.h"
#include "robot/robot.h"

namespace {
// Steps one spinner of the robot state through its limits, then reports its group.
void pas(CApplication& app, void* variable, float increment, int id) {
    Controle* c = panneau.controleDe(variable);
    if (!c) return;
    c->fixeValeur(c->valeur() + increment);
    app.controle(id);
}
}  // namespace

void CApplication::clavier(int key, int modifiers, bool special) {
    toucheShift = (modifiers & GLUT_ACTIVE_SHIFT) != 0;
    toucheCtrl = (modifiers & GLUT_ACTIVE_CTRL) != 0;
    toucheAlt = (modifiers & GLUT_ACTIVE_ALT) != 0;
    const float lineaire = toucheShift ? 10.0f : 1.0f;
    const float angulaire = toucheShift ? 15.0f : 7.0f;
    key &= 0xff;
    Panneau& p = panneau;
    if (!special) {
        switch (key) {
            case 'a': pas(*this, &p.theta1, angulaire, 97); break;
            case 'q': pas(*this, &p.theta1, -angulaire, 97); break;
            case 's': pas(*this, &p.theta2, angulaire, 97); break;
            case 'z': pas(*this, &p.theta2, -angulaire, 97); break;
            case 'd': pas(*this, &p.theta3, angulaire, 97); break;
            case 'e': pas(*this, &p.theta3, -angulaire, 97); break;
            case 'f': pas(*this, &p.theta5, angulaire, 97); break;
            case 'r': pas(*this, &p.theta5, -angulaire, 97); break;
            case 'p':
                if (robotCourant) robotCourant->videCommandes();
                break;
            case ' ': controle(103); break;
            default: break;
        }
        return;
    }
    switch (key) {
        case GLUT_KEY_RIGHT: pas(*this, &p.poignetX, lineaire, 98); break;
        case GLUT_KEY_LEFT: pas(*this, &p.poignetX, -lineaire, 98); break;
        case GLUT_KEY_UP: pas(*this, &p.poignetY, lineaire, 98); break;
        case GLUT_KEY_DOWN: pas(*this, &p.poignetY, -lineaire, 98); break;
        case GLUT_KEY_PAGE_UP: pas(*this, &p.poignetZ, lineaire, 98); break;
        case GLUT_KEY_PAGE_DOWN: pas(*this, &p.poignetZ, -lineaire, 98); break;
        case GLUT_KEY_END: pas(*this, &p.poignetTheta, angulaire, 98); break;
        case GLUT_KEY_HOME: pas(*this, &p.poignetTheta, -angulaire, 98); break;
        default: break;
    }
}
