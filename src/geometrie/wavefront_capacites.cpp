// The first pass over a Wavefront file.
#include "geometrie/wavefront_capacites.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

#include "commun/pages_memoire.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lectureWf {
namespace detail {

namespace {

// Calls f(nl) for each line end nl in [b, bout).
template <class F>
inline void finsDeLigne(const char* b, const char* bout, F&& f) {
    const char* p = b;
#ifdef __SSE2__
    // Sixteen bytes at a time: lines are short, a call per line would cost more.
    const __m128i nl = _mm_set1_epi8('\n');
    for (; p + 16 <= bout; p += 16) {
        if ((reinterpret_cast<uintptr_t>(p) & 63) < 16) demandeAvant(p);
        unsigned masque = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), nl)));
        for (; masque; masque &= masque - 1) f(p + __builtin_ctz(masque));
    }
#endif
    for (; p < bout; ++p)
        if (*p == '\n') f(p);
}

// The lines starting at offsets [debut, fin) of a text of `taille` bytes, one by one.
void compteUneParUne(const char* texte, uint64_t taille, uint64_t debut, uint64_t fin, Comptes& r) {
    const char* const bout = texte + taille;
    auto octet = [&](const char* q) { return q < bout ? *q : '\0'; };
    if (debut == 0 && fin > 0) r.ajoute(texte[0], octet(texte + 1));
    // Line ends at offsets [debut - 1, fin - 1) start the lines at [debut, fin).
    const uint64_t premier = debut > 0 ? debut - 1 : 0;
    if (fin < premier + 2) return;
    finsDeLigne(texte + premier, texte + fin - 1,
                [&](const char* nl) { r.ajoute(octet(nl + 1), octet(nl + 2)); });
}

#ifdef __SSE2__
// The same for the lines starting at offsets [debut, fin), where 1 <= debut, fin + 17 <=
// taille and fin - debut is a multiple of 16: sixteen positions at a time, without a branch
// per line (a loop over the line ends of each block runs a varying number of times). A line
// starts at i when byte i - 1 is a line end, and bytes i and i + 1 tell its kind. Each kind's
// matches are summed bytewise, the byte counters emptied every 255 rounds.
void compteParSeize(const char* texte, uint64_t debut, uint64_t fin, Comptes& r) {
    auto charge = [](const char* q) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    };
    auto somme = [](__m128i compteurs) {
        const __m128i s = _mm_sad_epu8(compteurs, _mm_setzero_si128());
        return static_cast<uint64_t>(_mm_cvtsi128_si64(s)) +
               static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(s, s)));
    };
    const __m128i nl = _mm_set1_epi8('\n'), v = _mm_set1_epi8('v'), f = _mm_set1_epi8('f'),
                  blanc = _mm_set1_epi8(' '), n = _mm_set1_epi8('n'), t = _mm_set1_epi8('t');
    for (uint64_t i = debut; i < fin;) {
        __m128i cS = _mm_setzero_si128(), cN = cS, cT = cS, cF = cS;
        for (int tour = 0; tour < 255 && i < fin; ++tour, i += 16) {
            const char* q = texte + i;
            if ((reinterpret_cast<uintptr_t>(q) & 63) < 16) demandeAvant(q);
            const __m128i debutLigne = _mm_cmpeq_epi8(charge(q - 1), nl);
            const __m128i octet0 = charge(q), octet1 = charge(q + 1);
            const __m128i ligneV = _mm_and_si128(debutLigne, _mm_cmpeq_epi8(octet0, v));
            // A match is 0xFF, -1: subtracting it counts one.
            cS = _mm_sub_epi8(cS, _mm_and_si128(ligneV, _mm_cmpeq_epi8(octet1, blanc)));
            cN = _mm_sub_epi8(cN, _mm_and_si128(ligneV, _mm_cmpeq_epi8(octet1, n)));
            cT = _mm_sub_epi8(cT, _mm_and_si128(ligneV, _mm_cmpeq_epi8(octet1, t)));
            cF = _mm_sub_epi8(cF, _mm_and_si128(debutLigne, _mm_cmpeq_epi8(octet0, f)));
        }
        r.sommets += somme(cS);
        r.normales += somme(cN);
        r.texCoords += somme(cT);
        r.faces += somme(cF);
    }
}
#endif

// The lines starting at offsets [debut, fin) of a text of `taille` bytes.
void compteMorceau(const char* texte, uint64_t taille, uint64_t debut, uint64_t fin, Comptes& r) {
#ifdef __SSE2__
    // 1. The head and the tail one by one; the middle by sixteen, whose reads stay in the text.
    const uint64_t a = std::max<uint64_t>(debut, 1);
    const uint64_t limite = taille >= 17 ? std::min(fin, taille - 17) : 0;
    if (a < limite && limite - a >= 16) {
        const uint64_t b = a + (limite - a) / 16 * 16;
        compteUneParUne(texte, taille, debut, a, r);
        compteParSeize(texte, a, b, r);
        compteUneParUne(texte, taille, b, fin, r);
        return;
    }
#endif
    compteUneParUne(texte, taille, debut, fin, r);
}

}  // namespace

void compteTexte(const char* texte, uint64_t taille, Comptes& r, uint64_t deuxMoities) {
    // A big text's second half is counted on another thread meanwhile: the pass waits on
    // memory more than it computes, and the mesh cannot be made before it ends.
    if (taille >= deuxMoities) {
        const uint64_t milieu = taille / 2;
        Comptes second;
        try {
            std::thread t([&] { compteMorceau(texte, taille, milieu, taille, second); });
            compteMorceau(texte, taille, 0, milieu, r);
            t.join();
            r.faces += second.faces;
            r.sommets += second.sommets;
            r.normales += second.normales;
            r.texCoords += second.texCoords;
            return;
        } catch (const std::system_error&) {
            // No thread to be had: one pass.
        }
    }
    compteMorceau(texte, taille, 0, taille, r);
}

void compteLignes(const char* nomFichier, uint64_t taille, uint64_t debut, uint64_t fin,
                  Comptes& r) {
    const int fd = open(nomFichier, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        r.erreur = true;
        return;
    }
    // One byte, '\0' past the end: a line's first characters may lie in the next block.
    auto octet = [&](uint64_t position) {
        char c = '\0';
        if (position < taille && pread(fd, &c, 1, static_cast<off_t>(position)) != 1) c = '\0';
        return c;
    };
    if (debut == 0 && fin > 0) r.ajoute(octet(0), octet(1));
    // Line ends at offsets [debut - 1, fin - 1) start the lines at [debut, fin).
    const size_t BLOC = size_t(1) << 18;
    std::vector<char> tampon(BLOC);
    for (uint64_t position = debut > 0 ? debut - 1 : 0; position + 1 < fin;) {
        const size_t voulu = static_cast<size_t>(std::min<uint64_t>(BLOC, fin - 1 - position));
        const ssize_t n = pread(fd, tampon.data(), voulu, static_cast<off_t>(position));
        if (n <= 0) {
            r.erreur = n < 0;
            break;
        }
        const char* const b = tampon.data();
        const char* const bout = b + n;
        auto finDeLigne = [&](const char* nl) {
            const uint64_t ligne = position + static_cast<uint64_t>(nl - b) + 1;
            r.ajoute(nl + 1 < bout ? nl[1] : octet(ligne),
                     nl + 2 < bout ? nl[2] : octet(ligne + 1));
        };
        finsDeLigne(b, bout, finDeLigne);
        position += static_cast<uint64_t>(n);
    }
    close(fd);
}

}  // namespace detail
}  // namespace lectureWf
