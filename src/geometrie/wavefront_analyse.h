// The parsing core of the Wavefront reader, shared by its readings (the mesh's and the
// public analyse's, in wavefront.cpp): character classes, cursors,
// numbers read with glibc's fscanf results, and the token-by-token pass. The corner cases
// it keeps are listed at the top of wavefront.cpp. Internal to the reader.
#pragma once

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "commun/pages_memoire.h"
#include "geometrie/wavefront.h"
#include "geometrie/wavefront_lignes.h"

namespace lectureWf {
namespace detail {

// Character classes of the C locale: 1 = blank (isspace), 2 = NUL.
struct Classes {
    unsigned char c[256] = {};
    constexpr Classes() {
        for (unsigned char b : {' ', '\t', '\n', '\v', '\f', '\r'}) c[b] = 1;
        c[0] = 2;
    }
};
inline constexpr Classes classes;

inline bool blanc(char ch) { return classes.c[static_cast<unsigned char>(ch)] == 1; }
inline bool chiffreHexa(char ch) {
    return chiffre(ch) || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}
inline char minuscule(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// The cursors of the parsing core. Each has the current position p, the end of the text it
// holds, recharge() (called at the end of that text: true when more text was made
// available, p and fin then point into it) and position(q), the offset of q in the file.

// A text entirely in memory.
struct CurseurFixe {
    const char* p;
    const char* fin;
    const char* debut;
    bool recharge() { return false; }
    uint64_t position(const char* q) const { return static_cast<uint64_t>(q - debut); }
};

// A file read block by block into one buffer; each block ends just after its last line end
// (or at the end of the file), the partial line after it starts the next block. A file in
// memory (mapped) is handed out in place up to its last line end, then its last partial
// line from the buffer, so that no reading goes past the mapping.
class Tampon {
public:
    Tampon(std::FILE* f, uint64_t debut) : f_(f), decalage_(debut) {
        std::setvbuf(f_, nullptr, _IONBF, 0);  // read straight into our buffer
    }
    Tampon(const char* texte, uint64_t taille) : texte_(texte), tailleTexte_(taille) {}
    bool recharge(const char*& p, const char*& fin);
    uint64_t position(const char* q) const {
        return decalage_ + static_cast<uint64_t>(q - origine_);
    }
    bool erreur() const { return erreur_; }

private:
    bool rechargeTexte(const char*& p, const char*& fin);
    static constexpr size_t BLOC = size_t(1) << 19;
    std::FILE* f_ = nullptr;
    const char* texte_ = nullptr;  // the file in memory, or null
    uint64_t tailleTexte_ = 0;
    int etape_ = 0;        // 0: nothing handed out, 1: up to its last line end, 2: all
    size_t finTexte_ = 0;  // just after its last line end
    std::unique_ptr<char[]> donnees_;
    const char* origine_ = nullptr;  // start of the current block's storage
    size_t capacite_ = 0, charges_ = 0, finBloc_ = 0;
    uint64_t decalage_ = 0;  // file offset of origine_
    bool finFichier_ = false, erreur_ = false;
};

struct CurseurFichier {
    const char* p = nullptr;
    const char* fin = nullptr;
    Tampon* tampon;
    bool recharge() { return tampon->recharge(p, fin); }
    uint64_t position(const char* q) const { return tampon->position(q); }
};

// Blanks may run over any number of blocks: this is the one place that asks for more text
// (finDeLigneT too, for safety). Everything else stops at a blank or a line end, which is
// always inside the block.
template <class C>
TOUJOURS_EN_LIGNE void sauteBlancsT(C& c) {
    for (;;) {
        while (c.p < c.fin && blanc(*c.p)) ++c.p;
        if (c.p < c.fin || !c.recharge()) return;
    }
}

// Consumes the letters of `mot` case-insensitively; on a mismatch the offending character
// is consumed too, as glibc does inside "nan" and "infinity".
template <class C>
bool lettres(C& c, const char* mot) {
    for (; *mot; ++mot) {
        if (c.p == c.fin) return false;
        if (minuscule(*c.p++) != *mot) return false;
    }
    return true;
}

// The conversion of the characters scanf collected: glibc hands them to strtof. The usual
// decimal case goes through from_chars, which rounds the same way.
bool convertit(const char* debut, const char* fin, bool special, float& v);

// The common number, [sign] digits [. digits] with at most 15 significant digits and no
// exponent, converted without strtof (versFlottant). False when the text is not of that
// form or falls on a rounding midpoint: nothing is consumed then.
template <class C>
TOUJOURS_EN_LIGNE bool flottantRapide(C& c, float& v) {
    const char* q = c.p;
    const char* const fin = c.fin;
    bool negatif = false;
    if (q < fin && (*q == '-' || *q == '+')) {
        negatif = *q == '-';
        ++q;
    }
    uint64_t mantisse = 0;
    int chiffres = 0, decimales = 0;
    const char* debutChiffres = q;
    while (q < fin && chiffre(*q)) {
        mantisse = mantisse * 10 + static_cast<unsigned>(*q - '0');
        ++q;
    }
    chiffres = static_cast<int>(q - debutChiffres);
    if (q < fin && *q == '.') {
        ++q;
        const char* debutDecimales = q;
        while (q < fin && chiffre(*q)) {
            mantisse = mantisse * 10 + static_cast<unsigned>(*q - '0');
            ++q;
        }
        decimales = static_cast<int>(q - debutDecimales);
        chiffres += decimales;
    }
    if (chiffres == 0 || chiffres > 15) return false;
    // What scanf would go on reading: an exponent, or the "x" of a hexadecimal number.
    if (q < fin && (minuscule(*q) == 'e' || minuscule(*q) == 'x')) return false;
    if (!versFlottant(mantisse, decimales, negatif, v)) return false;
    c.p = q;
    return true;
}

template <class C>
TOUJOURS_EN_LIGNE bool jetonT(C& c, std::string_view& mot) {
    sauteBlancsT(c);
    if (c.p == c.fin) return false;
    const char* debut = c.p;
    const char* nul = nullptr;
    while (c.p < c.fin) {
        const unsigned char k = classes.c[static_cast<unsigned char>(*c.p)];
        if (k == 1) break;
        if (k == 2 && !nul) nul = c.p;
        ++c.p;
    }
    const char* finMot = nul ? nul : c.p;
    mot = std::string_view(debut, static_cast<size_t>(finMot - debut));
    return true;
}

// Up to 9 digits without a sign, the usual index: exact in an int, nothing to clamp. False
// (nothing consumed) for any other text.
template <class C>
TOUJOURS_EN_LIGNE bool entierCourt(C& c, int& v) {
    const char* q = c.p;
    const char* const fin = c.fin;
    if (fin - q >= 8) {
        const int n = huitChiffres(q, &v);
        if (n == 0) return false;
        if (n < 8) {
            c.p = q + n;
            return true;
        }
    }
    if (q == fin || !chiffre(*q)) return false;
    int valeur = 0;
    const char* const limite = fin - q > 9 ? q + 9 : fin;
    for (; q < limite && chiffre(*q); ++q) valeur = valeur * 10 + (*q - '0');
    if (q < fin && chiffre(*q)) return false;
    v = valeur;
    c.p = q;
    return true;
}

template <class C>
TOUJOURS_EN_LIGNE int entierT(C& c, int& v) {
    sauteBlancsT(c);
    if (c.p == c.fin) return -1;
    if (entierCourt(c, v)) return 1;
    bool negatif = false;
    if (*c.p == '-' || *c.p == '+') {
        negatif = *c.p == '-';
        ++c.p;
    }
    const char* chiffres = c.p;
    // strtol's clamping to the range of long, with the magnitude saturated past it.
    const unsigned long long limite = static_cast<unsigned long long>(LONG_MAX) + 1ULL;
    unsigned long long grandeur = 0;
    while (c.p < c.fin && chiffre(*c.p)) {
        if (grandeur > limite / 10)
            grandeur = limite + 1;
        else
            grandeur = grandeur * 10 + static_cast<unsigned>(*c.p - '0');
        ++c.p;
    }
    if (c.p == chiffres) return 0;
    long valeur;
    if (negatif)
        valeur = grandeur >= limite ? LONG_MIN : -static_cast<long>(grandeur);
    else
        valeur = grandeur > static_cast<unsigned long long>(LONG_MAX) ? LONG_MAX
                                                                      : static_cast<long>(grandeur);
    // Stored into an int: the low 32 bits.
    v = static_cast<int>(static_cast<unsigned int>(static_cast<unsigned long>(valeur)));
    return 1;
}

template <class C>
int flottantLent(C& c, float& v);

template <class C>
TOUJOURS_EN_LIGNE int flottantT(C& c, float& v) {
    sauteBlancsT(c);
    if (c.p == c.fin) return -1;
    if (flottantRapide(c, v)) return 1;
    return flottantLent(c, v);
}

// Every other number, character by character as scanf collects it.
template <class C>
__attribute__((noinline)) int flottantLent(C& c, float& v) {
    const char* debut = c.p;
    bool signe = false;
    if (*c.p == '-' || *c.p == '+') {
        signe = true;
        if (++c.p == c.fin) return 0;
    }
    const char l = minuscule(*c.p);
    if (l == 'n') {
        ++c.p;
        if (!lettres(c, "an")) return 0;
        return convertit(debut, c.p, true, v) ? 1 : 0;
    }
    if (l == 'i') {
        ++c.p;
        if (!lettres(c, "nf")) return 0;
        if (c.p < c.fin && minuscule(*c.p) == 'i') {
            ++c.p;
            if (!lettres(c, "nity")) return 0;
        }
        return convertit(debut, c.p, true, v) ? 1 : 0;
    }
    bool hexa = false, unChiffre = false, point = false, exposant = false;
    char carExposant = 'e';
    if (*c.p == '0') {
        ++c.p;
        // In "0x" the zero does not count as a digit: "0xp1" is no number.
        if (c.p < c.fin && minuscule(*c.p) == 'x') {
            ++c.p;
            hexa = true;
            carExposant = 'p';
        } else {
            unChiffre = true;
        }
    }
    for (; c.p < c.fin; ++c.p) {
        const char ch = *c.p;
        if (chiffre(ch))
            unChiffre = true;
        else if (!exposant && hexa && chiffreHexa(ch))
            unChiffre = true;
        else if (exposant && minuscule(c.p[-1]) == carExposant && (ch == '-' || ch == '+'))
            continue;
        else if (unChiffre && !exposant && minuscule(ch) == carExposant)
            exposant = point = true;
        else if (!point && ch == '.')
            point = true;
        else
            break;
    }
    const long lus = c.p - debut;
    if (lus == (signe ? 1 : 0) || (hexa && lus == (signe ? 3 : 2))) return 0;
    return convertit(debut, c.p, hexa, v) ? 1 : 0;
}

template <class C>
TOUJOURS_EN_LIGNE int flottantsT(C& c, float* v, int n) {
    for (int i = 0; i < n; ++i) {
        const int r = flottantT(c, v[i]);
        if (r != 1) return (r < 0 && i == 0) ? -1 : i;
        sauteBlancsT(c);
    }
    return n;
}

template <class C>
void finDeLigneT(C& c) {
    for (;;) {
        const void* nl = std::memchr(c.p, '\n', static_cast<size_t>(c.fin - c.p));
        if (nl) {
            c.p = static_cast<const char*>(nl) + 1;
            return;
        }
        c.p = c.fin;
        if (!c.recharge()) return;
    }
}

enum class Syntaxe { SommetNormale, SommetTextureNormale, SommetTexture, Sommet };

// "%d" followed by (nbValeurs - 1) times nbBarres slashes and "%d": the formats "%d",
// "%d/%d", "%d/%d/%d" and "%d//%d", with scanf's count, without reading a format.
template <class C>
TOUJOURS_EN_LIGNE int motifCoin(C& c, int* v, int nbValeurs, int nbBarres) {
    const int r = entierT(c, v[0]);
    if (r <= 0) return r;
    int faits = 1;
    for (int i = 1; i < nbValeurs; ++i) {
        for (int b = 0; b < nbBarres; ++b) {
            if (c.p == c.fin && !c.recharge()) return faits;
            if (*c.p != '/') return faits;
            ++c.p;
        }
        if (entierT(c, v[i]) <= 0) return faits;
        ++faits;
    }
    return faits;
}

// 1-based file index to the stored 0-based one; 0 (or unread) gives -1, meaning none.
inline int moinsUn(int i) { return i == INT_MIN ? INT_MIN : i - 1; }

inline CoinLu coinDe(Syntaxe s, const int* v) {
    int texCoord = 0, normale = 0;
    if (s == Syntaxe::SommetNormale) normale = v[1];
    if (s == Syntaxe::SommetTextureNormale || s == Syntaxe::SommetTexture) texCoord = v[1];
    if (s == Syntaxe::SommetTextureNormale) normale = v[2];
    return CoinLu{moinsUn(v[0]), moinsUn(texCoord), moinsUn(normale)};
}

// Reads one corner with the face's syntax; unread indices count as 0. The scanf count.
template <class C>
TOUJOURS_EN_LIGNE int litCoin(C& c, Syntaxe s, CoinLu& coin) {
    int v[3] = {0, 0, 0};
    int r;
    switch (s) {
        case Syntaxe::SommetTextureNormale: r = motifCoin(c, v, 3, 1); break;
        case Syntaxe::SommetTexture: r = motifCoin(c, v, 2, 1); break;
        case Syntaxe::SommetNormale: r = motifCoin(c, v, 2, 2); break;
        default: r = motifCoin(c, v, 1, 0); break;
    }
    coin = coinDe(s, v);
    return r;
}

// The syntax of a face, from its first corner, and that corner: "//" anywhere in it gives
// vertex//normal; else "%d/%d/%d" read in full gives vertex/texture/normal, its first two
// values read give vertex/texture, and vertex only otherwise. One reading of "%d/%d/%d"
// decides and yields the corner, as the shorter formats read the same characters.
TOUJOURS_EN_LIGNE Syntaxe premierCoin(std::string_view premier, CoinLu& coin) {
    bool doubleBarre = false;
    for (size_t i = 1; i < premier.size() && !doubleBarre; ++i)
        doubleBarre = premier[i] == '/' && premier[i - 1] == '/';
    CurseurFixe c{premier.data(), premier.data() + premier.size(), premier.data()};
    int v[3] = {0, 0, 0};
    Syntaxe s;
    if (doubleBarre) {
        s = Syntaxe::SommetNormale;
        motifCoin(c, v, 2, 2);
    } else {
        const int r = motifCoin(c, v, 3, 1);
        s = r == 3 ? Syntaxe::SommetTextureNormale
                   : (r == 2 ? Syntaxe::SommetTexture : Syntaxe::Sommet);
    }
    coin = coinDe(s, v);
    return s;
}

// The first corner of a face in its usual forms, read from the text itself instead of as a
// word: "a", "a/b", "a/b/c" or "a//c", each number of 1 to 9 digits, then a blank. The same
// syntax, corner and position as premierCoin on the word; false (nothing consumed) for any
// other text.
template <class C>
TOUJOURS_EN_LIGNE bool premierCoinCourt(C& c, Syntaxe& s, CoinLu& coin) {
    C q = c;
    int v[3] = {0, 0, 0};
    if (!entierCourt(q, v[0])) return false;
    auto suit = [&](char ch) { return q.p < q.fin && *q.p == ch; };
    if (suit('/')) {
        ++q.p;
        if (suit('/')) {
            ++q.p;
            if (!entierCourt(q, v[1])) return false;
            s = Syntaxe::SommetNormale;
        } else {
            if (!entierCourt(q, v[1])) return false;
            s = Syntaxe::SommetTexture;
            if (suit('/')) {
                ++q.p;
                if (!entierCourt(q, v[2])) return false;
                s = Syntaxe::SommetTextureNormale;
            }
        }
    } else {
        s = Syntaxe::Sommet;
    }
    if (q.p == q.fin || !blanc(*q.p)) return false;
    coin = coinDe(s, v);
    c.p = q.p;
    return true;
}

// The token-by-token pass, handing what it reads to a sink: sommet / normale (three
// floats), texCoord (two), debutFace (group, file offset of its "f"), coin, finFace, and
// usemtl (the material's name) at each "usemtl". A usual face line is read into the
// storage that faceEnPlace gives, then faceLue (its number of corners) or faceRendue (the
// line is not a usual one: read again the general way).
template <class C, class Puits>
struct Analyseur {
    C& c;
    Puits& puits;
    const std::function<void(const std::string&)>& chargeBibliotheque;
    int groupe = 0;

    Analyseur(C& c_, Puits& p_, const std::function<void(const std::string&)>& charge)
        : c(c_), puits(p_), chargeBibliotheque(charge) {}

    // Reads to the end.
    void parcours() {
        std::string_view mot;
        for (;;) {
            sauteBlancsT(c);
            demandeAvant(c.p);
            // A block that ends with a line end lets the usual lines be read whole.
            if (c.p < c.fin && c.fin[-1] == '\n' && ligneUsuelle()) continue;
            if (!jetonT(c, mot)) return;
            traite(mot);
        }
    }

    // The usual line at c.p (not a blank), read whole: false, with nothing consumed, for any
    // other line. The text holds a line end at c.p or after.
    TOUJOURS_EN_LIGNE bool ligneUsuelle() {
        const char* p = c.p;
        if (p[0] == 'f') {
            FaceLigne f = puits.faceEnPlace(groupe, c.position(p));
            int forme;
            const char* q = faceLigne(p + 1, c.fin, forme, f);
            if (!q) {
                puits.faceRendue();
                return false;
            }
            puits.faceLue(f.n);
            c.p = q;
            return true;
        }
        if (p[0] != 'v') return false;
        // The numbers stay in registers up to the sink: an array written number by number
        // and read back as a whole would wait for each write to reach the cache.
        float x, y, z;
        const char* q;
        if (p[1] == ' ') {
            if (!(q = troisNombresLigne(p + 1, x, y, z))) return false;
            puits.sommet(x, y, z);
        } else if (p[1] == 'n' && p[2] == ' ') {
            if (!(q = troisNombresLigne(p + 2, x, y, z))) return false;
            puits.normale(x, y, z);
        } else if (p[1] == 't' && p[2] == ' ') {
            if (!(q = finLigne(espaceNombre(espaceNombre(p + 2, x), y)))) return false;
            puits.texCoord(x, y);
        } else {
            return false;
        }
        c.p = q;
        return true;
    }

    TOUJOURS_EN_LIGNE void traite(std::string_view mot) {
        const size_t n = mot.size();
        const char m0 = n ? mot[0] : '\0';
        if (m0 == '#') {
            finDeLigneT(c);
        } else if (m0 == 'v' && n == 1) {
            float xyz[3] = {0, 0, 0};
            flottantsT(c, xyz, 3);
            puits.sommet(xyz[0], xyz[1], xyz[2]);
        } else if (m0 == 'v' && mot[1] == 'n') {
            float xyz[3] = {0, 0, 0};
            flottantsT(c, xyz, 3);
            puits.normale(xyz[0], xyz[1], xyz[2]);
        } else if (m0 == 'v' && mot[1] == 't') {
            float uv[2] = {0, 0};
            flottantsT(c, uv, 2);
            puits.texCoord(uv[0], uv[1]);
        } else if (m0 == 's' && n == 1) {
            if (entierT(c, groupe) == 1) sauteBlancsT(c);
        } else if (m0 == 'f' && n == 1) {
            puits.debutFace(groupe, c.position(mot.data()));
            // `mot` may be overwritten by the next block: at the end of the file the word
            // read again is "f" itself.
            CoinLu coin;
            Syntaxe syntaxe;
            sauteBlancsT(c);
            if (!premierCoinCourt(c, syntaxe, coin)) {
                std::string_view premier;
                if (!jetonT(c, premier)) premier = "f";
                syntaxe = premierCoin(premier, coin);
            }
            puits.coin(coin);
            while (litCoin(c, syntaxe, coin) > 0) puits.coin(coin);
            puits.finFace();
        } else if (mot == "usemtl") {
            std::string_view nom;
            if (!jetonT(c, nom)) nom = "usemtl";
            puits.usemtl(nom);
        } else if (mot == "mtllib") {
            std::string_view nom;
            if (!jetonT(c, nom)) nom = "mtllib";
            chargeBibliotheque(std::string(nom));
        } else {
            finDeLigneT(c);
        }
    }
};

}  // namespace detail
}  // namespace lectureWf
