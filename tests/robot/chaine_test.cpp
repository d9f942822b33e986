// Kinematic chains read from real robot descriptions: the direct model against the files'
// own figures and an independent product of their transforms, the Jacobian against finite
// differences, the inverse model on poses the arms can reach and the reasons it gives up.
#include "robot/chaine.h"

#include <gtest/gtest.h>
#include <urdf_parser/urdf_parser.h>

#include <cmath>
#include <random>

#include "robot/robots_urdf.h"

namespace {

// The tool frame by a plain product of the description's transforms, with urdfdom's model
// and Rodrigues' formula: nothing shared with the chain's code.
Eigen::Matrix4d produitURDF(const std::string& fichier, const std::string& lien,
                            const std::vector<double>& valeurs) {
    const urdf::ModelInterfaceSharedPtr m = urdf::parseURDFFile(fichier);
    std::vector<urdf::JointConstSharedPtr> joints;
    for (auto l = m->getLink(lien); l->parent_joint; l = l->getParent())
        joints.insert(joints.begin(), l->parent_joint);
    Eigen::Matrix4d t = Eigen::Matrix4d::Identity();
    size_t k = 0;
    for (const auto& j : joints) {
        const urdf::Pose& p = j->parent_to_joint_origin_transform;
        const double w = p.rotation.w, x = p.rotation.x, y = p.rotation.y, z = p.rotation.z;
        Eigen::Matrix4d o = Eigen::Matrix4d::Identity();
        o.block<3, 3>(0, 0) << 1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w),
            2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w), 2 * (x * z - y * w),
            2 * (y * z + x * w), 1 - 2 * (x * x + y * y);
        o.block<3, 1>(0, 3) << p.position.x, p.position.y, p.position.z;
        Eigen::Matrix4d mvt = Eigen::Matrix4d::Identity();
        if (j->type != urdf::Joint::FIXED) {
            const double a = valeurs.at(k++);
            Eigen::Vector3d u(j->axis.x, j->axis.y, j->axis.z);
            Eigen::Matrix3d K;
            K << 0, -u.z(), u.y(), u.z(), 0, -u.x(), -u.y(), u.x(), 0;
            mvt.block<3, 3>(0, 0) += std::sin(a) * K + (1 - std::cos(a)) * K * K;
        }
        t = t * o * mvt;
    }
    return t;
}

class ChaineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(robotsDeTestPresents()); }
};

TEST_F(ChaineTest, ModeleDirect_PositionsDesFichiersEtProduitIndependant) {
    const RobotURDF kr5 = chargeSansMaillages(KR5), wam = chargeSansMaillages(WAM);
    ASSERT_EQ(kr5.chaine.nbArticulations(), 6);
    ASSERT_EQ(wam.chaine.nbArticulations(), 7);
    EXPECT_EQ(kr5.chaine.nomArticulation(0), "shoulder_yaw");
    EXPECT_EQ(wam.chaine.nomArticulation(6), "/j7");
    EXPECT_NEAR(kr5.chaine.limites(1).min, -1.745329252, 1e-12);
    EXPECT_NEAR(wam.chaine.limites(3).max, 3.10, 1e-12);

    std::vector<Eigen::Isometry3d> reperes;
    kr5.chaine.reperesLiens(VecteurArticulaire::Zero(6), reperes);
    const int palm = kr5.chaine.indiceLien("palm");
    ASSERT_EQ(palm, kr5.chaine.nbLiens() - 1);
    EXPECT_LT((reperes[palm].translation() - Eigen::Vector3d(0.420000, 0.193000, 0.000552)).norm(),
              1e-6);
    const Eigen::Vector3d wam7 = wam.chaine.modeleDirect(VecteurArticulaire::Zero(7)).translation();
    EXPECT_LT((wam7 - Eigen::Vector3d(0.22, 0.14, 1.196)).norm(), 1e-6);

    std::mt19937 alea(7);
    for (const RobotURDF* r : {&kr5, &wam})
        for (int essai = 0; essai < 50; ++essai) {
            const VecteurArticulaire q = tireDansLimites(r->chaine, alea);
            const Eigen::Matrix4d attendu =
                produitURDF(r->fichier, r->chaine.nomLien(r->chaine.nbLiens() - 1),
                            std::vector<double>(q.data(), q.data() + q.size()));
            EXPECT_LT((r->chaine.modeleDirect(q).matrix() - attendu).cwiseAbs().maxCoeff(), 1e-12)
                << r->nom << " essai " << essai;
        }
}

TEST_F(ChaineTest, Jacobien_DifferencesFiniesDuModeleDirect) {
    const RobotURDF kr5 = chargeSansMaillages(KR5);
    const ChaineCinematique& c = kr5.chaine;
    std::mt19937 alea(11);
    const double h = 1e-6;
    for (int essai = 0; essai < 100; ++essai) {
        const VecteurArticulaire q = tireDansLimites(c, alea);
        const Jacobien j = c.jacobien(q);
        Jacobien d(6, c.nbArticulations());
        for (int i = 0; i < c.nbArticulations(); ++i) {
            VecteurArticulaire a = q, b = q;
            a[i] -= h;
            b[i] += h;
            const Eigen::Isometry3d ta = c.modeleDirect(a), tb = c.modeleDirect(b);
            d.col(i).head<3>() = (tb.translation() - ta.translation()) / (2 * h);
            d.col(i).tail<3>() = ecartRotation(ta.linear(), tb.linear()) / (2 * h);
        }
        EXPECT_LT((j - d).norm() / j.norm(), 1e-4) << "essai " << essai;
    }
}

// 100 poses from random joints within limits: every one solved within limits and tolerance.
void verifieInverse(const std::string& fichier) {
    const RobotURDF r = chargeSansMaillages(fichier);
    const ChaineCinematique& c = r.chaine;
    std::mt19937 alea(2024);
    int resolus = 0;
    for (int essai = 0; essai < 100; ++essai) {
        const VecteurArticulaire q = tireDansLimites(c, alea);
        CibleOutil cible;
        cible.pose = c.modeleDirect(q);
        const ResultatInverse res = c.modeleInverse(cible, VecteurArticulaire::Zero(q.size()));
        if (!res.reussi) {
            ADD_FAILURE() << r.nom << " essai " << essai << " : " << res.raison;
            continue;
        }
        ++resolus;
        const Eigen::Isometry3d atteint = c.modeleDirect(res.q);
        EXPECT_LT((atteint.translation() - cible.pose.translation()).norm(), 1e-6);
        EXPECT_LT(ecartRotation(atteint.linear(), cible.pose.linear()).norm(), 1e-5);
        for (int i = 0; i < q.size(); ++i) {
            EXPECT_GE(res.q[i], c.limites(i).min);
            EXPECT_LE(res.q[i], c.limites(i).max);
        }
    }
    EXPECT_EQ(resolus, 100) << r.nom;
}

TEST_F(ChaineTest, ModeleInverse_CentPosesAtteignablesKR5) { verifieInverse(KR5); }
TEST_F(ChaineTest, ModeleInverse_CentPosesAtteignablesWAM) { verifieInverse(WAM); }

// A planar arm of two turning links (lengths 1 and 1, z axes), each given [min, max].
ChaineCinematique brasPlan(double min, double max) {
    ChaineCinematique c("socle");
    Eigen::Isometry3d o = Eigen::Isometry3d::Identity();
    c.ajouteArticulation("epaule", TypeArticulation::Rotoide, o, Eigen::Vector3d::UnitZ(), min, max,
                         1, "bras");
    o.translation() = Eigen::Vector3d(1, 0, 0);
    c.ajouteArticulation("coude", TypeArticulation::Rotoide, o, Eigen::Vector3d::UnitZ(), min, max,
                         1, "avant-bras");
    Eigen::Isometry3d outil = Eigen::Isometry3d::Identity();
    outil.translation() = Eigen::Vector3d(1, 0, 0);
    c.setOutil(outil);
    return c;
}

CibleOutil point(double x, double y, double z) {
    CibleOutil c;
    c.pose.translation() = Eigen::Vector3d(x, y, z);
    c.orientation = false;
    return c;
}

TEST(ChaineRaisons, ModeleInverse_ChaqueEchecDitSaRaison) {
    const ChaineCinematique libre = brasPlan(-M_PI, M_PI);
    const VecteurArticulaire zero = VecteurArticulaire::Zero(2);
    // Reachable: found, and success means within tolerance.
    ResultatInverse r = libre.modeleInverse(point(1.2, 0.7, 0), zero);
    ASSERT_TRUE(r.reussi) << r.raison;
    EXPECT_LT((libre.modeleDirect(r.q).translation() - Eigen::Vector3d(1.2, 0.7, 0)).norm(), 1e-6);
    // Beyond the reach of both links.
    r = libre.modeleInverse(point(2.5, 0, 0), zero);
    EXPECT_FALSE(r.reussi);
    EXPECT_EQ(r.raison, "hors d'atteinte");
    // Within reach but out of the arm's plane: never reported as reached.
    r = libre.modeleInverse(point(1, 0.5, 0.3), zero);
    EXPECT_FALSE(r.reussi);
    EXPECT_GT(r.erreurPosition, 0.1);
    // Reachable only with the shoulder below its lower limit.
    const ChaineCinematique bornee = brasPlan(0, 2);
    r = bornee.modeleInverse(point(1.2, -0.7, 0), zero);
    EXPECT_FALSE(r.reussi);
    EXPECT_EQ(r.raison, "limites articulaires");
    for (int i = 0; i < 2; ++i) EXPECT_GE(r.q[i], 0);

    // Two joints turning about the same axis at the same point: the tool only turns on its
    // circle, whatever the joints.
    ChaineCinematique coaxiale("socle");
    const Eigen::Isometry3d id = Eigen::Isometry3d::Identity();
    coaxiale.ajouteArticulation("a", TypeArticulation::Continue, id, Eigen::Vector3d::UnitZ(), 0, 0,
                                1, "l1");
    coaxiale.ajouteArticulation("b", TypeArticulation::Continue, id, Eigen::Vector3d::UnitZ(), 0, 0,
                                1, "l2");
    Eigen::Isometry3d outil = id;
    outil.translation() = Eigen::Vector3d(1, 0, 0);
    coaxiale.setOutil(outil);
    r = coaxiale.modeleInverse(point(0.5, 0, 0), zero);
    EXPECT_FALSE(r.reussi);
    EXPECT_EQ(r.raison, "singularité");
}

TEST(ChaineRaisons, Articulation_EntreesInvalidesRefuseesEnNommantLArticulation) {
    ChaineCinematique c;
    const Eigen::Isometry3d id = Eigen::Isometry3d::Identity();
    Eigen::Isometry3d nan = id;
    nan.translation().x() = NAN;
    const auto message = [&](auto f) {
        try {
            f();
        } catch (const std::invalid_argument& e) {
            return std::string(e.what());
        }
        return std::string("aucune erreur");
    };
    EXPECT_EQ(
        message([&] {
            c.ajouteArticulation("j", TypeArticulation::Rotoide, id, {0, 0, 0}, -1, 1, 1, "l");
        }),
        "articulation « j » : axe nul");
    EXPECT_EQ(
        message([&] {
            c.ajouteArticulation("j", TypeArticulation::Rotoide, id, {0, 0, 1}, 1, -1, 1, "l");
        }),
        "articulation « j » : limite basse 1 au-dessus de la limite haute -1");
    EXPECT_EQ(
        message([&] {
            c.ajouteArticulation("j", TypeArticulation::Rotoide, nan, {0, 0, 1}, -1, 1, 1, "l");
        }),
        "articulation « j » : origine non finie");
    EXPECT_EQ(c.nbJoints(), 0);
}

}  // namespace
