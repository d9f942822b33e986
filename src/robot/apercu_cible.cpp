// The ghost target: its pose and the robot's verdict.
#include "robot/apercu_cible.h"

#include <cmath>

#include "geometrie/angles.h"
#include "robot/robot.h"
#include "scene/scene.h"

namespace {

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

ApercuCible apercuCible(Robot& robot, const CibleFantome& cible) {
    ApercuCible a;
    if (cible.parPoignet) {
        Commande c;
        a.raison = robot.cibleVers(cible.X, cible.Y, cible.Z, cible.THETA, c, true);
        a.repere = Robot::repereOutil(cible.X, cible.Y, cible.Z, cible.THETA);
        // The base turns toward the point, as the inverse model has it.
        const float theta1 = enDegres(std::atan2(cible.Y, cible.X));
        a.poignet = reperePoignet(robot, cible.X, cible.Y, cible.Z, theta1);
        return a;
    }
    float x, y, z, theta;
    robot.modeleDirect(cible.T1, cible.T2, cible.T3, cible.T5, x, y, z, theta, a.repere);
    a.poignet = reperePoignet(robot, x, y, z, cible.T1);
    // Beyond a joint limit the ghost still shows the pose; the status line names the joint.
    a.raison = Robot::verifieLimites(cible.T1, cible.T2, cible.T3, cible.T5)
                   ? robot.refusPosition(x, y, z)
                   : "articulation hors limites";
    return a;
}
