// The workspace grid against the robot's own target check, its cache, and the target ghost.
#include "robot/espace_travail.h"

#include <gtest/gtest.h>

#include <cmath>

#include "robot/apercu_cible.h"
#include "robot/fabrique_robot.h"

namespace {

class EspaceTravailTest : public ::testing::Test {
protected:
    std::vector<std::shared_ptr<Instance>> instances;
    std::shared_ptr<Robot> robot = robotDeTest(&instances);
};

TEST_F(EspaceTravailTest, CellulesSelonLeModeleInverse) {
    // The test arm: L0 + L1 = 15, L2 = 100, L3 = 80, shoulder 5 above the tool's zero,
    // rayonMin 20. The plane at 30 degrees; cell (i, j) is centred on (i + 0.5, j + 0.5).
    const float theta1 = 30;
    const GrilleEspace g = calculeEspaceTravail(*robot, theta1);
    ASSERT_EQ(g.pas, 1);
    ASSERT_EQ(g.zMin, 0);
    ASSERT_EQ(g.nbR, 196);
    const struct {
        int i, j;
        EtatCellule attendu;
    } points[] = {
        {100, 50, EtatCellule::Atteinte},       // well inside the reach
        {150, 0, EtatCellule::Atteinte},        // far out, just above the floor
        {195, 150, EtatCellule::HorsAtteinte},  // beyond the arm's length
        {10, 100, EtatCellule::Axe},            // closer than rayonMin, in the arm's ring
        {10, 185, EtatCellule::HorsAtteinte},   // closer than rayonMin, and too far anyway
        {55, 45, EtatCellule::Limite},          // needs the elbow bent past -135 degrees
    };
    const float c = std::cos(theta1 * float(M_PI) / 180), s = std::sin(theta1 * float(M_PI) / 180);
    for (const auto& p : points) {
        EXPECT_EQ(g.etat(p.i, p.j), p.attendu) << p.i << ", " << p.j;
        Commande cmd;
        const float r = g.r(p.i), z = g.z(p.j);
        const bool accepte = robot->cibleVers(r * c, r * s, z, 0, cmd, true) == nullptr;
        EXPECT_EQ(accepte, p.attendu == EtatCellule::Atteinte) << p.i << ", " << p.j;
    }
}

TEST_F(EspaceTravailTest, RecalculeeSeulementQuandCeQuiLaDecideChange) {
    EspaceTravail& e = robot->espaceTravail;
    ASSERT_TRUE(robot->setCoordArticulaires(40, 30, -60, 0));
    e.grille(*robot);
    e.grille(*robot);
    EXPECT_EQ(e.nbCalculs(), 1u);
    // Without gripper collisions the check is the same all around the axis.
    ASSERT_TRUE(robot->setCoordArticulaires(50, 30, -60, 0));
    e.grille(*robot);
    EXPECT_EQ(e.nbCalculs(), 1u);

    // With them, an object standing in the plane refuses the cells it fills, and turning
    // the base takes the plane away from it.
    robot->collisionPince = true;
    const float a = 40 * float(M_PI) / 180;
    instances.push_back(
        instanceBoite(CVecteur(10, 10, 10), CVecteur(120 * std::cos(a), 120 * std::sin(a), 0)));
    ASSERT_TRUE(robot->setCoordArticulaires(40, 30, -60, 0));
    EXPECT_EQ(e.grille(*robot).etat(120, 5), EtatCellule::Collision);
    EXPECT_EQ(e.grille(*robot).etat(120, 30), EtatCellule::Atteinte);
    EXPECT_EQ(e.nbCalculs(), 2u);
    ASSERT_TRUE(robot->setCoordArticulaires(50, 30, -60, 0));
    EXPECT_EQ(e.grille(*robot).etat(120, 5), EtatCellule::Atteinte);
    EXPECT_EQ(e.nbCalculs(), 3u);
}

TEST_F(EspaceTravailTest, CibleFantomeAccepteeOuRefusee) {
    CibleFantome c;
    c.T1 = 20;
    c.T2 = 30;
    c.T3 = -60;
    c.T5 = 10;
    ApercuCible a = apercuCible(*robot, c);
    EXPECT_EQ(a.raison, nullptr);
    float x, y, z, theta;
    CMatrice m;
    ASSERT_TRUE(robot->MGD(20, 30, -60, 10, x, y, z, theta, m));
    EXPECT_TRUE(a.repere == m);

    // The same pose asked by the wrist gives the same frame.
    c.parPoignet = true;
    c.X = x;
    c.Y = y;
    c.Z = z;
    c.THETA = theta;
    a = apercuCible(*robot, c);
    EXPECT_EQ(a.raison, nullptr);
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(a.repere.m[k], m.m[k], 1e-5) << k;

    // Below the floor: refused, shown where it was asked.
    c.Z = -1;
    a = apercuCible(*robot, c);
    EXPECT_STREQ(a.raison, "sous le sol");
    EXPECT_EQ(a.repere.m[14], -1);

    // A joint beyond its limit: refused, shown where it would put the tool point.
    c.parPoignet = false;
    c.T3 = 10;
    a = apercuCible(*robot, c);
    EXPECT_NE(a.raison, nullptr);
    const float d = float(M_PI) / 180;
    EXPECT_NEAR(a.repere.m[14], 80 * std::sin(40 * d) + 100 * std::sin(30 * d) + 5, 1e-3);
}

}  // namespace
