// STL (binary or text) and COLLADA meshes, read through Assimp into the program's Mesh: the
// nodes' placements applied, faces made triangles, each Assimp material a Material record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "geometrie/mesh.h"

// Whether the name ends in ".stl" or ".dae", whatever the case.
bool extensionAssimp(const std::string& nom);

// Reads a mesh, its coordinates multiplied by echelle (> 0). Throws std::runtime_error with
// a French message naming the file when its extension is not one of extensionAssimp's, it
// is not a regular file, it is larger than tailleMax bytes, Assimp cannot read it, or it
// holds no triangle.
std::shared_ptr<Mesh> lisMaillageAssimp(const std::string& nom, float echelle = 1.0f,
                                        uint64_t tailleMax = uint64_t(256) << 20);
