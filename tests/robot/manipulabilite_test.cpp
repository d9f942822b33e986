// Manipulability and the velocity ellipsoid: the ellipsoid's axes against the eigenvectors
// of Jt Jtᵀ and the velocities the joints can give, the measures at a stretched elbow, and
// the rows kept for short and long chains.
#include "robot/manipulabilite.h"

#include <gtest/gtest.h>

#include <Eigen/Eigenvalues>
#include <random>

#include "robot/chaine.h"
#include "robot/fabrique_robot.h"
#include "robot/modele_quatre_axes.h"

namespace {

TEST(Manipulabilite, AxesDeLEllipsoideEtMesuresDuBrasQuatreAxes) {
    std::vector<std::shared_ptr<Instance>> instances;
    std::shared_ptr<Robot> robot = robotDeTest(&instances);
    const ModeleQuatreAxes modele(*robot);
    std::mt19937 alea(7);
    std::normal_distribution<double> normale;
    for (int essai = 0; essai < 20; ++essai) {
        VecteurArticulaire q(4);
        for (int i = 0; i < 4; ++i)
            q[i] = std::uniform_real_distribution<double>(modele.limites(i).min,
                                                          modele.limites(i).max)(alea);
        const Manipulabilite m = manipulabilite(modele, q);
        const Eigen::Matrix<double, 3, 4> jt = modele.jacobien(q).topRows<3>();
        ASSERT_EQ(m.jacobien.rows(), 3);
        EXPECT_EQ(m.jacobien, jt);

        // Jt Jtᵀ's eigenvectors, scaled by the square roots of its eigenvalues (ascending).
        const Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> propres(jt * jt.transpose());
        for (int i = 0; i < 3; ++i) {
            const double lambda = propres.eigenvalues()[2 - i];
            const Eigen::Vector3d u = propres.eigenvectors().col(2 - i);
            EXPECT_NEAR(m.axes.col(i).norm(), std::sqrt(lambda), 1e-9 * m.axes.col(0).norm());
            EXPECT_NEAR(std::fabs(m.axes.col(i).normalized().dot(u)), 1, 1e-9);
        }
        EXPECT_NEAR(m.manipulabilite, std::sqrt((jt * jt.transpose()).determinant()),
                    1e-9 * m.manipulabilite);
        EXPECT_NEAR(m.conditionnement,
                    std::sqrt(propres.eigenvalues()[0] / propres.eigenvalues()[2]), 1e-9);

        // The tool velocities of unit joint velocities fill the ellipsoid: inside, and
        // touching its surface along the largest axis's direction.
        const Eigen::Matrix3d inverse = m.axes.inverse();
        double plus = 0;
        for (int k = 0; k < 200; ++k) {
            Eigen::Vector4d qp;
            for (int i = 0; i < 4; ++i) qp[i] = normale(alea);
            plus = std::max(plus, (inverse * jt * qp.normalized()).norm());
        }
        EXPECT_LE(plus, 1 + 1e-9);
        const Eigen::JacobiSVD<Eigen::Matrix<double, 3, 4>> svd(jt, Eigen::ComputeFullV);
        EXPECT_NEAR((inverse * jt * svd.matrixV().col(0)).norm(), 1, 1e-9);
    }

    // The elbow almost straight: near singular, and said so; the usual pose is not.
    ASSERT_TRUE(robot->setCoordArticulaires(90, 40, -0.5f, 0));
    Manipulabilite m = manipulabilite(*robot);
    EXPECT_LT(m.conditionnement, CONDITIONNEMENT_SINGULIER);
    EXPECT_EQ(configurationSinguliere(*robot, m.conditionnement),
              "proche d'une singularité : coude tendu (THETA3 proche de 0°)");
    ASSERT_TRUE(robot->setCoordArticulaires(90, 40, -70, 0));
    m = manipulabilite(*robot);
    EXPECT_GT(m.conditionnement, CONDITIONNEMENT_SINGULIER);
    EXPECT_EQ(configurationSinguliere(*robot, m.conditionnement), "");
}

TEST(Manipulabilite, ChainesCourtesEtLongues) {
    // Turning joints about z, 10 units apart along x: a plane arm, singular in 3D.
    ChaineCinematique chaine;
    const Eigen::Isometry3d decalage(Eigen::Translation3d(10, 0, 0));
    chaine.ajouteArticulation("j0", TypeArticulation::Rotoide, Eigen::Isometry3d::Identity(),
                              Eigen::Vector3d::UnitZ(), -3, 3, 1, "l0");
    chaine.ajouteArticulation("j1", TypeArticulation::Rotoide, decalage, Eigen::Vector3d::UnitZ(),
                              -3, 3, 1, "l1");
    chaine.setOutil(decalage);
    Manipulabilite m = manipulabilite(chaine, VecteurArticulaire::Constant(2, 0.5));
    EXPECT_EQ(m.jacobien.rows(), 3);
    EXPECT_EQ(m.manipulabilite, 0);
    EXPECT_EQ(m.conditionnement, 0);
    EXPECT_TRUE(m.axes.allFinite());
    EXPECT_GT(m.axes.col(0).norm(), 0);
    // Six joints: the angular rows come too.
    for (int i = 2; i < 6; ++i)
        chaine.ajouteArticulation("j" + std::to_string(i), TypeArticulation::Rotoide, decalage,
                                  i % 2 ? Eigen::Vector3d::UnitY() : Eigen::Vector3d::UnitX(), -3,
                                  3, 1, "l" + std::to_string(i));
    m = manipulabilite(chaine, VecteurArticulaire::Constant(6, 0.3));
    EXPECT_EQ(m.jacobien.rows(), 6);
    EXPECT_EQ(m.jacobien, chaine.jacobien(VecteurArticulaire::Constant(6, 0.3)));
    EXPECT_GT(m.conditionnement, 0);
}

}  // namespace
