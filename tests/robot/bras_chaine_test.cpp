// The arm entity over a robot description: scene units at its interface (degrees, scaled
// lengths), poses refused with the joint, its value and its limits named, and the box and
// tool following the pose.
#include "robot/bras_chaine.h"

#include <gtest/gtest.h>

#include "robot/robots_urdf.h"

namespace {

TEST(BrasChaine, KR5_DegresLimitesOutilEtBoite) {
    ASSERT_TRUE(robotsDeTestPresents());
    OptionsURDF o;
    o.echelle = 100;
    BrasChaine bras(lisURDF(KR5, o));
    ASSERT_EQ(bras.nbArticulations(), 6);
    EXPECT_EQ(bras.nomArticulation(1), "shoulder_pitch");
    EXPECT_NEAR(bras.min(1), -100, 1e-6);  // -1.745329252 rad
    EXPECT_NEAR(bras.max(1), 135, 1e-6);
    const Eigen::Vector3d palm(42, 19.3, 0.0552);  // 1e-6 m at the scale of 100
    EXPECT_LT((bras.outil().translation() - palm).norm(), 1e-4);

    CVecteur a, b;
    bras.getBoiteEnglobante(a, b);
    const Eigen::AlignedBox3d auRepos(Eigen::Vector3d(a.x, a.y, a.z),
                                      Eigen::Vector3d(b.x, b.y, b.z));
    EXPECT_GT(auRepos.sizes().minCoeff(), 10);  // tens of centimetres, not metres
    EXPECT_LT(auRepos.sizes().maxCoeff(), 200);

    // Out of limits: refused, the joint named, the pose kept.
    EXPECT_EQ(bras.setArticulations({0, 200, 0, 0, 0, 0}),
              "shoulder_pitch vaut 200, hors de ses limites (de -100 à 135)");
    EXPECT_NE(bras.setArticulations({0, 0, 0}).find("6 articulations, pas 3"), std::string::npos);
    EXPECT_NE(bras.setArticulations({0, 0, NAN, 0, 0, 0}).find("pas un nombre fini"),
              std::string::npos);
    EXPECT_EQ(bras.articulations(), std::vector<double>(6, 0.0));

    // A quarter turn of the base, in degrees, turns the tool and the box about the vertical.
    const int j = bras.chaine().jointMobile(0);  // carried by link j
    const Eigen::Isometry3d repereJoint = bras.reperesLiens()[j] * bras.chaine().origine(j);
    ASSERT_EQ(bras.setArticulations({90, 0, 0, 0, 0, 0}), "");
    const Eigen::Vector3d attendu =
        repereJoint *
        (Eigen::AngleAxisd(M_PI / 2, bras.chaine().axe(j)) * (repereJoint.inverse() * palm));
    EXPECT_LT((bras.outil().translation() - attendu).norm(), 1e-3);
    bras.getBoiteEnglobante(a, b);
    EXPECT_FALSE(auRepos.isApprox(
        Eigen::AlignedBox3d(Eigen::Vector3d(a.x, a.y, a.z), Eigen::Vector3d(b.x, b.y, b.z))));
}

}  // namespace
