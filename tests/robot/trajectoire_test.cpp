// The tool trail: its ring keeps the last seconds, tells straight lines from joint moves, and
// is fed by the motion steps.
#include "robot/trajectoire.h"

#include <gtest/gtest.h>

#include <cmath>

#include "robot/fabrique_robot.h"

namespace {

TEST(TrajectoireOutil, GardeLesDernieresSecondesEtLesDeuxGenres) {
    TrajectoireOutil t(2.0f);
    const CVecteur a(0, 0, 0), b(1, 0, 0), c(2, 0, 0), d(3, 0, 0);
    t.ajoute(a, b, GenreMouvement::Articulaire);  // at 0 s: a starts the stroke, then b
    t.avanceTemps(1);
    t.ajoute(b, c, GenreMouvement::Rectiligne);  // at 1 s, continuing from b
    t.avanceTemps(1);
    t.ajoute(c, c, GenreMouvement::Rectiligne);  // no move: nothing
    ASSERT_EQ(t.taille(), 3u);
    EXPECT_TRUE(t.point(0).debut);
    EXPECT_EQ(t.point(1).genre, GenreMouvement::Articulaire);
    EXPECT_FALSE(t.point(2).debut);
    EXPECT_EQ(t.point(2).genre, GenreMouvement::Rectiligne);

    // A step that does not start where the trail ends begins a new stroke.
    t.ajoute(d, a, GenreMouvement::Articulaire);  // at 2 s
    ASSERT_EQ(t.taille(), 5u);
    EXPECT_TRUE(t.point(3).debut);
    EXPECT_EQ(t.point(3).x, 3);

    // At 2.5 s the points of 0 s are older than 2 s: gone; those of 1 s stay.
    t.avanceTemps(0.5f);
    ASSERT_EQ(t.taille(), 3u);
    EXPECT_EQ(t.point(0).x, 2);
    EXPECT_DOUBLE_EQ(t.point(0).temps, 1.0);
    t.avanceTemps(10);
    EXPECT_EQ(t.taille(), 0u);
}

// At rest the trail keeps its points but dims: a robot without commands ages it each step.
TEST(TrajectoireOutil, AuReposElleGardeSesPointsEtPalit) {
    CScene scene;
    auto robot = robotDeTest(&scene.instances);
    robot->trajectoire.ajoute(CVecteur(0, 0, 0), CVecteur(1, 0, 0), GenreMouvement::Articulaire);
    const TrajectoireOutil& t = robot->trajectoire;
    EXPECT_FLOAT_EQ(t.fraicheur(t.point(1)), 1.0f);
    for (int i = 0; i < 500; ++i) robot->avance(0.01f);  // 5 s with an empty queue
    EXPECT_NEAR(t.fraicheur(t.point(1)), 1.0f - 5.0f / t.duree(), 1e-4);
    EXPECT_TRUE(t.palit());
    for (int i = 0; i < 600; ++i) robot->avance(0.01f);
    ASSERT_EQ(t.taille(), 2u);  // still there, at their faintest
    EXPECT_EQ(t.fraicheur(t.point(1)), 0.0f);
    EXPECT_FALSE(t.palit());
}

TEST(TrajectoireOutil, PleineElleOublieLesPlusAnciens) {
    TrajectoireOutil t(100.0f, 4);
    for (int i = 0; i < 6; ++i)
        t.ajoute(CVecteur(float(i), 0, 0), CVecteur(float(i + 1), 0, 0),
                 GenreMouvement::Articulaire);
    ASSERT_EQ(t.taille(), 4u);
    EXPECT_EQ(t.point(0).x, 3);
    EXPECT_EQ(t.point(3).x, 6);
}

TEST(TrajectoireOutil, AvanceEnregistreMouvementsArticulairesEtRectilignes) {
    CScene scene;
    auto robot = robotDeTest(&scene.instances);
    ASSERT_TRUE(robot->setCoordArticulaires(0, 30, -60, 0));

    Commande articulaire;
    articulaire.T1 = 20;
    articulaire.T2 = 30;
    articulaire.T3 = -60;
    robot->ajouteCommande(articulaire);
    for (int i = 0; i < 200 && !robot->commandes.empty(); ++i) robot->avance(0.01f);
    ASSERT_TRUE(robot->commandes.empty());
    const std::size_t nArticulaire = robot->trajectoire.taille();
    ASSERT_GE(nArticulaire, 2u);
    for (std::size_t i = 1; i < nArticulaire; ++i)
        EXPECT_EQ(robot->trajectoire.point(i).genre, GenreMouvement::Articulaire);

    Commande ligne;
    ASSERT_EQ(robot->cibleVers(robot->X, robot->Y, robot->Z + 20, robot->THETA, ligne, true),
              nullptr);
    ligne.rectiligne = true;
    robot->ajouteCommande(ligne);
    for (int i = 0; i < 2000 && !robot->commandes.empty(); ++i) robot->avance(0.01f);
    ASSERT_TRUE(robot->commandes.empty());
    const TrajectoireOutil& t = robot->trajectoire;
    ASSERT_GT(t.taille(), nArticulaire + 5);
    // The line goes on from where the joint move ended, every piece a straight-line one.
    EXPECT_FALSE(t.point(nArticulaire).debut);
    for (std::size_t i = nArticulaire; i < t.taille(); ++i)
        EXPECT_EQ(t.point(i).genre, GenreMouvement::Rectiligne) << i;
    EXPECT_NEAR(t.point(t.taille() - 1).z, ligne.Z, 1e-3);
}

}  // namespace

// Speeds and accelerations from the samples: a joint speeding up at 100 °/s² for 0.5 s then
// cruising, crossing ±180° on the way; a sliding joint beside it is not wrapped.
TEST(HistoriqueArticulaire, VitessesEtAccelerationsParDifferences) {
    HistoriqueArticulaire h(2);
    for (int i = 0; i <= 100; ++i) {
        const double t = 0.01 * i;
        const double s = t < 0.5 ? 50 * t * t : 12.5 + 50 * (t - 0.5);
        float q[2] = {static_cast<float>(std::remainder(170 + s, 360.0)),
                      static_cast<float>(400 * t)};
        h.ajoute(t, q, 0);
    }
    const auto vitesse = h.serieDerivee(0, 1, 101, true);
    const auto acceleration = h.serieDerivee(0, 2, 101, true);
    ASSERT_EQ(vitesse.size(), 101u);
    EXPECT_NEAR(vitesse[25], 25, 1);
    EXPECT_NEAR(vitesse.back(), 50, 1e-2);  // past 180° without a jump
    for (std::size_t i = 3; i < 48; ++i) EXPECT_NEAR(acceleration[i], 100, 1) << i;
    EXPECT_NEAR(acceleration.back(), 0, 1e-2);
    EXPECT_NEAR(h.serieDerivee(1, 1, 101, false).back(), 400, 1e-2);
}
