// A serial kinematic chain of any length: the joints as arrays (kind, origin frame, axis,
// limits, speed, name, and the link each one carries), the direct model giving the frame of
// every link and of the tool, the geometric Jacobian, and the numeric inverse model of
// modele_inverse_numerique.h. Fixed joints keep their links' frames but take no value.
#pragma once

#include <string>
#include <vector>

#include "robot/modele_cinematique.h"
#include "robot/modele_inverse_numerique.h"

enum class TypeArticulation : unsigned char { Rotoide, Continue, Prismatique, Fixe };

class ChaineCinematique : public ModeleCinematique {
public:
    // The chain starts at the base link, whose frame is the chain's frame.
    explicit ChaineCinematique(std::string lienBase = "base");

    // Appends a joint carrying the link lienEnfant: origine places the joint's frame in the
    // previous link's frame; the joint turns about, or slides along, axe (given in its own
    // frame, normalised here). min and max are ignored for continuous and fixed joints.
    // Throws std::invalid_argument, with a French message naming the joint, on a zero or
    // non-finite axis, a non-finite origin or limit, or min > max.
    void ajouteArticulation(const std::string& nom, TypeArticulation type,
                            const Eigen::Isometry3d& origine, const Eigen::Vector3d& axe,
                            double min, double max, double vitesse, const std::string& lienEnfant);
    // The tool frame in the last link's frame (identity unless set).
    void setOutil(const Eigen::Isometry3d& outil);
    // Multiplies every length (origins, sliding limits and speeds, tool) by k > 0.
    void miseAEchelle(double k);

    // Every joint, fixed ones included, in chain order.
    int nbJoints() const { return static_cast<int>(types_.size()); }
    TypeArticulation type(int joint) const { return types_[joint]; }
    const std::string& nomJoint(int joint) const { return noms_[joint]; }
    const Eigen::Isometry3d& origine(int joint) const { return origines_[joint]; }
    const Eigen::Vector3d& axe(int joint) const { return axes_[joint]; }
    // The joint that takes value i (0 ≤ i < nbArticulations()).
    int jointMobile(int i) const { return mobiles_[i]; }
    const Eigen::Isometry3d& outil() const { return outil_; }

    // Links: the base, then the child of each joint in order.
    int nbLiens() const { return static_cast<int>(liens_.size()); }
    const std::string& nomLien(int lien) const { return liens_[lien]; }
    int indiceLien(const std::string& nom) const;  // -1 when absent

    // The frame of every link for these joints (nbLiens entries), in the chain's frame.
    void reperesLiens(const VecteurArticulaire& q, std::vector<Eigen::Isometry3d>& reperes) const;
    // The tool frame and, when j is not null, the Jacobian, in one pass.
    Eigen::Isometry3d poseOutil(const VecteurArticulaire& q, Jacobien* j) const;
    // An upper bound of the distance from the first moving joint's origin to the tool point,
    // and that origin (fixed whatever the joints).
    double portee() const { return portee_; }
    Eigen::Vector3d centrePortee() const;

    OptionsInverse optionsInverse;

    // ModeleCinematique.
    int nbArticulations() const override { return static_cast<int>(mobiles_.size()); }
    std::string nomArticulation(int i) const override { return noms_[mobiles_[i]]; }
    LimitesArticulation limites(int i) const override;
    Eigen::Isometry3d modeleDirect(const VecteurArticulaire& q) const override {
        return poseOutil(q, nullptr);
    }
    Jacobien jacobien(const VecteurArticulaire& q) const override;
    ResultatInverse modeleInverse(const CibleOutil& cible,
                                  const VecteurArticulaire& depart) const override;

private:
    void calculePortee();

    std::vector<TypeArticulation> types_;
    std::vector<Eigen::Isometry3d> origines_;
    std::vector<Eigen::Vector3d> axes_;
    std::vector<double> mins_, maxs_, vitesses_;
    std::vector<std::string> noms_;
    std::vector<int> mobiles_;  // joint index of each value
    std::vector<std::string> liens_;
    Eigen::Isometry3d outil_ = Eigen::Isometry3d::Identity();
    double portee_ = 0;
};
