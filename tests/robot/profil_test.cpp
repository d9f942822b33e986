// Time laws of the velocity profiles: from rest to rest, within the speed and the
// acceleration given, one of them reached by the quickest law, and a zero-length move.
#include "robot/profil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

struct Extremes {
    double vitesse = 0, acceleration = 0;
};

// The largest speed and acceleration of the law's position, by finite differences.
Extremes mesure(const LoiHoraire& l, double distance) {
    const int n = 20000;
    const double h = l.duree() / n;
    Extremes e;
    for (int i = 1; i < n; ++i) {
        const double t = i * h;
        const double a = l.avancement(t - h), b = l.avancement(t), c = l.avancement(t + h);
        e.vitesse = std::max(e.vitesse, distance * (c - a) / (2 * h));
        e.acceleration = std::max(e.acceleration, distance * std::fabs(c - 2 * b + a) / (h * h));
    }
    return e;
}

TEST(Profil, LoisDansLesLimitesDeReposARepos) {
    const double vitesse = 60, acceleration = 120;
    for (GenreProfil g : {GenreProfil::Trapeze, GenreProfil::Quintique}) {
        // Short (a triangle for the trapezoid) and long moves.
        for (double distance : {3.0, 12.0, 60.0, 400.0}) {
            const LoiHoraire rapide = LoiHoraire::rapide(g, distance, vitesse, acceleration);
            for (double etirement : {1.0, 1.7}) {
                const LoiHoraire l = LoiHoraire::etiree(g, distance, vitesse, acceleration,
                                                        etirement * rapide.duree());
                SCOPED_TRACE(std::string(nomProfil(g)) + " " + std::to_string(distance) + " x" +
                             std::to_string(etirement));
                EXPECT_DOUBLE_EQ(l.duree(), etirement * rapide.duree());
                EXPECT_EQ(l.avancement(0), 0);
                EXPECT_EQ(l.avancement(l.duree()), 1);
                // At rest at both ends: the first and last thousandths of the time cover far
                // less than a thousandth of the way each.
                EXPECT_LT(l.avancement(1e-3 * l.duree()), 5e-5);
                EXPECT_GT(l.avancement((1 - 1e-3) * l.duree()), 1 - 5e-5);
                const Extremes e = mesure(l, distance);
                EXPECT_LE(e.vitesse, vitesse * (1 + 1e-6));
                EXPECT_LE(e.acceleration, acceleration * 1.01);
                EXPECT_NEAR(e.vitesse, l.vitesseMax(), 1e-3 * vitesse);
                // The quickest law is held back by one of the two limits.
                if (etirement == 1.0) {
                    EXPECT_TRUE(e.vitesse > 0.999 * vitesse ||
                                e.acceleration > 0.99 * acceleration);
                }
                double avant = 0;
                for (int i = 0; i <= 100; ++i) {
                    const double s = l.avancement(i * l.duree() / 100);
                    EXPECT_GE(s, avant);
                    avant = s;
                }
            }
        }
    }
}

TEST(Profil, MouvementNulOuImpossible) {
    for (GenreProfil g : {GenreProfil::Constant, GenreProfil::Trapeze, GenreProfil::Quintique}) {
        const LoiHoraire nul = LoiHoraire::rapide(g, 0, 60, 120);
        EXPECT_EQ(nul.duree(), 0);
        EXPECT_EQ(nul.avancement(0), 1);
        EXPECT_EQ(nul.vitesseMax(), 0);
        // Stretched, it stays where it is.
        EXPECT_EQ(LoiHoraire::etiree(g, 0, 60, 120, 2).avancement(1), 1);
        // A joint without speed never gets anywhere.
        EXPECT_TRUE(std::isinf(LoiHoraire::rapide(g, 5, 0, 120).duree()));
        EXPECT_TRUE(std::isinf(LoiHoraire::rapide(g, 5, NAN, 120).duree()));
    }
    EXPECT_TRUE(std::isinf(LoiHoraire::rapide(GenreProfil::Trapeze, 5, 60, 0).duree()));
    const double distances[3] = {60, 20, 0}, vitesses[3] = {60, 60, 60}, acc[3] = {120, 120, 120};
    EXPECT_DOUBLE_EQ(dureeSynchronisee(GenreProfil::Trapeze, 3, distances, vitesses, acc), 1.5);

    GenreProfil g = GenreProfil::Quintique;
    EXPECT_FALSE(profilDeNom("Trapeze", g));
    EXPECT_EQ(g, GenreProfil::Quintique);
    EXPECT_TRUE(profilDeNom("trapeze", g));
    EXPECT_EQ(g, GenreProfil::Trapeze);
}

}  // namespace
