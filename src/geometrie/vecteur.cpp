// Vector arithmetic in single precision.
#include "geometrie/vecteur.h"

#include <cmath>

#include "geometrie/matrice.h"

bool CVecteur::operator==(CVecteur v) const { return x == v.x && y == v.y && z == v.z; }
bool CVecteur::operator!=(CVecteur v) const { return !(*this == v); }

CVecteur CVecteur::transformeDirection(const CMatrice& a) const {
    const float* m = a.m;
    return CVecteur(m[0] * x + m[4] * y + m[8] * z, m[1] * x + m[5] * y + m[9] * z,
                    m[2] * x + m[6] * y + m[10] * z);
}

CVecteur CVecteur::transformeDirectionTransposee(const CMatrice& a) const {
    const float* m = a.m;
    return CVecteur(m[0] * x + m[1] * y + m[2] * z, m[4] * x + m[5] * y + m[6] * z,
                    m[8] * x + m[9] * y + m[10] * z);
}

CVecteur& CVecteur::operator+=(const CVecteur& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
}

CVecteur CVecteur::operator+(const CVecteur& v) const {
    return CVecteur(x + v.x, y + v.y, z + v.z);
}
CVecteur CVecteur::operator-(CVecteur v) const { return CVecteur(x - v.x, y - v.y, z - v.z); }
CVecteur operator*(float k, CVecteur v) { return CVecteur(k * v.x, k * v.y, k * v.z); }

CVecteur CVecteur::produitVectoriel(CVecteur v) const {
    return CVecteur(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
}

float CVecteur::norme() const { return std::sqrt(x * x + y * y + z * z); }

CVecteur CVecteur::normalise() const {
    float n = norme();
    if (std::fabs(n) < 0.0001) return CVecteur(0, 0, 0);
    float k = static_cast<float>(1.0 / n);
    return CVecteur(k * x, k * y, k * z);
}

CVecteur CVecteur::transformePoint(const CMatrice& a) const {
    const float* m = a.m;
    return CVecteur(m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
                    m[2] * x + m[6] * y + m[10] * z + m[14]);
}

bool CHomoVecteur::operator==(const CHomoVecteur& v) const {
    return x == v.x && y == v.y && z == v.z && w == v.w;
}
bool CHomoVecteur::operator!=(const CHomoVecteur& v) const { return !(*this == v); }
