// The four-joint arm through the interface every arm offers: its Jacobian against finite
// differences of its own direct model, and its closed-form inverse model's answers.
#include "robot/modele_quatre_axes.h"

#include <gtest/gtest.h>

#include <random>

#include "robot/fabrique_robot.h"
#include "robot/modele_inverse_numerique.h"

namespace {

TEST(ModeleQuatreAxes, JacobienEtModeleInverseCoherentsAvecLeModeleDirect) {
    std::vector<std::shared_ptr<Instance>> instances;
    std::shared_ptr<Robot> robot = robotDeTest(&instances);
    const ModeleQuatreAxes m(*robot);
    ASSERT_EQ(m.nbArticulations(), 4);
    EXPECT_EQ(m.nomArticulation(3), "THETA5");
    EXPECT_NEAR(m.limites(1).max, 145 * M_PI / 180, 1e-12);

    std::mt19937 alea(3);
    // The arm computes in single precision: a step this long keeps rounding and the
    // central difference's own error both near 1e-5.
    const double h = 1e-2;
    int resolus = 0;
    for (int essai = 0; essai < 100; ++essai) {
        VecteurArticulaire q(4);
        for (int i = 0; i < 4; ++i)
            q[i] = std::uniform_real_distribution<double>(m.limites(i).min + h,
                                                          m.limites(i).max - h)(alea);
        const Jacobien j = m.jacobien(q);
        Jacobien d(6, 4);
        for (int i = 0; i < 4; ++i) {
            VecteurArticulaire a = q, b = q;
            a[i] -= h;
            b[i] += h;
            const Eigen::Isometry3d ta = m.modeleDirect(a), tb = m.modeleDirect(b);
            d.col(i).head<3>() = (tb.translation() - ta.translation()) / (2 * h);
            d.col(i).tail<3>() = ecartRotation(ta.linear(), tb.linear()) / (2 * h);
        }
        EXPECT_LT((j - d).norm() / j.norm(), 1e-4) << "essai " << essai;

        CibleOutil cible;
        cible.pose = m.modeleDirect(q);
        const ResultatInverse r = m.modeleInverse(cible, VecteurArticulaire::Zero(4));
        if (!r.reussi) continue;  // the arm refuses some poses (near its axis, below the floor)
        ++resolus;
        EXPECT_LT((m.modeleDirect(r.q).translation() - cible.pose.translation()).norm(), 1e-3);
        EXPECT_LT(r.erreurOrientation, 1e-3);
    }
    EXPECT_GT(resolus, 10);

    CibleOutil loin;
    loin.pose.translation() = Eigen::Vector3d(1000, 0, 50);
    const ResultatInverse r = m.modeleInverse(loin, VecteurArticulaire::Zero(4));
    EXPECT_FALSE(r.reussi);
    EXPECT_EQ(r.raison, "hors d'atteinte");
}

}  // namespace
