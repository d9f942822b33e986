#include "robot/bras_chaine.h"

#include <cmath>
#include <sstream>
#include <utility>

namespace {
constexpr double DEGRES_PAR_RADIAN = 180.0 / M_PI;

// The factor from the chain's unit to the scene's for value i's kind.
double facteur(const LimitesArticulation& l) { return l.prismatique ? 1.0 : DEGRES_PAR_RADIAN; }
}  // namespace

BrasChaine::BrasChaine(RobotURDF description)
    : description_(std::move(description)), valeurs_(description_.chaine.nbArticulations(), 0.0) {
    nom = description_.nom;  // until a scene variable names it
    enregistre();
    historique_.setNbArticulations(nbArticulations());
    // A grip finds what lies within 2 % of the arm's reach from the tool point.
    toleranceSaisie = 0.02 * chaine().portee();
    for (VisuelURDF& v : description_.visuels) {
        // The description's colour, when it gives one, replaces the mesh's own materials.
        if (v.materiau) v.maillage->setMaterial(v.materiau);
        CVecteur a, b;
        v.maillage->getBoiteEnglobante(a, b);
        boitesVisuels_.emplace_back(Eigen::Vector3d(a.x, a.y, a.z), Eigen::Vector3d(b.x, b.y, b.z));
    }
    // Zero may lie outside a joint's limits: the pose then starts at the nearest bound.
    for (int i = 0; i < nbArticulations(); ++i)
        if (bornee(i)) valeurs_[i] = std::min(std::max(0.0, min(i)), max(i));
    majPose();
}

double BrasChaine::min(int i) const {
    const LimitesArticulation l = chaine().limites(i);
    return l.min * facteur(l);
}

double BrasChaine::max(int i) const {
    const LimitesArticulation l = chaine().limites(i);
    return l.max * facteur(l);
}

std::string BrasChaine::texteLimites(const std::vector<double>& valeurs) const {
    if (static_cast<int>(valeurs.size()) != nbArticulations())
        return "le robot " + nom + " a " + std::to_string(nbArticulations()) +
               " articulations, pas " + std::to_string(valeurs.size());
    for (int i = 0; i < nbArticulations(); ++i) {
        const double v = valeurs[i];
        std::ostringstream o;
        if (!std::isfinite(v)) {
            o << nomArticulation(i) << " vaut " << v << " : ce n'est pas un nombre fini";
            return o.str();
        }
        if (bornee(i) && (v < min(i) || v > max(i))) {
            o << nomArticulation(i) << " vaut " << v << ", hors de ses limites (de " << min(i)
              << " à " << max(i) << ")";
            return o.str();
        }
    }
    return std::string();
}

std::string BrasChaine::setArticulations(const std::vector<double>& valeurs) {
    std::string raison = texteLimites(valeurs);
    if (!raison.empty()) return raison;
    valeurs_ = valeurs;
    majPose();
    return raison;
}

VecteurArticulaire BrasChaine::vecteur(const std::vector<double>& valeurs) const {
    VecteurArticulaire q(nbArticulations());
    for (int i = 0; i < nbArticulations(); ++i) q[i] = valeurs[i] / facteur(chaine().limites(i));
    return q;
}

void BrasChaine::majPose() {
    const VecteurArticulaire q = vecteur(valeurs_);
    chaine().reperesLiens(q, reperes_);
    outil_ = chaine().modeleDirect(q);
    porteObjet();
}

void BrasChaine::getBoiteEnglobante(CVecteur& min, CVecteur& max) {
    Eigen::AlignedBox3d boite;
    for (std::size_t k = 0; k < boitesVisuels_.size(); ++k) {
        const Eigen::AlignedBox3d& b = boitesVisuels_[k];
        if (b.isEmpty()) continue;
        const VisuelURDF& v = description_.visuels[k];
        const Eigen::Isometry3d t = reperes_[v.lien] * v.origine;
        for (int c = 0; c < 8; ++c)
            boite.extend(t * b.corner(static_cast<Eigen::AlignedBox3d::CornerType>(c)));
    }
    if (boite.isEmpty())
        boite = Eigen::AlignedBox3d(Eigen::Vector3d::Zero(), Eigen::Vector3d::Zero());
    min = CVecteur(boite.min().x(), boite.min().y(), boite.min().z());
    max = CVecteur(boite.max().x(), boite.max().y(), boite.max().z());
}

CMatrice BrasChaine::matriceDe(const Eigen::Isometry3d& t) {
    CMatrice r;
    const Eigen::Matrix4d m = t.matrix();
    for (int colonne = 0; colonne < 4; ++colonne)
        for (int ligne = 0; ligne < 4; ++ligne)
            r.m[colonne * 4 + ligne] = static_cast<float>(m(ligne, colonne));
    return r;
}
