// Ordering indexed triangles into compact runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Rewrites the triangles [debut, fin) of `indices` (three indices each) so that each run of
// `trianglesParRun` consecutive triangles covers a compact patch of the mesh: each triangle
// taken next shares as many vertices as possible with the run so far (then with the last
// vertices it took), the next run starting from the first triangle left in file order. A
// run that keeps its normals close together can then be left out of a pass as a whole
// (grappes.h). The triangles themselves are unchanged (same corners, same first corner):
// only their order changes.
void ordonneEnRuns(std::vector<uint32_t>& indices, size_t debut, size_t fin,
                   size_t trianglesParRun);
