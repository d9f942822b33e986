#include "dessin/lecture_image.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstddef>

std::vector<unsigned char> litImageRGB(int largeur, int hauteur) {
    const std::size_t ligne = static_cast<std::size_t>(largeur) * 3;
    std::vector<unsigned char> pixels(ligne * static_cast<std::size_t>(hauteur));
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, largeur, hauteur, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL gives the bottom row first.
    std::vector<unsigned char> image(pixels.size());
    for (int y = 0; y < hauteur; ++y)
        std::copy_n(&pixels[static_cast<std::size_t>(hauteur - 1 - y) * ligne], ligne,
                    &image[static_cast<std::size_t>(y) * ligne]);
    return image;
}
