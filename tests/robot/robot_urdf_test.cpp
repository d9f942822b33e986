// Robot descriptions: a small gantry of ours (sliding joints, simple solids, colours, a
// scale), the KR5 and the WAM with their STL and COLLADA meshes, and every malformed input
// giving a located message without bringing anything down.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>

#include "geometrie/maillage_assimp.h"
#include "robot/robots_urdf.h"

namespace {

TEST(RobotURDF, Portique_ArticulationsVisuelsCouleursALEchelle) {
    OptionsURDF o;
    o.echelle = 100;
    const RobotURDF r = lisURDF("urdf/portique.urdf", o);
    EXPECT_TRUE(r.avertissements.empty());
    EXPECT_EQ(r.nom, "portique");
    const ChaineCinematique& c = r.chaine;
    ASSERT_EQ(c.nbArticulations(), 3);
    EXPECT_EQ(c.nomArticulation(0), "translation");
    EXPECT_TRUE(c.limites(0).prismatique);
    EXPECT_DOUBLE_EQ(c.limites(0).min, -80);
    EXPECT_DOUBLE_EQ(c.limites(0).vitesse, 50);
    EXPECT_DOUBLE_EQ(c.limites(1).max, 3);  // an angle keeps its unit
    EXPECT_DOUBLE_EQ(c.limites(2).max, 40);

    // Carriage at x = 20, column turned a quarter, arm 10 down: tool at (20, 30, 50).
    const Eigen::Vector3d p = c.modeleDirect(Eigen::Vector3d(20, M_PI / 2, 10)).translation();
    EXPECT_LT((p - Eigen::Vector3d(20, 30, 50)).norm(), 1e-9);

    // Three joints: the position is asked for, and reached.
    CibleOutil cible;
    cible.pose.translation() = Eigen::Vector3d(-40, -25, 35);
    ResultatInverse res = c.modeleInverse(cible, Eigen::Vector3d::Zero());
    ASSERT_TRUE(res.reussi) << res.raison;
    EXPECT_LT((c.modeleDirect(res.q).translation() - cible.pose.translation()).norm(), 1e-4);
    cible.pose.translation() = Eigen::Vector3d(0, 0, 90);  // above the column's top
    res = c.modeleInverse(cible, Eigen::Vector3d::Zero());
    EXPECT_FALSE(res.reussi);
    EXPECT_FALSE(res.raison.empty());

    ASSERT_EQ(r.visuels.size(), 3u);
    const VisuelURDF& socle = r.visuels[0];
    EXPECT_EQ(c.nomLien(socle.lien), "socle");
    EXPECT_LT((socle.origine.translation() - Eigen::Vector3d(0, 0, 5)).norm(), 1e-9);
    EXPECT_NEAR(socle.maillage->boiteMax.x - socle.maillage->boiteMin.x, 200, 1e-3);
    EXPECT_NEAR(socle.maillage->boiteMax.z - socle.maillage->boiteMin.z, 10, 1e-3);
    ASSERT_TRUE(socle.materiau);
    EXPECT_FLOAT_EQ(socle.materiau->couleur2.g, 0.8f);
    ASSERT_TRUE(r.visuels[1].materiau);
    EXPECT_FLOAT_EQ(r.visuels[1].materiau->couleur2.b, 1.0f);
    EXPECT_NEAR(r.visuels[1].maillage->boiteMax.z, 25, 1e-3);  // cylinder of length 50
    EXPECT_FALSE(r.visuels[2].materiau);
    EXPECT_NEAR(r.visuels[2].maillage->boiteMax.x, 5, 1e-3);  // sphere of radius 5
}

TEST(RobotURDF, KR5EtWAM_MaillagesSTLEtCOLLADA) {
    ASSERT_TRUE(robotsDeTestPresents());
    OptionsURDF o;
    o.echelle = 100;
    const RobotURDF kr5 = lisURDF(KR5, o), wam = lisURDF(WAM, o);
    for (const RobotURDF* r : {&kr5, &wam})
        for (const DiagnosticURDF& d : r->avertissements) ADD_FAILURE() << d.texte();
    ASSERT_EQ(kr5.visuels.size(), 7u);
    ASSERT_EQ(wam.visuels.size(), 8u);  // package://herb_description/… found beside the file
    // The palm's mesh, in centimetres, is a few centimetres across.
    const Mesh& palm = *kr5.visuels.back().maillage;
    EXPECT_EQ(kr5.chaine.nomLien(kr5.visuels.back().lien), "palm");
    EXPECT_GT(palm.nbFaces(), 100);
    const float largeur = palm.boiteMax.y - palm.boiteMin.y;
    EXPECT_GT(largeur, 1.0f);
    EXPECT_LT(largeur, 20.0f);
    EXPECT_GT(wam.visuels[1].maillage->nbFaces(), 100);
    // The COLLADA meshes, their nodes' placements applied, lie where the same links' STL
    // versions do.
    for (const std::string lien : {"wam_base", "wam1"}) {
        const std::string base = "../urdf-dart/wam/meshes/wam/" + lien;
        const auto dae = lisMaillageAssimp(base + ".dae"), stl = lisMaillageAssimp(base + ".STL");
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(dae->boiteMin[i], stl->boiteMin[i], 1e-3) << lien;
            EXPECT_NEAR(dae->boiteMax[i], stl->boiteMax[i], 1e-3) << lien;
        }
    }
    // The reader a caller plugs in is used; a mesh it cannot give is a warning.
    OptionsURDF sansLecteur = o;
    std::vector<std::string> demandes;
    sansLecteur.lecteur = [&](const std::string& chemin, float echelle) {
        EXPECT_FLOAT_EQ(echelle, 100.0f);
        demandes.push_back(chemin);
        return std::shared_ptr<Mesh>();
    };
    const RobotURDF sans = lisURDF(KR5, sansLecteur);
    EXPECT_EQ(demandes.size(), 7u);
    EXPECT_TRUE(sans.visuels.empty());
    ASSERT_EQ(sans.avertissements.size(), 7u);
    EXPECT_EQ(sans.avertissements[0].texte(),
              KR5 + ":31: maillage illisible : ../urdf-dart/KR5/meshes/base_link.STL");
    EXPECT_EQ(sans.chaine.nbArticulations(), 6);
    // The scale reaches the chain: the palm at (42, 19.3, 0.0552) cm.
    EXPECT_LT((kr5.chaine.modeleDirect(VecteurArticulaire::Zero(6)).translation() -
               Eigen::Vector3d(42, 19.3, 0.0552))
                  .norm(),
              1e-4);
}

TEST(RobotURDF, CasMalFormesDeDart_MessagesSituees) {
    ASSERT_TRUE(robotsDeTestPresents());
    try {
        lisURDF("../urdf-dart/test/invalid.urdf");
        ADD_FAILURE() << "invalid.urdf accepté";
    } catch (const ErreurURDF& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "../urdf-dart/test/invalid.urdf: description URDF invalide", 0),
                  0u)
            << e.what();
    }
    const RobotURDF manquant = lisURDF("../urdf-dart/test/missing_mesh.urdf");
    ASSERT_EQ(manquant.avertissements.size(), 1u);
    EXPECT_EQ(manquant.avertissements[0].texte(),
              "../urdf-dart/test/missing_mesh.urdf:6: maillage introuvable : "
              "../urdf-dart/test/this_file_does_not_exist.stl");
    EXPECT_EQ(manquant.chaine.nbLiens(), 1);

    const RobotURDF paquet = lisURDF("../urdf-dart/test/missing_package.urdf");
    ASSERT_EQ(paquet.avertissements.size(), 1u);
    EXPECT_EQ(paquet.avertissements[0].texte(),
              "../urdf-dart/test/missing_package.urdf:6: maillage introuvable (paquet "
              "« missing_package ») : package://missing_package/foo.stl");

    const RobotURDF primitives = lisURDF("../urdf-dart/test/primitive_geometry.urdf");
    EXPECT_TRUE(primitives.avertissements.empty());
    EXPECT_EQ(primitives.visuels.size(), 1u);
}

// Descriptions written into a scratch folder, next to the files they name.
class EntreesHostiles : public ::testing::Test {
protected:
    void SetUp() override {
        char modele[] = "/tmp/brakmor-urdf-XXXXXX";
        ASSERT_TRUE(mkdtemp(modele));
        dossier = modele;
    }
    void TearDown() override { std::system(("rm -rf '" + dossier + "'").c_str()); }

    std::string ecrit(const std::string& nom, const std::string& texte) {
        const std::string chemin = dossier + "/" + nom;
        std::ofstream(chemin) << texte;
        return chemin;
    }
    // The error text for this description; "" when it loads.
    std::string erreur(const std::string& corps, const std::string& outil = "") {
        OptionsURDF o;
        o.lienOutil = outil;
        try {
            lisURDF(ecrit("r.urdf", "<robot name=\"r\">\n" + corps + "</robot>\n"), o);
        } catch (const ErreurURDF& e) {
            return std::string(e.what()).substr(dossier.size() + 1);
        }
        return "";
    }
    static std::string joint(const std::string& nom, const std::string& parent,
                             const std::string& enfant, const std::string& type = "revolute",
                             const std::string& suite =
                                 "<axis xyz=\"0 0 1\"/>"
                                 "<limit lower=\"-1\" upper=\"1\" effort=\"1\" velocity=\"1\"/>") {
        return "<joint name=\"" + nom + "\" type=\"" + type + "\"><parent link=\"" + parent +
               "\"/><child link=\"" + enfant + "\"/>" + suite + "</joint>\n";
    }
    static std::string lien(const std::string& nom) { return "<link name=\"" + nom + "\"/>\n"; }
    std::string dossier;
};

TEST_F(EntreesHostiles, DescriptionsInvalides_ErreurSituee) {
    EXPECT_EQ(erreur(lien("a") + lien("b") + joint("j1", "a", "b") + joint("j2", "b", "a")),
              "r.urdf:4: cycle d'articulations : « j1 » ramène au lien « a »");
    EXPECT_EQ(
        erreur(lien("a") + lien("b") + lien("c") + joint("j1", "a", "c") + joint("j2", "b", "c")),
        "r.urdf:6: le lien « c » a deux parents (« j1 » et « j2 »)");
    const std::string type = erreur(lien("a") + lien("b") + joint("j", "a", "b", "hinge"));
    EXPECT_EQ(type.rfind("r.urdf:4: description URDF invalide : ", 0), 0u) << type;
    EXPECT_NE(type.find("hinge"), std::string::npos) << type;
    EXPECT_EQ(erreur(lien("a") + lien("b") +
                     joint("j", "a", "b", "revolute",
                           "<axis xyz=\"0 0 1\"/><limit lower=\"1\" upper=\"-1\" effort=\"1\" "
                           "velocity=\"1\"/>")),
              "r.urdf:4: articulation « j » : limite basse 1 au-dessus de la limite haute -1");
    EXPECT_EQ(erreur(lien("a") + lien("b") +
                     joint("j", "a", "b", "revolute",
                           "<axis xyz=\"0 0 0\"/><limit lower=\"-1\" upper=\"1\" effort=\"1\" "
                           "velocity=\"1\"/>")),
              "r.urdf:4: articulation « j » : axe nul");
    const std::string nan = erreur(lien("a") + lien("b") +
                                   joint("j", "a", "b", "revolute",
                                         "<origin xyz=\"nan 0 0\"/><axis xyz=\"0 0 1\"/><limit "
                                         "lower=\"-1\" upper=\"1\" effort=\"1\" velocity=\"1\"/>"));
    EXPECT_EQ(nan.rfind("r.urdf:4: description URDF invalide : ", 0), 0u) << nan;
    EXPECT_NE(nan.find("nan"), std::string::npos) << nan;

    // A tree: refused naming the branching link, unless the tool's link is named.
    const std::string arbre =
        lien("a") + lien("b") + lien("c") + joint("j1", "a", "b") + joint("j2", "a", "c");
    EXPECT_EQ(erreur(arbre),
              "r.urdf:2: la description est un arbre : le lien « a » a 2 enfants "
              "(« b », « c ») ; nommez le lien de l'outil");
    EXPECT_EQ(erreur(arbre, "c"), "");
    EXPECT_EQ(erreur(arbre, "z"), "r.urdf: lien de l'outil « z » inconnu");
}

// The XML reader would step past the end of a text whose last UTF-8 character is cut short.
TEST_F(EntreesHostiles, TexteQuiNEstPasEnUtf8Refuse) {
    EXPECT_EQ(erreur("<link name=\"a\xC3\"/>\n"), "r.urdf:2: la description n'est pas en UTF-8");
    EXPECT_THROW(lisURDFTexte("<robot name=\"r\"><link name=\"\xC3", "r.urdf"), ErreurURDF);
}

TEST_F(EntreesHostiles, MaillagesRefuses_AvertissementSitueEtRobotCharge) {
    ecrit("objet.obj", "v 0 0 0\n");
    // A gigabyte, sparse: nothing is read before the size is checked.
    {
        std::FILE* f = std::fopen((dossier + "/enorme.stl").c_str(), "w");
        ASSERT_TRUE(f);
        ASSERT_EQ(ftruncate(fileno(f), 1L << 30), 0);
        std::fclose(f);
    }
    const auto visuel = [](const std::string& fichier) {
        return "<visual><geometry><mesh filename=\"" + fichier + "\"/></geometry></visual>";
    };
    const std::string texte = "<robot name=\"r\">\n<link name=\"a\">\n" + visuel("objet.obj") +
                              "\n" + visuel("enorme.stl") + "\n" +
                              visuel("package://paquet/../../etc/passwd") + "\n</link>\n</robot>\n";
    const RobotURDF r = lisURDF(ecrit("r.urdf", texte));
    EXPECT_TRUE(r.visuels.empty());
    ASSERT_EQ(r.avertissements.size(), 3u);
    EXPECT_EQ(r.avertissements[0].ligne, 3);
    EXPECT_NE(r.avertissements[0].message.find("format de maillage non pris en charge"),
              std::string::npos);
    EXPECT_EQ(r.avertissements[1].ligne, 4);
    EXPECT_NE(r.avertissements[1].message.find("maillage trop gros (1024 Mo"), std::string::npos);
    EXPECT_EQ(r.avertissements[2].ligne, 5);
    EXPECT_EQ(r.avertissements[2].message,
              "chemin de paquet refusé (il sort du paquet) : package://paquet/../../etc/passwd");
}

}  // namespace
