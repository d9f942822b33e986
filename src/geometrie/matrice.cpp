// 4x4 matrices: factories, product, point and box transformation.
#include "geometrie/matrice.h"

#include <cmath>
#include <cstring>

#include "geometrie/angles.h"

CMatrice::CMatrice() {
    std::memset(m, 0, sizeof m);
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

CMatrice::CMatrice(float a00, float a01, float a02, float a10, float a11, float a12, float a20,
                   float a21, float a22)
    : CMatrice() {
    m[0] = a00;
    m[4] = a01;
    m[8] = a02;
    m[1] = a10;
    m[5] = a11;
    m[9] = a12;
    m[2] = a20;
    m[6] = a21;
    m[10] = a22;
}

CMatrice CMatrice::translation(CVecteur t) {
    CMatrice r;
    r.m[12] = t.x;
    r.m[13] = t.y;
    r.m[14] = t.z;
    return r;
}

CMatrice CMatrice::echelle(float sx, float sy, float sz) {
    CMatrice r;
    r.m[0] = sx;
    r.m[5] = sy;
    r.m[10] = sz;
    return r;
}

CMatrice CMatrice::rotation(CVecteur axe, float angle) {
    const float theta = enRadians(angle);
    const float cs = std::cos(theta);
    const float sn = std::sin(theta);
    const CVecteur a = axe.normalise();
    // Exact comparisons select the closed forms; the y form turns the other way on purpose.
    if (a == CVecteur(1, 0, 0)) return CMatrice(1, 0, 0, 0, cs, sn, 0, -sn, cs);
    if (a == CVecteur(0, 1, 0)) return CMatrice(cs, 0, sn, 0, 1, 0, -sn, 0, cs);
    if (a == CVecteur(0, 0, 1)) return CMatrice(cs, sn, 0, -sn, cs, 0, 0, 0, 1);
    const long double x = a.x, y = a.y, z = a.z, c = cs, s = sn;
    return CMatrice(
        static_cast<float>(x * x + (1 - x * x) * c), static_cast<float>(x * y * (1 - c) + z * s),
        static_cast<float>(x * z * (1 - c) - y * s), static_cast<float>(x * y * (1 - c) - z * s),
        static_cast<float>(y * y + (1 - y * y) * c), static_cast<float>(y * z * (1 - c) + x * s),
        static_cast<float>(x * z * (1 - c) + y * s), static_cast<float>(y * z * (1 - c) - x * s),
        static_cast<float>(z * z + (1 - z * z) * c));
}

CMatrice CMatrice::operator*(const CMatrice& b) const {
    CMatrice r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += m[4 * i + k] * b.m[4 * k + j];
            r.m[4 * i + j] = s;
        }
    return r;
}

bool CMatrice::operator==(const CMatrice& b) const {
    for (int i = 0; i < 16; ++i)
        if (m[i] != b.m[i]) return false;
    return true;
}

CVecteur CMatrice::transformePoint(CVecteur p) const { return p.transformePoint(*this); }

void CMatrice::transformeBoite(CVecteur& min, CVecteur& max) const {
    // A local array keeps this reentrant; the result is the same as a shared scratch area.
    CHomoVecteur coins[8];
    int n = 0;
    for (int ix = 0; ix < 2; ++ix)
        for (int iy = 0; iy < 2; ++iy)
            for (int iz = 0; iz < 2; ++iz)
                coins[n++] = CHomoVecteur(
                    CVecteur(ix ? max.x : min.x, iy ? max.y : min.y, iz ? max.z : min.z)
                        .transformePoint(*this));
    min = coins[0];
    max = coins[0];
    for (auto& c : coins)
        for (int i = 0; i < 3; ++i) {
            if (c[i] < min[i]) min[i] = c[i];
            if (c[i] > max[i]) max[i] = c[i];
        }
}
