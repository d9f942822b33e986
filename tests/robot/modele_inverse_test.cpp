// Inverse model: workspace screening, closed-form solution, clamps, wrist placement.
#include <gtest/gtest.h>

#include <cmath>

#include "robot/fabrique_robot.h"

namespace {

class ModeleInverseTest : public ::testing::Test {
protected:
    std::vector<std::shared_ptr<Instance>> instances;
    std::shared_ptr<Robot> robot = robotDeTest(&instances);
    float t1 = 0, t2 = 0, t3 = 0, t5 = 0;
};

float modulo360(float a) {
    float r = std::fmod(a, 360.0f);
    if (r > 180) r -= 360;
    if (r < -180) r += 360;
    return r;
}

TEST_F(ModeleInverseTest, AllerRetour_MGDDeMGIRendLaCible) {
    // Targets in front of the shoulder, produced by joints inside the limits.
    int verifies = 0;
    for (float T1 = -170; T1 <= 170; T1 += 34)
        for (float T2 = 5; T2 <= 140; T2 += 15)
            for (float T3 = -130; T3 <= -5; T3 += 15)
                for (float theta : {-170.0f, -45.0f, 0.0f, 90.0f, 179.0f}) {
                    float x, y, z, th;
                    CMatrice m;
                    ASSERT_TRUE(robot->MGD(T1, T2, T3, 0, x, y, z, th, m));
                    const float e = std::sqrt(x * x + y * y) - 15;
                    if (e <= 10 || z < 0) continue;
                    ASSERT_TRUE(robot->MGI(x, y, z, theta, t1, t2, t3, t5))
                        << x << " " << y << " " << z;
                    float x2, y2, z2, th2;
                    ASSERT_TRUE(robot->MGD(t1, t2, t3, t5, x2, y2, z2, th2, m));
                    EXPECT_NEAR(x2, x, 2e-3);
                    EXPECT_NEAR(y2, y, 2e-3);
                    EXPECT_NEAR(z2, z, 2e-3);
                    EXPECT_NEAR(modulo360(th2 - theta), 0, 1e-3);
                    ++verifies;
                }
    EXPECT_GT(verifies, 500);
}

TEST_F(ModeleInverseTest, MGI_Theta170EtBase30DonneT5Moins160) {
    const float r = 195 - 20;
    const float x = r * std::cos(30 * M_PI / 180), y = r * std::sin(30 * M_PI / 180);
    ASSERT_TRUE(robot->MGI(x, y, 5, 170, t1, t2, t3, t5));
    EXPECT_NEAR(t1, 30, 1e-3);
    EXPECT_NEAR(t5, -160, 1e-3);
    float xm, ym, zm, th;
    CMatrice m;
    ASSERT_TRUE(robot->MGD(t1, t2, t3, t5, xm, ym, zm, th, m));
    EXPECT_NEAR(th, -190, 1e-3);
}

TEST_F(ModeleInverseTest, MGI_ExtensionCompleteDonneCoudeTendu) {
    // e = 180, f = 0: k = 1 exactly.
    ASSERT_TRUE(robot->MGI(195, 0, 5, 0, t1, t2, t3, t5));
    EXPECT_EQ(t3, 0);
    EXPECT_EQ(t2, 0);
    EXPECT_EQ(t1, 0);
    EXPECT_EQ(t5, 0);
}

TEST_F(ModeleInverseTest, MGI_BorneLesAnglesHorsLimitesEtRenvoieVrai) {
    // Elbow needing -150 degrees: k = cos(150) puts the wrist 50.4 from the shoulder.
    const float d =
        std::sqrt(100.0f * 100 + 80.0f * 80 + 2 * 100 * 80 * std::cos(150 * M_PI / 180));
    ASSERT_TRUE(robot->MGI(15 + d, 0, 5, 0, t1, t2, t3, t5));
    EXPECT_EQ(t3, -135);
    // A target a little below the shoulder at nearly full reach needs THETA2 below 0.
    ASSERT_TRUE(robot->MGI(15 + std::sqrt(180.0f * 180 - 25), 0, 0, 0, t1, t2, t3, t5));
    EXPECT_EQ(t2, 0);
    EXPECT_GT(t3, -10);
}

TEST_F(ModeleInverseTest, SetCoordPoignet_CibleBorneeLitLaPoseAtteinte) {
    ASSERT_TRUE(robot->setCoordPoignet(90, 0, 16, 0));
    const unsigned long n = robot->numeroRaison;
    // The elbow would need -153 degrees: it stops at -135, and the wrist says where it went.
    ASSERT_TRUE(robot->setCoordPoignet(60, 0, 16, 0));
    EXPECT_EQ(robot->THETA3, -135);
    float x, y, z, th;
    CMatrice m;
    ASSERT_TRUE(
        robot->MGD(robot->THETA1, robot->THETA2, robot->THETA3, robot->THETA5, x, y, z, th, m));
    EXPECT_EQ(robot->X, x);
    EXPECT_EQ(robot->Z, z);
    EXPECT_GT(robot->X, 80);
    EXPECT_TRUE(robot->matricePince == m);
    EXPECT_EQ(robot->derniereRaison, "THETA3 hors limites");
    EXPECT_EQ(robot->numeroRaison, n + 1);
    // Lower, the same clamp would put the tool under the floor: refused, nothing moves.
    const float t2 = robot->THETA2, x0 = robot->X;
    EXPECT_FALSE(robot->setCoordPoignet(50, 0, 5, 0));
    EXPECT_EQ(robot->derniereRaison, "sous le sol");
    EXPECT_EQ(robot->THETA2, t2);
    EXPECT_EQ(robot->X, x0);
}

TEST_F(ModeleInverseTest, MGI_RefuseUnPointHorsDePortee) {
    EXPECT_FALSE(robot->MGI(300, 0, 5, 0, t1, t2, t3, t5));
    EXPECT_FALSE(robot->MGI(0, 0, 500, 0, t1, t2, t3, t5));
}

TEST_F(ModeleInverseTest, MGI_RefuseUnPointSousLeSol) {
    EXPECT_FALSE(robot->positionAccessible(150, 0, -0.001f, 0));
    EXPECT_FALSE(robot->MGI(150, 0, -0.001f, 0, t1, t2, t3, t5));
    EXPECT_TRUE(robot->positionAccessible(150, 0, 0, 0));
    EXPECT_TRUE(robot->MGI(150, 0, 0, 0, t1, t2, t3, t5));
}

TEST_F(ModeleInverseTest, PositionAccessible_RefuseLeVoisinageDeLAxe) {
    EXPECT_FALSE(robot->positionAccessible(0, 0, 100, 0));
    EXPECT_FALSE(robot->positionAccessible(12, 15.99f, 100, 0));
    EXPECT_TRUE(robot->positionAccessible(12, 16, 100, 0));  // exactly rayonMin
    robot->rayonMin = 0;
    ASSERT_TRUE(robot->MGI(0, 0, 100, 0, t1, t2, t3, t5));
    EXPECT_EQ(t1, 0);
}

TEST_F(ModeleInverseTest, PositionAccessible_RefusePlusBasQueLObjetTenu) {
    auto objet = instanceBoite({10, 10, 8}, {150, 0, 0});
    instances.push_back(objet);
    robot->saisit(objet.get(), CVecteur(0, 0, 0), nullptr);
    ASSERT_EQ(robot->objetTenu(), objet.get());
    EXPECT_FALSE(robot->positionAccessible(150, 0, 7.9f, 0));
    EXPECT_TRUE(robot->positionAccessible(150, 0, 8.01f, 0));
}

TEST_F(ModeleInverseTest, PositionAccessible_ContactDeLaPinceCompteCommeCollision) {
    // The gripper box spans [x-2, x+2] x [y-2, y+2] x [z, z+6] around the tool point.
    auto obstacle = instanceBoite({10, 10, 10}, {150, 0, 0});
    instances.push_back(obstacle);
    EXPECT_TRUE(robot->positionAccessible(150, 0, 10, 0));  // collision test off
    robot->collisionPince = true;
    EXPECT_FALSE(robot->positionAccessible(150, 0, 10, 0));  // resting on the top face
    EXPECT_FALSE(robot->positionAccessible(157, 0, 5, 0));   // side face against side face
    EXPECT_TRUE(robot->positionAccessible(150, 0, 10.5f, 0));
    EXPECT_TRUE(robot->positionAccessible(157.5f, 0, 5, 0));
    EXPECT_FALSE(robot->setCoordPoignet(150, 0, 10, 0));
    robot->listeInstances = nullptr;
    EXPECT_TRUE(robot->positionAccessible(150, 0, 10, 0));
}

TEST_F(ModeleInverseTest, PositionAccessible_ObjetTenuNeBloquePasLaPince) {
    auto objet = instanceBoite({10, 10, 6}, {150, 0, 4});
    instances.push_back(objet);
    ASSERT_TRUE(robot->setCoordPoignet(150, 0, 10, 0));
    ASSERT_EQ(robot->chercheObjet(nullptr), objet.get());
    robot->collisionPince = true;
    // The held box touches the gripper at every pose; moving sideways stays possible.
    EXPECT_TRUE(robot->setCoordPoignet(146, 0, 9.5f, 0));
    // Other instances still block it.
    auto obstacle = instanceBoite({4, 4, 10}, {140, 0, 0});
    instances.push_back(obstacle);
    EXPECT_FALSE(robot->setCoordPoignet(142, 0, 10, 0));
}

TEST_F(ModeleInverseTest, MGI_NeDonneJamaisDAngleNaN) {
    EXPECT_FALSE(robot->MGI(NAN, 0, 10, 0, t1, t2, t3, t5));
    EXPECT_FALSE(robot->MGI(150, INFINITY, 10, 0, t1, t2, t3, t5));
    EXPECT_FALSE(robot->MGI(150, 0, 10, NAN, t1, t2, t3, t5));
    EXPECT_FALSE(robot->setCoordPoignet(150, 0, NAN, 0));
    EXPECT_FALSE(std::isnan(robot->X));
    // A zero-length upper arm leaves no solution instead of dividing by zero.
    DimensionsRobot d;
    d.L2 = 0;
    auto plat = robotDeTest(&instances, d);
    EXPECT_FALSE(plat->MGI(100, 0, 10, 0, t1, t2, t3, t5));
}

TEST_F(ModeleInverseTest, SetCoordPoignet_GardeLaCibleDemandee) {
    ASSERT_TRUE(robot->setCoordPoignet(120, 40, 30, 170));
    EXPECT_EQ(robot->X, 120);
    EXPECT_EQ(robot->Y, 40);
    EXPECT_EQ(robot->Z, 30);
    EXPECT_EQ(robot->THETA, 170);
    float x, y, z, th;
    CMatrice m;
    ASSERT_TRUE(
        robot->MGD(robot->THETA1, robot->THETA2, robot->THETA3, robot->THETA5, x, y, z, th, m));
    EXPECT_NEAR(x, 120, 2e-3);
    EXPECT_NEAR(z, 30, 2e-3);
    EXPECT_TRUE(robot->matricePince == m);
    // Refused: nothing changes.
    EXPECT_FALSE(robot->setCoordPoignet(400, 0, 30, 0));
    EXPECT_EQ(robot->X, 120);
}

}  // namespace
