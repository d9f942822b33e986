#include "robot/modele_quatre_axes.h"

#include <cmath>

#include "robot/modele_inverse_numerique.h"
#include "robot/robot.h"

namespace {

constexpr double DEGRE = M_PI / 180;

Eigen::Isometry3d isometrie(const CMatrice& m) {
    Eigen::Isometry3d t = Eigen::Isometry3d::Identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) t.matrix()(i, j) = m.m[4 * j + i];
    return t;
}

}  // namespace

std::string ModeleQuatreAxes::nomArticulation(int i) const {
    static const char* const noms[4] = {"THETA1", "THETA2", "THETA3", "THETA5"};
    return noms[i];
}

LimitesArticulation ModeleQuatreAxes::limites(int i) const {
    // The limits of Robot::verifieLimites, in degrees there.
    static const double bornes[4][2] = {{-180, 180}, {0, 145}, {-135, 0}, {-180, 180}};
    const float vitesses[4] = {robot_.vitesseTheta1, robot_.vitesseTheta2, robot_.vitesseTheta3,
                               robot_.vitesseTheta5};
    LimitesArticulation l;
    l.min = bornes[i][0] * DEGRE;
    l.max = bornes[i][1] * DEGRE;
    l.vitesse = vitesses[i] * DEGRE;
    return l;
}

Eigen::Isometry3d ModeleQuatreAxes::modeleDirect(const VecteurArticulaire& q) const {
    float x, y, z, theta;
    CMatrice m;
    robot_.modeleDirect(static_cast<float>(q[0] / DEGRE), static_cast<float>(q[1] / DEGRE),
                        static_cast<float>(q[2] / DEGRE), static_cast<float>(q[3] / DEGRE), x, y, z,
                        theta, m);
    return isometrie(m);
}

Jacobien ModeleQuatreAxes::jacobien(const VecteurArticulaire& q) const {
    // x = r cos t1, y = r sin t1, r = L3 cos(t2 + t3) + L2 cos t2 + L1 + L0,
    // z = L3 sin(t2 + t3) + L2 sin t2 + constant; the gripper turns by t1 - t5 about z.
    const double l2 = robot_.L2, l3 = robot_.L3;
    const double a2 = q[1], a23 = q[1] + q[2];
    const double r = l3 * std::cos(a23) + l2 * std::cos(a2) + robot_.L1 + robot_.L0;
    const double c1 = std::cos(q[0]), s1 = std::sin(q[0]);
    const double dr2 = -l3 * std::sin(a23) - l2 * std::sin(a2), dr3 = -l3 * std::sin(a23);
    Jacobien j = Jacobien::Zero(6, 4);
    j.col(0) << -r * s1, r * c1, 0, 0, 0, 1;
    j.col(1) << dr2 * c1, dr2 * s1, l3 * std::cos(a23) + l2 * std::cos(a2), 0, 0, 0;
    j.col(2) << dr3 * c1, dr3 * s1, l3 * std::cos(a23), 0, 0, 0;
    j.col(3) << 0, 0, 0, 0, 0, -1;
    return j;
}

ResultatInverse ModeleQuatreAxes::modeleInverse(const CibleOutil& cible,
                                                const VecteurArticulaire& depart) const {
    ResultatInverse r;
    r.q = depart.size() == 4 ? depart : VecteurArticulaire::Zero(4);
    r.departs = 1;
    const Eigen::Vector3d p = cible.pose.translation();
    // The gripper's x axis is (cos a, sin a, 0) with a = -theta.
    const Eigen::Matrix3d& m = cible.pose.linear();
    const double theta = cible.orientation ? -std::atan2(m(1, 0), m(0, 0)) / DEGRE : 0.0;
    float t[4];
    if (!robot_.MGI(static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z()),
                    static_cast<float>(theta), t[0], t[1], t[2], t[3])) {
        const char* raison = robot_.refusPosition(
            static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z()));
        r.raison = raison ? raison : raisonInverse::horsAtteinte;
        return r;
    }
    for (int i = 0; i < 4; ++i) r.q[i] = t[i] * DEGRE;
    const Eigen::Isometry3d atteint = modeleDirect(r.q);
    r.erreurPosition = (atteint.translation() - p).norm();
    r.erreurOrientation = ecartRotation(atteint.linear(), m).norm();
    r.reussi = r.erreurPosition < 1e-3;
    if (!r.reussi) r.raison = raisonInverse::limites;
    return r;
}
