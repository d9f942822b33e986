// Reloading the scene file without a window: a load with errors keeps the running scene, a
// clean one replaces it but keeps what the user changed; the watch of the scene's files waits
// for a change to settle.
#include "app/rechargement.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/panneau.h"
#include "commun/console.h"
#include "script/script.h"
#include "support/enregistreur_boites.h"

namespace {
class RechargementTest : public testing::Test {
protected:
    std::string dossier;
    std::string scene;
    CApplication app;

    void SetUp() override {
        char modele[] = "/tmp/brakmor_rechargement_XXXXXX";
        ASSERT_NE(mkdtemp(modele), nullptr);
        dossier = modele;
        scene = dossier + "/scene.txt";
    }
    void TearDown() override { std::filesystem::remove_all(dossier); }

    // The meshes are read from the working directory (tests/data).
    void ecrit(const std::string& nom, const std::string& texte) {
        std::ofstream(dossier + "/" + nom) << texte;
    }
    void demarre() {
        std::string f = "-f", s = scene;
        char* argv[] = {const_cast<char*>("brakmor"), f.data(), s.data(), nullptr};
        app.initialise(3, argv, false);
    }
};

const char* const SCENE_A =
    "cube = chargeWaveFront(\"sc_cube.obj\", true);\n"
    "a = instancieEntite(&cube);\n"
    "grilleTaille = 100;\n"
    "filaire = false;\n";
}  // namespace

TEST_F(RechargementTest, UnChargementFautifGardeLaSceneEnCours) {
    ecrit("scene.txt", SCENE_A);
    demarre();
    ASSERT_EQ(app.scene.nbInstances(), 1);
    Instance* avant = app.scene.getInstance(0);
    Entite* cube = app.scene.getEntite(0);

    ecrit("scene.txt", std::string(SCENE_A) +
                           "b = instancieEntite(&cube);\ngrilleTaille = 300;\nx = rgb(1, 2);\n");
    EnregistreurBoites boites;
    EXPECT_FALSE(app.recharge());
    EXPECT_EQ(boites.boites().size(), 1u);
    EXPECT_EQ(console.diagnostics().size(), 1u);
    EXPECT_NE(app.panneau.ligneEtat.message.find("non rechargée"), std::string::npos);
    // Nothing of the faulty load reached the running scene.
    ASSERT_EQ(app.scene.nbInstances(), 1);
    EXPECT_EQ(app.scene.getInstance(0), avant);
    EXPECT_EQ(app.scene.getEntite(0), cube);
    EXPECT_EQ(app.scene.grilleTaille, 100);

    // Several faults: one box lists them all, each with its place, in order.
    ecrit("scene.txt", std::string(SCENE_A) + "x = rgb(1, 2);\ny = rgb(1);\nz = rgb(1, 2);\n");
    boites.efface();
    EXPECT_FALSE(app.recharge());
    ASSERT_EQ(boites.boites().size(), 1u);
    const std::string& texte = boites.boites()[0].texte;
    EXPECT_EQ(boites.boites()[0].titre, "rechargement : 3 messages");
    const auto premier = texte.find("1. "), deuxieme = texte.find("2. "),
               troisieme = texte.find("3. ");
    ASSERT_NE(troisieme, std::string::npos) << texte;
    EXPECT_LT(premier, deuxieme);
    EXPECT_LT(deuxieme, troisieme);
    EXPECT_NE(texte.find("qui en attend 3"), std::string::npos) << texte;
    EXPECT_NE(texte.find("scene.txt"), std::string::npos) << texte;
    EXPECT_EQ(console.diagnostics().size(), 3u);
}

TEST_F(RechargementTest, UnChargementPropreRemplaceLaSceneEtGardeLesChoixDeLUtilisateur) {
    ecrit("scene.txt", SCENE_A);
    demarre();
    // The user switches to wire frame in the panel; the camera is left as the file set it.
    app.panneau.modeAffichage = 1;
    app.controle(IdControle::ModeAffichage);
    ASSERT_TRUE(app.scene.filaire);

    ecrit("scene.txt", std::string(SCENE_A) +
                           "b = instancieEntite(&cube);\ngrilleTaille = 300;\n"
                           "cameraPos = (1.0, 2.0, 3.0);\n");
    EXPECT_TRUE(app.recharge());
    EXPECT_TRUE(console.diagnostics().empty());
    EXPECT_EQ(app.scene.nbInstances(), 2);
    EXPECT_EQ(app.scene.grilleTaille, 300);  // the file's new value
    EXPECT_TRUE(app.scene.filaire);          // the user's, though the file sets it
    EXPECT_EQ(app.panneau.modeAffichage, 1);
    EXPECT_FLOAT_EQ(app.camera.position.z, 3.0f);  // the camera the user did not move follows
    // The interpreter of the new load now belongs to the application.
    ASSERT_NE(app.script, nullptr);
    EXPECT_EQ(app.script->scene, &app.scene);
}

TEST_F(RechargementTest, LaSurveillanceAttendQuUnChangementSoitStable) {
    ecrit("scene.txt", "#include inclus.txt\nm = chargeWaveFront(\"sc_cube.obj\", true);\n");
    ecrit("inclus.txt", "a = 1;\n");
    const std::vector<std::string> attendus = {scene, dossier + "/inclus.txt", "sc_cube.obj",
                                               "sc_cube.mtl"};
    {
        // The loader records them as it reads.
        CScene lue;
        Script lecteur(&lue, nullptr);
        lecteur.charge(scene.c_str());
        EXPECT_EQ(lecteur.fichiersLus(), attendus);
    }

    Surveillance s;
    s.surveille(attendus);
    EXPECT_FALSE(s.verifie(0));
    EXPECT_EQ(s.delai(0), Surveillance::PERIODE_MS);
    // A program writes the included file in pieces half a second apart, polled as the main
    // loop polls while a change settles: no reload while it writes.
    std::string texte = "a = 1;\n";
    long t = Surveillance::PERIODE_MS;
    for (int morceau = 0; morceau < 4; ++morceau) {
        texte += "b" + std::to_string(morceau) + " = 2;\n";
        ecrit("inclus.txt", texte);
        for (const long fin = t + 500; t < fin; t += Surveillance::PERIODE_CHANGEMENT_MS)
            EXPECT_FALSE(s.verifie(t)) << "rechargé à " << t << " ms, pendant l'écriture";
    }
    EXPECT_EQ(s.modifie(), dossier + "/inclus.txt");
    // The last piece was seen at t - 500: reloaded once it has stayed so for STABILITE_MS.
    const long vu = t - 500;
    for (; t < vu + Surveillance::STABILITE_MS; t += Surveillance::PERIODE_CHANGEMENT_MS)
        EXPECT_FALSE(s.verifie(t)) << t;
    EXPECT_TRUE(s.verifie(t));
    EXPECT_FALSE(s.verifie(t + Surveillance::PERIODE_MS));
}
