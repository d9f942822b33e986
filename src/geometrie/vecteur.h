// Points and directions: three single-precision floats (12 bytes, no virtual table: meshes
// hold millions of them), plus a homogeneous form.
#pragma once

class CMatrice;

class CVecteur {
public:
    float x, y, z;

    CVecteur() {}  // components deliberately left unset, as every user assigns them
    CVecteur(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    explicit CVecteur(const float v[3]) : x(v[0]), y(v[1]), z(v[2]) {}
    CVecteur(const CVecteur&) = default;
    CVecteur& operator=(const CVecteur&) = default;

    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    bool operator==(CVecteur v) const;
    bool operator!=(CVecteur v) const;
    CVecteur transformeDirection(const CMatrice& a) const;
    CVecteur transformeDirectionTransposee(const CMatrice& a) const;

    CVecteur& operator+=(const CVecteur& v);
    CVecteur operator+(const CVecteur& v) const;
    CVecteur operator-(CVecteur v) const;
    CVecteur produitVectoriel(CVecteur v) const;
    float norme() const;
    CVecteur normalise() const;
    CVecteur transformePoint(const CMatrice& a) const;
};

CVecteur operator*(float k, CVecteur v);

class CHomoVecteur : public CVecteur {
public:
    float w;

    CHomoVecteur() {}
    CHomoVecteur(const CVecteur& v) : CVecteur(v), w(1.0f) {}
    CHomoVecteur(float x_, float y_, float z_, float w_) : CVecteur(x_, y_, z_), w(w_) {}

    float& operator[](int i) { return i >= 0 && i < 3 ? CVecteur::operator[](i) : w; }  // 3: w
    using CVecteur::operator[];
    using CVecteur::operator==;
    using CVecteur::operator!=;
    bool operator==(const CHomoVecteur& v) const;
    bool operator!=(const CHomoVecteur& v) const;
};
