// The numeric inverse model of any arm offering a direct model and a Jacobian: damped least
// squares (Levenberg–Marquardt) kept inside the joint limits, from the given start and then
// from random starts drawn within the limits (a fixed seed, so the same call gives the same
// answer). Six joints or more match position and orientation; fewer match the position and
// bring the orientation as near the target's as the joints left free allow. Success is
// reported only when the pose reached is within tolerance; otherwise the reason.
#pragma once

#include <cstdint>

#include "robot/modele_cinematique.h"

struct OptionsInverse {
    double tolerancePosition = 1e-6;     // chain units
    double toleranceOrientation = 1e-5;  // radians
    int iterationsParDepart = 60;
    int departs = 40;  // the given start included
    uint32_t graine = 12345;
};

// The reasons a target is given up, as the status line shows them.
namespace raisonInverse {
constexpr const char* horsAtteinte = "hors d'atteinte";
constexpr const char* limites = "limites articulaires";
constexpr const char* singularite = "singularité";
}  // namespace raisonInverse

// centre and portee bound the chain's reach: no pose puts the tool point further than portee
// from centre (a target beyond is refused at once as out of reach).
ResultatInverse resousInverse(const ModeleCinematique& modele, const CibleOutil& cible,
                              const VecteurArticulaire& depart, const OptionsInverse& options,
                              const Eigen::Vector3d& centre, double portee);

// The rotation taking a to b as a vector (axis times angle, in radians), in the frame of both.
Eigen::Vector3d ecartRotation(const Eigen::Matrix3d& a, const Eigen::Matrix3d& b);
