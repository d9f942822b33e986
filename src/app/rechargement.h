// Live reload of the scene file: the files a scene depends on, their watch from the main
// loop, and what a reload keeps of the running scene (the options and the camera the user
// changed). The reload itself is CApplication::recharge (rechargement.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scene/camera.h"
#include "script/valeur.h"

class CScene;

// The key that reloads the scene: GLUT's F5 (checked where the GLUT callbacks are installed).
constexpr int TOUCHE_RECHARGEMENT = 5;

// What a file looked like at one look: whether it is there, its modification time and size.
struct SignatureFichier {
    bool existe = false;
    int64_t modification = 0;  // nanoseconds
    int64_t taille = 0;
    bool operator==(const SignatureFichier& s) const {
        return existe == s.existe && modification == s.modification && taille == s.taille;
    }
    bool operator!=(const SignatureFichier& s) const { return !(*this == s); }
};
SignatureFichier signatureDe(const std::string& chemin);

// The files of a scene, polled from the main loop. A change is reported once every watched
// file has stayed the same for STABILITE_MS, so that a file being written is not read
// half-way.
class Surveillance {
public:
    static constexpr long PERIODE_MS = 500;             // polls while nothing changes
    static constexpr long PERIODE_CHANGEMENT_MS = 100;  // polls while a change settles
    // Editors save at once, but a program that exports a large mesh, or a copy over a slow
    // link, writes a file in pieces with pauses between them; pauses of half a second are
    // common. A wait longer than such a pause plus one poll (100 ms) is the least; a whole
    // second leaves room for a writer slowed down by a busy machine, and still reloads soon
    // after a save.
    static constexpr long STABILITE_MS = 1000;
    static constexpr std::size_t FICHIERS_MAX = 10000;  // bounds memory and the cost of a poll

    // Watches these files (the first FICHIERS_MAX) from now on. A file found in `vues` is
    // taken as it looked then (when the load that named it began: a change during the load
    // is a change); the others are looked at now.
    void surveille(const std::vector<std::string>& fichiers,
                   const std::map<std::string, SignatureFichier>& vues = {});
    // The watched files as they look now, by name.
    std::map<std::string, SignatureFichier> instantane() const;
    // Polls when due. True once a change has settled: the caller reloads and calls surveille.
    bool verifie(long maintenantMs);
    // Milliseconds until the next poll is due (0: now); -1 when nothing is watched.
    long delai(long maintenantMs) const;
    const std::vector<std::string>& fichiers() const { return chemins_; }
    // The first file found changed by the poll that saw the last change.
    const std::string& modifie() const { return modifie_; }

private:
    std::vector<SignatureFichier> regarde() const;

    std::vector<std::string> chemins_;
    std::vector<SignatureFichier> chargees_;  // as the last load found them
    std::vector<SignatureFichier> vues_;      // at the last poll that saw a change
    bool changement_ = false;
    long depuis_ = 0;  // when the files last changed, while a change settles
    long prochaine_ = 0;
    std::string modifie_;
};

// The display options and the camera as a load left them. An option whose value is no longer
// the one the file gave was changed by the user (panel or keys) and a reload keeps it; the
// others take the new file's values. The same holds for the camera as a whole.
struct EtatCharge {
    std::vector<Valeur> options;  // by row of the option table; void for the camera's rows
    Camera camera;
    bool present = false;
};
// The options of `scene` and `camera`, by row of the option table.
EtatCharge etatDe(const CScene& scene, const Camera& camera);
// Same value: numbers bit for bit, colours, points and materials component by component.
bool memeValeurOption(const Valeur& a, const Valeur& b);
// Same position and angles (the matrix is only a copy of the last frame's).
bool memeCamera(const Camera& a, const Camera& b);
