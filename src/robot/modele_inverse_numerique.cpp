#include "robot/modele_inverse_numerique.h"

#include <Eigen/Cholesky>
#include <Eigen/SVD>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

Eigen::Vector3d ecartRotation(const Eigen::Matrix3d& a, const Eigen::Matrix3d& b) {
    const Eigen::AngleAxisd d(b * a.transpose());
    return d.angle() * d.axis();
}

namespace {

using Matrice =
    Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, MAX_ARTICULATIONS, MAX_ARTICULATIONS>;

// The limits of every joint value, continuous joints being free.
struct Bornes {
    VecteurArticulaire min, max;
    std::vector<bool> libre;
    std::vector<bool> rotation;

    explicit Bornes(const ModeleCinematique& m) {
        const int n = m.nbArticulations();
        min.resize(n);
        max.resize(n);
        for (int i = 0; i < n; ++i) {
            const LimitesArticulation l = m.limites(i);
            min[i] = l.min;
            max[i] = l.max;
            libre.push_back(!l.bornee);
            rotation.push_back(!l.prismatique);
        }
    }
    void borne(VecteurArticulaire& q, bool avecLimites) const {
        for (int i = 0; i < q.size(); ++i) {
            if (libre[i] || !avecLimites) {
                // A whole turn changes nothing: keep turning joints near zero.
                if (rotation[i] && std::fabs(q[i]) > M_PI) q[i] = std::remainder(q[i], 2 * M_PI);
            } else {
                q[i] = std::clamp(q[i], min[i], max[i]);
            }
        }
    }
    VecteurArticulaire tire(std::mt19937& alea) const {
        VecteurArticulaire q(min.size());
        for (int i = 0; i < q.size(); ++i) {
            const double a = libre[i] ? -M_PI : min[i], b = libre[i] ? M_PI : max[i];
            q[i] = a + (b - a) * std::uniform_real_distribution<double>(0.0, 1.0)(alea);
        }
        return q;
    }
};

enum class Mode { Position, Pose, PositionPuisOrientation };

struct Resolveur {
    const ModeleCinematique& modele;
    const CibleOutil& cible;
    const OptionsInverse& options;
    const Bornes& bornes;
    Mode mode;
    double echelle;  // lengths are divided by it so that both halves of the error weigh alike
    bool avecLimites = true;

    struct Point {
        VecteurArticulaire q;
        Eigen::Vector3d ep, eo;  // position and orientation errors (eo: rotation vector)
        double cout = 0;         // what the steps reduce
        double coutOrientation = 0;
    };

    void evalue(Point& p) const {
        const Eigen::Isometry3d t = modele.modeleDirect(p.q);
        p.ep = cible.pose.translation() - t.translation();
        p.eo = ecartRotation(t.linear(), cible.pose.linear());
        const double fp = (p.ep / echelle).squaredNorm();
        p.coutOrientation = p.eo.squaredNorm();
        p.cout = mode == Mode::Pose ? fp + p.coutOrientation : fp;
    }
    bool positionAtteinte(const Point& p) const { return p.ep.norm() < options.tolerancePosition; }
    bool atteint(const Point& p) const {
        return positionAtteinte(p) &&
               (mode != Mode::Pose || p.eo.norm() < options.toleranceOrientation);
    }

    // One damped step from p with damping lambda.
    VecteurArticulaire pas(const Point& p, const Jacobien& j, double lambda) const {
        const int n = static_cast<int>(p.q.size());
        if (mode == Mode::Pose) {
            Jacobien jw = j;
            jw.topRows<3>() /= echelle;
            Eigen::Matrix<double, 6, 1> e;
            e << p.ep / echelle, p.eo;
            Matrice a = jw.transpose() * jw;
            a.diagonal().array() += lambda;
            return a.ldlt().solve(jw.transpose() * e);
        }
        const Eigen::Matrix<double, 3, Eigen::Dynamic, 0, 3, MAX_ARTICULATIONS> jp =
            j.topRows<3>() / echelle;
        const Eigen::Vector3d ep = p.ep / echelle;
        Matrice a = jp.transpose() * jp;
        a.diagonal().array() += lambda;
        const VecteurArticulaire dq = a.ldlt().solve(jp.transpose() * ep);
        if (mode == Mode::Position || n <= 3) return dq;
        // The orientation, in what the position leaves free: the null space of the
        // position rows.
        const Eigen::JacobiSVD<Matrice> svd(jp, Eigen::ComputeFullV);
        const double seuil = 1e-9 * std::max(1.0, svd.singularValues()(0));
        int rang = 0;
        for (int k = 0; k < svd.singularValues().size(); ++k)
            if (svd.singularValues()(k) > seuil) ++rang;
        const Matrice noyau = svd.matrixV().rightCols(n - rang);
        const Matrice jo = j.bottomRows<3>() * noyau;
        Matrice b = jo.transpose() * jo;
        b.diagonal().array() += lambda + 1e-9;
        const Eigen::Vector3d eo = p.eo - j.bottomRows<3>() * dq;
        return dq + noyau * b.ldlt().solve(jo.transpose() * eo);
    }

    // Levenberg–Marquardt from q; the point reached.
    Point descend(const VecteurArticulaire& q0, int& iterations) const {
        Point p;
        p.q = q0;
        bornes.borne(p.q, avecLimites);
        evalue(p);
        double amortissement = 1.0;
        int sansProgres = 0;
        // For a short chain the position comes first; then the orientation improves while
        // the position holds.
        for (int it = 0; it < options.iterationsParDepart; ++it) {
            if (atteint(p) && (mode != Mode::PositionPuisOrientation || sansProgres >= 3)) break;
            ++iterations;
            const Jacobien j = modele.jacobien(p.q);
            const double lambda = amortissement * (p.cout + 1e-3 * p.coutOrientation) + 1e-12;
            Point n;
            n.q = p.q + pas(p, j, lambda);
            bornes.borne(n.q, avecLimites);
            evalue(n);
            if (meilleur(n, p)) {
                const bool progres =
                    n.cout < 0.999 * p.cout || (mode == Mode::PositionPuisOrientation &&
                                                n.coutOrientation < (1 - 1e-6) * p.coutOrientation);
                sansProgres = progres ? 0 : sansProgres + 1;
                p = std::move(n);
                amortissement = std::max(amortissement * 0.3, 1e-6);
            } else {
                ++sansProgres;
                amortissement *= 10;
            }
            if (sansProgres >= 8 || amortissement > 1e12) break;
        }
        return p;
    }

    // Whether a is better than b.
    bool meilleur(const Point& a, const Point& b) const {
        if (mode == Mode::PositionPuisOrientation && positionAtteinte(a) && positionAtteinte(b))
            return a.coutOrientation < b.coutOrientation;
        return a.cout < b.cout;
    }
};

double sigmaRelatifMin(const Jacobien& j, Mode mode) {
    const Matrice m = mode == Mode::Pose ? Matrice(j) : Matrice(j.topRows<3>());
    const Eigen::JacobiSVD<Matrice> svd(m);
    const auto& s = svd.singularValues();
    const int rangAttendu = static_cast<int>(std::min(m.rows(), m.cols()));
    if (s.size() == 0 || s(0) <= 0) return 0;
    return s(rangAttendu - 1) / s(0);
}

}  // namespace

ResultatInverse resousInverse(const ModeleCinematique& modele, const CibleOutil& cible,
                              const VecteurArticulaire& depart, const OptionsInverse& options,
                              const Eigen::Vector3d& centre, double portee) {
    ResultatInverse r;
    const int n = modele.nbArticulations();
    const Bornes bornes(modele);
    const Mode mode = !cible.orientation ? Mode::Position
                      : n >= 6           ? Mode::Pose
                                         : Mode::PositionPuisOrientation;
    Resolveur s{modele, cible, options, bornes, mode, std::max(portee, 1e-9)};
    r.q = depart.size() == n && depart.allFinite() ? depart : VecteurArticulaire::Zero(n);
    if (!cible.pose.matrix().allFinite()) {
        r.raison = raisonInverse::horsAtteinte;
        return r;
    }
    const auto termine = [&](const Resolveur::Point& p, bool reussi, const char* raison) {
        r.q = p.q;
        r.erreurPosition = p.ep.norm();
        r.erreurOrientation = p.eo.norm();
        r.reussi = reussi;
        r.raison = reussi ? "" : raison;
        return r;
    };
    Resolveur::Point meilleur;
    meilleur.q = r.q;
    bornes.borne(meilleur.q, true);
    s.evalue(meilleur);
    if (n == 0 || (cible.pose.translation() - centre).norm() >
                      portee * (1 + 1e-9) + options.tolerancePosition)
        return termine(meilleur, n > 0 ? false : s.atteint(meilleur), raisonInverse::horsAtteinte);

    std::mt19937 alea(options.graine);
    for (int d = 0; d < options.departs; ++d) {
        ++r.departs;
        const Resolveur::Point p = s.descend(d == 0 ? r.q : bornes.tire(alea), r.iterations);
        if (s.atteint(p)) return termine(p, true, "");
        if (s.meilleur(p, meilleur)) meilleur = p;
    }
    // Why it failed: the same search without limits tells whether they were in the way.
    s.avecLimites = false;
    int sansCompte = 0;
    for (int d = 0; d < std::max(1, options.departs / 4); ++d) {
        const Resolveur::Point p = s.descend(d == 0 ? meilleur.q : bornes.tire(alea), sansCompte);
        if (s.atteint(p)) return termine(meilleur, false, raisonInverse::limites);
    }
    const bool singulier = sigmaRelatifMin(modele.jacobien(meilleur.q), mode) < 1e-6;
    return termine(meilleur, false,
                   singulier ? raisonInverse::singularite : raisonInverse::horsAtteinte);
}
