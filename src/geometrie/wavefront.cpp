// Wavefront reader: the whole file is read into memory and parsed by hand, for speed, with
// the results a stream reader built on fscanf would give. Corner cases kept on purpose:
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
#include "geometrie/wavefront.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/console.h"
#include "scene/scene.h"

namespace lectureWf {

namespace {
inline bool blanc(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}
inline bool chiffre(char ch) { return ch >= '0' && ch <= '9'; }
inline bool chiffreHexa(char ch) {
    return chiffre(ch) || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}
inline char minuscule(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

void sauteBlancs(Curseur& c) {
    while (c.p < c.fin && blanc(*c.p)) ++c.p;
}

// Consumes the letters of `mot` case-insensitively; on a mismatch the offending character
// is consumed too, as glibc does inside "nan" and "infinity".
bool lettres(Curseur& c, const char* mot) {
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
}  // namespace

bool jeton(Curseur& c, std::string_view& mot) {
    sauteBlancs(c);
    if (c.p == c.fin) return false;
    const char* debut = c.p;
    while (c.p < c.fin && !blanc(*c.p)) ++c.p;
    const void* nul = std::memchr(debut, '\0', static_cast<size_t>(c.p - debut));
    const char* finMot = nul ? static_cast<const char*>(nul) : c.p;
    mot = std::string_view(debut, static_cast<size_t>(finMot - debut));
    return true;
}

int entier(Curseur& c, int& v) {
    sauteBlancs(c);
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

int flottant(Curseur& c, float& v) {
    sauteBlancs(c);
    if (c.p == c.fin) return -1;
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

int flottants(Curseur& c, float* v, int n) {
    for (int i = 0; i < n; ++i) {
        const int r = flottant(c, v[i]);
        if (r != 1) return (r < 0 && i == 0) ? -1 : i;
        sauteBlancs(c);
    }
    return n;
}

int entiers(Curseur& c, const char* format, int* v) {
    int faits = 0;
    for (const char* f = format; *f;) {
        if (f[0] == '%' && f[1] == 'd') {
            const int r = entier(c, v[faits]);
            if (r < 0) return faits ? faits : -1;
            if (r == 0) return faits;
            ++faits;
            f += 2;
        } else {
            if (c.p == c.fin) return faits ? faits : -1;
            if (*c.p != *f) return faits;
            ++c.p;
            ++f;
        }
    }
    return faits;
}

void finDeLigne(Curseur& c) {
    const void* nl = std::memchr(c.p, '\n', static_cast<size_t>(c.fin - c.p));
    c.p = nl ? static_cast<const char*>(nl) + 1 : c.fin;
}

namespace {
enum class Syntaxe { SommetNormale, SommetTextureNormale, SommetTexture, Sommet };

const char* formatDe(Syntaxe s) {
    switch (s) {
        case Syntaxe::SommetNormale:
            return "%d//%d";
        case Syntaxe::SommetTextureNormale:
            return "%d/%d/%d";
        case Syntaxe::SommetTexture:
            return "%d/%d";
        default:
            return "%d";
    }
}

Syntaxe syntaxeDe(std::string_view premier) {
    if (premier.find("//") != std::string_view::npos) return Syntaxe::SommetNormale;
    int v[3];
    Curseur c{premier.data(), premier.data() + premier.size()};
    if (entiers(c, "%d/%d/%d", v) == 3) return Syntaxe::SommetTextureNormale;
    c = Curseur{premier.data(), premier.data() + premier.size()};
    if (entiers(c, "%d/%d", v) == 2) return Syntaxe::SommetTexture;
    return Syntaxe::Sommet;
}

// 1-based file index to the stored 0-based one; 0 (or unread) gives -1, meaning none.
inline int moinsUn(int i) { return i == INT_MIN ? INT_MIN : i - 1; }

// Reads one corner with the face's syntax; unread indices count as 0. The scanf count.
int litCoin(Curseur& c, Syntaxe s, CoinLu& coin) {
    int v[3] = {0, 0, 0};
    const int r = entiers(c, formatDe(s), v);
    int sommet = v[0], texCoord = 0, normale = 0;
    if (s == Syntaxe::SommetNormale) normale = v[1];
    if (s == Syntaxe::SommetTextureNormale || s == Syntaxe::SommetTexture) texCoord = v[1];
    if (s == Syntaxe::SommetTextureNormale) normale = v[2];
    coin = CoinLu{moinsUn(sommet), moinsUn(texCoord), moinsUn(normale)};
    return r;
}
}  // namespace

void analyse(const char* debut, const char* fin, ContenuWf& contenu, const TableMateriaux& table,
             const std::function<void(const std::string&)>& chargeBibliotheque) {
    Curseur c{debut, fin};
    int groupe = 0;
    std::shared_ptr<Material> material;
    // Line numbers, counted lazily up to the faces.
    const char* comptePos = debut;
    int ligne = 1;

    std::string_view mot;
    while (jeton(c, mot)) {
        if (!mot.empty() && mot[0] == '#') {
            finDeLigne(c);
        } else if (mot == "v") {
            float xyz[3] = {0, 0, 0};
            flottants(c, xyz, 3);
            contenu.sommets.emplace_back(xyz[0], xyz[1], xyz[2]);
        } else if (mot.size() >= 2 && mot[0] == 'v' && mot[1] == 'n') {
            float xyz[3] = {0, 0, 0};
            flottants(c, xyz, 3);
            contenu.normales.emplace_back(xyz[0], xyz[1], xyz[2]);
        } else if (mot.size() >= 2 && mot[0] == 'v' && mot[1] == 't') {
            float uv[2] = {0, 0};
            flottants(c, uv, 2);
            contenu.texCoords.emplace_back(uv[0], uv[1]);
        } else if (mot == "s") {
            if (entier(c, groupe) == 1) sauteBlancs(c);
        } else if (mot == "f") {
            const char* position = mot.data();
            ligne += static_cast<int>(std::count(comptePos, position, '\n'));
            comptePos = position;
            FaceLue face;
            face.groupe = groupe;
            face.material = material;
            face.ligne = ligne;
            std::string_view premier;
            if (!jeton(c, premier)) premier = mot;
            const Syntaxe syntaxe = syntaxeDe(premier);
            Curseur cp{premier.data(), premier.data() + premier.size()};
            CoinLu coin;
            litCoin(cp, syntaxe, coin);
            face.coins.push_back(coin);
            while (litCoin(c, syntaxe, coin) > 0) face.coins.push_back(coin);
            contenu.faces.push_back(std::move(face));
        } else if (mot == "usemtl") {
            std::string_view nom;
            if (!jeton(c, nom)) nom = mot;
            const auto it = table.find(std::string(nom));
            material = it == table.end() ? nullptr : it->second;
        } else if (mot == "mtllib") {
            std::string_view nom;
            if (!jeton(c, nom)) nom = mot;
            chargeBibliotheque(std::string(nom));
        } else {
            finDeLigne(c);
        }
    }
}

}  // namespace lectureWf

using namespace lectureWf;

namespace {

// Reads the whole file; false when it cannot be opened or read.
bool litFichier(const char* nom, std::string& texte) {
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

// Capacities from a line-by-line count: "v " a vertex, "vn" a normal, "vt" a texture
// coordinate, any line starting with "f" a face.
void compte(const std::string& texte, int& nbFaces, int& nbSommets, int& nbNormales,
            int& nbTexCoords) {
    nbFaces = nbSommets = nbNormales = nbTexCoords = 0;
    size_t debut = 0;
    while (debut < texte.size()) {
        const char c0 = texte[debut];
        const char c1 = debut + 1 < texte.size() ? texte[debut + 1] : '\0';
        if (c0 == 'v' && c1 == ' ') ++nbSommets;
        if (c0 == 'v' && c1 == 'n') ++nbNormales;
        if (c0 == 'v' && c1 == 't') ++nbTexCoords;
        if (c0 == 'f') ++nbFaces;
        const size_t nl = texte.find('\n', debut);
        if (nl == std::string::npos) break;
        debut = nl + 1;
    }
}

// Red console lines about a file's faces, at most a screenful of them.
class Rapport {
public:
    explicit Rapport(const char* fichier) : fichier_(fichier) {}
    ~Rapport() {
        if (nb_ > maxLignes)
            console.erreur(fichier_ + " : " + std::to_string(nb_ - maxLignes) +
                           " autres faces incorrectes");
    }
    void signale(const char* quoi, int ligne, const char* suite) {
        if (++nb_ <= maxLignes)
            console.erreur(std::string(quoi) + " (" + fichier_ + ", ligne " +
                           std::to_string(ligne) + ") : " + suite);
    }

private:
    static constexpr int maxLignes = 20;
    std::string fichier_;
    int nb_ = 0;
};

}  // namespace

std::shared_ptr<Mesh> wfLecture(const char* nomFichier, TableMateriaux& materiaux) {
    if (!nomFichier) throw pointeur_null("wfLecture: nomFichier est un pointeur null");
    materiaux.clear();
    const std::string nom(nomFichier);
    if (!extensionValide(nom)) return nullptr;
    std::string texte;
    if (!litFichier(nomFichier, texte)) return nullptr;

    int nbFaces, nbSommets, nbNormales, nbTexCoords;
    compte(texte, nbFaces, nbSommets, nbNormales, nbTexCoords);
    auto mesh = std::make_shared<Mesh>(nbFaces, nbSommets, nbNormales, nbTexCoords, "");

    // A library name is tried as written, then beside the geometry file.
    const size_t barre = nom.rfind('/');
    const std::string repertoire = barre == std::string::npos ? "" : nom.substr(0, barre + 1);
    auto chargeBibliotheque = [&](const std::string& bibliotheque) {
        if (mtlLecture(materiaux, bibliotheque.c_str())) return;
        if (!repertoire.empty() && !bibliotheque.empty() && bibliotheque[0] != '/')
            mtlLecture(materiaux, (repertoire + bibliotheque).c_str());
    };

    ContenuWf contenu;
    analyse(texte.data(), texte.data() + texte.size(), contenu, materiaux, chargeBibliotheque);
    texte = std::string();

    const RGBA couleurSommet(255, 0, 0, 0);
    for (const CVecteur& s : contenu.sommets) mesh->ajouteSommet(s, couleurSommet);
    for (const CVecteur& n : contenu.normales) mesh->ajouteNormale(n);
    for (const auto& t : contenu.texCoords) mesh->ajouteTexCoord(t.first, t.second);

    Rapport rapport(nomFichier);
    const auto valide = [](int i, int taille) { return i >= 0 && i < taille; };
    for (const FaceLue& lue : contenu.faces) {
        const int nbCoins = static_cast<int>(lue.coins.size());
        if (nbCoins < 3) {
            rapport.signale("polygone avec moins de 3 sommets !", lue.ligne, "face ignorée");
            continue;
        }
        bool sommetsValides = true;
        bool autresValides = true;
        for (const CoinLu& coin : lue.coins) {
            if (!valide(coin.sommet, mesh->nbSommets())) sommetsValides = false;
            if ((coin.normale != -1 && !valide(coin.normale, mesh->nbNormales())) ||
                (coin.texCoord != -1 && !valide(coin.texCoord, mesh->nbTexCoords())))
                autresValides = false;
        }
        if (!sommetsValides) {
            rapport.signale("indice de sommet invalide", lue.ligne, "face ignorée");
            continue;
        }
        if (!autresValides)
            rapport.signale("indice de normale ou de coordonnées de texture invalide", lue.ligne,
                            "indice ignoré");
        const int f = mesh->ajouteFace(nbCoins, lue.groupe, lue.material.get());
        for (const CoinLu& coin : lue.coins) {
            const int normale = valide(coin.normale, mesh->nbNormales()) ? coin.normale : -1;
            const int texCoord = valide(coin.texCoord, mesh->nbTexCoords()) ? coin.texCoord : -1;
            mesh->ajouteSommetFace(f, coin.sommet, normale, texCoord);
        }
        if (lue.material) {
            auto& tenus = mesh->materiauxTenus;
            if (std::find(tenus.begin(), tenus.end(), lue.material) == tenus.end())
                tenus.push_back(lue.material);
        }
    }

    if (mesh->nbNormales() > 0) {
        for (int i = 0; i < mesh->nbFaces(); ++i) mesh->calcNormaleFace(i);
        // Corners without a normal of the file get smoothed ones, so the mesh can be drawn.
        mesh->completeNormalesManquantes();
    } else {
        mesh->calcNormalesLissees();
    }
    mesh->trieFacesParMaterial();
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
