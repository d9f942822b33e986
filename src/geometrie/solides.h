// Simple solids as meshes, centred on the origin: the box, cylinder and sphere shapes of robot
// descriptions (the cylinder's axis is z). Sizes must be finite and positive
// (std::invalid_argument).
#pragma once

#include <memory>

#include "geometrie/mesh.h"

std::shared_ptr<Mesh> maillagePave(float dx, float dy, float dz);
// segments: around the axis (at least 3).
std::shared_ptr<Mesh> maillageCylindre(float rayon, float longueur, int segments = 24);
// segments around the axis, segments / 2 from pole to pole.
std::shared_ptr<Mesh> maillageSphere(float rayon, int segments = 24);
