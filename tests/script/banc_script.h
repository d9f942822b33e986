// Test bench for the scene language: a scene, a camera, an interpreter, a box recorder and
// a scratch directory where each test writes the scene texts it runs.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "geometrie/mesh.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "script/script.h"
#include "support/enregistreur_boites.h"

class BancScript : public ::testing::Test {
public:
    // A triangle at height z as an object literal (the empty list keeps it from reading
    // as a point of three elements).
    static std::string triangle(int z = 0) {
        std::string h = std::to_string(z);
        return "(3, 1, {0 0 " + h + "  1 0 " + h + "  0 1 " + h + "}, {})";
    }

protected:
    CScene scene;
    Camera camera;
    Script script{&scene, &camera};
    EnregistreurBoites boites;
    std::string dossier;  // ends with '/'

    void SetUp() override {
        std::string modele = (std::filesystem::temp_directory_path() / "sc_XXXXXX").string();
        ASSERT_NE(mkdtemp(modele.data()), nullptr);
        dossier = modele + "/";
    }
    void TearDown() override {
        std::error_code e;
        std::filesystem::remove_all(dossier, e);
    }

    // Writes a file of the scratch directory and returns its path.
    std::string ecrit(const std::string& nom, const std::string& contenu) {
        std::string chemin = dossier + nom;
        std::ofstream f(chemin, std::ios::binary);
        f << contenu;
        return chemin;
    }
    // Runs a text as a file of its own, without handing anything to the scene.
    void execute(const std::string& texte) {
        std::string chemin = ecrit("scene.txt", texte);
        script.repertoire = dossier;
        ASSERT_TRUE(script.aux_lit_fichier(chemin));
    }
    // Loads a text as a whole scene file; the console output lands in `sortie`.
    int charge(const std::string& texte) {
        std::string chemin = ecrit("scene.txt", texte);
        testing::internal::CaptureStdout();
        int r = script.charge(chemin.c_str());
        sortie = testing::internal::GetCapturedStdout();
        return r;
    }
    std::string sortie;

    bool existe(const std::string& nom) const { return script.variables.count(nom) != 0; }
    const Valeur& var(const std::string& nom) const { return script.variables.at(nom); }
    int nbBoites() const { return static_cast<int>(boites.boites().size()); }
    const BoiteEnregistree& boite(int i = 0) const { return boites.boites().at(i); }
    // The texts of every box, for failure messages.
    std::string toutesLesBoites() const {
        std::string r;
        for (const auto& b : boites.boites()) r += "[" + b.titre + "] " + b.texte + "\n";
        return r;
    }
};
