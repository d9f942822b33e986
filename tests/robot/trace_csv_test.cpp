// The motion trace: header, one row's values, and files that cannot be written.
#include "robot/trace_csv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "robot/fabrique_robot.h"

TEST(TraceCsv, EnteteEtValeursDUneLigne) {
    std::vector<std::shared_ptr<Instance>> instances;
    auto robot = robotDeTest(&instances);
    ASSERT_TRUE(robot->setCoordArticulaires(30, 10, -20, 5));
    robot->ajouteCommande(Commande());
    const std::string chemin =
        (std::filesystem::temp_directory_path() / "brakmor_trace_test.csv").string();
    {
        TraceCsv trace;
        ASSERT_TRUE(trace.ouvre(chemin)) << trace.erreur;
        EXPECT_TRUE(trace.ecrit(0.25, *robot, "cube_rouge"));
        // Written as it goes: the row is in the file before the trace is closed.
        std::ifstream f(chemin);
        std::string entete, ligne;
        std::getline(f, entete);
        std::getline(f, ligne);
        EXPECT_EQ(entete + "\n", TraceCsv::ENTETE);
        std::ostringstream attendu;
        attendu.precision(9);
        attendu << "0.250,30,10,-20,5," << robot->X << ',' << robot->Y << ',' << robot->Z << ','
                << robot->THETA << ",cube_rouge,1";
        EXPECT_EQ(ligne, attendu.str());
    }
    std::filesystem::remove(chemin);
}

TEST(TraceCsv, FichierImpossibleSignaleSansArreter) {
    std::vector<std::shared_ptr<Instance>> instances;
    auto robot = robotDeTest(&instances);
    TraceCsv trace;
    EXPECT_FALSE(trace.ouvre(std::filesystem::temp_directory_path().string()));
    EXPECT_NE(trace.erreur.find("est un dossier"), std::string::npos) << trace.erreur;
    EXPECT_FALSE(trace.ecrit(0, *robot, ""));
    // A full disk: the header's flush fails and the trace closes with the reason.
    EXPECT_FALSE(trace.ouvre("/dev/full"));
    EXPECT_NE(trace.erreur.find("écriture impossible"), std::string::npos) << trace.erreur;
    EXPECT_FALSE(trace.ouverte());
}
