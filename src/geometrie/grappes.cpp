// Runs of consecutive triangles that can be left out of a drawing as a whole.
#include "geometrie/grappes.h"

#include <algorithm>
#include <cmath>

namespace {
// The margins: a cone is widened by this much of its cosine, and a run is left out only when
// it is this fraction of its distance beyond the limit, far above float rounding.
constexpr double ELARGISSEMENT = 1e-4;
constexpr double MARGE = 1e-3;

struct V3 {
    double x = 0, y = 0, z = 0;
};
V3 moins(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 vectoriel(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double scalaire(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double norme(V3 a) { return std::sqrt(scalaire(a, a)); }

V3 lit(const float* t, size_t i, size_t pas) {
    const float* p = t + i * pas;
    return {p[0], p[1], p[2]};
}

// The cone around unit normals: their mean direction and the widest angle from it. False
// when a normal is unusable or the normals spread over a half-space.
bool cone(const std::vector<V3>& normales, float axe[3], float& cosinus, float& sinus) {
    V3 somme;
    for (const V3& n : normales) somme = {somme.x + n.x, somme.y + n.y, somme.z + n.z};
    const double l = norme(somme);
    if (normales.empty() || !(l > 1e-6 * static_cast<double>(normales.size()))) return false;
    const V3 a = {somme.x / l, somme.y / l, somme.z / l};
    double c = 1;
    for (const V3& n : normales) c = std::min(c, scalaire(a, n));
    c -= ELARGISSEMENT;
    if (!(c > 0)) return false;
    axe[0] = static_cast<float>(a.x);
    axe[1] = static_cast<float>(a.y);
    axe[2] = static_cast<float>(a.z);
    cosinus = static_cast<float>(c);
    sinus = static_cast<float>(std::sqrt(std::max(0.0, 1 - c * c)));
    return true;
}

// A unit vector, or false for one too short to have a direction.
bool unitaire(V3 v, double echelle, V3& u) {
    const double l = norme(v);
    if (!(l > 1e-12 * echelle) || !std::isfinite(l)) return false;
    u = {v.x / l, v.y / l, v.z / l};
    return true;
}

void entoure(Grappe& g, const std::vector<uint32_t>& indices, const float* positions, size_t pas) {
    V3 mini{1e300, 1e300, 1e300}, maxi{-1e300, -1e300, -1e300};
    for (uint32_t k = g.debut; k < g.debut + g.nombre; ++k) {
        const V3 p = lit(positions, indices[k], pas);
        mini = {std::min(mini.x, p.x), std::min(mini.y, p.y), std::min(mini.z, p.z)};
        maxi = {std::max(maxi.x, p.x), std::max(maxi.y, p.y), std::max(maxi.z, p.z)};
    }
    const V3 c = {(mini.x + maxi.x) / 2, (mini.y + maxi.y) / 2, (mini.z + maxi.z) / 2};
    double r = 0;
    for (uint32_t k = g.debut; k < g.debut + g.nombre; ++k)
        r = std::max(r, norme(moins(lit(positions, indices[k], pas), c)));
    g.centre[0] = static_cast<float>(c.x);
    g.centre[1] = static_cast<float>(c.y);
    g.centre[2] = static_cast<float>(c.z);
    g.rayon = static_cast<float>(r * (1 + MARGE) + 1e-6);
}

// Every vertex of the run seen from `p` on the side opposite to every normal of the cone.
bool auDos(const float axe[3], float cosCone, float sinCone, const Grappe& g, const float p[4]) {
    const V3 a = {axe[0], axe[1], axe[2]};
    if (p[3] == 0) {
        const V3 v = {p[0], p[1], p[2]};
        const double d = norme(v);
        if (!(d > 0)) return false;
        const double cosPhi = scalaire(a, v) / d;
        if (!(cosPhi < cosCone)) return false;
        const double sinPhi = std::sqrt(std::max(0.0, 1 - cosPhi * cosPhi));
        return cosPhi * cosCone + sinPhi * sinCone < -MARGE;
    }
    const V3 e = {p[0] / p[3], p[1] / p[3], p[2] / p[3]};
    const V3 dv = moins(e, {g.centre[0], g.centre[1], g.centre[2]});
    const double d = norme(dv), r = g.rayon;
    if (!std::isfinite(d) || d <= r) return false;
    const double cosPhi = scalaire(a, dv) / d;
    if (!(cosPhi < cosCone)) return false;
    const double sinPhi = std::sqrt(std::max(0.0, 1 - cosPhi * cosPhi));
    // The largest n . (p - v) over the cone's normals and the sphere's points.
    return d * (cosPhi * cosCone + sinPhi * sinCone) + r < -MARGE * (d + r);
}
}  // namespace

std::vector<Grappe> formeGrappes(const std::vector<uint32_t>& indices, size_t debut, size_t fin,
                                 const float* positions, const float* normales, size_t pas,
                                 size_t triangles) {
    std::vector<Grappe> grappes;
    const size_t taille = std::max<size_t>(triangles, 1) * 3;
    std::vector<V3> faces, sommets;
    for (size_t d = debut; d + 3 <= fin; d += taille) {
        Grappe g;
        g.debut = static_cast<uint32_t>(d);
        g.nombre = static_cast<uint32_t>(std::min(taille, (fin - d) / 3 * 3));
        entoure(g, indices, positions, pas);
        faces.clear();
        sommets.clear();
        bool facesUtilisables = true, sommetsUtilisables = normales != nullptr;
        for (uint32_t k = g.debut; k + 3 <= g.debut + g.nombre; k += 3) {
            const V3 a = lit(positions, indices[k], pas), b = lit(positions, indices[k + 1], pas),
                     c = lit(positions, indices[k + 2], pas);
            const V3 ab = moins(b, a), ac = moins(c, a);
            V3 n;
            facesUtilisables =
                facesUtilisables && unitaire(vectoriel(ab, ac), norme(ab) * norme(ac), n);
            if (facesUtilisables) faces.push_back(n);
            for (int i = 0; i < 3 && sommetsUtilisables; ++i) {
                sommetsUtilisables =
                    unitaire(lit(normales, indices[k + static_cast<uint32_t>(i)], pas), 1, n);
                if (sommetsUtilisables) sommets.push_back(n);
            }
        }
        g.coneFaces = facesUtilisables && cone(faces, g.axeFaces, g.cosFaces, g.sinFaces);
        g.coneSommets =
            sommetsUtilisables && cone(sommets, g.axeSommets, g.cosSommets, g.sinSommets);
        grappes.push_back(g);
    }
    return grappes;
}

bool grappeDeDos(const Grappe& g, const float oeil[4]) {
    return g.coneFaces && auDos(g.axeFaces, g.cosFaces, g.sinFaces, g, oeil);
}

bool grappeSansLumiere(const Grappe& g, const float lumiere[4]) {
    return g.coneSommets && auDos(g.axeSommets, g.cosSommets, g.sinSommets, g, lumiere);
}

bool oeilDeProjection(const float p[16], float oeil[4]) {
    for (int i : {1, 2, 3, 4, 6, 7, 12, 13})
        if (p[i] != 0) return false;
    if (!(p[0] > 0) || !(p[5] > 0)) return false;
    if (p[11] == -1 && p[15] == 0) {
        oeil[0] = oeil[1] = oeil[2] = 0;
        oeil[3] = 1;
        return true;
    }
    if (p[11] == 0 && p[15] == 1 && p[8] == 0 && p[9] == 0) {
        oeil[0] = oeil[1] = oeil[3] = 0;
        oeil[2] = 1;
        return true;
    }
    return false;
}

bool versObjet(const float m[16], const float p[4], float objet[4]) {
    if (m[3] != 0 || m[7] != 0 || m[11] != 0 || m[15] != 1) return false;
    // Columns of the 3 x 3 part, and the translation.
    const V3 c0 = {m[0], m[1], m[2]}, c1 = {m[4], m[5], m[6]}, c2 = {m[8], m[9], m[10]};
    const double det = scalaire(c0, vectoriel(c1, c2));
    if (!(det > 0) || !std::isfinite(det)) return false;
    const V3 q = {p[0] - p[3] * m[12], p[1] - p[3] * m[13], p[2] - p[3] * m[14]};
    // The inverse's rows are the cross products of the columns over the determinant.
    const V3 r0 = vectoriel(c1, c2), r1 = vectoriel(c2, c0), r2 = vectoriel(c0, c1);
    objet[0] = static_cast<float>(scalaire(r0, q) / det);
    objet[1] = static_cast<float>(scalaire(r1, q) / det);
    objet[2] = static_cast<float>(scalaire(r2, q) / det);
    objet[3] = p[3];
    return true;
}

bool boiteHorsChamp(const float projection[16], const float modelview[16], const float min[3],
                    const float max[3]) {
    double m[16];  // projection x modelview
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double v = 0;
            for (int k = 0; k < 4; ++k) v += double{projection[k * 4 + r]} * modelview[c * 4 + k];
            m[c * 4 + r] = v;
        }
    // For each plane (x > -w, x < w, y..., z...), whether every corner is beyond it.
    bool au_dela[6] = {true, true, true, true, true, true};
    for (int coin = 0; coin < 8; ++coin) {
        const double p[3] = {coin & 1 ? max[0] : min[0], coin & 2 ? max[1] : min[1],
                             coin & 4 ? max[2] : min[2]};
        double clip[4];
        for (int r = 0; r < 4; ++r)
            clip[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
        for (int axe = 0; axe < 3; ++axe) {
            const double marge = MARGE * (std::fabs(clip[axe]) + std::fabs(clip[3]));
            au_dela[2 * axe] = au_dela[2 * axe] && clip[axe] + clip[3] < -marge;
            au_dela[2 * axe + 1] = au_dela[2 * axe + 1] && clip[axe] - clip[3] > marge;
        }
    }
    for (bool b : au_dela)
        if (b) return true;
    return false;
}
