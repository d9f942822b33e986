// Inverse geometric model: workspace screening, the closed-form joint solution (elbow
// always bent to the negative side, out-of-range angles clamped) and wrist placement.
#include <cmath>

#include "geometrie/angles.h"
#include "robot/robot.h"
#include "scene/scene.h"

namespace {

float borneDans(float v, float bas, float haut) { return v < bas ? bas : (v > haut ? haut : v); }

}  // namespace

bool Robot::positionAccessible(float x, float y, float z, float /*theta*/) {
    return refusPosition(x, y, z) == nullptr;
}

const char* Robot::refusPosition(float x, float y, float z) {
    // A non-finite target would slip through every comparison below and give NaN joints.
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
        return "position hors d'atteinte";
    if (std::sqrt(x * x + y * y) < rayonMin) return "trop près de l'axe du robot";

    // Holding an object, the tool point must stay its height above the floor.
    Instance* tenu = objetTenu();
    if (z < (tenu ? tenu->hauteur() : 0.0f)) return "sous le sol";

    if (!collisionPince || !listeInstances) return nullptr;

    // The gripper box with its tool point at the target, in the robot frame.
    CVecteur min, max;
    pince->getBoiteEnglobante(min, max);
    const CVecteur decalage(x, y, z - pince->boiteMin.z);
    min = min + decalage;
    max = max + decalage;

    for (const auto& inst : *listeInstances) {
        // The held object hangs under the gripper: touching it is not a collision.
        if (!inst || inst.get() == tenu) continue;
        CVecteur a, b;
        inst->getBoiteEnglobante(a, b);
        if (collisionBoites(a, b, min, max)) return "collision de la pince";
    }
    return nullptr;
}

bool Robot::MGI(float x, float y, float z, float theta, float& T1, float& T2, float& T3,
                float& T5) {
    float T[4];
    int borne;
    bool derriere;
    if (resoutMGI(x, y, z, theta, T, borne, derriere)) return false;
    T1 = T[0];
    T2 = T[1];
    T3 = T[2];
    T5 = T[3];
    return true;
}

const char* Robot::resoutMGI(float x, float y, float z, float theta, float T[4], int& borne,
                             bool& derriere) {
    if (const char* raison = refusPosition(x, y, z)) return raison;
    const char* const horsDAtteinte = "position hors d'atteinte";
    if (!std::isfinite(theta)) return horsDAtteinte;

    const float r = std::sqrt(x * x + y * y);
    float e = r - L0 - L1;
    const float f = z + decalageOutil - hauteurEpaule;
    const float denominateur = 2 * L3 * L2;
    // Zero-length arm segments leave no solution (and would divide by zero).
    if (denominateur == 0) return horsDAtteinte;
    const float somme = L2 * L2 + L3 * L3;
    float k = (e * e + f * f - somme) / denominateur;
    derriere = false;
    if (std::fabs(k) > 1) {
        // Try the target through the base axis.
        e = -r - L0 - L1;
        k = (e * e + f * f - somme) / denominateur;
        if (std::fabs(k) > 1) return horsDAtteinte;
        derriere = true;
    }
    if (!std::isfinite(k)) return horsDAtteinte;

    const float A = k * L3 + L2;
    const float B = -std::sqrt(1 - k * k) * L3;

    const float t1 = enDegresModeleInverse(std::atan2(y, x));
    const float t2 = enDegresModeleInverse(std::atan2(A * f - B * e, A * e + B * f));
    const float t3 = enDegres(-std::acos(k));
    T[0] = borneDans(t1, -180, 180);
    T[1] = borneDans(t2, 0, 145);
    T[2] = borneDans(t3, -135, 0);
    const float t = theta + T[0] + 180;
    float t5 = std::fmod(t, 360.0f);
    if (t < 0) t5 += 360;
    T[3] = t5 - 180;
    // The joint the clamps moved most, if any.
    const float d2 = std::fabs(T[1] - t2), d3 = std::fabs(T[2] - t3);
    borne = d2 == 0 && d3 == 0 ? -1 : (d2 >= d3 ? 1 : 2);
    return nullptr;
}

const char* Robot::poseVers(float x, float y, float z, float theta, bool exacte, Pose& p,
                            const char*& arret) {
    float T[4];
    int borne;
    bool derriere;
    if (const char* raison = resoutMGI(x, y, z, theta, T, borne, derriere)) return raison;
    Pose q;
    if (!MGD(T[0], T[1], T[2], T[3], q.X, q.Y, q.Z, q.THETA, q.pince))
        return raisonLimites(T[0], T[1], T[2], T[3]);
    q.T1 = T[0];
    q.T2 = T[1];
    q.T3 = T[2];
    q.T5 = T[3];

    // A clamp that moves the tool point by no more than float rounding is no miss.
    const float dx = q.X - x, dy = q.Y - y, dz = q.Z - z;
    const bool loin = std::sqrt(dx * dx + dy * dy + dz * dz) >
                      1e-4f * (1 + std::fabs(L0 + L1) + std::fabs(L2) + std::fabs(L3));
    // Through the base axis the joints land on the mirrored point, never the target.
    if (derriere && loin) return "position hors d'atteinte";
    arret = nullptr;
    if (borne >= 0 && loin) {
        arret = borne == 1 ? "THETA2 hors limites" : "THETA3 hors limites";
        if (exacte) return arret;
        // Stopped short by a joint limit: the pose reached must itself be acceptable.
        if (const char* raison = refusPosition(q.X, q.Y, q.Z)) return raison;
    }
    p = q;
    return nullptr;
}

bool Robot::setCoordPoignet(float x, float y, float z, float theta) {
    Pose p;
    const char* arret = nullptr;
    if (const char* raison = poseVers(x, y, z, theta, false, p, arret)) {
        signale(raison);
        return false;
    }
    if (arret) {
        // The wrist shows where the arm went; its rotation is as asked, since no clamp acts
        // on THETA1 or THETA5. The limit that stopped it short is worth a word.
        adoptePose(p.T1, p.T2, p.T3, p.T5, p.X, p.Y, p.Z, theta, p.pince);
        signale(arret);
        return true;
    }
    // Within rounding of the target: the requested values are kept as typed.
    adoptePose(p.T1, p.T2, p.T3, p.T5, x, y, z, theta, p.pince);
    return true;
}
