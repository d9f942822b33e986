// How easily an arm moves its tool at a pose, from the Jacobian any arm offers
// (modele_cinematique.h): the manipulability √det(Jt Jtᵀ) and the ratio of the smallest to
// the largest singular value of Jt, the Jacobian's translational rows; the translational
// velocity ellipsoid (the tool point's velocities for joint velocities of norm 1), whose
// half-axes are Jt's left singular vectors scaled by its singular values; and, for the
// four-joint arm, which configuration makes a pose near singular.
#pragma once

#include <string>

#include "robot/modele_cinematique.h"

class Robot;

// Below this ratio of singular values a pose is near singular.
constexpr double CONDITIONNEMENT_SINGULIER = 0.1;
// Below this one it is all but singular.
constexpr double CONDITIONNEMENT_CRITIQUE = 0.02;

using MatriceJacobien =
    Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, 6, MAX_ARTICULATIONS>;

struct Manipulabilite {
    // The rows shown: the tool point's velocity (3 rows) and, for six joints or more, the
    // tool's angular velocity too (6 rows); one column per joint, per radian (or per length
    // unit for a sliding joint).
    MatriceJacobien jacobien;
    double manipulabilite = 0;   // √det(Jt Jtᵀ): 0 at a singularity
    double conditionnement = 0;  // smallest / largest singular value of Jt, 0 when Jt is zero
    // Jt's singular values, largest first (zeros beyond the joint count), and the ellipsoid's
    // half-axes in the same order: columns, in the arm's base frame.
    Eigen::Vector3d valeursSingulieres = Eigen::Vector3d::Zero();
    Eigen::Matrix3d axes = Eigen::Matrix3d::Zero();
    // The unit direction of the smallest half-axis: where the tool point moves least.
    Eigen::Vector3d directionDifficile = Eigen::Vector3d::UnitZ();
};

Manipulabilite manipulabilite(const ModeleCinematique& modele, const VecteurArticulaire& q);

// The four-joint arm at its current joints (its ModeleQuatreAxes).
Manipulabilite manipulabilite(Robot& robot);

// For the four-joint arm at its current joints, with the ratio `conditionnement` of its
// pose: empty at or above CONDITIONNEMENT_SINGULIER; otherwise, in words, the configuration
// that makes the pose near singular: the elbow stretched (or folded back), or the wrist
// over the base axis, whichever is nearer.
std::string configurationSinguliere(const Robot& robot, double conditionnement);
// For any arm, with its measures: empty at or above CONDITIONNEMENT_SINGULIER; otherwise the
// direction, in the arm's frame, the tool point can hardly move along.
std::string directionSinguliere(const Manipulabilite& m);
