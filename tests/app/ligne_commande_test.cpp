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
}

// A path given as one argument is one path, whatever it holds, in every form.
TEST(LigneCommande, CheminsPrisEntiers) {
    const std::string chemin = "ma scène (v2), a=b {x}\n\tsuite.txt ";
    auto a = lit({"-f", chemin, "-dump", chemin, "-trace", chemin, "-capture", chemin});
    EXPECT_EQ(a.fichier, chemin);
    EXPECT_EQ(a.fichierDump, chemin);
    EXPECT_EQ(a.fichierTrace, chemin);
    EXPECT_EQ(a.fichierCapture, chemin);
    EXPECT_EQ(lit({"-f=" + chemin}).fichier, chemin);
    EXPECT_EQ(lit({"-f(" + chemin + ")"}).fichier, chemin);
    // A value that looks like an option is still the path asked for.
    EXPECT_EQ(lit({"-dump", "-check"}).fichierDump, "-check");
    EXPECT_FALSE(lit({"-dump", "-check"}).verification);
    // Nor does one argument hold several options any more.
    EXPECT_EQ(lit({"-check -f s.txt"}).fichier, "");
    EXPECT_TRUE(lit({"-f", chemin}).erreurs.empty());
}

TEST(LigneCommande, ResolutionAvecXOuBlanc) {
    auto a = lit({"-res", "1024x768"});
    EXPECT_TRUE(a.redimensionne);
    EXPECT_EQ(a.largeur, 1024);
    EXPECT_EQ(a.hauteur, 768);
    auto b = lit({"-res", "1024", "768"});
    EXPECT_EQ(b.largeur, 1024);
    EXPECT_EQ(b.hauteur, 768);
    auto c = lit({"-res=1024x768"});  // joined like "-f=scene.txt"
    EXPECT_EQ(c.largeur, 1024);
    EXPECT_EQ(c.hauteur, 768);
    auto d = lit({"-res", "1024", "x", "768", "-fullscreen"});
    EXPECT_EQ(d.largeur, 1024);
    EXPECT_EQ(d.hauteur, 768);
    EXPECT_TRUE(d.pleinEcran);
    auto e = lit({"-res", "70000x100"});  // read exactly; the window clamps it
    EXPECT_EQ(e.largeur, 70000);
    EXPECT_TRUE(e.erreurs.empty());
}

// Each bad value is refused with one message naming the option and the value; the option
// keeps its default.
TEST(LigneCommande, NombresLusEntiersOuRefuses) {
    // The arguments, and what the message quotes ("" for a missing value).
    const std::vector<std::pair<std::vector<std::string>, std::string>> refuses = {
        {{"-fps", "2.5"}, "2.5"},
        {{"-fps", "1e9"}, "1e9"},
        {{"-fps", "30abc"}, "30abc"},
        {{"-fps"}, ""},
        {{"-simule", "nan"}, "nan"},
        {{"-simule", "inf"}, "inf"},
        {{"-simule", "-1"}, "-1"},
        {{"-simule", "1e13"}, "1e13"},
        {{"-simule", "0x10"}, "0x10"},
        {{"-simule", " 2"}, " 2"},
        {{"-bench", "0"}, "0"},
        {{"-bench", "1000001"}, "1000001"},
        {{"-res", "0x768"}, "0"},
        {{"-res", "1024x-768"}, "-768"},
        {{"-res", "99999999999x10"}, "99999999999"},
        {{"-res", "1024"}, ""},
        {{"-shadowmap", "abc"}, "abc"},
        {{"-shadowmap", "9.5"}, "9.5"},
        {{"-shadowmap"}, ""},
    };
    for (const auto& [args, cite] : refuses) {
        const LigneCommande lc = lit(args);
        ASSERT_EQ(lc.erreurs.size(), 1u) << args[0];
        const std::string attendu =
            args[0] + (cite.empty() ? " : valeur manquante" : " : valeur « " + cite + " » refusée");
        EXPECT_EQ(lc.erreurs[0].rfind(attendu, 0), 0u) << lc.erreurs[0];
        EXPECT_EQ(lc.imagesParSeconde, 60);
        EXPECT_EQ(lc.simulation, 0);
        EXPECT_EQ(lc.imagesBench, 0);
        EXPECT_FALSE(lc.redimensionne);
        EXPECT_FALSE(lc.carteOmbre);
    }
    EXPECT_EQ(lit({"-simule", "1e9"}).simulation, 1e9f);
    EXPECT_EQ(lit({"-simule=0"}).simulation, 0);
    EXPECT_EQ(lit({"-bench", "100000"}).imagesBench, 100000);
    EXPECT_EQ(lit({"-fps", "1000000000"}).imagesParSeconde, 1000000000);
    // Any integer is clamped to [4, 10], however large.
    EXPECT_EQ(lit({"-shadowmap", "99999999999999999999"}).tailleCarteOmbre, 1024);
    EXPECT_EQ(lit({"-shadowmap", "-99999999999999999999"}).tailleCarteOmbre, 16);
}

TEST(LigneCommande, CarteOmbreBorneeDeQuatreADix) {
    EXPECT_EQ(lit({}).tailleCarteOmbre, 512);
    EXPECT_FALSE(lit({}).carteOmbre);
    EXPECT_EQ(lit({"-shadowmap", "2"}).tailleCarteOmbre, 16);
    EXPECT_EQ(lit({"-shadowmap", "3"}).tailleCarteOmbre, 16);
    EXPECT_EQ(lit({"-shadowmap", "12"}).tailleCarteOmbre, 1024);
    EXPECT_EQ(lit({"-shadowmap", "9"}).tailleCarteOmbre, 512);
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
