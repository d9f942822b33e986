// Metaball zones: field functions, animations, field evaluation and marching cubes.
#include "metaball/metaballzone.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "metaball/tables_marching_cubes.h"

// ---- Field functions --------------------------------------------------------------------

float champSphere(float x0, float y0, float z0, float x, float y, float z, float, float poids) {
    float dx = x - x0, dy = y - y0, dz = z - z0;
    return poids / (dx * dx + dy * dy + dz * dz);
}

float champCylindreX(float, float y0, float z0, float, float y, float z, float, float poids) {
    float dy = y - y0, dz = z - z0;
    return poids / (dy * dy + dz * dz);
}

float champCylindreY(float x0, float, float z0, float x, float, float z, float, float poids) {
    float dx = x - x0, dz = z - z0;
    return poids / (dx * dx + dz * dz);
}

float champCylindreZ(float x0, float y0, float, float x, float y, float, float, float poids) {
    float dx = x - x0, dy = y - y0;
    return poids / (dx * dx + dy * dy);
}

// Squares written as products: same value as a general power with exponent 2, much cheaper.
float champSuperquadrique(float x0, float y0, float z0, float x, float y, float z, float, float) {
    float a = 0.1f * (x - x0), b = 0.05f * (y - y0), c = 0.05f * (z - z0);
    return a * a + b * b - (1.0f - c * c);
}

float champOndulation(float, float, float, float x, float y, float z, float phase, float poids) {
    float dx = 0.5f - x, dy = 0.5f - y;
    float a = 20.0f * (std::sqrt(dx * dx + dy * dy) + phase);
    return ((std::cos(a) + std::sin(a)) * 0.1f + 1.5f - z) * poids;
}

FonctionChamp fonctionChampDuGenre(const std::string& genre) {
    if (genre == "cylindreX") return champCylindreX;
    if (genre == "cylindreY") return champCylindreY;
    if (genre == "cylindreZ") return champCylindreZ;
    if (genre == "sphere") return champSphere;
    if (genre == "superquadrique") return champSuperquadrique;
    return champOndulation;
}

// ---- Animations -------------------------------------------------------------------------

static float oscillation(float t, float amplitude) {
    return amplitude * static_cast<float>(std::sin(0.001 * t));
}

void sinX(CMatrice& matrice, const CVecteur& base, float t, float amplitude) {
    matrice.m[12] = base.x + oscillation(t, amplitude);
    matrice.m[13] = base.y;
    matrice.m[14] = base.z;
}

void sinY(CMatrice& matrice, const CVecteur& base, float t, float amplitude) {
    matrice.m[12] = base.x;
    matrice.m[13] = base.y + oscillation(t, amplitude);
    matrice.m[14] = base.z;
}

void sinZ(CMatrice& matrice, const CVecteur& base, float t, float amplitude) {
    matrice.m[12] = base.x;
    matrice.m[13] = base.y;
    matrice.m[14] = base.z + oscillation(t, amplitude);
}

FonctionAnimation fonctionAnimationDuNom(const std::string& nom) {
    if (nom == "sinX") return sinX;
    if (nom == "sinY") return sinY;
    if (nom == "sinZ") return sinZ;
    return nullptr;
}

// ---- Primitives -------------------------------------------------------------------------

void InstanceMetaball::getBoiteEnglobante(CVecteur& min, CVecteur& max) {
    min = CVecteur(0, 0, 0);
    max = CVecteur(0, 0, 0);
}

// ---- Zone -------------------------------------------------------------------------------

MetaballZone::MetaballZone(float taille_, int resolution_, float seuil_)
    : seuil(seuil_),
      taille(taille_),
      resolution(resolution_),
      pas(taille_ > 0 && resolution_ > 0 ? taille_ / static_cast<float>(resolution_) : 0.0f) {}

void MetaballZone::getBoiteEnglobante(CVecteur& min, CVecteur& max) {
    float h = taille / 2;
    min = CVecteur(-h, -h, -h);
    max = CVecteur(h, h, h);
    transformeBoite(min, max);
}

std::shared_ptr<InstanceMetaball> MetaballZone::ajoutePrimitive(const std::string& genre,
                                                                float poids,
                                                                const std::string& animation,
                                                                CVecteur position,
                                                                float amplitude) {
    auto p = std::make_shared<InstanceMetaball>(fonctionChampDuGenre(genre), poids);
    p->vecteurAnimation = position;
    p->animation = fonctionAnimationDuNom(animation);
    p->donneesAnimation = amplitude;
    p->tombe = false;
    p->m[12] = position.x;
    p->m[13] = position.y;
    p->m[14] = position.z;
    primitives.push_back(p.get());
    suivies_.emplace_back(p.get(), p);
    return p;
}

void MetaballZone::retirePrimitivesDetruites() {
    for (auto it = suivies_.begin(); it != suivies_.end();) {
        if (!it->second.expired()) {
            ++it;
            continue;
        }
        // The first occurrence is the oldest: a later primitive may reuse the freed address.
        auto p = std::find(primitives.begin(), primitives.end(), it->first);
        if (p != primitives.end()) primitives.erase(p);
        it = suivies_.erase(it);
    }
}

float MetaballZone::champ(float x, float y, float z) const {
    float s = 0;
    for (const InstanceMetaball* p : primitives)
        if (p && p->fonctionChamp) s += p->contribution(x, y, z);
    return s;
}

CVecteur MetaballZone::normaleChamp(float x, float y, float z) const {
    const float d = 0.01f;
    float g[3] = {champ(x - d, y, z) - champ(x + d, y, z), champ(x, y - d, z) - champ(x, y + d, z),
                  champ(x, y, z - d) - champ(x, y, z + d)};
    bool infini = false, indefini = false;
    for (float c : g) {
        infini |= std::isinf(c);
        indefini |= std::isnan(c);
    }
    if (infini) {
        // Beside a primitive's centre: the infinite components give the direction.
        for (float& c : g) c = std::isinf(c) ? (c > 0 ? 1.0f : -1.0f) : 0.0f;
    } else if (indefini) {
        for (float& c : g)
            if (std::isnan(c)) c = 0;
    }
    CVecteur v(g[0], g[1], g[2]);
    if (std::isinf(v.norme())) {
        // The squares overflow: scale down first so the direction survives.
        float m = std::max({std::fabs(g[0]), std::fabs(g[1]), std::fabs(g[2])});
        v = (1.0f / m) * v;
    }
    return v.normalise();
}

float MetaballZone::interpole(float va, float vb, float s) {
    bool fa = std::isfinite(va), fb = std::isfinite(vb);
    float t;
    if (fa && fb) {
        if (std::fabs(vb - va) < 0.0001) return 0.5f;
        t = (s - va) / (vb - va);
    } else if (std::isinf(va) && fb) {
        t = 1;  // the limit as va grows without bound: the crossing is at b
    } else if (fa && std::isinf(vb)) {
        t = 0;
    } else {
        return 0.5f;  // no usable value at one end at least
    }
    if (std::isnan(t)) return 0.5f;
    return std::min(1.0f, std::max(0.0f, t));
}

RGBA MetaballZone::couleurNormale(const CVecteur& n) {
    float px = std::max(n.x, 0.0f), py = std::max(n.y, 0.0f), pz = std::max(n.z, 0.0f);
    float mx = std::max(-n.x, 0.0f), my = std::max(-n.y, 0.0f), mz = std::max(-n.z, 0.0f);
    return RGBA(px + 0.5f * my + 0.5f * mz, py + 0.5f * mz + 0.5f * mx, pz + 0.5f * mx + 0.5f * my,
                0);
}

// The crossing point on edge `arete` of the cell at (x, y, z), at fraction t from its first
// corner. Both ways of polygonising compute vertices here, so they agree bit for bit.
CVecteur MetaballZone::positionArete(float x, float y, float z, int arete, float t) const {
    const int* o = coinsCube[aretesCube[arete][0]];
    const int* d = directionsAretes[arete];
    return CVecteur(x + (static_cast<float>(o[0]) + t * static_cast<float>(d[0])) * pas,
                    y + (static_cast<float>(o[1]) + t * static_cast<float>(d[1])) * pas,
                    z + (static_cast<float>(o[2]) + t * static_cast<float>(d[2])) * pas);
}

void MetaballZone::polygoniseCube(float x, float y, float z, PuitsTriangles& puits) const {
    float v[8];
    int indice = 0;
    for (int k = 0; k < 8; ++k) {
        v[k] = champ(x + static_cast<float>(coinsCube[k][0]) * pas,
                     y + static_cast<float>(coinsCube[k][1]) * pas,
                     z + static_cast<float>(coinsCube[k][2]) * pas);
        if (v[k] <= seuil) indice |= 1 << k;
    }
    int masque = tableAretes[indice];
    if (masque == 0) return;

    CVecteur p[12], n[12];
    for (int j = 0; j < 12; ++j) {
        if (!(masque & (1 << j))) continue;
        float t = interpole(v[aretesCube[j][0]], v[aretesCube[j][1]], seuil);
        p[j] = positionArete(x, y, z, j, t);
        n[j] = normaleChamp(p[j].x, p[j].y, p[j].z);
    }
    const int* ligne = tableTriangles[indice];
    for (int i = 0; i < 15 && ligne[i] != -1; i += 3)
        for (int e = i; e < i + 3; ++e)
            puits.sommet(couleurNormale(n[ligne[e]]), n[ligne[e]], p[ligne[e]]);
}

bool MetaballZone::grilleValide() const {
    return std::isfinite(taille) && taille > 0 && resolution >= 1 && resolution <= RESOLUTION_MAX &&
           std::isfinite(pas) && pas > 0;
}

std::vector<float> MetaballZone::coordonneesCellules(int axe) const {
    std::vector<float> cellules;
    if (!grilleValide() || axe < 0 || axe > 2) return cellules;
    const double c = m[12 + axe];
    const double h = static_cast<float>(taille * 0.5);
    const float fin = static_cast<float>(c + h);
    // Rounding may add a cell or two to `resolution`; a bound keeps any surprise finite.
    const size_t plafond = 2 * static_cast<size_t>(resolution) + 2;
    double somme = c - h;  // each sum as computed, before it is rounded to a float
    float x = static_cast<float>(somme);
    while (somme < fin && cellules.size() < plafond) {
        float suivant = x + pas;
        // Far from the origin a small step may vanish in the rounding: stop rather than loop.
        if (!(suivant > x)) break;
        cellules.push_back(x);
        somme = static_cast<double>(x) + static_cast<double>(pas);
        x = suivant;
    }
    return cellules;
}

void MetaballZone::polygoniseParCellule(PuitsTriangles& puits) const {
    std::vector<float> xs = coordonneesCellules(0), ys = coordonneesCellules(1),
                       zs = coordonneesCellules(2);
    for (float x : xs)
        for (float y : ys)
            for (float z : zs) polygoniseCube(x, y, z, puits);
}

namespace {

// An edge crossing computed once in a frame: position, normal, and the generation stamp that
// says whether this entry belongs to the current pass over its array.
struct SommetArete {
    float p[3];
    float n[3];
    uint32_t marque;
};

struct TableauAretes {
    std::vector<SommetArete> s;
    uint32_t marque = 0;
    bool connu(size_t i) const { return s[i].marque == marque; }
};

// Adds one primitive's contribution at every corner of an x slice (entry j * (zs.size()) + k),
// with the field function known at compile time so that it can be inlined.
template <FonctionChamp F>
void ajouteTranche(float* v, const InstanceMetaball& p, float x, const std::vector<float>& ys,
                   const std::vector<float>& zs) {
    const float x0 = p.m[12], y0 = p.m[13], z0 = p.m[14], phase = p.phase, poids = p.poids;
    const size_t nz = zs.size();
    for (size_t j = 0; j < ys.size(); ++j) {
        const float y = ys[j];
        float* ligne = v + j * nz;
        for (size_t k = 0; k < nz; ++k) ligne[k] += F(x0, y0, z0, x, y, zs[k], phase, poids);
    }
}

// The field at every corner of an x slice. Each corner gets 0 plus the contributions in list
// order, rounded after each addition: exactly the value `champ` computes there.
void ajouteContributions(std::vector<float>& v, const std::vector<InstanceMetaball*>& primitives,
                         float x, const std::vector<float>& ys, const std::vector<float>& zs) {
    std::fill(v.begin(), v.end(), 0.0f);
    for (const InstanceMetaball* p : primitives) {
        if (!p || !p->fonctionChamp) continue;
        FonctionChamp f = p->fonctionChamp;
        if (f == champSphere)
            ajouteTranche<champSphere>(v.data(), *p, x, ys, zs);
        else if (f == champCylindreX)
            ajouteTranche<champCylindreX>(v.data(), *p, x, ys, zs);
        else if (f == champCylindreY)
            ajouteTranche<champCylindreY>(v.data(), *p, x, ys, zs);
        else if (f == champCylindreZ)
            ajouteTranche<champCylindreZ>(v.data(), *p, x, ys, zs);
        else
            for (size_t j = 0; j < ys.size(); ++j)
                for (size_t k = 0; k < zs.size(); ++k)
                    v[j * zs.size() + k] += p->contribution(x, ys[j], zs[k]);
    }
}

// Where one of a cell's edges is kept, and its other orientation.
struct Place {
    TableauAretes* tableau;
    TableauAretes* jumeau;
    size_t indice;
};

// The crossing of edge e of the cell whose minimum corner is (x, y, z) and corner values v,
// computed unless the walk already has it; a normal is copied from the edge's other
// orientation when both positions are bit-identical.
const SommetArete* croisement(const MetaballZone& zone, const Place& pl, const float (&v)[8], int e,
                              float x, float y, float z) {
    SommetArete& s = pl.tableau->s[pl.indice];
    if (pl.tableau->connu(pl.indice)) return &s;
    float t = MetaballZone::interpole(v[aretesCube[e][0]], v[aretesCube[e][1]], zone.seuil);
    CVecteur p = zone.positionArete(x, y, z, e, t);
    s.p[0] = p.x;
    s.p[1] = p.y;
    s.p[2] = p.z;
    const SommetArete* autre =
        pl.jumeau && pl.jumeau->connu(pl.indice) ? &pl.jumeau->s[pl.indice] : nullptr;
    if (autre && std::memcmp(autre->p, s.p, sizeof s.p) == 0) {
        std::memcpy(s.n, autre->n, sizeof s.n);
    } else {
        CVecteur n = zone.normaleChamp(p.x, p.y, p.z);
        s.n[0] = n.x;
        s.n[1] = n.y;
        s.n[2] = n.z;
    }
    s.marque = pl.tableau->marque;
    return &s;
}

// The triangles of a cell's configuration, from its edges' crossings.
void emetTriangles(PuitsTriangles& puits, int indice, const SommetArete* const (&sommets)[12]) {
    const int* rangee = tableTriangles[indice];
    for (int r = 0; r < 15 && rangee[r] != -1; ++r) {
        const SommetArete& s = *sommets[rangee[r]];
        CVecteur n(s.n[0], s.n[1], s.n[2]);
        puits.sommet(MetaballZone::couleurNormale(n), n, CVecteur(s.p[0], s.p[1], s.p[2]));
    }
}

}  // namespace

// Walks the cells in the same order as polygoniseParCellule, one x column at a time, keeping
// the corner values of the column's two x slices and the crossings of the edges a column's
// cells share. A corner's value is computed once: the corner x + 1·pas of a cell is exactly
// the next running-sum coordinate (both are the float sum x + pas).
//
// A crossing is shared only between cells that compute it with the same formula, so that the
// emitted floats do not change: along x and y, a cell sees an edge either from its first corner
// (edges 0, 4 / 1, 5) or from its second (edges 2, 6 / 3, 7), whose interpolations can differ
// in the last bit; each orientation has its own entry, and the second computed reuses the
// first's normal only when their positions are bit-identical. Along z all four cells agree.
void MetaballZone::polygonise(PuitsTriangles& puits) const {
    std::vector<float> xs = coordonneesCellules(0), ys = coordonneesCellules(1),
                       zs = coordonneesCellules(2);
    if (xs.empty() || ys.empty() || zs.empty()) return;
    const size_t nx = xs.size(), ny = ys.size(), nz = zs.size();
    xs.push_back(xs.back() + pas);
    ys.push_back(ys.back() + pas);
    zs.push_back(zs.back() + pas);

    const size_t ligne = nz + 1;  // slice entries are indexed j * ligne + k
    const size_t tailleTranche = (ny + 1) * ligne;
    std::vector<float> valeursBas(tailleTranche), valeursHaut(tailleTranche);
    auto calculeTranche = [&](std::vector<float>& v, float x) {
        ajouteContributions(v, primitives, x, ys, zs);
    };

    uint32_t generation = 0;
    auto vide = [&generation](TableauAretes& t) { t.marque = ++generation; };
    // [0]: seen from the edge's lower end, [1]: from its upper end.
    TableauAretes aretesX[2], aretesYBas[2], aretesYHaut[2], aretesZBas, aretesZHaut;
    for (TableauAretes* t : {&aretesX[0], &aretesX[1], &aretesYBas[0], &aretesYBas[1],
                             &aretesYHaut[0], &aretesYHaut[1], &aretesZBas, &aretesZHaut}) {
        t->s.assign(tailleTranche, SommetArete{{0, 0, 0}, {0, 0, 0}, 0});
        vide(*t);
    }

    calculeTranche(valeursBas, xs[0]);
    for (size_t i = 0; i < nx; ++i) {
        calculeTranche(valeursHaut, xs[i + 1]);
        for (TableauAretes* t :
             {&aretesX[0], &aretesX[1], &aretesYHaut[0], &aretesYHaut[1], &aretesZHaut})
            vide(*t);

        for (size_t j = 0; j < ny; ++j) {
            for (size_t k = 0; k < nz; ++k) {
                const size_t b = j * ligne + k;  // corner (j, k); +1: k + 1; +ligne: j + 1
                const float v[8] = {valeursBas[b],
                                    valeursHaut[b],
                                    valeursHaut[b + ligne],
                                    valeursBas[b + ligne],
                                    valeursBas[b + 1],
                                    valeursHaut[b + 1],
                                    valeursHaut[b + ligne + 1],
                                    valeursBas[b + ligne + 1]};
                int indice = 0;
                for (int c = 0; c < 8; ++c)
                    if (v[c] <= seuil) indice |= 1 << c;
                const int masque = tableAretes[indice];
                if (masque == 0) continue;

                // Where each of the cell's twelve edges is kept, and its other orientation.
                const Place places[12] = {
                    {&aretesX[0], &aretesX[1], b},
                    {&aretesYHaut[0], &aretesYHaut[1], b},
                    {&aretesX[1], &aretesX[0], b + ligne},
                    {&aretesYBas[1], &aretesYBas[0], b},
                    {&aretesX[0], &aretesX[1], b + 1},
                    {&aretesYHaut[0], &aretesYHaut[1], b + 1},
                    {&aretesX[1], &aretesX[0], b + ligne + 1},
                    {&aretesYBas[1], &aretesYBas[0], b + 1},
                    {&aretesZBas, nullptr, b},
                    {&aretesZHaut, nullptr, b},
                    {&aretesZHaut, nullptr, b + ligne},
                    {&aretesZBas, nullptr, b + ligne},
                };

                const SommetArete* sommets[12] = {};
                for (int e = 0; e < 12; ++e)
                    if (masque & (1 << e))
                        sommets[e] = croisement(*this, places[e], v, e, xs[i], ys[j], zs[k]);
                emetTriangles(puits, indice, sommets);
            }
        }
        std::swap(valeursBas, valeursHaut);
        std::swap(aretesYBas[0], aretesYHaut[0]);
        std::swap(aretesYBas[1], aretesYHaut[1]);
        std::swap(aretesZBas, aretesZHaut);
    }
}
