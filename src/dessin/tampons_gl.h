// A mesh's faces from vertex buffers of indexed, shared vertices (tampons_gl.cpp).
#pragma once

#include <memory>

class Mesh;
struct TamponsMesh;
struct SupprimeTampons {
    void operator()(TamponsMesh* t) const;
};
using PtrTampons = std::unique_ptr<TamponsMesh, SupprimeTampons>;

// Draws the mesh's faces for the current pass from the buffers kept in `tampons`, made (or
// made again when the mesh or what they hold changed) first. False when buffers cannot show
// this mesh as its display list does: the caller then uses the list.
bool dessineParTampons(PtrTampons& tampons, Mesh& mesh, bool texturage);
