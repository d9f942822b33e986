// What the drawings of meshes from lists and from buffers share (mesh_gl.cpp).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "geometrie/mesh.h"

namespace meshgl {
inline bool dans(int i, size_t taille) { return i >= 0 && static_cast<size_t>(i) < taille; }
// False for a face with a bad vertex index: it is skipped rather than aborting the frame.
bool sommetsValides(const Face& f, size_t nbSommets);
// Two material records with the same values, bit for bit.
bool memeMaterial(const Material& a, const Material& b);
// The materials a mesh's faces apply, each once, with their values when drawn.
using MateriauxRetenus = std::vector<std::pair<const Material*, Material>>;
void retientMateriaux(const Mesh& mesh, MateriauxRetenus& materiaux);
// An OpenGL context is current and the program is not ending: GL objects can be freed.
bool contexteGLCourant();
extern bool finDuProgramme;
}  // namespace meshgl
