// Wavefront geometry files (".obj", ".wf", ".owf") and their material libraries.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commun/erreurs.h"
#include "geometrie/mesh.h"

// Reads a Wavefront mesh, whatever the file's name (formats_maillage.h chooses the reader).
// `materiaux` is emptied, then receives the materials of every library the file names; the
// mesh keeps alive those its faces use; `bibliotheques`, when given, receives the path of
// each library read. Returns null for a file that cannot be read; throws pointeur_null on a
// null name. Faces that cannot be drawn (fewer than 3 corners, a bad vertex index) are left
// out with a red console line.
std::shared_ptr<Mesh> wfLecture(const char* nomFichier, TableMateriaux& materiaux,
                                std::vector<std::string>* bibliotheques = nullptr);

// Reads one material library into the table; false when the file cannot be read.
bool mtlLecture(TableMateriaux& table, const char* nomFichier);

// The reading machinery, exposed for the tests. The text is read from memory by hand, but
// every read consumes exactly the characters, and yields exactly the values, that the C
// library's formatted input (glibc's fscanf) would with the formats noted below.
namespace lectureWf {

struct Curseur {
    const char* p;
    const char* fin;
};

// "%s": false at the end of the text. The word stops at the first NUL byte, as a C string
// would, though the whole run of non-blank bytes is consumed.
bool jeton(Curseur& c, std::string_view& mot);
// "%d" and "%f": 1 when a value was stored, 0 when the text does not match (the characters
// scanf would have consumed are consumed), -1 at the end of the text.
int entier(Curseur& c, int& v);
int flottant(Curseur& c, float& v);
// "%f %f ... \n" with n conversions: the scanf count; v[i] is written only when read.
int flottants(Curseur& c, float* v, int n);
// Skips to just after the next line end (or to the end of the text).
void finDeLigne(Curseur& c);

// One corner as stored: file indices minus one, -1 where the syntax has none.
struct CoinLu {
    int sommet, texCoord, normale;
};

struct FaceLue {
    int groupe = 0;
    std::shared_ptr<Material> material;
    std::vector<CoinLu> coins;
    int ligne = 0;  // line of its "f", from 1
};

struct ContenuWf {
    std::vector<CVecteur> sommets, normales;
    std::vector<std::pair<float, float>> texCoords;
    std::vector<FaceLue> faces;
};

// The token-by-token pass over a geometry text. "usemtl" looks names up in `table`;
// "mtllib" hands the library name to `chargeBibliotheque`.
void analyse(const char* debut, const char* fin, ContenuWf& contenu, const TableMateriaux& table,
             const std::function<void(const std::string&)>& chargeBibliotheque);

}  // namespace lectureWf
