// The usual lines of a Wavefront file read whole, without a cursor: "v x y z", "vn x y z"
// and "f" with 3 or 4 corners of one form, each item after a single space, the line ending
// with "\n". The text must hold a line end after the position given (every loop stops at
// it). Each reader returns null, having stored nothing the caller keeps, for any other text:
// the caller then reads the line the general way, which gives the same results for the
// lines these accept. Internal to the reader.
#pragma once

#include <cstdint>
#include <cstring>

namespace lectureWf {
namespace detail {

#define TOUJOURS_EN_LIGNE inline __attribute__((always_inline))

inline bool chiffre(char ch) { return static_cast<unsigned>(ch - '0') < 10u; }

// Exact powers of ten of double precision.
inline constexpr double PUISSANCES_DIX[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// mantisse / 10^decimales rounded to float as strtof would, for a mantisse of at most 15
// digits: both are exact doubles, so their quotient is the exact value correctly rounded to
// double; rounding that to float gives strtof's result unless the double fell exactly on a
// float rounding midpoint (false then: the caller converts the text the general way).
TOUJOURS_EN_LIGNE bool versFlottant(uint64_t mantisse, int decimales, bool negatif, float& v) {
    const double d = static_cast<double>(mantisse) / PUISSANCES_DIX[decimales];
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    if (mantisse != 0 && (bits & ((uint64_t(1) << 29) - 1)) == (uint64_t(1) << 28)) return false;
    const float f = static_cast<float>(d);
    v = negatif ? -f : f;
    return true;
}

// The number of leading decimal digits of the 8 bytes at q (8: all of them), and in *v their
// value when fewer than 8, eight bytes at a time: the subtraction makes digits 0 to 9 and
// everything else has its high bit set once 0x76 is added (a carry or borrow only spoils
// the bytes after the first non-digit). The digits are moved to the top and summed by
// pairs, fours and eights.
inline int huitChiffres(const char* q, int* v) {
    uint64_t x;
    std::memcpy(&x, q, sizeof x);
    x -= 0x3030303030303030u;
    const uint64_t autres = (x | (x + 0x7676767676767676u)) & 0x8080808080808080u;
    if (!autres) return 8;
    const int n = __builtin_ctzll(autres) / 8;
    if (n == 0) return 0;
    x <<= 8 * (8 - n);
    x = (x * 10 + (x >> 8)) & 0x00FF00FF00FF00FFu;
    x = (x * 100 + (x >> 16)) & 0x0000FFFF0000FFFFu;
    x = (x * 10000 + (x >> 32)) & 0xFFFFFFFFu;
    *v = static_cast<int>(x);
    return n;
}

// [sign] digits [. digits], at least one digit and at most 15: the number flottantRapide
// reads, with its value. Past the end of the number, the caller checks what follows.
// Byte by byte: the branches on digits are predicted and let the next numbers start,
// where reading eight bytes at a time chains each number's end to the next one's start.
TOUJOURS_EN_LIGNE const char* nombreLigne(const char* q, float& v) {
    const bool negatif = *q == '-';
    if (*q == '-' || *q == '+') ++q;
    uint64_t mantisse = 0;
    const char* debut = q;
    while (chiffre(*q)) mantisse = mantisse * 10 + static_cast<unsigned>(*q++ - '0');
    int decimales = 0;
    int chiffres = static_cast<int>(q - debut);
    if (*q == '.') {
        const char* debutDecimales = ++q;
        while (chiffre(*q)) mantisse = mantisse * 10 + static_cast<unsigned>(*q++ - '0');
        decimales = static_cast<int>(q - debutDecimales);
        chiffres += decimales;
    }
    if (chiffres == 0 || chiffres > 15) return nullptr;
    return versFlottant(mantisse, decimales, negatif, v) ? q : nullptr;
}

// One space and a number (null stays null).
TOUJOURS_EN_LIGNE const char* espaceNombre(const char* q, float& v) {
    return q && *q == ' ' ? nombreLigne(q + 1, v) : nullptr;
}

// The line end after the numbers: the position after it.
TOUJOURS_EN_LIGNE const char* finLigne(const char* q) { return q && *q == '\n' ? q + 1 : nullptr; }

// Three numbers, each after one space, then the line end: the position after it.
TOUJOURS_EN_LIGNE const char* troisNombresLigne(const char* q, float& x, float& y, float& z) {
    return finLigne(espaceNombre(espaceNombre(espaceNombre(q, x), y), z));
}

// 1 to 9 digits without a sign (what entierCourt reads); the value, 0-based as stored
// (moinsUn). Byte by byte, as nombreLigne.
TOUJOURS_EN_LIGNE const char* indiceLigne(const char* q, int& v) {
    if (!chiffre(*q)) return nullptr;
    int valeur = *q++ - '0';
    for (int i = 1; i < 9 && chiffre(*q); ++i) valeur = valeur * 10 + (*q++ - '0');
    if (chiffre(*q)) return nullptr;
    v = valeur - 1;
    return q;
}

// Where the corners of a face line go, four indices each, written as read: the sink's own
// storage, so that nothing is copied after the reading. Their form is that of
// premierCoinCourt's syntax (0 "a", 1 "a/b", 2 "a/b/c", 3 "a//c"); the indices not read are
// left as the sink set them (-1 for the texture coordinates and normals).
struct FaceLigne {
    int* sommets;
    int* texCoords;
    int* normales;
    int n = 0;
};

// One corner of the given form (-1: decided by this, the first corner).
TOUJOURS_EN_LIGNE const char* coinLigne(const char* q, int& forme, FaceLigne& f) {
    const int k = f.n;
    q = indiceLigne(q, f.sommets[k]);
    if (!q) return nullptr;
    int lue = 0;
    if (*q == '/') {
        if (q[1] == '/') {
            q = indiceLigne(q + 2, f.normales[k]);
            lue = 3;
        } else {
            q = indiceLigne(q + 1, f.texCoords[k]);
            lue = 1;
            if (q && *q == '/') {
                q = indiceLigne(q + 1, f.normales[k]);
                lue = 2;
            }
        }
        if (!q) return nullptr;
    }
    if (forme < 0) forme = lue;
    if (lue != forme) return nullptr;
    ++f.n;
    return q;
}

// "f" and its 3 or 4 corners after "f", then the line end and a byte that no corner can
// start and that is no blank (so the face ends there, as the general reading would decide):
// the position after the line end. The syntax in `forme`.
TOUJOURS_EN_LIGNE const char* faceLigne(const char* q, const char* fin, int& forme, FaceLigne& f) {
    forme = -1;
    while (*q == ' ') {
        if (f.n == 4) return nullptr;
        q = coinLigne(q + 1, forme, f);
        if (!q) return nullptr;
    }
    if (*q != '\n' || f.n < 3 || ++q >= fin) return nullptr;
    const char s = *q;
    if (chiffre(s) || s == '+' || s == '-' || s == ' ' || (s >= '\t' && s <= '\r')) return nullptr;
    return q;
}

}  // namespace detail
}  // namespace lectureWf
