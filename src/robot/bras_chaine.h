// An arm read from a robot description, as a scene entity: its serial chain and the visuals
// of its links, the current joint values in the scene's units (degrees for turning joints,
// scene units for sliding ones), checked against the limits before they are taken.
#pragma once

#include <Eigen/Geometry>
#include <string>
#include <vector>

#include "geometrie/entite.h"
#include "robot/robot_urdf.h"

class BrasChaine : public Entite {
public:
    explicit BrasChaine(RobotURDF description);

    const RobotURDF& description() const { return description_; }
    const ChaineCinematique& chaine() const { return description_.chaine; }
    int nbArticulations() const { return chaine().nbArticulations(); }
    const std::string& nomArticulation(int i) const {
        return chaine().nomJoint(chaine().jointMobile(i));
    }
    // Limits of value i in the scene's units; an unbounded (continuous) joint has none.
    bool bornee(int i) const { return chaine().limites(i).bornee; }
    double min(int i) const;
    double max(int i) const;
    bool prismatique(int i) const { return chaine().limites(i).prismatique; }

    // The current values, in the scene's units.
    const std::vector<double>& articulations() const { return valeurs_; }
    // Empty when every value is finite and within its joint's limits; otherwise the first
    // one that is not, in words: "A2 vaut 200, hors de ses limites (de -65 à 180)".
    std::string texteLimites(const std::vector<double>& valeurs) const;
    // Takes these values (one per joint) when texteLimites accepts them; else returns its
    // text and keeps the pose.
    std::string setArticulations(const std::vector<double>& valeurs);

    // The joint vector of the chain (radians for turning joints) for scene values.
    VecteurArticulaire vecteur(const std::vector<double>& valeurs) const;
    // The frame of every link at the current pose, in the entity's frame.
    const std::vector<Eigen::Isometry3d>& reperesLiens() const { return reperes_; }
    // The tool frame at the current pose, in the entity's frame.
    const Eigen::Isometry3d& outil() const { return outil_; }

    // The box around every visual at the current pose, in the entity's frame; the empty
    // box at the origin when the arm has no visual.
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override;

    // A rigid transform as the program's column-major matrix.
    static CMatrice matriceDe(const Eigen::Isometry3d& t);

private:
    void majPose();

    RobotURDF description_;
    std::vector<double> valeurs_;
    std::vector<Eigen::Isometry3d> reperes_;
    Eigen::Isometry3d outil_ = Eigen::Isometry3d::Identity();
    // Each visual's box in its own mesh frame, read once.
    std::vector<Eigen::AlignedBox3d> boitesVisuels_;
};
