// The frame just drawn, read back: RGB bytes, rows from top to bottom (as image files and
// arrays hold them).
#pragma once

#include <vector>

// Reads the `largeur` × `hauteur` pixels at the bottom left of the buffer being read.
std::vector<unsigned char> litImageRGB(int largeur, int hauteur);
