// Taught poses saved as a scene-file fragment: included in the scene, the fragment replays the
// same motion; saving keeps the previous file and never leaves a half-written one.
#include "robot/points_passage.h"

#include <filesystem>
#include <fstream>
#include <sstream>

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
