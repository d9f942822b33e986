// What every arm offers the workbench, whatever its kind: its joints (count, names, limits),
// its direct model, its geometric Jacobian and its inverse model. A chain read from a robot
// description and the four-joint parallelogram arm both implement it.
//
// Units: joint values in radians for turning joints, in the chain's length unit for sliding
// ones; poses in the chain's base frame, lengths in the same unit.
#pragma once

#include <Eigen/Geometry>
#include <string>

// At most this many moving joints: joint vectors and Jacobians then live on the stack, which
// the inverse model's inner loop needs to run without allocating.
constexpr int MAX_ARTICULATIONS = 32;
using VecteurArticulaire = Eigen::Matrix<double, Eigen::Dynamic, 1, 0, MAX_ARTICULATIONS, 1>;
// One column per joint: the tool point's linear velocity, then the angular velocity, both in
// the base frame.
using Jacobien = Eigen::Matrix<double, 6, Eigen::Dynamic, 0, 6, MAX_ARTICULATIONS>;

struct LimitesArticulation {
    double min = 0, max = 0;
    bool bornee = true;        // false for a continuous joint
    bool prismatique = false;  // a length rather than an angle
    double vitesse = 0;        // per second; 0 when the description gives none
};

// A target for the tool. With orientation, a chain of six joints or more must match the
// rotation too; a shorter one reaches the position and comes as near the rotation as it can.
struct CibleOutil {
    Eigen::Isometry3d pose = Eigen::Isometry3d::Identity();
    bool orientation = true;
};

struct ResultatInverse {
    bool reussi = false;
    // Empty on success; else "hors d'atteinte", "limites articulaires" or "singularité".
    std::string raison;
    VecteurArticulaire q;          // the solution, or the nearest attempt on failure
    double erreurPosition = 0;     // chain units
    double erreurOrientation = 0;  // radians
    int iterations = 0;            // over every start
    int departs = 0;               // starts tried
};

class ModeleCinematique {
public:
    virtual ~ModeleCinematique() = default;

    virtual int nbArticulations() const = 0;
    virtual std::string nomArticulation(int i) const = 0;
    virtual LimitesArticulation limites(int i) const = 0;
    // The tool frame for these joints (nbArticulations values; limits not checked).
    virtual Eigen::Isometry3d modeleDirect(const VecteurArticulaire& q) const = 0;
    virtual Jacobien jacobien(const VecteurArticulaire& q) const = 0;
    // Joints within limits that bring the tool to the target, starting from depart.
    virtual ResultatInverse modeleInverse(const CibleOutil& cible,
                                          const VecteurArticulaire& depart) const = 0;
};
