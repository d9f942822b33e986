#include "robot/manipulabilite.h"

#include <Eigen/SVD>
#include <cmath>
#include <cstdio>

#include "robot/modele_quatre_axes.h"
#include "robot/robot.h"

namespace {
constexpr double DEGRE = M_PI / 180;
}  // namespace

Manipulabilite manipulabilite(const ModeleCinematique& modele, const VecteurArticulaire& q) {
    Manipulabilite m;
    const Jacobien j = modele.jacobien(q);
    const int n = static_cast<int>(j.cols());
    m.jacobien = j.topRows(n >= 6 ? 6 : 3);
    if (n == 0) return m;
    const Eigen::Matrix<double, 3, Eigen::Dynamic, 0, 3, MAX_ARTICULATIONS> jt = j.topRows<3>();
    // U is 3×3 whatever the joint count: a short arm's missing directions get a zero axis.
    const Eigen::JacobiSVD<Eigen::Matrix<double, 3, Eigen::Dynamic, 0, 3, MAX_ARTICULATIONS>> svd(
        jt, Eigen::ComputeFullU);
    const auto& sigma = svd.singularValues();
    for (int i = 0; i < sigma.size(); ++i) m.valeursSingulieres[i] = sigma[i];
    for (int i = 0; i < 3; ++i) m.axes.col(i) = svd.matrixU().col(i) * m.valeursSingulieres[i];
    m.directionDifficile = svd.matrixU().col(2);
    // The product of the singular values: det(Jt Jtᵀ) is their squares' product.
    const Eigen::Vector3d& s = m.valeursSingulieres;
    m.manipulabilite = s[0] * s[1] * s[2];
    m.conditionnement = s[0] > 0 ? s[2] / s[0] : 0;
    return m;
}

Manipulabilite manipulabilite(Robot& robot) {
    VecteurArticulaire q(4);
    q << robot.THETA1 * DEGRE, robot.THETA2 * DEGRE, robot.THETA3 * DEGRE, robot.THETA5 * DEGRE;
    return manipulabilite(ModeleQuatreAxes(robot), q);
}

std::string configurationSinguliere(const Robot& robot, double conditionnement) {
    if (!(conditionnement < CONDITIONNEMENT_SINGULIER)) return "";
    // The translational rows of THETA1, THETA2 and THETA3 have the determinant
    // r · L2 · L3 · sin THETA3, r the tool point's distance to the base axis: the pose is
    // singular with the elbow straight (or folded back) or the tool point on that axis.
    const double coude = std::fabs(std::sin(robot.THETA3 * DEGRE));
    const double portee =
        std::fabs(robot.L0 + robot.L1) + std::fabs(robot.L2) + std::fabs(robot.L3);
    const double axe = portee > 0 ? std::hypot(robot.X, robot.Y) / portee : 0;
    std::string texte = "proche d'une singularité : ";
    if (axe < coude) return texte + "poignet au-dessus de l'axe de la base";
    return texte + (std::fabs(robot.THETA3) > 90 ? "coude replié (THETA3 proche de -180°)"
                                                 : "coude tendu (THETA3 proche de 0°)");
}

std::string directionSinguliere(const Manipulabilite& m) {
    if (!(m.conditionnement < CONDITIONNEMENT_SINGULIER)) return "";
    // The sign of a singular vector is arbitrary: shown with its largest component positive.
    Eigen::Vector3d d = m.directionDifficile;
    int k = 0;
    d.cwiseAbs().maxCoeff(&k);
    if (d[k] < 0) d = -d;
    char texte[160];
    std::snprintf(texte, sizeof texte,
                  "proche d'une singularité : l'outil ne peut presque plus se déplacer selon "
                  "(%.2f, %.2f, %.2f)",
                  d.x() + 0.0, d.y() + 0.0, d.z() + 0.0);
    return texte;
}
