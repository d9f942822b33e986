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
};

// The format a file name's extension names; a name shorter than 4 characters names none.
FormatMaillage formatMaillage(const std::string& nom);

// Reads a mesh file with the reader of its format. `materiaux` is emptied, then receives the
// materials of the libraries the file names. `lus`, when given, receives the file's name
// when it is a regular file, then each material library read. Null for an extension no
// reader takes or a file that cannot be read.
std::shared_ptr<Mesh> lisMaillage(const std::string& nom, TableMateriaux& materiaux,
                                  std::vector<std::string>* lus = nullptr);
