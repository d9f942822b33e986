// Taught poses saved as a scene-file fragment: included in the scene, the fragment replays the
// same motion; saving keeps the previous file and never leaves a half-written one.
#include "robot/points_passage.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "robot/bras_chaine.h"
#include "robot/robot.h"
#include "script/banc_script.h"
#include "script/fragment_scene.h"

namespace {
std::string sceneRobot() {
    std::string s;
    for (int i = 0; i < 11; ++i)
        s += "l" + std::to_string(i) + " = " + BancScript::triangle(i) + ";\n";
    s += "r = robot(10, 20, 30, 30, 5, 5, 5, 5, 5, 90, 90, 90, 90, 2, 1";
    for (int i = 0; i < 11; ++i) s += ", &l" + std::to_string(i);
    return s + ");\ni = instancieEntite(&r);\n";
}

Robot* robotDe(CScene& scene) {
    for (auto& e : scene.entites)
        if (auto* r = dynamic_cast<Robot*>(e.get())) return r;
    return nullptr;
}

std::string contenu(const std::string& chemin) {
    std::ifstream f(chemin);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}
}  // namespace

using PointsPassageScript = BancScript;

TEST_F(PointsPassageScript, FragmentInclusRejoueLeMemeMouvement) {
    ASSERT_EQ(charge(sceneRobot()), 0);
    Robot* r = robotDe(scene);
    ASSERT_TRUE(r);
    PointsPassage points;
    ASSERT_TRUE(r->setCoordArticulaires(45, 40, -70, 10));
    points.ajoute(*r);
    ASSERT_TRUE(r->setCoordArticulaires(80, 30, -60, 0));
    points.ajoute(*r);
    const std::string fragment = dossier + "points.txt";
    ASSERT_EQ(enregistrePoints(points, fragment, "r", false, {}), "");

    // A second save keeps the first file as .bak.
    ASSERT_TRUE(r->setCoordArticulaires(60, 35, -65, 5));
    points.ajoute(*r);
    const std::string premier = contenu(fragment);
    ASSERT_EQ(enregistrePoints(points, fragment, "r", false, {}), "");
    EXPECT_EQ(contenu(fragment + ".bak"), premier);
    EXPECT_FALSE(std::filesystem::exists(fragment + ".tmp"));

    // A fresh scene that includes the fragment ends at the last stored pose.
    CScene autre;
    Camera camera2;
    Script script2(&autre, &camera2);
    const std::string chemin = ecrit("rejeu.txt", sceneRobot() + "#include points.txt\n");
    ASSERT_EQ(script2.charge(chemin.c_str()), 0);
    EXPECT_EQ(nbBoites(), 0) << toutesLesBoites();
    Robot* r2 = robotDe(autre);
    ASSERT_TRUE(r2);
    EXPECT_EQ(r2->commandes.size(), 3u);
    for (int pas = 0; pas < 2000 && !r2->commandes.empty(); ++pas) r2->avance(0.01f);
    EXPECT_TRUE(r2->commandes.empty());
    EXPECT_NEAR(r2->THETA1, 60, 1e-3);
    EXPECT_NEAR(r2->THETA2, 35, 1e-3);
    EXPECT_NEAR(r2->THETA3, -65, 1e-3);
    EXPECT_NEAR(r2->THETA5, 5, 1e-3);

    // Replayed in place, from another pose, the list ends at the same pose.
    ASSERT_TRUE(r->setCoordArticulaires(90, 0, 0, 0));
    EXPECT_EQ(points.rejoue(*r, nullptr, false), 3u);
    for (int pas = 0; pas < 2000 && !r->commandes.empty(); ++pas) r->avance(0.01f);
    EXPECT_NEAR(r->THETA1, 60, 1e-3);
    EXPECT_NEAR(r->THETA3, -65, 1e-3);

    // A folder as the target: refused with its reason, nothing written.
    EXPECT_NE(enregistrePoints(points, dossier, "r", false, {}).find("dossier"), std::string::npos);
}

// Poses taught on an arm read from a description: saved, the fragment replays them on the
// same description (a joint move each, the grip where it changes); replayed in place, the
// list ends at the last pose; on an arm with another number of joints it is refused.
TEST_F(PointsPassageScript, BrasDecrit_FragmentEtRejeuSurLaMemeDescription) {
    const std::string urdf = (std::filesystem::current_path() / "urdf/portique.urdf").string();
    const std::string scene = "p = robotURDF(\"" + urdf + "\", 100.0);\ni = instancieEntite(&p);\n";
    ASSERT_EQ(charge(scene), 0);
    auto* p = dynamic_cast<BrasChaine*>(this->scene.entites.at(0).get());
    ASSERT_TRUE(p);
    PointsPassage points;
    ASSERT_EQ(p->setArticulations({20, 90, 10}), "");
    points.ajoute(*p, false);
    ASSERT_EQ(p->setArticulations({-30, 45, 25.5}), "");
    points.ajoute(*p, true);
    const std::string fragment = dossier + "points.txt";
    ASSERT_EQ(enregistrePoints(points, fragment, "p", true, {}), "");
    EXPECT_NE(contenu(fragment).find("deplaceArticulaire(&p, -30.0000, 45.0000, 25.5000);\n"
                                     "saisis(&p);\n"),
              std::string::npos)
        << contenu(fragment);

    CScene autre;
    Camera camera2;
    Script script2(&autre, &camera2);
    ASSERT_EQ(script2.charge(ecrit("rejeu.txt", scene + "#include points.txt\n").c_str()), 0);
    EXPECT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto* p2 = dynamic_cast<BrasChaine*>(autre.entites.at(0).get());
    ASSERT_TRUE(p2);
    ASSERT_EQ(p2->commandes.size(), 3u);
    EXPECT_EQ(p2->commandes[1].cible, (std::vector<double>{-30, 45, 25.5}));
    EXPECT_EQ(p2->commandes[2].genre, GenreCommande::Saisie);

    ASSERT_EQ(p->setArticulations({0, 0, 0}), "");
    std::string raison;
    EXPECT_EQ(points.rejoue(*p, false, true, raison), 3u);  // along straight lines
    EXPECT_EQ(raison, "");
    for (int pas = 0; pas < 2000 && p->nbCommandes() > 0; ++pas) p->avance(0.01f);
    EXPECT_EQ(p->valeursArticulations(), (std::vector<double>{-30, 45, 25.5}));
    // The second line starts at the column's singular pose (the tool at its furthest along
    // y): rather than whirl round, the arm made a joint move, and said so; then the grip
    // found nothing at the tool.
    EXPECT_EQ(p->numeroRaison(), 2u);
    EXPECT_EQ(p->raison(), "commande abandonnée : aucun objet sous la pince");

    PointsPassage quatre;
    PointPassage q;
    q.T1 = 90;
    quatre.ajoute(q);
    EXPECT_EQ(quatre.rejoue(*p, false, false, raison), 0u);
    EXPECT_EQ(raison, "point 1 : 4 articulations, le robot en a 3");
}
