// The ghost target: its pose and the robot's verdict.
#include "robot/apercu_cible.h"

#include <cmath>

#include "robot/robot.h"
#include "scene/scene.h"

namespace {

float enRadians(float degres) { return degres * 3.1415927f * 0.0055555557f; }

// The direct model's tool point without its limit check, so that joints typed beyond a limit
// still place the ghost where they would put the gripper.
void pointOutil(const Robot& r, const float T[4], float& x, float& y, float& z) {
    const float a2 = enRadians(T[1]);
    const float a23 = a2 + enRadians(T[2]);
    const float rayon = r.L3 * std::cos(a23) + r.L2 * std::cos(a2) + (r.L1 + r.L0);
    x = rayon * std::cos(enRadians(T[0]));
    y = rayon * std::sin(enRadians(T[0]));
    z = r.L3 * std::sin(a23) + r.L2 * std::sin(a2) - r.decalageOutil + r.hauteurEpaule;
}

// The wrist link's frame: level, facing THETA1, its axis D above and L1 short of the tool
// point (the arm's drawing places the gripper from it).
CMatrice reperePoignet(const Robot& r, float x, float y, float z, float theta1) {
    const float c = std::cos(enRadians(theta1)), s = std::sin(enRadians(theta1));
    // Turned by THETA1 about the vertical, then by 90 degrees about x: its y axis points up.
    CMatrice m;
    for (float& e : m.m) e = 0;
    m.m[0] = c;
    m.m[1] = s;
    m.m[6] = 1;
    m.m[8] = s;
    m.m[9] = -c;
    m.m[12] = x - r.L1 * c;
    m.m[13] = y - r.L1 * s;
    m.m[14] = z + r.decalageOutil;
    m.m[15] = 1;
    return m;
}

}  // namespace

CMatrice repereOutil(float x, float y, float z, float theta) {
    // The gripper turns by THETA1 - THETA5 = -theta about the downward z axis.
    const float a = enRadians(-theta);
    const float c = std::cos(a), s = std::sin(a);
    CMatrice m;
    for (float& e : m.m) e = 0;
    m.m[0] = c;
    m.m[1] = s;
    m.m[4] = s;
    m.m[5] = -c;
    m.m[10] = -1;
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    m.m[15] = 1;
    return m;
}

ApercuCible apercuCible(Robot& robot, const CibleFantome& cible) {
    ApercuCible a;
    if (cible.parPoignet) {
        Commande c;
        a.raison = robot.cibleVers(cible.X, cible.Y, cible.Z, cible.THETA, c, true);
        a.repere = repereOutil(cible.X, cible.Y, cible.Z, cible.THETA);
        // The base turns toward the point, as the inverse model has it.
        const float theta1 = std::atan2(cible.Y, cible.X) * 180.0f / 3.1415927f;
        a.poignet = reperePoignet(robot, cible.X, cible.Y, cible.Z, theta1);
        return a;
    }
    const float T[4] = {cible.T1, cible.T2, cible.T3, cible.T5};
    float x, y, z, theta;
    CMatrice m;
    if (robot.MGD(T[0], T[1], T[2], T[3], x, y, z, theta, m)) {
        a.raison = robot.refusPosition(x, y, z);
        a.repere = m;
        a.poignet = reperePoignet(robot, x, y, z, T[0]);
        return a;
    }
    // Refused by the joint limits (the panel's status line names the joint).
    a.raison = "articulation hors limites";
    pointOutil(robot, T, x, y, z);
    a.repere = repereOutil(x, y, z, T[3] - T[0]);
    a.poignet = reperePoignet(robot, x, y, z, T[0]);
    return a;
}
