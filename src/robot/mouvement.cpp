// Motion and gripper: the command queue executed step by step (approach above an object,
// straight-line interpolation, joints turning at their speeds), gripping and releasing.
#include <algorithm>
#include <cmath>

#include "robot/robot.h"
#include "scene/scene.h"

namespace {

// Bounds the number of straight-line pieces a single command may produce.
constexpr int kPointsRectiligneMax = 100000;

}  // namespace

CVecteur Robot::positionMonde(const Instance* instanceRobot, CVecteur p) const {
    const CMatrice& entite = *this;
    if (!instanceRobot) return p.transformePoint(entite);
    const CMatrice& instance = *instanceRobot;
    return p.transformePoint(instance * entite);
}

bool Robot::instanceConnue(const Instance* i) const {
    if (!i || !listeInstances) return true;
    for (const auto& p : *listeInstances)
        if (p.get() == i) return true;
    return false;
}

void Robot::avanceAngle(float& angle, float cible, float pasMax) {
    // At least one degree per step (a NaN step counts as one degree too).
    const float pas = pasMax >= 1.0f ? pasMax : 1.0f;
    if (angle * cible < 0 && std::fabs(cible - angle) > 180) {
        // The short way, across +-180.
        const float t = angle > cible ? angle + pas + 180 : angle - pas + 180;
        float a = std::fmod(t, 360.0f);
        if (t < 0) a += 360;
        angle = a - 180;
        return;
    }
    if (angle < cible)
        angle = std::min(angle + pas, cible);
    else
        angle = std::max(angle - pas, cible);
}

bool Robot::cibleVers(float x, float y, float z, float theta, Commande& c) {
    float t1, t2, t3, t5, xm, ym, zm, thm;
    CMatrice m;
    if (!MGI(x, y, z, theta, t1, t2, t3, t5) || !MGD(t1, t2, t3, t5, xm, ym, zm, thm, m))
        return false;
    c.T1 = t1;
    c.T2 = t2;
    c.T3 = t3;
    c.T5 = t5;
    c.X = xm;
    c.Y = ym;
    c.Z = zm;
    c.THETA = thm;
    return true;
}

bool Robot::avance(float dt) {
    if (commandes.empty()) return false;

    // A command naming an instance that has left the scene is dropped before any use.
    {
        const Commande& c = commandes.front();
        if (!instanceConnue(c.instanceRobot) || !instanceConnue(c.approche) ||
            !instanceConnue(c.cible)) {
            commandes.pop_front();
            return false;
        }
    }

    // 1. Above the object to approach.
    if (commandes.front().approche && !cibleApproche()) {
        commandes.pop_front();
        return false;
    }

    const Commande cmd = commandes.front();
    bool remplacee = false;

    // 2. Straight line: cut into intermediate wrist targets queued at the back.
    if (cmd.rectiligne) {
        Commande essai;
        if (!cibleVers(cmd.X, cmd.Y, cmd.Z, cmd.THETA, essai)) {
            commandes.pop_front();
            return false;
        }
        commandes.pop_front();
        decoupeRectiligne(cmd);
        remplacee = true;
    }

    // 3. Each joint turns toward its target at its own speed.
    if (tourneVers(cmd, dt)) return true;
    // A straight line already at its end: its pieces, now queued, do the rest.
    if (remplacee) return true;

    // 4. Arrival.
    commandes.pop_front();
    arrive(cmd);
    return true;
}

bool Robot::cibleApproche() {
    Commande& c = commandes.front();
    const CVecteur b = positionMonde(c.instanceRobot, CVecteur(0, 0, 0));
    CVecteur min, max;
    c.approche->getBoiteEnglobante(min, max);
    const float x = (min.x + max.x) * 0.5f - b.x;
    const float y = (min.y + max.y) * 0.5f - b.y;
    Instance* tenu = objetTenu();
    const float z = tenu ? max.z + tenu->hauteur() + 3.0f - b.z : max.z - b.z;
    if (!cibleVers(x, y, z, 0, c)) return false;
    c.approche = nullptr;
    return true;
}

void Robot::decoupeRectiligne(const Commande& cmd) {
    Commande fin = cmd;
    fin.approche = nullptr;
    fin.rectiligne = false;
    const CVecteur s(X, Y, Z);
    const CVecteur e(cmd.X, cmd.Y, cmd.Z);
    const CVecteur d = e - s;
    const float n = d.norme() * precisionMGI;
    const int nb = n >= kPointsRectiligneMax ? kPointsRectiligneMax : arrondi(n);
    for (int i = 1; i < nb; ++i) {
        const CVecteur p = s + (static_cast<float>(i) / static_cast<float>(nb)) * d;
        Commande piece;
        piece.instanceRobot = cmd.instanceRobot;
        if (cibleVers(p.x, p.y, p.z, cmd.THETA, piece)) commandes.push_back(piece);
    }
    commandes.push_back(fin);
}

bool Robot::tourneVers(const Commande& cmd, float dt) {
    float angles[4] = {THETA1, THETA2, THETA3, THETA5};
    const float cibles[4] = {cmd.T1, cmd.T2, cmd.T3, cmd.T5};
    const float vitesses[4] = {vitesseTheta1, vitesseTheta2, vitesseTheta3, vitesseTheta5};
    bool bouge = false;
    for (int k = 0; k < 4; ++k)
        if (std::fabs(angles[k] - cibles[k]) > 0.0001f) {
            avanceAngle(angles[k], cibles[k], dt * vitesses[k]);
            bouge = true;
        }
    // A refused pose leaves the joints as they were; the step is tried again next time.
    if (bouge) setCoordArticulaires(angles[0], angles[1], angles[2], angles[3]);
    return bouge;
}

void Robot::arrive(const Commande& cmd) {
    if (!cmd.cible) return;
    if (objetTenu()) {
        lache();
        return;
    }
    const CVecteur b = positionMonde(cmd.instanceRobot, CVecteur(0, 0, 0));
    const CVecteur t = positionMonde(cmd.instanceRobot, CVecteur(X, Y, Z));
    float distance;
    CVecteur q;
    if (sousPince(cmd.cible, distance, q, t)) {
        saisit(cmd.cible, q - b, cmd.instanceRobot);
        if (!commandes.empty()) return;
        // Nothing else to do: lift the object.
        Commande levee;
        levee.instanceRobot = cmd.instanceRobot;
        if (cibleVers(cmd.X, cmd.Y, cmd.Z + 3.0f, cmd.THETA, levee)) commandes.push_back(levee);
        return;
    }
    // The object moved or fell meanwhile: approach it again.
    Commande essai;
    essai.instanceRobot = cmd.instanceRobot;
    essai.approche = cmd.cible;
    essai.cible = cmd.cible;
    essai.rectiligne = cmd.rectiligne;
    commandes.push_back(essai);
}

bool Robot::sousPince(Instance* o, float& distance, CVecteur& contact, CVecteur outil) const {
    if (!o) return false;
    CVecteur min, max;
    o->getBoiteEnglobante(min, max);
    distance = std::fabs(outil.z - max.z);
    if (distance < toleranceSaisie && min.x <= outil.x && outil.x <= max.x && min.y <= outil.y &&
        outil.y <= max.y) {
        contact = CVecteur(outil.x, outil.y, max.z);
        return true;
    }
    return false;
}

void Robot::saisit(Instance* o, CVecteur k, Instance* instanceRobot) {
    if (!o) return;
    // Holding two objects at once would leave the first one hanging in the air.
    if (Instance* ancien = objetTenu())
        if (ancien != o) lache();

    // The former holder lets go, unless it holds another object by now.
    Entite* precedent = o->getLien();
    if (precedent && precedent != this && estVivant(precedent) && precedent->getLien() == o)
        precedent->setLien(nullptr);
    o->setLien(this);
    setLien(o);

    o->tombe = false;
    o->vitesse = CVecteur(0, 0, 0);

    const CVecteur b = positionMonde(instanceRobot, CVecteur(0, 0, 0));
    const CMatrice& mo = *o;
    attache = mo * CMatrice::translation(CVecteur(-k.x, -k.y, -k.z)) *
              CMatrice::translation(CVecteur(-b.x, -b.y, -b.z)) *
              CMatrice::rotation(CVecteur(1, 0, 0), 180) *
              CMatrice::rotation(CVecteur(0, 0, 1), THETA);
    translationBase = CMatrice::translation(b);

    MGD(THETA1, THETA2, THETA3, THETA5, X, Y, Z, THETA, matricePince);
    majBielle();
}

Instance* Robot::lache() {
    Instance* o = objetTenu();
    if (o) {
        majBielle();
        o->tombe = true;
        o->vitesse = CVecteur(0, 0, 0);
    }
    setLien(nullptr);
    return o;
}

Instance* Robot::chercheObjet(Instance* instanceRobot) {
    Instance* tenu = objetTenu();
    if (tenu || !listeInstances) return tenu;

    const CVecteur b = positionMonde(instanceRobot, CVecteur(0, 0, 0));
    const CVecteur t = positionMonde(instanceRobot, CVecteur(X, Y, Z));
    Instance* trouve = nullptr;
    float meilleure = 0;
    CVecteur contact(0, 0, 0);
    for (const auto& p : *listeInstances) {
        Instance* o = p.get();
        if (!o || o == instanceRobot) continue;
        float distance;
        CVecteur q;
        if (sousPince(o, distance, q, t) && (!trouve || distance < meilleure)) {
            trouve = o;
            meilleure = distance;
            contact = q;
        }
    }
    if (trouve) saisit(trouve, contact - b, instanceRobot);
    return trouve;
}
