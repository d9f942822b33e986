#include "geometrie/normales_faces.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Four faces in the lanes of SSE registers: the square roots and the divisions, slow and
// each waited for by its face, overlap. Only where nothing can fuse a product with a sum:
// every operation is the scalar one, lane by lane, so the bits are the same.
#if defined(__SSE2__) && !defined(__FMA__) && __FLT_EVAL_METHOD__ == 0
constexpr bool PAR_QUATRE = true;
// The float just above 0.0001 (0.0001f, 0x1.a36e2ep-14, is below it).
constexpr float SEUIL = 0x1.a36e3p-14f;

// With the identity placement; false (nothing stored) when a vertex has a coordinate whose
// sum is not finite, which the matrix path of normaleDe handles.
bool normalesDeQuatre(const std::vector<Sommet>& sommets, Face* f) {
    const Sommet* s[3][4];
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 3; ++j) s[j][k] = &sommets[static_cast<size_t>(f[k].sommets[j])];
    const __m128 zero = _mm_setzero_ps(), signe = _mm_set1_ps(-0.0f),
                 infini = _mm_set1_ps(INFINITY);
    __m128 p[3][3];  // p[sommet][composante], each plus +0 as in normaleDe
    __m128 finis = _mm_castsi128_ps(_mm_set1_epi32(-1));
    for (int j = 0; j < 3; ++j) {
        const Sommet* const* v = s[j];
        const __m128 x = _mm_setr_ps(v[0]->x, v[1]->x, v[2]->x, v[3]->x);
        const __m128 y = _mm_setr_ps(v[0]->y, v[1]->y, v[2]->y, v[3]->y);
        const __m128 z = _mm_setr_ps(v[0]->z, v[1]->z, v[2]->z, v[3]->z);
        const __m128 somme = _mm_add_ps(_mm_add_ps(x, y), z);
        finis = _mm_and_ps(finis, _mm_cmplt_ps(_mm_andnot_ps(signe, somme), infini));
        p[j][0] = _mm_add_ps(x, zero);
        p[j][1] = _mm_add_ps(y, zero);
        p[j][2] = _mm_add_ps(z, zero);
    }
    if (_mm_movemask_ps(finis) != 0xF) return false;
    const __m128 ax = _mm_sub_ps(p[1][0], p[0][0]), ay = _mm_sub_ps(p[1][1], p[0][1]),
                 az = _mm_sub_ps(p[1][2], p[0][2]);
    const __m128 bx = _mm_sub_ps(p[2][0], p[1][0]), by = _mm_sub_ps(p[2][1], p[1][1]),
                 bz = _mm_sub_ps(p[2][2], p[1][2]);
    const __m128 x = _mm_sub_ps(_mm_mul_ps(ay, bz), _mm_mul_ps(az, by));
    const __m128 y = _mm_sub_ps(_mm_mul_ps(az, bx), _mm_mul_ps(ax, bz));
    const __m128 z = _mm_sub_ps(_mm_mul_ps(ax, by), _mm_mul_ps(ay, bx));
    const __m128 n =
        _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)), _mm_mul_ps(z, z)));
    // normaleDe compares |n| with 0.0001 and inverts n in double, then rounds to float. In
    // float, with the same results for every float n (all of them were checked): no float
    // lies between 0.0001 and the next float above it, and a double has more than twice a
    // float's precision, so rounding 1 / n to double first never changes the float.
    const __m128 petit = _mm_cmplt_ps(_mm_andnot_ps(signe, n), _mm_set1_ps(SEUIL));
    const __m128 k = _mm_div_ps(_mm_set1_ps(1.0f), n);
    alignas(16) float r[3][4];
    _mm_store_ps(r[0], _mm_andnot_ps(petit, _mm_mul_ps(k, x)));
    _mm_store_ps(r[1], _mm_andnot_ps(petit, _mm_mul_ps(k, y)));
    _mm_store_ps(r[2], _mm_andnot_ps(petit, _mm_mul_ps(k, z)));
    for (int i = 0; i < 4; ++i) f[i].normale = CVecteur(r[0][i], r[1][i], r[2][i]);
    return true;
}
#else
constexpr bool PAR_QUATRE = false;
bool normalesDeQuatre(const std::vector<Sommet>&, Face*) { return false; }
#endif

}  // namespace

void poseNormalesDe(const std::vector<Sommet>& sommets, const CMatrice& placement, bool identite,
                    Face* faces, size_t debut, size_t fin) {
    size_t i = debut;
    if (PAR_QUATRE && identite)
        for (; i + 4 <= fin; i += 4)
            if (!normalesDeQuatre(sommets, faces + i))
                for (size_t j = i; j < i + 4; ++j)
                    faces[j].normale = normaleDe(sommets, placement, identite, faces[j]);
    for (; i < fin; ++i) faces[i].normale = normaleDe(sommets, placement, identite, faces[i]);
}
