// The numeric inverse model against Orocos KDL's ChainIkSolverPos_LMA on the same chains
// (the KUKA KR5 and the Barrett WAM of tests/urdf-dart), the same 100 targets (the
// direct model of random joints within limits, fixed seed) and the same acceptance: the
// pose within 1e-6 m and 1e-5 rad, every joint within its limits. Both restart from random
// joints within limits, up to 40 starts, until they succeed. Each solve is timed alone; the
// counters give the median and the count solved. Then the KR5 loaded with its meshes.
//
//   cinematique_bench [--benchmark_filter=...]   (run from the source folder, or set
//   BRAKMOR_SOURCE)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <kdl/chain.hpp>
#include <kdl/chainfksolverpos_recursive.hpp>
#include <kdl/chainiksolverpos_lma.hpp>
#include <random>
#include <string>
#include <vector>

#include "robot/robot_urdf.h"

namespace {

std::string donnees(const std::string& relatif) {
    const char* source = std::getenv("BRAKMOR_SOURCE");
    return (source ? std::string(source) + "/tests/" : std::string("tests/")) + relatif;
}
const std::string KR5 = "urdf-dart/KR5/KR5 sixx R650.urdf";
const std::string WAM = "urdf-dart/wam/wam.urdf";

constexpr double TOL_POSITION = 1e-6, TOL_ORIENTATION = 1e-5;
constexpr int DEPARTS = 40;

RobotURDF charge(const std::string& fichier) {
    OptionsURDF o;
    o.maillages = false;
    return lisURDF(donnees(fichier), o);
}

std::vector<VecteurArticulaire> tirages(const ChaineCinematique& c, std::mt19937& alea) {
    std::vector<VecteurArticulaire> q;
    for (int k = 0; k < 100; ++k) {
        VecteurArticulaire v(c.nbArticulations());
        for (int i = 0; i < v.size(); ++i) {
            const LimitesArticulation l = c.limites(i);
            v[i] = std::uniform_real_distribution<double>(l.min, l.max)(alea);
        }
        q.push_back(v);
    }
    return q;
}

bool dansLimites(const ChaineCinematique& c, const VecteurArticulaire& q) {
    for (int i = 0; i < q.size(); ++i)
        if (q[i] < c.limites(i).min || q[i] > c.limites(i).max) return false;
    return true;
}

bool atteint(const ChaineCinematique& c, const VecteurArticulaire& q,
             const Eigen::Isometry3d& cible) {
    const Eigen::Isometry3d t = c.modeleDirect(q);
    return (t.translation() - cible.translation()).norm() < TOL_POSITION &&
           ecartRotation(t.linear(), cible.linear()).norm() < TOL_ORIENTATION && dansLimites(c, q);
}

// The same chain for KDL: each joint's origin as a fixed segment, then the joint about its
// axis.
KDL::Chain chaineKDL(const ChaineCinematique& c) {
    KDL::Chain k;
    for (int j = 0; j < c.nbJoints(); ++j) {
        const Eigen::Isometry3d& o = c.origine(j);
        const Eigen::Matrix3d& r = o.linear();
        const KDL::Frame f(
            KDL::Rotation(r(0, 0), r(0, 1), r(0, 2), r(1, 0), r(1, 1), r(1, 2), r(2, 0), r(2, 1),
                          r(2, 2)),
            KDL::Vector(o.translation().x(), o.translation().y(), o.translation().z()));
        k.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::None), f));
        if (c.type(j) == TypeArticulation::Fixe) continue;
        const KDL::Vector axe(c.axe(j).x(), c.axe(j).y(), c.axe(j).z());
        const auto type = c.type(j) == TypeArticulation::Prismatique ? KDL::Joint::TransAxis
                                                                     : KDL::Joint::RotAxis;
        k.addSegment(KDL::Segment(KDL::Joint("", KDL::Vector::Zero(), axe, type)));
    }
    return k;
}

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void rapporte(benchmark::State& etat, const std::vector<double>& temps, int resolus) {
    etat.counters["mediane_us"] = mediane(temps) * 1e6;
    etat.counters["resolus"] = resolus;
}

using Horloge = std::chrono::steady_clock;

void BM_Brakmor(benchmark::State& etat, const std::string& fichier) {
    const RobotURDF r = charge(fichier);
    const ChaineCinematique& c = r.chaine;
    std::mt19937 alea(2024);
    const std::vector<VecteurArticulaire> q = tirages(c, alea);
    std::vector<double> temps;
    int resolus = 0;
    for (auto _ : etat) {
        temps.clear();
        resolus = 0;
        for (const VecteurArticulaire& v : q) {
            CibleOutil cible;
            cible.pose = c.modeleDirect(v);
            const auto t0 = Horloge::now();
            const ResultatInverse res = c.modeleInverse(cible, VecteurArticulaire::Zero(v.size()));
            temps.push_back(std::chrono::duration<double>(Horloge::now() - t0).count());
            resolus += res.reussi && atteint(c, res.q, cible.pose);
        }
    }
    rapporte(etat, temps, resolus);
}

void BM_KDL(benchmark::State& etat, const std::string& fichier) {
    const RobotURDF r = charge(fichier);
    const ChaineCinematique& c = r.chaine;
    const KDL::Chain k = chaineKDL(c);
    // Position in metres, orientation weighted by 0.1: eps 1e-6 then means 1e-6 m and 1e-5 rad.
    Eigen::Matrix<double, 6, 1> poids;
    poids << 1, 1, 1, 0.1, 0.1, 0.1;
    KDL::ChainIkSolverPos_LMA solveur(k, poids, TOL_POSITION, 500, 1e-15);
    const int n = c.nbArticulations();
    std::mt19937 alea(2024);
    const std::vector<VecteurArticulaire> q = tirages(c, alea);
    std::vector<double> temps;
    int resolus = 0;
    for (auto _ : etat) {
        temps.clear();
        resolus = 0;
        std::mt19937 departs(12345);
        for (const VecteurArticulaire& v : q) {
            const Eigen::Isometry3d cible = c.modeleDirect(v);
            const Eigen::Matrix3d& m = cible.linear();
            const KDL::Frame f(KDL::Rotation(m(0, 0), m(0, 1), m(0, 2), m(1, 0), m(1, 1), m(1, 2),
                                             m(2, 0), m(2, 1), m(2, 2)),
                               KDL::Vector(cible.translation().x(), cible.translation().y(),
                                           cible.translation().z()));
            KDL::JntArray depart(n), sortie(n);
            const auto t0 = Horloge::now();
            bool ok = false;
            for (int d = 0; d < DEPARTS && !ok; ++d) {
                if (d > 0)
                    for (int i = 0; i < n; ++i)
                        depart(i) = std::uniform_real_distribution<double>(
                            c.limites(i).min, c.limites(i).max)(departs);
                if (solveur.CartToJnt(depart, f, sortie) < 0) continue;
                // KDL ignores limits: a whole turn may bring a joint back within them.
                VecteurArticulaire s(n);
                for (int i = 0; i < n; ++i) {
                    s[i] = sortie(i);
                    if (c.limites(i).prismatique) continue;
                    while (s[i] > c.limites(i).max && s[i] - 2 * M_PI >= c.limites(i).min)
                        s[i] -= 2 * M_PI;
                    while (s[i] < c.limites(i).min && s[i] + 2 * M_PI <= c.limites(i).max)
                        s[i] += 2 * M_PI;
                }
                ok = atteint(c, s, cible);
            }
            temps.push_back(std::chrono::duration<double>(Horloge::now() - t0).count());
            resolus += ok;
        }
    }
    rapporte(etat, temps, resolus);
}

void BM_ChargementKR5AvecMaillages(benchmark::State& etat) {
    size_t visuels = 0;
    for (auto _ : etat) {
        OptionsURDF o;
        o.echelle = 100;
        const RobotURDF r = lisURDF(donnees(KR5), o);
        visuels = r.visuels.size();
        benchmark::DoNotOptimize(r.chaine.nbArticulations());
    }
    etat.counters["visuels"] = static_cast<double>(visuels);
}

BENCHMARK_CAPTURE(BM_Brakmor, KR5, KR5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KDL, KR5, KR5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Brakmor, WAM, WAM)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KDL, WAM, WAM)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChargementKR5AvecMaillages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
