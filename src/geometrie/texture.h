// Texture records: an image file declared by the scene and its OpenGL texture name.
#pragma once

#include <memory>
#include <string>

struct Texture {
    std::string fichier;  // the file name as written in the scene file
    int glTexture = -1;   // OpenGL texture name; set when the scene installs it
    std::string nom;      // the script variable that held it when the scene took it over
    std::string chemin;   // the path that was found to open, for a later decoding
};

// Checks that the file can be opened and returns a new record for it; on failure shows
// the warning box "impossible de charger la texture <fichier>." and returns null.
std::shared_ptr<Texture> chargeTexture(const std::string& fichier);
// The same, but a relative name that cannot be opened from the working directory is
// tried again under repertoireSecours (the scene file's directory) before giving up.
std::shared_ptr<Texture> chargeTexture(const std::string& fichier,
                                       const std::string& repertoireSecours);
