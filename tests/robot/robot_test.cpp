// The arm's construction, joint limits, direct model, rear rod and panel reads.
#include <gtest/gtest.h>

#include <cmath>

#include "robot/fabrique_robot.h"

namespace {

class RobotTest : public ::testing::Test {
protected:
    std::vector<std::shared_ptr<Instance>> instances;
    std::shared_ptr<Robot> robot = robotDeTest(&instances);
    float x = -1, y = -1, z = -1, theta = -1;
    CMatrice m;
};

TEST_F(RobotTest, Construction_DeriveHauteurEpauleEtDecalageOutilDesLiens) {
    EXPECT_FLOAT_EQ(robot->hauteurEpaule, 15);
    EXPECT_FLOAT_EQ(robot->decalageOutil, 10);
    // Arguments 5 to 7 are L4, L5, L6 although L6 is declared before L5.
    EXPECT_FLOAT_EQ(robot->L5, 5);
    EXPECT_FLOAT_EQ(robot->L7, 8);
    EXPECT_EQ(robot->pince, robot->liensTenus[8].get());
}

TEST_F(RobotTest, Construction_RefuseUnLienManquant) {
    auto liens = liensDeTest();
    liens[4] = nullptr;
    std::array<float, 15> nombres{};
    EXPECT_THROW(Robot(nombres, liens, &instances), pointeur_null);
}

TEST_F(RobotTest, Construction_RefuseUnNombreNonFini) {
    std::array<float, 15> nombres = {10, 5, 100, 80, 5, 5, 5, 8, 20, 30, 30, 30, 30, 1, 20};
    EXPECT_EQ(Robot::nombreNonFini(nombres), "");
    nombres[2] = INFINITY;
    EXPECT_NE(Robot::nombreNonFini(nombres).find("(L2)"), std::string::npos);
    EXPECT_THROW(Robot(nombres, liensDeTest(), &instances), std::invalid_argument);
    nombres[2] = 100;
    nombres[10] = NAN;
    EXPECT_NE(Robot::nombreNonFini(nombres).find("vitesseTheta2"), std::string::npos);
    EXPECT_THROW(Robot(nombres, liensDeTest(), &instances), std::invalid_argument);
}

TEST_F(RobotTest, MGD_PoseDeRepos) {
    ASSERT_TRUE(robot->MGD(0, 0, 0, 0, x, y, z, theta, m));
    EXPECT_FLOAT_EQ(x, 10 + 5 + 100 + 80);
    EXPECT_FLOAT_EQ(y, 0);
    EXPECT_FLOAT_EQ(z, 15 - 10);
    EXPECT_FLOAT_EQ(theta, 0);
    // Gripper frame: z axis down, tool point as translation.
    EXPECT_FLOAT_EQ(m.m[0], 1);
    EXPECT_FLOAT_EQ(m.m[5], -1);
    EXPECT_FLOAT_EQ(m.m[10], -1);
    EXPECT_FLOAT_EQ(m.m[12], 195);
    EXPECT_FLOAT_EQ(m.m[14], 5);
    EXPECT_FLOAT_EQ(m.m[15], 1);
}

TEST_F(RobotTest, MGD_BaseA90DegresSurLAxeYPositif) {
    ASSERT_TRUE(robot->MGD(90, 0, 0, 0, x, y, z, theta, m));
    EXPECT_NEAR(x, 0, 1e-4);
    EXPECT_FLOAT_EQ(y, 195);
    EXPECT_FLOAT_EQ(z, 5);
    EXPECT_FLOAT_EQ(theta, -90);
}

TEST_F(RobotTest, MGD_EpauleEtCoudeDonnentLaHauteurAttendue) {
    // Upper arm vertical, forearm horizontal: tool above the shoulder by L2.
    ASSERT_TRUE(robot->MGD(0, 90, -90, 30, x, y, z, theta, m));
    EXPECT_NEAR(x, 10 + 5 + 80, 1e-3);
    EXPECT_NEAR(z, 100 + 15 - 10, 1e-3);
    EXPECT_FLOAT_EQ(theta, 30);
}

TEST_F(RobotTest, MGD_HorsLimitesEchoueSansRienEcrire) {
    EXPECT_FALSE(robot->MGD(0, 146, 0, 0, x, y, z, theta, m));
    EXPECT_FALSE(robot->MGD(0, 0, 1, 0, x, y, z, theta, m));
    EXPECT_FALSE(robot->MGD(181, 0, 0, 0, x, y, z, theta, m));
    EXPECT_FALSE(robot->MGD(0, 0, 0, -180.5f, x, y, z, theta, m));
    EXPECT_FALSE(robot->MGD(NAN, 0, 0, 0, x, y, z, theta, m));
    EXPECT_EQ(x, -1);
    EXPECT_EQ(theta, -1);
    EXPECT_TRUE(m == CMatrice());
    EXPECT_TRUE(robot->MGD(0, 145, -135, 0, x, y, z, theta, m));
    EXPECT_TRUE(Robot::verifieLimites(-180, 0, -135, 180));
    EXPECT_TRUE(Robot::verifieLimites(180, 145, 0, -180));
}

TEST_F(RobotTest, SetCoordArticulaires_PlaceLePoignetEtLaBielle) {
    ASSERT_TRUE(robot->setCoordArticulaires(30, 90, -45, 10));
    EXPECT_EQ(robot->THETA1, 30);
    EXPECT_EQ(robot->THETA2, 90);
    EXPECT_EQ(robot->THETA3, -45);
    EXPECT_EQ(robot->THETA5, 10);
    ASSERT_TRUE(robot->MGD(30, 90, -45, 10, x, y, z, theta, m));
    EXPECT_EQ(robot->X, x);
    EXPECT_EQ(robot->Z, z);
    EXPECT_EQ(robot->THETA, -20);
    EXPECT_TRUE(robot->matricePince == m);
    // THETA2 = 90: atan2(0, L8 + L0 - L7) = 0 degrees.
    EXPECT_NEAR(robot->angleBielle, 0, 1e-4);
    ASSERT_TRUE(robot->setCoordArticulaires(0, 0, 0, 0));
    EXPECT_NEAR(robot->angleBielle, std::atan2(8.0, 30.0) * 180 / M_PI, 1e-3);
}

TEST_F(RobotTest, SetCoordArticulaires_RefuseGardeArticulationsEtPoignetCoherents) {
    ASSERT_TRUE(robot->setCoordArticulaires(0, 20, -30, 0));
    const float x0 = robot->X, z0 = robot->Z;
    const CMatrice m0 = robot->matricePince;
    // Outside the limits.
    EXPECT_FALSE(robot->setCoordArticulaires(0, 150, -30, 0));
    // Inside the limits but the tool point goes below the floor.
    ASSERT_TRUE(robot->MGD(0, 0, -90, 0, x, y, z, theta, m));
    ASSERT_LT(z, 0);
    EXPECT_FALSE(robot->setCoordArticulaires(0, 0, -90, 0));
    EXPECT_EQ(robot->THETA2, 20);
    EXPECT_EQ(robot->THETA3, -30);
    EXPECT_EQ(robot->X, x0);
    EXPECT_EQ(robot->Z, z0);
    EXPECT_TRUE(robot->matricePince == m0);
}

TEST_F(RobotTest, LecturePanneau_ArrondiAuPlusProcheDemiLoinDeZero) {
    EXPECT_EQ(Robot::arrondi(2.5f), 3);
    EXPECT_EQ(Robot::arrondi(-2.5f), -3);
    EXPECT_EQ(Robot::arrondi(2.49f), 2);
    EXPECT_EQ(Robot::arrondi(-0.4f), 0);
    EXPECT_EQ(Robot::arrondi(NAN), 0);
    robot->THETA1 = 89.5f;
    robot->THETA2 = 10.4f;
    robot->THETA3 = -44.5f;
    robot->THETA5 = -0.6f;
    robot->X = 1.25f;
    robot->THETA = -179.5f;
    int t1, t2, t3, t5, th;
    float px, py, pz;
    robot->lireCoordArticulaires(t1, t2, t3, t5);
    robot->lireCoordPoignet(px, py, pz, th);
    EXPECT_EQ(t1, 90);
    EXPECT_EQ(t2, 10);
    EXPECT_EQ(t3, -45);
    EXPECT_EQ(t5, -1);
    EXPECT_EQ(px, 1.25f);
    EXPECT_EQ(th, -180);
}

}  // namespace
