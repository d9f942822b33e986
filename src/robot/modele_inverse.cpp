// Inverse geometric model: workspace screening, the closed-form joint solution (elbow
// always bent to the negative side, out-of-range angles clamped) and wrist placement.
#include <cmath>

#include "robot/robot.h"
#include "scene/scene.h"

namespace {

float enDegres(float radians) { return radians * (1.0f / 3.1415927f) * 180.0f; }

float borne(float v, float bas, float haut) { return v < bas ? bas : (v > haut ? haut : v); }

}  // namespace

bool Robot::positionAccessible(float x, float y, float z, float /*theta*/) {
    // A non-finite target would slip through every comparison below and give NaN joints.
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return false;
    if (std::sqrt(x * x + y * y) < rayonMin) return false;

    Instance* tenu = objetTenu();
    if (tenu) {
        if (z < tenu->hauteur()) return false;
    } else if (z < 0) {
        return false;
    }

    if (!collisionPince || !listeInstances) return true;

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
        if (collisionBoites(a, b, min, max)) return false;
    }
    return true;
}

bool Robot::MGI(float x, float y, float z, float theta, float& T1, float& T2, float& T3,
                float& T5) {
    if (!positionAccessible(x, y, z, theta)) return false;
    if (!std::isfinite(theta)) return false;

    const float r = std::sqrt(x * x + y * y);
    float e = r - L0 - L1;
    const float f = z + decalageOutil - hauteurEpaule;
    const float denominateur = 2 * L3 * L2;
    // Zero-length arm segments leave no solution (and would divide by zero).
    if (denominateur == 0) return false;
    const float somme = L2 * L2 + L3 * L3;
    float k = (e * e + f * f - somme) / denominateur;
    if (std::fabs(k) > 1) {
        // Try the target through the base axis.
        e = -r - L0 - L1;
        k = (e * e + f * f - somme) / denominateur;
        if (std::fabs(k) > 1) return false;
    }
    if (!std::isfinite(k)) return false;

    const float A = k * L3 + L2;
    const float B = -std::sqrt(1 - k * k) * L3;

    const float t1 = borne(enDegres(std::atan2(y, x)), -180, 180);
    const float t2 = borne(enDegres(std::atan2(A * f - B * e, A * e + B * f)), 0, 145);
    const float t3 = borne(-std::acos(k) * 180.0f / 3.1415927f, -135, 0);
    const float t = theta + t1 + 180;
    float t5 = std::fmod(t, 360.0f);
    if (t < 0) t5 += 360;
    t5 -= 180;

    T1 = t1;
    T2 = t2;
    T3 = t3;
    T5 = t5;
    return true;
}

bool Robot::setCoordPoignet(float x, float y, float z, float theta) {
    float t1, t2, t3, t5;
    if (!MGI(x, y, z, theta, t1, t2, t3, t5)) return false;
    float xm, ym, zm, thm;
    CMatrice m;
    if (!MGD(t1, t2, t3, t5, xm, ym, zm, thm, m)) return false;
    // The requested values are kept, even where a clamp made MGD land elsewhere.
    adoptePose(t1, t2, t3, t5, x, y, z, theta, m);
    return true;
}
