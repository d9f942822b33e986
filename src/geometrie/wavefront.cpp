// Wavefront reader, built for files of millions of faces: the file is read block by block
// and parsed by hand, with the results a stream reader built on fscanf would give. Corner
// cases kept on purpose:
// - numbers follow glibc's scanf: "1e" or "1e+" reads 1 and consumes the "e" / "e+";
//   "-x" consumes the "-" and fails; "ix" or "nax" consume both letters and fail; "nan",
//   "inf", "infinity" and hexadecimal floats are read; an integer beyond the range of long
//   is clamped to it, then keeps its low 32 bits;
// - a face takes the corner syntax of its first corner and reads further corners until one
//   fails to convert, over line ends; the next keyword ends it without being consumed;
// - "s" without a number leaves the group as it was, and the word is the next token;
// - a keyword at the very end of the file reads its own word as its argument (the token
//   buffer still holds it): "usemtl" looks up "usemtl", "f" gets one unreadable corner;
// - a NUL byte ends a word as seen by the keyword tests, 0xFF is an ordinary character.
// Sound behaviour where the stream reader failed: a line of any length is skipped whole,
// a value that cannot be read is 0 instead of whatever the previous line left, and faces
// that cannot be drawn are dropped with a message instead of throwing out of the reader.
//
// How the speed and the memory are kept: a first pass counts the lines, as the capacities
// of the mesh's lists; the second pass reads 512 KB blocks, each ending just after a line
// end, so that a word or a number never straddles two blocks and only the skipping of blanks
// has to ask for the next block, and writes straight into the mesh. A large file is read in
// two halves at once, the second into compact lists appended afterwards (see wfLecture).
// Little sits beside the mesh whatever the size of the file: a block per half and the
// second half's compact lists. A face naming an element not read yet is checked at the end.
#include "geometrie/wavefront.h"
#include "geometrie/lissage.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <array>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it, which costs nothing
#endif

#include "app/console.h"
#include "scene/scene.h"

namespace lectureWf {

namespace {

// Character classes of the C locale: 1 = blank (isspace), 2 = NUL.
struct Classes {
    unsigned char c[256] = {};
    constexpr Classes() {
        for (unsigned char b : {' ', '\t', '\n', '\v', '\f', '\r'}) c[b] = 1;
        c[0] = 2;
    }
};
constexpr Classes classes;

inline bool blanc(char ch) { return classes.c[static_cast<unsigned char>(ch)] == 1; }
inline bool chiffre(char ch) { return static_cast<unsigned>(ch - '0') < 10u; }
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
// (or at the end of the file), the partial line after it starts the next block.
class Tampon {
public:
    Tampon(std::FILE* f, uint64_t debut) : f_(f), decalage_(debut) {
        std::setvbuf(f_, nullptr, _IONBF, 0);  // read straight into our buffer
    }
    bool recharge(const char*& p, const char*& fin);
    uint64_t position(const char* q) const {
        return decalage_ + static_cast<uint64_t>(q - donnees_.get());
    }
    bool erreur() const { return erreur_; }

private:
    static constexpr size_t BLOC = size_t(1) << 19;
    std::FILE* f_;
    std::unique_ptr<char[]> donnees_;
    size_t capacite_ = 0, charges_ = 0, finBloc_ = 0;
    uint64_t decalage_ = 0;  // file offset of donnees_[0]
    bool finFichier_ = false, erreur_ = false;
};

__attribute__((noinline)) bool Tampon::recharge(const char*& p, const char*& fin) {
    // The caller is done with [0, finBloc_): keep only the partial line after it.
    const size_t reste = charges_ - finBloc_;
    if (reste > 0 && finBloc_ > 0) std::memmove(donnees_.get(), donnees_.get() + finBloc_, reste);
    decalage_ += finBloc_;
    charges_ = reste;
    finBloc_ = 0;
    for (;;) {
        if (!finFichier_) {
            if (capacite_ - charges_ < BLOC / 4) {
                // A line longer than the room left: the buffer grows to hold it.
                const size_t capacite = std::max(2 * capacite_, BLOC);
                std::unique_ptr<char[]> nouveau(new char[capacite]);
                if (charges_) std::memcpy(nouveau.get(), donnees_.get(), charges_);
                donnees_ = std::move(nouveau);
                capacite_ = capacite;
            }
            const size_t n = std::fread(donnees_.get() + charges_, 1, capacite_ - charges_, f_);
            if (n == 0) {
                finFichier_ = true;
                erreur_ = std::ferror(f_) != 0;
            }
            charges_ += n;
        }
        const void* nl = charges_ ? memrchr(donnees_.get(), '\n', charges_) : nullptr;
        if (nl) {
            finBloc_ = static_cast<size_t>(static_cast<const char*>(nl) - donnees_.get()) + 1;
            break;
        }
        if (finFichier_) {
            finBloc_ = charges_;
            break;
        }
    }
    p = donnees_.get();
    fin = p + finBloc_;
    return finBloc_ > 0;
}

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
#define TOUJOURS_EN_LIGNE inline __attribute__((always_inline))

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
bool convertit(const char* debut, const char* fin, bool special, float& v) {
    if (!special) {
        const char* d = debut;
        if (d < fin && *d == '+') ++d;
        float x;
        const auto r = std::from_chars(d, fin, x);
        if (r.ec == std::errc()) {
            v = x;
            return true;
        }
        if (r.ec == std::errc::invalid_argument) return false;
    }
    const std::string copie(debut, fin);
    char* apres = nullptr;
    const float x = std::strtof(copie.c_str(), &apres);
    if (apres == copie.c_str()) return false;
    v = x;
    return true;
}

// Exact powers of ten of double precision.
constexpr double PUISSANCES_DIX[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common number, [sign] digits [. digits] with at most 15 significant digits and no
// exponent, converted without strtof. The mantissa and the power of ten are exact doubles,
// so their quotient is the exact value correctly rounded to double; rounding that to float
// gives strtof's result unless the double fell exactly on a float rounding midpoint, which
// is left to the general conversion. False when the text is not of that form: nothing is
// consumed then.
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
    const double d = static_cast<double>(mantisse) / PUISSANCES_DIX[decimales];
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    if (mantisse != 0 && (bits & ((uint64_t(1) << 29) - 1)) == (uint64_t(1) << 28)) return false;
    const float f = static_cast<float>(d);
    v = negatif ? -f : f;
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

template <class C>
TOUJOURS_EN_LIGNE int entierT(C& c, int& v) {
    sauteBlancsT(c);
    if (c.p == c.fin) return -1;
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
int entiersT(C& c, const char* format, int* v) {
    int faits = 0;
    for (const char* f = format; *f;) {
        if (f[0] == '%' && f[1] == 'd') {
            const int r = entierT(c, v[faits]);
            if (r < 0) return faits ? faits : -1;
            if (r == 0) return faits;
            ++faits;
            f += 2;
        } else {
            if (c.p == c.fin && !c.recharge()) return faits ? faits : -1;
            if (*c.p != *f) return faits;
            ++c.p;
            ++f;
        }
    }
    return faits;
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

// Runs f on a fixed cursor standing for the public one, and moves the public one on.
template <class F>
auto surCurseur(Curseur& c, F&& f) {
    CurseurFixe fixe{c.p, c.fin, c.p};
    auto r = f(fixe);
    c.p = fixe.p;
    return r;
}

}  // namespace

bool jeton(Curseur& c, std::string_view& mot) {
    return surCurseur(c, [&](CurseurFixe& f) { return jetonT(f, mot); });
}
int entier(Curseur& c, int& v) {
    return surCurseur(c, [&](CurseurFixe& f) { return entierT(f, v); });
}
int flottant(Curseur& c, float& v) {
    return surCurseur(c, [&](CurseurFixe& f) { return flottantT(f, v); });
}
int flottants(Curseur& c, float* v, int n) {
    return surCurseur(c, [&](CurseurFixe& f) { return flottantsT(f, v, n); });
}
int entiers(Curseur& c, const char* format, int* v) {
    return surCurseur(c, [&](CurseurFixe& f) { return entiersT(f, format, v); });
}
void finDeLigne(Curseur& c) {
    surCurseur(c, [&](CurseurFixe& f) {
        finDeLigneT(f);
        return 0;
    });
}

namespace {
enum class Syntaxe { SommetNormale, SommetTextureNormale, SommetTexture, Sommet };

// "%d" followed by (nbValeurs - 1) times nbBarres slashes and "%d": the formats "%d",
// "%d/%d", "%d/%d/%d" and "%d//%d", with entiers' results, without reading a format.
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
        case Syntaxe::SommetTextureNormale:
            r = motifCoin(c, v, 3, 1);
            break;
        case Syntaxe::SommetTexture:
            r = motifCoin(c, v, 2, 1);
            break;
        case Syntaxe::SommetNormale:
            r = motifCoin(c, v, 2, 2);
            break;
        default:
            r = motifCoin(c, v, 1, 0);
            break;
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

// The token-by-token pass, handing what it reads to a sink: sommet / normale (three
// floats), texCoord (two), debutFace (group, file offset of its "f"), coin, finFace, and
// usemtl (the material's name) at each "usemtl".
template <class C, class Puits>
struct Analyseur {
    C& c;
    Puits& puits;
    const std::function<void(const std::string&)>& chargeBibliotheque;
    int groupe = 0;
    bool groupeConnu = true;       // false for a pass started in the middle of a file
    bool bibliothequeLue = false;  // some "mtllib" was met
    std::string_view enAttente;    // the word the pass stopped before
    bool attend = false;

    Analyseur(C& c_, Puits& p_, const std::function<void(const std::string&)>& charge)
        : c(c_), puits(p_), chargeBibliotheque(charge) {}

    // Reads to the end, or stops before the first word that starts at or after `limite`
    // (true then, the word kept for reprend).
    bool parcours(uint64_t limite = UINT64_MAX) {
        std::string_view mot;
        while (jetonT(c, mot)) {
            if (limite != UINT64_MAX && c.position(mot.data()) >= limite) {
                enAttente = mot;
                attend = true;
                return true;
            }
            traite(mot);
        }
        return false;
    }
    void reprend() {
        if (attend) {
            attend = false;
            traite(enAttente);
        }
        parcours();
    }

    TOUJOURS_EN_LIGNE void traite(std::string_view mot) {
        const size_t n = mot.size();
        const char m0 = n ? mot[0] : '\0';
        if (m0 == '#') {
            finDeLigneT(c);
        } else if (m0 == 'v' && n == 1) {
            float xyz[3] = {0, 0, 0};
            flottantsT(c, xyz, 3);
            puits.sommet(xyz);
        } else if (m0 == 'v' && mot[1] == 'n') {
            float xyz[3] = {0, 0, 0};
            flottantsT(c, xyz, 3);
            puits.normale(xyz);
        } else if (m0 == 'v' && mot[1] == 't') {
            float uv[2] = {0, 0};
            flottantsT(c, uv, 2);
            puits.texCoord(uv);
        } else if (m0 == 's' && n == 1) {
            if (entierT(c, groupe) == 1) {
                groupeConnu = true;
                sauteBlancsT(c);
            }
        } else if (m0 == 'f' && n == 1) {
            puits.debutFace(groupe, groupeConnu, c.position(mot.data()));
            // `mot` may be overwritten by the next block: at the end of the file the word
            // read again is "f" itself.
            std::string_view premier;
            if (!jetonT(c, premier)) premier = "f";
            CoinLu coin;
            const Syntaxe syntaxe = premierCoin(premier, coin);
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
            bibliothequeLue = true;
            chargeBibliotheque(std::string(nom));
        } else {
            finDeLigneT(c);
        }
    }
};

// The sink of the public analyse: everything as read, with each face's line.
struct PuitsContenu {
    ContenuWf& contenu;
    const TableMateriaux& table;
    const char* texte;
    uint64_t compte = 0;  // offset up to which lines were counted
    int ligne = 1;
    std::shared_ptr<Material> materialCourant;

    void sommet(const float* v) { contenu.sommets.emplace_back(v[0], v[1], v[2]); }
    void normale(const float* v) { contenu.normales.emplace_back(v[0], v[1], v[2]); }
    void texCoord(const float* v) { contenu.texCoords.emplace_back(v[0], v[1]); }
    void debutFace(int groupe, bool, uint64_t position) {
        ligne += static_cast<int>(std::count(texte + compte, texte + position, '\n'));
        compte = position;
        FaceLue face;
        face.groupe = groupe;
        face.material = materialCourant;
        face.ligne = ligne;
        contenu.faces.push_back(std::move(face));
    }
    void coin(const CoinLu& k) { contenu.faces.back().coins.push_back(k); }
    void finFace() {}
    void usemtl(std::string_view nom) {
        const auto it = table.find(std::string(nom));
        materialCourant = it == table.end() ? nullptr : it->second;
    }
};

}  // namespace

void analyse(const char* debut, const char* fin, ContenuWf& contenu, const TableMateriaux& table,
             const std::function<void(const std::string&)>& chargeBibliotheque) {
    CurseurFixe c{debut, fin, debut};
    PuitsContenu puits{contenu, table, debut, 0, 1, nullptr};
    Analyseur<CurseurFixe, PuitsContenu> a(c, puits, chargeBibliotheque);
    a.parcours();
}

}  // namespace lectureWf

using namespace lectureWf;

namespace {

// Reads the whole file; false when it cannot be opened or read.
// Only regular files: a device such as /dev/zero never ends and a FIFO may block forever.
bool litFichier(const char* nom, std::string& texte) {
    struct stat etat;
    if (stat(nom, &etat) != 0 || !S_ISREG(etat.st_mode)) return false;
    std::FILE* f = std::fopen(nom, "r");
    if (!f) return false;
    char bloc[1 << 16];
    size_t n;
    while ((n = std::fread(bloc, 1, sizeof bloc, f)) > 0) texte.append(bloc, n);
    const bool erreur = std::ferror(f) != 0;
    const bool fermeture = std::fclose(f) == 0;
    return fermeture && !erreur;
}

bool extensionValide(const std::string& nom) {
    auto finitPar = [&](const char* ext) {
        const size_t n = std::strlen(ext);
        return nom.size() >= n && nom.compare(nom.size() - n, n, ext) == 0;
    };
    return nom.size() >= 4 && (finitPar(".wf") || finitPar(".obj") || finitPar(".owf"));
}

// A face to report, in file order: fewer than 3 corners (left out at once), or an index
// beyond the lists read so far (it may name an element defined further on: decided at the
// end, with the complete lists).
struct Signalement {
    uint64_t position;  // file offset of its "f"
    uint32_t face;      // index in the mesh's faces, or AUCUNE
    static constexpr uint32_t AUCUNE = UINT32_MAX;
};

// The sink of wfLecture: straight into the mesh, whose lists were reserved from a first
// count. A face whose indices all name elements already read is final at once; the others
// keep their indices as read until the end.
struct PuitsMesh {
    Mesh& mesh;
    const TableMateriaux& table;
    std::vector<std::shared_ptr<Material>> materiaux;  // every material used, kept alive
    std::map<const Material*, size_t> indiceMaterial;
    Material* courant = nullptr;
    std::vector<Signalement> signalements;
    struct Serie {
        int groupe;
        uint32_t debut, fin;
    };
    std::vector<Serie> series;  // runs of faces of one group
    bool triees = true;         // faces in material order so far
    bool normaleManquante = false;
    // Set while another thread gives the new faces their normals and smoothing (see
    // ajouteMoitie): ajouteFace then leaves both to it.
    bool normalesDifferees = false;
    std::vector<const Material*> ordreMateriaux;  // used by some face, in order of first use
    std::set<const Material*> utilises;
    const Material* dernierUtilise = nullptr;
    std::vector<CoinLu> coins;                    // of the face being read
    uint64_t positionFace = 0;
    int groupeFace = 0;
    float mini[3] = {0, 0, 0}, maxi[3] = {0, 0, 0};
    const RGBA couleurSommet{255, 0, 0, 0};
    // A file without normals is smoothed as its faces come, while they are in the cache: the
    // faces 0 to facesLissees - 1 have their smoothed normals. Dropped (those faces' normal
    // indices back to none) at the first normal, at a face naming an element not read yet,
    // or when the groups do not come in the order calcNormalesLissees walks them.
    std::unique_ptr<LissageSommets> lissage;
    size_t facesLissees = 0;
    int groupeLissage = 0;

    PuitsMesh(Mesh& m, const TableMateriaux& t) : mesh(m), table(t) {}

    // As ajouteSommet does, box included (the first vertex sets it, strict comparisons).
    TOUJOURS_EN_LIGNE void sommet(const float* v) {
        if (mesh.sommets.empty()) {
            for (int k = 0; k < 3; ++k) mini[k] = maxi[k] = v[k];
        } else {
            for (int k = 0; k < 3; ++k) {
                if (v[k] < mini[k]) mini[k] = v[k];
                if (v[k] > maxi[k]) maxi[k] = v[k];
            }
        }
        mesh.sommets.emplace_back(CVecteur(v[0], v[1], v[2]), couleurSommet);
    }
    TOUJOURS_EN_LIGNE void normale(const float* v) {
        if (lissage) abandonneLissage();
        mesh.normales.emplace_back(v[0], v[1], v[2]);
    }
    TOUJOURS_EN_LIGNE void texCoord(const float* v) { mesh.texCoords.emplace_back(v[0], v[1]); }
    TOUJOURS_EN_LIGNE void debutFace(int groupe, bool, uint64_t position) {
        positionFace = position;
        groupeFace = groupe;
        coins.clear();
    }
    TOUJOURS_EN_LIGNE void coin(const CoinLu& k) { coins.push_back(k); }
    TOUJOURS_EN_LIGNE void finFace() {
        ajouteFace(groupeFace, courant, coins.data(), coins.size(), positionFace);
    }
    // A face of n corners read at `position`, in group `groupe` with material m.
    TOUJOURS_EN_LIGNE void ajouteFace(int groupe, Material* m, const CoinLu* k, size_t n,
                                      uint64_t position) {
        if (n < 3) {
            signalements.push_back({position, Signalement::AUCUNE});
            return;
        }
        const size_t nbS = mesh.sommets.size(), nbN = mesh.normales.size(),
                     nbT = mesh.texCoords.size();
        auto dans = [](int i, size_t taille) { return i >= 0 && static_cast<size_t>(i) < taille; };
        bool suspecte = false;
        for (size_t i = 0; i < n; ++i)
            suspecte |= !dans(k[i].sommet, nbS) ||
                        (k[i].normale != -1 && !dans(k[i].normale, nbN)) ||
                        (k[i].texCoord != -1 && !dans(k[i].texCoord, nbT));
        const uint32_t numero = static_cast<uint32_t>(mesh.faces.size());
        mesh.faces.emplace_back();
        Face& f = mesh.faces.back();
        f.groupe = groupe;
        f.material = m;
        if (n > 4) {
            f.sommets.reserve(n);
            f.normales.reserve(n);
            f.texCoords.reserve(n);
        }
        for (size_t i = 0; i < n; ++i) {
            f.sommets.push_back(k[i].sommet);
            f.normales.push_back(k[i].normale);
            f.texCoords.push_back(k[i].texCoord);
            normaleManquante |= k[i].normale == -1;
        }
        // The normal now, while the face is at hand; a face naming an element not read yet
        // gets it once checked at the end.
        if (suspecte) {
            signalements.push_back({position, numero});
            if (lissage && !normalesDifferees) abandonneLissage();
        } else if (!normalesDifferees) {
            f.normale = mesh.normaleFace(f);
            if (lissage) lisse(f, groupe);
        }
        if (m != dernierUtilise) {
            dernierUtilise = m;
            if (m && utilises.insert(m).second) ordreMateriaux.push_back(m);
        }
        if (numero > 0 && std::less<const Material*>()(m, mesh.faces[numero - 1].material))
            triees = false;
        if (series.empty() || series.back().groupe != groupe)
            series.push_back({groupe, numero, numero + 1});
        else
            series.back().fin = numero + 1;
    }
    void usemtl(std::string_view nom) {
        const auto it = table.find(std::string(nom));
        courant = garde(it == table.end() ? nullptr : it->second);
    }
    // calcNormalesLissees walks the groups in increasing order, each group's faces in order:
    // the reading order as long as each group's faces come together, groups increasing.
    TOUJOURS_EN_LIGNE void lisse(Face& f, int groupe) {
        if (facesLissees == 0 || groupe != groupeLissage) {
            if (facesLissees > 0 && groupe < groupeLissage) {
                abandonneLissage();
                return;
            }
            lissage->nouveauGroupe();
            groupeLissage = groupe;
        }
        lissage->ajoute(f);
        ++facesLissees;
    }
    void abandonneLissage() {
        for (size_t i = 0; i < facesLissees; ++i)
            for (int& n : mesh.faces[i].normales) n = -1;
        lissage.reset();
        facesLissees = 0;
    }
    // Keeps a material alive for the faces that will point at it.
    Material* garde(std::shared_ptr<Material> m) {
        Material* brut = m.get();
        if (m && indiceMaterial.emplace(brut, materiaux.size()).second)
            materiaux.push_back(std::move(m));
        return brut;
    }
    std::shared_ptr<Material> tenu(const Material* m) const {
        return materiaux[indiceMaterial.at(m)];
    }
};

// Red console lines about a file's faces, at most a screenful of them.
class Rapport {
public:
    static constexpr int MAX_LIGNES = 20;
    explicit Rapport(const char* fichier) : fichier_(fichier) {}
    ~Rapport() {
        if (nb_ > MAX_LIGNES)
            console.erreur(fichier_ + " : " + std::to_string(nb_ - MAX_LIGNES) +
                           " autres faces incorrectes");
    }
    void signale(const char* quoi, int ligne, const char* suite) {
        if (++nb_ <= MAX_LIGNES)
            console.erreur(std::string(quoi) + " (" + fichier_ + ", ligne " +
                           std::to_string(ligne) + ") : " + suite);
    }

private:
    std::string fichier_;
    int nb_ = 0;
};

// Line numbers (from 1) of increasing file offsets, by reading the file again: only files
// with faces to report pay for it.
std::vector<int> lignesDe(const char* nomFichier, const std::vector<uint64_t>& positions) {
    std::vector<int> lignes(positions.size(), 0);
    std::FILE* f = std::fopen(nomFichier, "r");
    if (!f) return lignes;
    std::vector<char> bloc(size_t(1) << 16);
    uint64_t lus = 0;
    int ligne = 1;
    size_t i = 0;
    size_t n;
    while (i < positions.size() && (n = std::fread(bloc.data(), 1, bloc.size(), f)) > 0) {
        for (size_t k = 0; k < n && i < positions.size(); ++k) {
            while (i < positions.size() && positions[i] == lus + k) lignes[i++] = ligne;
            if (bloc[k] == '\n') ++ligne;
        }
        lus += n;
    }
    std::fclose(f);
    return lignes;
}

// Capacities from a line-by-line count: "v " a vertex, "vn" a normal, "vt" a texture
// coordinate, any line starting with "f" a face.
struct Comptes {
    uint64_t faces = 0, sommets = 0, normales = 0, texCoords = 0;
    bool erreur = false;
    void ajoute(char c0, char c1) {
        if (c0 == 'v' && c1 == ' ') ++sommets;
        if (c0 == 'v' && c1 == 'n') ++normales;
        if (c0 == 'v' && c1 == 't') ++texCoords;
        if (c0 == 'f') ++faces;
    }
};

// Counts the lines starting in [debut, fin) (a line starts at 0 and after each line end).
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
            r.ajoute(nl + 1 < bout ? nl[1] : octet(ligne), nl + 2 < bout ? nl[2] : octet(ligne + 1));
        };
        const char* p = b;
#ifdef __SSE2__
        // Sixteen bytes at a time: lines are short, a call per line would cost more.
        const __m128i nl = _mm_set1_epi8('\n');
        for (; p + 16 <= bout; p += 16) {
            unsigned masque = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), nl)));
            for (; masque; masque &= masque - 1) finDeLigne(p + __builtin_ctz(masque));
        }
#endif
        for (; p < bout; ++p)
            if (*p == '\n') finDeLigne(p);
        position += static_cast<uint64_t>(n);
    }
    close(fd);
}

// A list grown by blocks of fixed size: no reallocation, so no moment when the old and the
// new copies of a large list are both held.
template <class T>
class Blocs {
public:
    static constexpr size_t DECALAGE = 16, TAILLE = size_t(1) << DECALAGE;
    TOUJOURS_EN_LIGNE void push_back(const T& v) {
        if (libres_ == 0) nouveauBloc();
        *prochain_++ = v;
        --libres_;
        ++n_;
    }
    size_t size() const { return n_; }
    const T& operator[](size_t i) const { return blocs_[i >> DECALAGE][i & (TAILLE - 1)]; }
    // Drops the elements from n on (n not below the start of the last block).
    void tronque(size_t n) {
        const size_t enTrop = n_ - n;
        n_ = n;
        prochain_ -= enTrop;
        libres_ += enTrop;
    }

private:
    void nouveauBloc() {
        blocs_.emplace_back(new T[TAILLE]);
        prochain_ = blocs_.back().get();
        libres_ = TAILLE;
    }
    std::vector<std::unique_ptr<T[]>> blocs_;
    T* prochain_ = nullptr;
    size_t libres_ = 0, n_ = 0;
};

// The second half of a file, read on its own thread into compact lists (12 bytes a vertex
// or a corner) without knowing the group and material in force where it starts: it keeps
// material names, and counts the faces made before its first group and first material.
struct PuitsMoitie {
    struct FaceLue {
        uint32_t nbCoins;
        int32_t groupe;
        uint32_t material;  // 0 = default, i + 1 = nomsMateriaux[i]
        uint64_t position;
    };
    struct Courte {          // a face of fewer than 3 corners
        uint64_t position;
        size_t facesAvant;  // faces of 3 corners or more read before it
    };
    Blocs<std::array<float, 3>> sommets, normales;
    Blocs<std::array<float, 2>> texCoords;
    Blocs<FaceLue> faces;
    Blocs<CoinLu> coins;
    std::vector<Courte> courtes;
    std::vector<std::string> nomsMateriaux;
    std::map<std::string, uint32_t, std::less<>> indiceNom;
    uint32_t materialCourant = 0;
    bool materialConnu = false;
    size_t facesSansGroupe = 0, facesSansMaterial = 0;
    uint64_t positionFace = 0;
    int groupeFace = 0;
    bool groupeConnuFace = false;
    size_t premierCoin = 0;

    void sommet(const float* v) { sommets.push_back({v[0], v[1], v[2]}); }
    void normale(const float* v) { normales.push_back({v[0], v[1], v[2]}); }
    void texCoord(const float* v) { texCoords.push_back({v[0], v[1]}); }
    TOUJOURS_EN_LIGNE void debutFace(int groupe, bool groupeConnu, uint64_t position) {
        positionFace = position;
        groupeFace = groupe;
        groupeConnuFace = groupeConnu;
        premierCoin = coins.size();
    }
    TOUJOURS_EN_LIGNE void coin(const CoinLu& k) { coins.push_back(k); }
    TOUJOURS_EN_LIGNE void finFace() {
        const size_t n = coins.size() - premierCoin;
        if (n < 3) {
            coins.tronque(premierCoin);
            courtes.push_back({positionFace, faces.size()});
            return;
        }
        if (!groupeConnuFace) facesSansGroupe = faces.size() + 1;
        if (!materialConnu) facesSansMaterial = faces.size() + 1;
        faces.push_back({static_cast<uint32_t>(n), groupeFace, materialCourant, positionFace});
    }
    void usemtl(std::string_view nom) {
        materialConnu = true;
        const auto it = indiceNom.find(nom);
        if (it != indiceNom.end()) {
            materialCourant = it->second;
            return;
        }
        nomsMateriaux.emplace_back(nom);
        materialCourant = static_cast<uint32_t>(nomsMateriaux.size());
        indiceNom.emplace(std::string(nom), materialCourant);
    }
};

struct LectureMoitie {
    PuitsMoitie lu;
    uint64_t premierMot = UINT64_MAX;  // offset of its first word (none: end of the file)
    bool valable = false;              // read to the end, with no "mtllib" in it
};

void litMoitie(const char* nomFichier, uint64_t debut, LectureMoitie& r) {
    std::FILE* f = std::fopen(nomFichier, "r");
    if (!f) return;
    if (fseeko(f, static_cast<off_t>(debut), SEEK_SET) != 0) {
        std::fclose(f);
        return;
    }
    // A library would change what later "usemtl" find: such a file is read in one piece.
    const std::function<void(const std::string&)> sansBibliotheque = [](const std::string&) {};
    {
        Tampon tampon(f, debut);
        CurseurFichier c{nullptr, nullptr, &tampon};
        Analyseur<CurseurFichier, PuitsMoitie> a(c, r.lu, sansBibliotheque);
        a.groupeConnu = false;
        sauteBlancsT(c);
        if (c.p != c.fin) r.premierMot = c.position(c.p);
        a.parcours();
        r.valable = !tampon.erreur() && !a.bibliothequeLue;
    }
    if (std::fclose(f) != 0) r.valable = false;
}

// The offset of the first line start at or after `milieu` (> 0), 0 when none is close by.
uint64_t debutDeLigneApres(const char* nomFichier, uint64_t milieu) {
    const int fd = open(nomFichier, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    std::vector<char> bloc(size_t(1) << 16);
    uint64_t trouve = 0;
    for (uint64_t position = milieu - 1; position < milieu + (uint64_t(1) << 22);) {
        const ssize_t n = pread(fd, bloc.data(), bloc.size(), static_cast<off_t>(position));
        if (n <= 0) break;
        if (const void* nl = std::memchr(bloc.data(), '\n', static_cast<size_t>(n))) {
            trouve = position + static_cast<uint64_t>(static_cast<const char*>(nl) - bloc.data()) + 1;
            break;
        }
        position += static_cast<uint64_t>(n);
    }
    close(fd);
    return trouve;
}

// Asks the system for the pages of the given byte ranges, on a thread of its own, while the
// reader fills them: the zero-filled pages of large new lists are a good part of the cost
// of their first writes.
class PagesEnAvance {
public:
    void ajoute(const void* debut, const void* fin) {
        const uintptr_t page = 4096;
        const uintptr_t a = (reinterpret_cast<uintptr_t>(debut) + page - 1) & ~(page - 1);
        const uintptr_t b = reinterpret_cast<uintptr_t>(fin) & ~(page - 1);
        if (b > a) zones_.emplace_back(a, b);
    }
    // Large pages where the system offers them on request: one fault and one clearing per
    // 2 MB instead of 512 faults.
    static void grandesPages(const void* debut, const void* fin) {
        const uintptr_t page = 4096;
        const uintptr_t a = reinterpret_cast<uintptr_t>(debut) & ~(page - 1);
        const uintptr_t b = reinterpret_cast<uintptr_t>(fin);
        if (b > a + (uintptr_t(2) << 20)) madvise(reinterpret_cast<void*>(a), b - a, MADV_HUGEPAGE);
    }
    void lance() {
        size_t total = 0;
        for (const auto& [a, b] : zones_) total += b - a;
        if (total < (size_t(8) << 20) || std::thread::hardware_concurrency() < 2) return;
        fil_ = std::thread([zones = zones_] {
            for (const auto& [a, b] : zones)
                madvise(reinterpret_cast<void*>(a), b - a, MADV_POPULATE_WRITE);
        });
    }
    ~PagesEnAvance() {
        if (fil_.joinable()) fil_.join();
    }

private:
    std::vector<std::pair<uintptr_t, uintptr_t>> zones_;
    std::thread fil_;
};

// The second half's reading, after the first half's: its materials found now that every
// library is read, and its faces before its first group and first material given those in
// force at the end of the first half.
void ajouteMoitie(PuitsMesh& lu, const PuitsMoitie& b, int groupeFinal,
                  const TableMateriaux& materiaux) {
    Material* const materialFinal = lu.courant;
    std::vector<Material*> materiauxMoitie(b.nomsMateriaux.size() + 1, nullptr);
    for (size_t i = 0; i < b.nomsMateriaux.size(); ++i) {
        const auto it = materiaux.find(b.nomsMateriaux[i]);
        materiauxMoitie[i + 1] = lu.garde(it == materiaux.end() ? nullptr : it->second);
    }
    for (size_t i = 0; i < b.sommets.size(); ++i) lu.sommet(b.sommets[i].data());
    for (size_t i = 0; i < b.normales.size(); ++i) lu.normale(b.normales[i].data());
    for (size_t i = 0; i < b.texCoords.size(); ++i) lu.texCoord(b.texCoords[i].data());
    // The faces are made here in order; their normals and the smoothing follow on another
    // thread, face by face behind them (the lists are complete now, so a face is to be
    // checked at the end exactly when one of its indices is out of range). The faces' storage
    // was reserved: no reallocation moves them while the other thread reads them.
    Mesh& mesh = lu.mesh;
    const size_t premiere = mesh.faces.size();
    const bool suivi = std::thread::hardware_concurrency() > 1 &&
                       premiere + b.faces.size() <= mesh.faces.capacity();
    std::atomic<size_t> faites{premiere};
    std::atomic<bool> fini{false};
    std::thread normales;
    if (suivi) {
        lu.normalesDifferees = true;
        normales = std::thread([&lu, &mesh, &faites, &fini, premiere] {
            Face* const faces = mesh.faces.data();
            const size_t nbS = mesh.sommets.size(), nbN = mesh.normales.size(),
                         nbT = mesh.texCoords.size();
            auto dans = [](int i, size_t taille) {
                return i >= 0 && static_cast<size_t>(i) < taille;
            };
            for (size_t i = premiere;;) {
                const size_t jusque = faites.load(std::memory_order_acquire);
                if (i == jusque) {
                    if (fini.load(std::memory_order_acquire) &&
                        i == faites.load(std::memory_order_acquire))
                        return;
                    std::this_thread::yield();
                    continue;
                }
                for (; i < jusque; ++i) {
                    Face& f = faces[i];
                    bool suspecte = false;
                    for (int k = 0; k < f.nbCoins(); ++k)
                        suspecte |= !dans(f.sommets[k], nbS) ||
                                    (f.normales[k] != -1 && !dans(f.normales[k], nbN)) ||
                                    (f.texCoords[k] != -1 && !dans(f.texCoords[k], nbT));
                    if (suspecte) {
                        if (lu.lissage) lu.abandonneLissage();
                        continue;
                    }
                    f.normale = mesh.normaleFace(f);
                    if (lu.lissage) lu.lisse(f, f.groupe);
                }
            }
        });
    }
    // The other thread is let go even if making a face throws.
    struct Rejoint {
        std::atomic<bool>& fini;
        std::thread& fil;
        ~Rejoint() {
            fini.store(true, std::memory_order_release);
            if (fil.joinable()) fil.join();
        }
    } rejoint{fini, normales};
    std::vector<CoinLu> coins;
    size_t coin = 0, courte = 0;
    for (size_t i = 0;; ++i) {
        // The short faces read before this one come first in the report.
        for (; courte < b.courtes.size() && b.courtes[courte].facesAvant <= i; ++courte)
            lu.signalements.push_back({b.courtes[courte].position, Signalement::AUCUNE});
        if (i == b.faces.size()) break;
        const PuitsMoitie::FaceLue& f = b.faces[i];
        coins.clear();
        for (uint32_t k = 0; k < f.nbCoins; ++k) coins.push_back(b.coins[coin++]);
        lu.ajouteFace(i < b.facesSansGroupe ? groupeFinal : f.groupe,
                      i < b.facesSansMaterial ? materialFinal : materiauxMoitie[f.material],
                      coins.data(), coins.size(), f.position);
        if (suivi) faites.store(mesh.faces.size(), std::memory_order_release);
    }
    fini.store(true, std::memory_order_release);
    if (normales.joinable()) normales.join();
    lu.normalesDifferees = false;
}

}  // namespace

std::shared_ptr<Mesh> wfLecture(const char* nomFichier, TableMateriaux& materiaux) {
    if (!nomFichier) throw pointeur_null("wfLecture: nomFichier est un pointeur null");
    materiaux.clear();
    const std::string nom(nomFichier);
    if (!extensionValide(nom)) return nullptr;
    // Only regular files: a device such as /dev/zero never ends and a FIFO may block forever.
    struct stat etat;
    if (stat(nomFichier, &etat) != 0 || !S_ISREG(etat.st_mode)) return nullptr;
    const uint64_t taille = static_cast<uint64_t>(etat.st_size);

    // A large file is read in two halves at once, cut at the first line start past the
    // middle: the second half on another thread, without knowing the group and material in
    // force there (fixed up below). The first half stops before the first word of the
    // second; if its last statement ran over into the second half (a face going on on the
    // next line...), or the second half names a library, the second reading is dropped and
    // the first goes on to the end.
    uint64_t seuil = uint64_t(8) << 20;
    if (const char* e = std::getenv("BRAKMOR_WF_SEUIL_PARALLELE")) seuil = std::strtoull(e, nullptr, 10);
    uint64_t milieu = 0;
    if (taille >= seuil && taille >= 2 && std::thread::hardware_concurrency() > 1)
        milieu = debutDeLigneApres(nomFichier, taille / 2);

    // First pass: the capacities, each half counted on its own thread.
    Comptes comptes, seconde;
    if (milieu > 0) {
        std::thread fil(compteLignes, nomFichier, taille, milieu, taille, std::ref(seconde));
        compteLignes(nomFichier, taille, 0, milieu, comptes);
        fil.join();
    } else {
        compteLignes(nomFichier, taille, 0, taille, comptes);
    }
    if (comptes.erreur || seconde.erreur) return nullptr;
    const uint64_t plafond = INT_MAX;
    auto capacite = [&](uint64_t a, uint64_t b) { return static_cast<int>(std::min(a + b, plafond)); };
    auto mesh = std::make_shared<Mesh>(capacite(comptes.faces, seconde.faces),
                                       capacite(comptes.sommets, seconde.sommets),
                                       capacite(comptes.normales, seconde.normales),
                                       capacite(comptes.texCoords, seconde.texCoords), "");
    // The pages of the lists, asked for ahead: all of them for one reading, those that the
    // second half will fill for two (the first half's reader takes its own as it goes).
    PagesEnAvance pages;
    auto zone = [&](auto& liste, uint64_t premier) {
        pages.grandesPages(liste.data(), liste.data() + liste.capacity());
        const size_t debut = std::min<size_t>(liste.capacity(), milieu > 0 ? premier : 0);
        pages.ajoute(liste.data() + debut, liste.data() + liste.capacity());
    };
    zone(mesh->sommets, comptes.sommets);
    zone(mesh->texCoords, comptes.texCoords);
    zone(mesh->normales, comptes.normales);
    zone(mesh->faces, comptes.faces);
    pages.lance();

    // A library name is tried as written, then beside the geometry file.
    const size_t barre = nom.rfind('/');
    const std::string repertoire = barre == std::string::npos ? "" : nom.substr(0, barre + 1);
    const std::function<void(const std::string&)> chargeBibliotheque =
        [&](const std::string& bibliotheque) {
            if (mtlLecture(materiaux, bibliotheque.c_str())) return;
            if (!repertoire.empty() && !bibliotheque.empty() && bibliotheque[0] != '/')
                mtlLecture(materiaux, (repertoire + bibliotheque).c_str());
        };

    // Second pass: the statements, into the mesh.
    std::FILE* fichier = std::fopen(nomFichier, "r");
    if (!fichier) return nullptr;
    PuitsMesh lu(*mesh, materiaux);
    if (comptes.normales + seconde.normales == 0)
        lu.lissage = std::make_unique<LissageSommets>(mesh->sommets.capacity());
    std::unique_ptr<LectureMoitie> moitie;
    bool erreur;
    int groupeFinal = 0;
    {
        std::thread fil;
        if (milieu > 0) {
            moitie = std::make_unique<LectureMoitie>();
            fil = std::thread(litMoitie, nomFichier, milieu, std::ref(*moitie));
        }
        Tampon tampon(fichier, 0);
        CurseurFichier c{nullptr, nullptr, &tampon};
        Analyseur<CurseurFichier, PuitsMesh> a(c, lu, chargeBibliotheque);
        const bool arrete = a.parcours(milieu > 0 ? milieu : UINT64_MAX);
        if (fil.joinable()) fil.join();
        const uint64_t arret = arrete ? c.position(a.enAttente.data()) : UINT64_MAX;
        if (moitie && !(moitie->valable && arret == moitie->premierMot)) {
            moitie.reset();
            a.reprend();
        }
        groupeFinal = a.groupe;
        erreur = tampon.erreur();
    }
    if (std::fclose(fichier) != 0 || erreur) {
        materiaux.clear();  // as if the file had not been read at all
        return nullptr;
    }
    if (moitie) {
        ajouteMoitie(lu, moitie->lu, groupeFinal, materiaux);
        moitie.reset();
    }
    if (!mesh->sommets.empty()) {
        mesh->boiteMin = CVecteur(lu.mini[0], lu.mini[1], lu.mini[2]);
        mesh->boiteMax = CVecteur(lu.maxi[0], lu.maxi[1], lu.maxi[2]);
    }

    // Faces checked again against the complete lists, and the report in file order.
    const int nbSommets = mesh->nbSommets(), nbNormales = mesh->nbNormales(),
              nbTexCoords = mesh->nbTexCoords();
    const auto valide = [](int i, int n) { return i >= 0 && i < n; };
    std::vector<char> ecartee;  // by face, when some are left out
    if (!lu.signalements.empty()) {
        struct Message {
            const char *quoi, *suite;
            uint64_t position;
        };
        std::vector<Message> messages;
        for (const Signalement& sig : lu.signalements) {
            if (sig.face == Signalement::AUCUNE) {
                messages.push_back({"polygone avec moins de 3 sommets !", "face ignorée", sig.position});
                continue;
            }
            Face& f = mesh->faces[sig.face];
            bool sommetsValides = true, autresValides = true;
            for (int k = 0; k < f.nbCoins(); ++k) {
                if (!valide(f.sommets[k], nbSommets)) sommetsValides = false;
                if ((f.normales[k] != -1 && !valide(f.normales[k], nbNormales)) ||
                    (f.texCoords[k] != -1 && !valide(f.texCoords[k], nbTexCoords)))
                    autresValides = false;
            }
            if (!sommetsValides) {
                if (ecartee.empty()) ecartee.assign(mesh->faces.size(), 0);
                ecartee[sig.face] = 1;
                messages.push_back({"indice de sommet invalide", "face ignorée", sig.position});
                continue;
            }
            if (!autresValides)
                messages.push_back({"indice de normale ou de coordonnées de texture invalide",
                                    "indice ignoré", sig.position});
            for (int k = 0; k < f.nbCoins(); ++k) {
                if (!valide(f.normales[k], nbNormales)) {
                    f.normales[k] = -1;
                    lu.normaleManquante = true;
                }
                if (!valide(f.texCoords[k], nbTexCoords)) f.texCoords[k] = -1;
            }
            f.normale = mesh->normaleFace(f);
        }
        if (!messages.empty()) {
            std::vector<uint64_t> positions;
            for (size_t i = 0; i < messages.size() && i < Rapport::MAX_LIGNES; ++i)
                positions.push_back(messages[i].position);
            const std::vector<int> lignes = lignesDe(nomFichier, positions);
            Rapport rapport(nomFichier);
            for (size_t i = 0; i < messages.size(); ++i)
                rapport.signale(messages[i].quoi, i < lignes.size() ? lignes[i] : 0,
                                messages[i].suite);
        }
    }

    // Materials kept alive: those of the faces, in order of first use.
    std::vector<PuitsMesh::Serie>& series = lu.series;
    if (!ecartee.empty()) {
        std::vector<Face>& faces = mesh->faces;
        size_t gardees = 0;
        for (size_t i = 0; i < faces.size(); ++i)
            if (!ecartee[i]) {
                if (gardees != i) faces[gardees] = std::move(faces[i]);
                ++gardees;
            }
        faces.erase(faces.begin() + static_cast<std::ptrdiff_t>(gardees), faces.end());
        series.clear();
        std::vector<const Material*> ordre;
        std::set<const Material*> vus;
        for (uint32_t i = 0; i < faces.size(); ++i) {
            const Face& f = faces[i];
            if (series.empty() || series.back().groupe != f.groupe)
                series.push_back({f.groupe, i, i + 1});
            else
                series.back().fin = i + 1;
            if (f.material && vus.insert(f.material).second) ordre.push_back(f.material);
        }
        lu.ordreMateriaux = ordre;
    }
    for (const Material* m : lu.ordreMateriaux) mesh->materiauxTenus.push_back(lu.tenu(m));

    // Smoothing groups: the faces of each group, in creation order, lists sized exactly.
    {
        std::map<int, size_t> nombres;
        for (const auto& serie : series) nombres[serie.groupe] += serie.fin - serie.debut;
        for (const auto& [g, n] : nombres) mesh->groupes[g].reserve(n);
        for (const auto& serie : series) {
            std::vector<int>& liste = mesh->groupes[serie.groupe];
            for (uint32_t k = serie.debut; k < serie.fin; ++k) liste.push_back(static_cast<int>(k));
        }
    }

    // Every face normal is computed by now.
    if (mesh->nbNormales() > 0) {
        // Corners without a normal of the file get smoothed ones, so the mesh can be drawn.
        if (lu.normaleManquante) mesh->completeNormalesManquantes();
    } else if (lu.lissage && ecartee.empty()) {
        mesh->normales = lu.lissage->termine();  // smoothed while reading
    } else {
        mesh->calcNormalesLissees(true);
    }
    if (!lu.triees) mesh->trieFacesParMaterial();
    mesh->marqueModifie();
    return mesh;
}

bool mtlLecture(TableMateriaux& table, const char* nomFichier) {
    if (!nomFichier) return false;
    std::string texte;
    if (!litFichier(nomFichier, texte)) return false;

    Material courant;  // not reset between materials: each inherits what it does not set
    std::string nom;
    bool nomme = false;
    Curseur c{texte.data(), texte.data() + texte.size()};
    auto couleur = [&c](RGBA& cible) {
        float rgb[3] = {cible.r, cible.g, cible.b};
        flottants(c, rgb, 3);
        cible.r = rgb[0];
        cible.g = rgb[1];
        cible.b = rgb[2];
    };
    std::string_view mot;
    while (jeton(c, mot)) {
        if (mot == "#") {
            finDeLigne(c);
        } else if (mot == "newmtl") {
            if (nomme) table[nom] = std::make_shared<Material>(courant);
            std::string_view lu;
            if (!jeton(c, lu)) lu = mot;
            nom = std::string(lu);
            nomme = true;
        } else if (mot == "Ka") {
            couleur(courant.couleur1);
        } else if (mot == "Kd") {
            couleur(courant.couleur2);
        } else if (mot == "Ks") {
            couleur(courant.couleur3);
        } else if (mot == "Ns") {
            float ns;
            if (flottant(c, ns) == 1) courant.brillance = static_cast<float>(ns * 0.128);
        }
        // Any other word is ignored on its own.
    }
    // A library that never names a material stores nothing.
    if (nomme) table[nom] = std::make_shared<Material>(courant);
    return true;
}
