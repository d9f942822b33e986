// The end of a reading: the faces the reader could not settle as it went, checked against
// the complete lists, and the console report about the file's faces. Internal to the reader
// (wavefront.cpp).
#pragma once

#include <vector>

#include "geometrie/wavefront_puits.h"

namespace lectureWf {
namespace detail {

// Checks each face of lu.signalements against the mesh's complete lists: a face naming a
// vertex that does not exist is to be left out; its other bad indices become none (a normal
// then counts as missing) and its normal is computed. Reports them, with the faces of fewer
// than 3 corners, in file order. Returns, by face, 1 for those to leave out; empty if none.
std::vector<char> verifieFaces(const char* nomFichier, PuitsMesh& lu);

}  // namespace detail
}  // namespace lectureWf
