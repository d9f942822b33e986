// 4x4 transformation in OpenGL's column-major order: element (row i, column j) is m[4j + i].
// The product a * b transforms a point by a first, then by b.
#pragma once

#include "geometrie/vecteur.h"

class CMatrice {
public:
    float m[16];

    CMatrice();  // identity
    CMatrice(float a00, float a01, float a02, float a10, float a11, float a12, float a20, float a21,
             float a22);

    static CMatrice translation(CVecteur t);
    static CMatrice echelle(float sx, float sy, float sz);
    static CMatrice rotation(CVecteur axe, float angle);

    CMatrice operator*(const CMatrice& b) const;
    bool operator==(const CMatrice& b) const;
    CVecteur transformePoint(CVecteur p) const;
    // Replaces [min, max] by the axis-aligned box enclosing its eight transformed corners.
    void transformeBoite(CVecteur& min, CVecteur& max) const;

    // The matrix part of an object whose base is a CMatrice.
    CMatrice& matrice() { return *this; }
    const CMatrice& matrice() const { return *this; }
};
