#include "robot/chaine.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

bool fini(const Eigen::Isometry3d& t) { return t.matrix().allFinite(); }

std::string nombre(double v) {
    char texte[32];
    std::snprintf(texte, sizeof texte, "%g", v);
    return texte;
}

}  // namespace

ChaineCinematique::ChaineCinematique(std::string lienBase) {
    liens_.push_back(std::move(lienBase));
}

void ChaineCinematique::ajouteArticulation(const std::string& nom, TypeArticulation type,
                                           const Eigen::Isometry3d& origine,
                                           const Eigen::Vector3d& axe, double min, double max,
                                           double vitesse, const std::string& lienEnfant) {
    const std::string quoi = "articulation « " + nom + " » : ";
    if (type != TypeArticulation::Fixe && nbArticulations() == MAX_ARTICULATIONS)
        throw std::invalid_argument(quoi + "plus de " + std::to_string(MAX_ARTICULATIONS) +
                                    " articulations mobiles");
    if (!fini(origine)) throw std::invalid_argument(quoi + "origine non finie");
    Eigen::Vector3d a = axe;
    if (type != TypeArticulation::Fixe) {
        if (!axe.allFinite()) throw std::invalid_argument(quoi + "axe non fini");
        if (axe.norm() < 1e-12) throw std::invalid_argument(quoi + "axe nul");
        a.normalize();
    } else {
        a = Eigen::Vector3d::UnitZ();
    }
    const bool bornee = type == TypeArticulation::Rotoide || type == TypeArticulation::Prismatique;
    if (bornee) {
        if (!std::isfinite(min) || !std::isfinite(max))
            throw std::invalid_argument(quoi + "limites non finies");
        if (min > max)
            throw std::invalid_argument(quoi + "limite basse " + nombre(min) +
                                        " au-dessus de la limite haute " + nombre(max));
    } else {
        min = -M_PI;
        max = M_PI;
    }
    if (!std::isfinite(vitesse) || vitesse < 0) vitesse = 0;
    types_.push_back(type);
    origines_.push_back(origine);
    axes_.push_back(a);
    mins_.push_back(min);
    maxs_.push_back(max);
    vitesses_.push_back(vitesse);
    noms_.push_back(nom);
    if (type != TypeArticulation::Fixe) mobiles_.push_back(nbJoints() - 1);
    liens_.push_back(lienEnfant);
    calculePortee();
}

void ChaineCinematique::setOutil(const Eigen::Isometry3d& outil) {
    if (!fini(outil)) throw std::invalid_argument("repère de l'outil non fini");
    outil_ = outil;
    calculePortee();
}

void ChaineCinematique::miseAEchelle(double k) {
    if (!(k > 0) || !std::isfinite(k)) throw std::invalid_argument("échelle non positive");
    for (int j = 0; j < nbJoints(); ++j) {
        origines_[j].translation() *= k;
        if (types_[j] == TypeArticulation::Prismatique) {
            mins_[j] *= k;
            maxs_[j] *= k;
            vitesses_[j] *= k;
        }
    }
    outil_.translation() *= k;
    optionsInverse.tolerancePosition *= k;
    calculePortee();
}

int ChaineCinematique::indiceLien(const std::string& nom) const {
    for (int i = 0; i < nbLiens(); ++i)
        if (liens_[i] == nom) return i;
    return -1;
}

LimitesArticulation ChaineCinematique::limites(int i) const {
    const int j = mobiles_[i];
    LimitesArticulation l;
    l.min = mins_[j];
    l.max = maxs_[j];
    l.bornee = types_[j] != TypeArticulation::Continue;
    l.prismatique = types_[j] == TypeArticulation::Prismatique;
    l.vitesse = vitesses_[j];
    return l;
}

namespace {

// The motion of a joint by value v, in its own frame.
Eigen::Isometry3d mouvement(TypeArticulation type, const Eigen::Vector3d& axe, double v) {
    Eigen::Isometry3d m = Eigen::Isometry3d::Identity();
    if (type == TypeArticulation::Prismatique)
        m.translation() = v * axe;
    else if (type != TypeArticulation::Fixe)
        m.linear() = Eigen::AngleAxisd(v, axe).toRotationMatrix();
    return m;
}

}  // namespace

void ChaineCinematique::reperesLiens(const VecteurArticulaire& q,
                                     std::vector<Eigen::Isometry3d>& reperes) const {
    if (q.size() != nbArticulations())
        throw std::invalid_argument("nombre de valeurs articulaires incorrect");
    reperes.resize(liens_.size());
    Eigen::Isometry3d t = Eigen::Isometry3d::Identity();
    reperes[0] = t;
    int k = 0;
    for (int j = 0; j < nbJoints(); ++j) {
        const double v = types_[j] == TypeArticulation::Fixe ? 0.0 : q[k++];
        t = t * origines_[j] * mouvement(types_[j], axes_[j], v);
        reperes[j + 1] = t;
    }
}

Eigen::Isometry3d ChaineCinematique::poseOutil(const VecteurArticulaire& q, Jacobien* jac) const {
    if (q.size() != nbArticulations())
        throw std::invalid_argument("nombre de valeurs articulaires incorrect");
    const int n = nbArticulations();
    // The joints' axes and origins in the chain's frame, for the Jacobian.
    Eigen::Matrix<double, 3, Eigen::Dynamic, 0, 3, MAX_ARTICULATIONS> axes(3, n), points(3, n);
    Eigen::Isometry3d t = Eigen::Isometry3d::Identity();
    int k = 0;
    for (int j = 0; j < nbJoints(); ++j) {
        t = t * origines_[j];
        if (types_[j] == TypeArticulation::Fixe) continue;
        if (jac) {
            axes.col(k) = t.linear() * axes_[j];
            points.col(k) = t.translation();
        }
        t = t * mouvement(types_[j], axes_[j], q[k]);
        ++k;
    }
    t = t * outil_;
    if (jac) {
        jac->resize(6, n);
        const Eigen::Vector3d p = t.translation();
        for (int i = 0; i < n; ++i) {
            if (types_[mobiles_[i]] == TypeArticulation::Prismatique) {
                jac->col(i).head<3>() = axes.col(i);
                jac->col(i).tail<3>().setZero();
            } else {
                jac->col(i).head<3>() = axes.col(i).cross(p - points.col(i));
                jac->col(i).tail<3>() = axes.col(i);
            }
        }
    }
    return t;
}

Jacobien ChaineCinematique::jacobien(const VecteurArticulaire& q) const {
    Jacobien j;
    poseOutil(q, &j);
    return j;
}

Eigen::Vector3d ChaineCinematique::centrePortee() const {
    Eigen::Isometry3d t = Eigen::Isometry3d::Identity();
    for (int j = 0; j < nbJoints(); ++j) {
        t = t * origines_[j];
        if (types_[j] != TypeArticulation::Fixe) return t.translation();
    }
    return (t * outil_).translation();
}

void ChaineCinematique::calculePortee() {
    // Rotations keep the distance between successive origins; slides add their extent.
    double p = outil_.translation().norm();
    bool apresPremier = false;
    for (int j = 0; j < nbJoints(); ++j) {
        if (apresPremier) p += origines_[j].translation().norm();
        if (types_[j] == TypeArticulation::Prismatique)
            p += std::max(std::fabs(mins_[j]), std::fabs(maxs_[j]));
        if (types_[j] != TypeArticulation::Fixe) apresPremier = true;
    }
    portee_ = apresPremier ? p : 0.0;
}

ResultatInverse ChaineCinematique::modeleInverse(const CibleOutil& cible,
                                                 const VecteurArticulaire& depart) const {
    return resousInverse(*this, cible, depart, optionsInverse, centrePortee(), portee_);
}
