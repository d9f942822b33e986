#include "geometrie/normales_faces.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Four faces in the lanes of SSE registers: the square roots and the divisions, slow and
// each waited for by its face, overlap. Only where nothing can fuse a product with a sum:
// every operation is the scalar one, lane by lane, so the bits are the same.
#if defined(__SSE2__) && !defined(__FMA__)
constexpr bool PAR_QUATRE = true;

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
    // |n| < 0.0001 and 1 / n in double, two lanes at a time, as the scalar code does.
    const __m128 absN = _mm_andnot_ps(signe, n);
    const __m128d nBas = _mm_cvtps_pd(absN), nHaut = _mm_cvtps_pd(_mm_movehl_ps(absN, absN));
    const __m128d seuil = _mm_set1_pd(0.0001), un = _mm_set1_pd(1.0);
    const __m128 petit =
        _mm_shuffle_ps(_mm_castpd_ps(_mm_cmplt_pd(nBas, seuil)),
                       _mm_castpd_ps(_mm_cmplt_pd(nHaut, seuil)), _MM_SHUFFLE(2, 0, 2, 0));
    const __m128d nnBas = _mm_cvtps_pd(n), nnHaut = _mm_cvtps_pd(_mm_movehl_ps(n, n));
    const __m128 k =
        _mm_movelh_ps(_mm_cvtpd_ps(_mm_div_pd(un, nnBas)), _mm_cvtpd_ps(_mm_div_pd(un, nnHaut)));
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
