// The mesh file formats the program reads: the one place where a mesh file's reader is chosen,
// by the file name's extension.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "geometrie/mesh.h"

// The formats a mesh file may be in.
enum class FormatMaillage {
    Inconnu,    // no reader takes this extension
    Wavefront,  // ".obj", ".wf", ".owf" (as written: ".OBJ" is not one)
    Stl,        // ".stl", whatever the case, read through Assimp
    Collada,    // ".dae", whatever the case, read through Assimp
};

// The format a file name's extension names; a name shorter than 4 characters names none.
FormatMaillage formatMaillage(const std::string& nom);

// Reads a mesh file with the reader of its format (a Wavefront file's or one read through
// Assimp, which report their own errors). `materiaux` is emptied, then receives the
// materials of the libraries the file names. `lus`, when given, receives the file's name
// when it is a regular file, then each material library read. Null for an extension no
// reader takes or a file that cannot be read.
std::shared_ptr<Mesh> lisMaillage(const std::string& nom, TableMateriaux& materiaux,
                                  std::vector<std::string>* lus = nullptr);

// Reads a mesh file named by a robot description (STL or COLLADA), its coordinates
// multiplied by echelle (> 0). Throws std::runtime_error with a French message naming the
// file when it is in another format or cannot be read.
std::shared_ptr<Mesh> lisMaillageMisAEchelle(const std::string& nom, float echelle);
