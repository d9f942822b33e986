#include "geometrie/solides.h"

#include <cmath>
#include <stdexcept>

namespace {

void verifie(float v, const char* quoi) {
    if (!(v > 0) || !std::isfinite(v))
        throw std::invalid_argument(std::string(quoi) + " doit être un nombre fini positif");
}

const RGBA BLANC(1, 1, 1, 1);

// A flat face: its corners share one normal.
void facePlane(Mesh& m, std::initializer_list<int> coins, CVecteur normale) {
    const int n = m.ajouteNormale(normale);
    const int f = m.ajouteFace(static_cast<int>(coins.size()), 0, nullptr);
    for (int s : coins) m.ajouteSommetFace(f, s, n, -1);
}

}  // namespace

std::shared_ptr<Mesh> maillagePave(float dx, float dy, float dz) {
    verifie(dx, "la longueur du pavé");
    verifie(dy, "la largeur du pavé");
    verifie(dz, "la hauteur du pavé");
    auto m = std::make_shared<Mesh>(6, 8, 6, 0, "pavé");
    for (int i = 0; i < 8; ++i)
        m->ajouteSommet(CVecteur((i & 1 ? 0.5f : -0.5f) * dx, (i & 2 ? 0.5f : -0.5f) * dy,
                                 (i & 4 ? 0.5f : -0.5f) * dz),
                        BLANC);
    // Counter-clockwise seen from outside.
    facePlane(*m, {0, 4, 6, 2}, CVecteur(-1, 0, 0));
    facePlane(*m, {1, 3, 7, 5}, CVecteur(1, 0, 0));
    facePlane(*m, {0, 1, 5, 4}, CVecteur(0, -1, 0));
    facePlane(*m, {2, 6, 7, 3}, CVecteur(0, 1, 0));
    facePlane(*m, {0, 2, 3, 1}, CVecteur(0, 0, -1));
    facePlane(*m, {4, 5, 7, 6}, CVecteur(0, 0, 1));
    m->calcNormalesFaces();
    return m;
}

std::shared_ptr<Mesh> maillageCylindre(float rayon, float longueur, int segments) {
    verifie(rayon, "le rayon du cylindre");
    verifie(longueur, "la longueur du cylindre");
    if (segments < 3) segments = 3;
    auto m = std::make_shared<Mesh>(segments + 2, 2 * segments, segments + 2, 0, "cylindre");
    const float h = 0.5f * longueur;
    for (int i = 0; i < segments; ++i) {
        const float a = 2.0f * static_cast<float>(M_PI) * static_cast<float>(i) / segments;
        const float c = std::cos(a), s = std::sin(a);
        m->ajouteSommet(CVecteur(rayon * c, rayon * s, -h), BLANC);
        m->ajouteSommet(CVecteur(rayon * c, rayon * s, h), BLANC);
        m->ajouteNormale(CVecteur(c, s, 0));
    }
    for (int i = 0; i < segments; ++i) {
        const int j = (i + 1) % segments;
        const int f = m->ajouteFace(4, 0, nullptr);
        m->ajouteSommetFace(f, 2 * i, i, -1);
        m->ajouteSommetFace(f, 2 * j, j, -1);
        m->ajouteSommetFace(f, 2 * j + 1, j, -1);
        m->ajouteSommetFace(f, 2 * i + 1, i, -1);
    }
    const int bas = m->ajouteNormale(CVecteur(0, 0, -1)),
              haut = m->ajouteNormale(CVecteur(0, 0, 1));
    const int fb = m->ajouteFace(segments, 0, nullptr), fh = m->ajouteFace(segments, 0, nullptr);
    for (int i = 0; i < segments; ++i) {
        m->ajouteSommetFace(fb, 2 * (segments - 1 - i), bas, -1);
        m->ajouteSommetFace(fh, 2 * i + 1, haut, -1);
    }
    m->calcNormalesFaces();
    return m;
}

std::shared_ptr<Mesh> maillageSphere(float rayon, int segments) {
    verifie(rayon, "le rayon de la sphère");
    if (segments < 4) segments = 4;
    const int anneaux = segments / 2;
    auto m = std::make_shared<Mesh>(segments * anneaux, segments * (anneaux + 1),
                                    segments * (anneaux + 1), 0, "sphère");
    for (int k = 0; k <= anneaux; ++k) {
        const float phi = static_cast<float>(M_PI) * static_cast<float>(k) / anneaux;
        for (int i = 0; i < segments; ++i) {
            const float a = 2.0f * static_cast<float>(M_PI) * static_cast<float>(i) / segments;
            const CVecteur n(std::sin(phi) * std::cos(a), std::sin(phi) * std::sin(a),
                             -std::cos(phi));
            m->ajouteSommet(rayon * n, BLANC);
            m->ajouteNormale(n);
        }
    }
    // Triangles at the poles (a quadrilateral there would have two corners in one point).
    for (int k = 0; k < anneaux; ++k)
        for (int i = 0; i < segments; ++i) {
            const int j = (i + 1) % segments;
            const int a = k * segments + i, b = k * segments + j;
            const int c = (k + 1) * segments + j, d = (k + 1) * segments + i;
            int coins[4] = {a, b, c, d}, n = 4;
            if (k == 0) {
                coins[1] = c;
                coins[2] = d;
                n = 3;
            } else if (k == anneaux - 1) {
                n = 3;
            }
            const int f = m->ajouteFace(n, 0, nullptr);
            for (int q = 0; q < n; ++q) m->ajouteSommetFace(f, coins[q], coins[q], -1);
        }
    m->calcNormalesFaces();
    return m;
}
