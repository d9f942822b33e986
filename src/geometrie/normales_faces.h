// Face normals with calcNormaleFace's arithmetic, for faces whose first three vertex
// indices are already known to be valid: one face, or a run of faces at once.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "geometrie/matrice.h"
#include "geometrie/mesh.h"

// calcNormaleFace's arithmetic, term for term, for a face whose first three vertices exist.
// With the identity placement (`identite`) and finite coordinates, m[0] x + m[4] y + m[8] z
// + m[12] is x itself but for a zero, which becomes +0: that is x + 0, without the matrix
// (an infinite or NaN coordinate would make 0 y a NaN: those take the full product).
inline CVecteur normaleDe(const std::vector<Sommet>& sommets, const CMatrice& placement,
                          bool identite, const Face& f) {
    const Sommet& a = sommets[f.sommets[0]];
    const Sommet& b = sommets[f.sommets[1]];
    const Sommet& c = sommets[f.sommets[2]];
    CVecteur p0, p1, p2;
    auto fini = [](const Sommet& s) { return std::isfinite(s.x + s.y + s.z); };
    if (identite && fini(a) && fini(b) && fini(c)) {
        p0 = CVecteur(a.x + 0.0f, a.y + 0.0f, a.z + 0.0f);
        p1 = CVecteur(b.x + 0.0f, b.y + 0.0f, b.z + 0.0f);
        p2 = CVecteur(c.x + 0.0f, c.y + 0.0f, c.z + 0.0f);
    } else {
        const float* m = placement.m;
        auto transforme = [m](const Sommet& s) {
            return CVecteur(m[0] * s.x + m[4] * s.y + m[8] * s.z + m[12],
                            m[1] * s.x + m[5] * s.y + m[9] * s.z + m[13],
                            m[2] * s.x + m[6] * s.y + m[10] * s.z + m[14]);
        };
        p0 = transforme(a);
        p1 = transforme(b);
        p2 = transforme(c);
    }
    const float ax = p1.x - p0.x, ay = p1.y - p0.y, az = p1.z - p0.z;
    const float bx = p2.x - p1.x, by = p2.y - p1.y, bz = p2.z - p1.z;
    const float x = ay * bz - az * by, y = az * bx - ax * bz, z = ax * by - ay * bx;
    const float n = std::sqrt(x * x + y * y + z * z);
    if (std::fabs(n) < 0.0001) return CVecteur(0, 0, 0);
    const float k = static_cast<float>(1.0 / n);
    return CVecteur(k * x, k * y, k * z);
}

// normaleDe of faces[debut] to faces[fin - 1], stored into each face, the same bits.
void poseNormalesDe(const std::vector<Sommet>& sommets, const CMatrice& placement, bool identite,
                    Face* faces, size_t debut, size_t fin);
