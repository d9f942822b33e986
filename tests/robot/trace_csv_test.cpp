// The motion trace: header, one row's values, and files that cannot or may not be written.
#include "robot/trace_csv.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "robot/fabrique_robot.h"

TEST(TraceCsv, EnteteEtValeursDUneLigne) {
    std::vector<std::shared_ptr<Instance>> instances;
    auto robot = robotDeTest(&instances);
    ASSERT_TRUE(robot->setCoordArticulaires(30, 10.2f, -20, 5));
    robot->ajouteCommande(Commande());
    const std::string chemin =
        (std::filesystem::temp_directory_path() / "brakmor_trace_test.csv").string();
    {
        TraceCsv trace;
        ASSERT_TRUE(trace.ouvre(chemin, {})) << trace.erreur;
        EXPECT_TRUE(trace.ecrit(0.25, *robot, "cube_rouge"));
        // Written as it goes: the row is in the file before the trace is closed.
        std::ifstream f(chemin);
        std::string entete, ligne;
        std::getline(f, entete);
        std::getline(f, ligne);
        EXPECT_EQ(entete + "\n", TraceCsv::ENTETE);
        // No float noise (10.2, not 10.1999998), and every value reads back exactly.
        EXPECT_EQ(ligne.rfind("0.250,30,10.2,-20,5,", 0), 0u) << ligne;
        std::istringstream champs(ligne);
        std::string champ;
        std::getline(champs, champ, ',');
        for (float v : {robot->THETA1, robot->THETA2, robot->THETA3, robot->THETA5, robot->X,
                        robot->Y, robot->Z, robot->THETA}) {
            std::getline(champs, champ, ',');
            EXPECT_EQ(std::stof(champ), v) << champ;
            EXPECT_LE(champ.size(), 10u) << champ;
        }
        std::getline(champs, champ);
        EXPECT_EQ(champ, "cube_rouge,1");
    }
    std::filesystem::remove(chemin);
}

TEST(TraceCsv, FichierImpossibleSignaleSansArreter) {
    std::vector<std::shared_ptr<Instance>> instances;
    auto robot = robotDeTest(&instances);
    TraceCsv trace;
    EXPECT_FALSE(trace.ouvre(std::filesystem::temp_directory_path().string(), {}));
    EXPECT_NE(trace.erreur.find("est un dossier"), std::string::npos) << trace.erreur;
    EXPECT_FALSE(trace.ecrit(0, *robot, ""));
    EXPECT_FALSE(trace.ouverte());
}

// A trace over a file already there keeps it as .bak; a named pipe (where opening would
// block) and a file of the scene are refused and left as they were.
TEST(TraceCsv, GardeLAncienFichierEtRefuseTubeEtScene) {
    namespace fs = std::filesystem;
    const fs::path dossier = fs::temp_directory_path() / "brakmor_trace_fichiers";
    fs::remove_all(dossier);
    fs::create_directories(dossier);
    const std::string ancien = (dossier / "t.csv").string(), scene = (dossier / "s.txt").string();
    std::ofstream(ancien) << "ancien\n";
    std::ofstream(scene) << "a = 1;\n";
    TraceCsv trace;
    ASSERT_TRUE(trace.ouvre(ancien, {scene})) << trace.erreur;
    trace.ferme();
    std::ifstream bak(ancien + ".bak"), nouveau(ancien);
    std::string ligne;
    EXPECT_TRUE(std::getline(bak, ligne) && ligne == "ancien");
    EXPECT_TRUE(std::getline(nouveau, ligne) && ligne + "\n" == TraceCsv::ENTETE);

    const std::string tube = (dossier / "tube").string();
    ASSERT_EQ(mkfifo(tube.c_str(), 0600), 0);
    EXPECT_FALSE(trace.ouvre(tube, {scene}));
    EXPECT_NE(trace.erreur.find(tube + " est un tube nommé"), std::string::npos) << trace.erreur;
    EXPECT_TRUE(fs::is_fifo(tube));
    // The scene's file under another spelling of its path.
    const std::string autreNom = (dossier / "." / "s.txt").string();
    EXPECT_FALSE(trace.ouvre(autreNom, {scene}));
    EXPECT_NE(trace.erreur.find(autreNom + " est un fichier lu par la scène"), std::string::npos)
        << trace.erreur;
    EXPECT_EQ(fs::file_size(scene), 7u);
    EXPECT_FALSE(trace.ouverte());
    // Nothing else was left in the folder: no .bak of what was refused, no temporary file.
    EXPECT_EQ(std::distance(fs::directory_iterator(dossier), fs::directory_iterator()), 4);
    fs::remove_all(dossier);
}
