// The four-joint parallelogram arm seen through ModeleCinematique: its joints THETA1,
// THETA2, THETA3 and THETA5 in radians, its direct model and closed-form inverse model
// unchanged (robot.cpp, modele_inverse.cpp), and its Jacobian in closed form. The tool
// always points down: only the turn about the vertical of a target's rotation is used.
#pragma once

#include "robot/modele_cinematique.h"

class Robot;

class ModeleQuatreAxes : public ModeleCinematique {
public:
    explicit ModeleQuatreAxes(Robot& robot) : robot_(robot) {}

    int nbArticulations() const override { return 4; }
    std::string nomArticulation(int i) const override;
    LimitesArticulation limites(int i) const override;
    Eigen::Isometry3d modeleDirect(const VecteurArticulaire& q) const override;
    Jacobien jacobien(const VecteurArticulaire& q) const override;
    // Success when the closed-form joints put the tool point within 1e-3 of the target
    // (the arm computes in single precision). On failure the reason is the arm's own
    // ("trop près de l'axe du robot", "sous le sol", ...), "hors d'atteinte", or
    // "limites articulaires" when a clamped joint stops the arm short.
    ResultatInverse modeleInverse(const CibleOutil& cible,
                                  const VecteurArticulaire& depart) const override;

private:
    Robot& robot_;
};
