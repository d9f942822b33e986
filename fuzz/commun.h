// Shared set-up of the fuzzing harnesses: silent console, a scratch working folder that
// holds links to the test data and the demo meshes (so that relative names in an input
// reach real files), and the input written to a file there for the readers that open one.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "commun/console.h"

namespace fuzz {

// The scratch folder, ending with '/'; the process works inside it.
inline std::string& dossier() {
    static std::string d;
    return d;
}

// Boxes are dropped and standard output goes nowhere: a fuzzer shows millions of them.
// Standard error stays, for the fuzzer's own report.
inline void silence() {
    console.setGestionnaireBoite([](const std::string&, const std::string&) {});
    const int nul = open("/dev/null", O_WRONLY);
    if (nul >= 0) {
        std::fflush(stdout);
        dup2(nul, STDOUT_FILENO);
        close(nul);
    }
}

// Makes the scratch folder (in /dev/shm when there is one: inputs are written at every
// run), links the test data, the test robots and the demo scene's files into it and moves
// into it.
inline void prepare() {
    silence();
    namespace fs = std::filesystem;
    const fs::path source = BRAKMOR_SOURCE;
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string modele = (base / "brakmor_fuzz_XXXXXX").string();
    if (!mkdtemp(modele.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    const fs::path d = modele;
    std::error_code e;
    for (const auto& entree : fs::directory_iterator(source / "tests" / "data", e))
        fs::create_symlink(entree.path(), d / entree.path().filename(), e);
    fs::create_directory_symlink(source / "scenes" / "demo", d / "demo", e);
    fs::create_directory_symlink(source / "tests" / "urdf-dart", d / "urdf-dart", e);
    fs::create_symlink(source / "scenes" / "spot.tga", d / "spot.tga", e);
    fs::current_path(d);
    dossier() = modele + "/";
    // The folder is removed when the fuzzer ends normally; a crash leaves it for a look.
    std::atexit([] {
        std::error_code e;
        fs::remove_all(dossier(), e);
    });
}

// Writes the input to a file of the scratch folder and returns its path.
inline const std::string& ecrit(const std::string& nom, const uint8_t* data, size_t taille) {
    static std::string chemin;
    chemin = dossier() + nom;
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f) {
        std::perror(chemin.c_str());
        std::abort();
    }
    if (taille) std::fwrite(data, 1, taille, f);
    std::fclose(f);
    return chemin;
}

}  // namespace fuzz
