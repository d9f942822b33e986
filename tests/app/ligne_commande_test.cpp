// The command line's token rules.
#include "app/ligne_commande.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/aide.h"

namespace {
LigneCommande lit(std::vector<std::string> args) {
    args.insert(args.begin(), "brakmor");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    return analyseLigneCommande(static_cast<int>(argv.size()), argv.data());
}
}  // namespace

TEST(LigneCommande, TroisFormesDuNomDeScene) {
    EXPECT_EQ(lit({"-f", "scene.txt"}).fichier, "scene.txt");
    EXPECT_EQ(lit({"-f=scene.txt"}).fichier, "scene.txt");
    EXPECT_EQ(lit({"-f(scene.txt)"}).fichier, "scene.txt");
    EXPECT_EQ(lit({"-f", "a.txt", "-f", "b.txt"}).fichier, "b.txt");
    // A blank ends the name: the rest is an unknown argument, skipped.
    EXPECT_EQ(lit({"-f", "mon fichier.txt"}).fichier, "mon");
}

TEST(LigneCommande, ResolutionAvecXOuBlanc) {
    auto a = lit({"-res", "1024x768"});
    EXPECT_TRUE(a.redimensionne);
    EXPECT_EQ(a.largeur, 1024);
    EXPECT_EQ(a.hauteur, 768);
    auto b = lit({"-res", "1024", "768"});
    EXPECT_EQ(b.largeur, 1024);
    EXPECT_EQ(b.hauteur, 768);
    auto c = lit({"-res=1024x768"});  // the width token starts with '=' and reads as 0
    EXPECT_EQ(c.largeur, 0);
    EXPECT_EQ(c.hauteur, 768);
    auto d = lit({"-res"});  // missing values read the empty token
    EXPECT_TRUE(d.redimensionne);
    EXPECT_EQ(d.largeur, 0);
    EXPECT_EQ(d.hauteur, 0);
}

TEST(LigneCommande, CarteOmbreBorneeDeQuatreADix) {
    EXPECT_EQ(lit({}).tailleCarteOmbre, 512);
    EXPECT_FALSE(lit({}).carteOmbre);
    EXPECT_EQ(lit({"-shadowmap", "2"}).tailleCarteOmbre, 16);
    EXPECT_EQ(lit({"-shadowmap", "3"}).tailleCarteOmbre, 16);
    EXPECT_EQ(lit({"-shadowmap", "12"}).tailleCarteOmbre, 1024);
    EXPECT_EQ(lit({"-shadowmap", "9"}).tailleCarteOmbre, 512);
    EXPECT_EQ(lit({"-shadowmap", "abc"}).tailleCarteOmbre, 16);
    EXPECT_EQ(lit({"-shadowmap"}).tailleCarteOmbre, 16);
}

TEST(LigneCommande, ArgumentsInconnusIgnoresEtOptionsSuivantesLues) {
    auto a = lit({"-inconnu", "-fullscreen", "xyz", "-f", "s.txt"});
    EXPECT_TRUE(a.pleinEcran);
    EXPECT_EQ(a.fichier, "s.txt");
    auto b = lit({"-f"});
    EXPECT_EQ(b.fichier, "");
    EXPECT_FALSE(lit({"-F", "s.txt"}).fichier == "s.txt");  // case-sensitive
}

TEST(LigneCommande, ModesSansFenetre) {
    auto a = lit({"-check", "-dump", "sortie.json", "-simule", "2.5", "-f", "s.txt"});
    EXPECT_TRUE(a.verification);
    EXPECT_EQ(a.fichierDump, "sortie.json");
    EXPECT_FLOAT_EQ(a.simulation, 2.5f);
    EXPECT_EQ(lit({"-capture", "image.png"}).fichierCapture, "image.png");
    EXPECT_EQ(lit({"-bench", "30"}).imagesBench, 30);
    EXPECT_TRUE(lit({"-h"}).aide);
}

TEST(LigneCommande, PlafondDImagesParSeconde) {
    EXPECT_EQ(lit({}).imagesParSeconde, 60);
    EXPECT_EQ(lit({"-fps", "30"}).imagesParSeconde, 30);
    EXPECT_EQ(lit({"-fps=0"}).imagesParSeconde, 0);  // no limit
    EXPECT_EQ(lit({"-fps", "-5"}).imagesParSeconde, 0);
    EXPECT_EQ(lit({"-fps"}).imagesParSeconde, 0);  // missing value reads as 0
}

// -h ends with the keys and mouse actions, from the table the help overlay shows.
TEST(LigneCommande, LUsageListeLaTableDAide) {
    EXPECT_EQ(lit({"-trace", "t.csv"}).fichierTrace, "t.csv");
    testing::internal::CaptureStdout();
    afficheUsage();
    const std::string usage = testing::internal::GetCapturedStdout();
    EXPECT_NE(usage.find("-trace f.csv"), std::string::npos);
    EXPECT_NE(usage.find(texteAide()), std::string::npos);
    for (int i = 0; i < nbAideClavier; ++i)
        EXPECT_NE(usage.find(aideClavier[i].effet), std::string::npos) << aideClavier[i].geste;
    EXPECT_NE(usage.find(aideSouris[0].effet), std::string::npos);
}
