// The four-joint arm as the workbench's driven arm: its joints, tool frame, queue, reasons,
// trail and plots read through BrasPilote, its own numbers and behaviour unchanged.
#pragma once

#include "robot/bras_pilote.h"

class Robot;

class PiloteQuatreAxes : public BrasPilote {
public:
    // instanceRobot: the instance carrying the arm, for the commands queued here.
    PiloteQuatreAxes(Robot& robot, Instance* instanceRobot)
        : robot_(robot), instance_(instanceRobot) {}

    Robot& robot() { return robot_; }

    Entite& entite() override;
    int nbArticulations() const override { return 4; }
    std::string nomArticulation(int i) const override;
    bool prismatique(int) const override { return false; }
    bool bornee(int) const override { return true; }
    double min(int i) const override;
    double max(int i) const override;
    std::vector<double> valeursArticulations() const override;
    Eigen::Isometry3d poseOutil() const override;
    std::size_t nbCommandes() const override;
    void videCommandes() override;
    bool avance(float dt) override;
    const std::string& raison() const override;
    unsigned long numeroRaison() const override;
    const TrajectoireOutil& trajectoireOutil() const override;
    const HistoriqueArticulaire& historiqueArticulaire() const override;
    // Refused, with the arm's words, beyond the limits or where the arm may not go.
    std::string ajouteDeplacement(const std::vector<double>& valeurs, bool rectiligne) override;
    void ajouteSaisie() override;
    void ajouteLacher() override;
    void ajouteAttente(float secondes) override;
    Instance* objetTenu() override;
    // Approached from above, gripped on arrival and lifted, as the four-joint arm does.
    std::string vaChercher(Instance* objet, bool rectiligne) override;
    // THETA1, THETA2, THETA3, THETA5, X, Y, Z, THETA.
    std::vector<std::string> colonnesTrace() const override { return colonnesQuatreAxes(); }
    static std::vector<std::string> colonnesQuatreAxes();
    std::vector<float> valeursTrace() const override;
    // The elbow stretched or folded back, or the wrist over the base axis.
    Manipulabilite mesures() override;
    std::string texteSingularite(const Manipulabilite& m) const override;

private:
    Robot& robot_;
    Instance* instance_;
};
