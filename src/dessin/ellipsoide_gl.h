// Drawing the tool's translational velocity ellipsoid: how fast the tool point can move in
// each direction at the arm's pose, coloured by how near the pose is to a singularity.
#pragma once

#include <Eigen/Core>

#include "robot/manipulabilite.h"

// The half-axes drawn are the tool point's displacements in this many seconds for joint
// speeds of norm 1 rad/s (1 unit/s for a sliding joint): 0.2 s keeps an arm a metre long
// (100 units) under a fifth of its size.
constexpr double DUREE_ELLIPSOIDE = 0.2;

struct CouleurEllipsoide {
    float r, g, b;
};
// Blue at ease, orange below CONDITIONNEMENT_SINGULIER, red below CONDITIONNEMENT_CRITIQUE.
CouleurEllipsoide couleurEllipsoide(double conditionnement);

// Draws m's ellipsoid centred on `centre`, in the current frame (the arm's base frame),
// translucent, with its three axes as lines so that a flattened one still shows.
void dessineEllipsoide(const Manipulabilite& m, const Eigen::Vector3d& centre);
