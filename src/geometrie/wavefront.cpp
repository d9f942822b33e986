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
// has to ask for the next block, and writes straight into the mesh, each corner into its
// face. Little sits beside the mesh whatever the size of the file: one block. A face naming
// an element not read yet is checked at the end. A file without normals is smoothed as its
// faces are made, while they are in the cache (LissageSommets, in the order
// calcNormalesLissees would walk them).
//
// The parsing core is in wavefront_analyse.h, the sink that writes into the mesh in
// wavefront_puits.h, the first pass in wavefront_capacites.cpp, and the final check of the
// faces, with its report, in wavefront_verification.cpp.
#include "geometrie/wavefront.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "commun/console.h"
#include "commun/erreurs.h"
#include "commun/fichier_projete.h"
#include "commun/pages_memoire.h"
#include "commun/texte.h"
#include "geometrie/lissage.h"
#include "geometrie/wavefront_analyse.h"
#include "geometrie/wavefront_capacites.h"
#include "geometrie/wavefront_puits.h"
#include "geometrie/wavefront_verification.h"

namespace lectureWf {

using namespace detail;

namespace {

// The sink of the public analyse: everything as read, with each face's line.
struct PuitsContenu {
    ContenuWf& contenu;
    const TableMateriaux& table;
    const char* texte;
    uint64_t compte = 0;  // offset up to which lines were counted
    int ligne = 1;
    std::shared_ptr<Material> materialCourant;

    void sommet(float x, float y, float z) { contenu.sommets.emplace_back(x, y, z); }
    void normale(float x, float y, float z) { contenu.normales.emplace_back(x, y, z); }
    void texCoord(float u, float v) { contenu.texCoords.emplace_back(u, v); }
    void debutFace(int groupe, uint64_t position) {
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
    int ligneFace[3][4] = {};
    int groupeLigne = 0;
    uint64_t positionLigne = 0;
    FaceLigne faceEnPlace(int groupe, uint64_t position) {
        groupeLigne = groupe;
        positionLigne = position;
        for (int k = 0; k < 4; ++k) ligneFace[1][k] = ligneFace[2][k] = -1;
        return FaceLigne{ligneFace[0], ligneFace[1], ligneFace[2]};
    }
    void faceLue(int n) {
        debutFace(groupeLigne, positionLigne);
        for (int k = 0; k < n; ++k) coin(CoinLu{ligneFace[0][k], ligneFace[1][k], ligneFace[2][k]});
        finFace();
    }
    void faceRendue() {}
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
using namespace lectureWf::detail;

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

// A file in UTF-16 would read as nothing, or as faces of zeros: it is refused by name.
bool refuseUtf16(const char* nomFichier, std::string_view debut) {
    std::size_t marque = 0;
    const texte::Utf16 sens = texte::detecteUtf16(debut.substr(0, 4096), marque);
    if (sens == texte::Utf16::Non) return false;
    console.erreur(std::string(nomFichier) + " est en " + texte::nomUtf16(sens) +
                   " : non lu (enregistrez-le en UTF-8 ou en ASCII).");
    return true;
}

bool refuseUtf16(const char* nomFichier) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(nomFichier, "rb"), std::fclose);
    if (!f) return false;
    char debut[4096];
    const size_t n = std::fread(debut, 1, sizeof debut, f.get());
    return refuseUtf16(nomFichier, std::string_view(debut, n));
}

// First pass: the capacities, from the mapped text when there is one. False when the file
// cannot be read.
bool compte(const char* nomFichier, const FichierProjete& projete, uint64_t taille,
            Comptes& comptes) {
    if (projete.valide())
        compteTexte(projete.donnees(), projete.taille(), comptes);
    else
        compteLignes(nomFichier, taille, 0, taille, comptes);
    return !comptes.erreur;
}

// An empty mesh whose lists are reserved for the counted elements, in large pages where
// the system offers them.
std::shared_ptr<Mesh> meshReserve(const Comptes& comptes) {
    const uint64_t plafond = INT_MAX;
    auto capacite = [&](uint64_t a) { return static_cast<int>(std::min(a, plafond)); };
    auto mesh = std::make_shared<Mesh>(capacite(comptes.faces), capacite(comptes.sommets),
                                       capacite(comptes.normales), capacite(comptes.texCoords), "");
    grandesPagesDe(mesh->sommets);
    grandesPagesDe(mesh->texCoords);
    grandesPagesDe(mesh->normales);
    grandesPagesDe(mesh->faces);
    return mesh;
}

// What "mtllib" does: a library name is tried as written, then beside the geometry file.
// Each library read is added to `lues` when given.
std::function<void(const std::string&)> chargeurBibliotheques(const std::string& nom,
                                                              TableMateriaux& materiaux,
                                                              std::vector<std::string>* lues) {
    const size_t barre = nom.rfind('/');
    std::string repertoire = barre == std::string::npos ? "" : nom.substr(0, barre + 1);
    return [repertoire = std::move(repertoire), nom, &materiaux,
            lues](const std::string& bibliotheque) {
        auto lit = [&](const std::string& chemin) {
            if (!mtlLecture(materiaux, chemin.c_str())) return false;
            if (lues) lues->push_back(chemin);
            return true;
        };
        if (lit(bibliotheque)) return;
        if (!repertoire.empty() && !bibliotheque.empty() && bibliotheque[0] != '/' &&
            lit(repertoire + bibliotheque))
            return;
        // The faces keep the default material; the author should know why.
        console.erreur("bibliothèque de matériaux illisible : " + bibliotheque + " (" + nom + ")");
    };
}

// Runs the parse of a file over the cursor given, then ends the sink's work.
template <class C>
void analyseFichier(C& c, PuitsMesh& lu,
                    const std::function<void(const std::string&)>& chargeBibliotheque) {
    Analyseur<C, PuitsMesh> a(c, lu, chargeBibliotheque);
    a.parcours();
    lu.termine();
}

// Second pass: the statements, into the mesh, from the mapped text when there is one. False
// when the file could not be read, or changed while it was mapped.
bool litInstructions(const char* nomFichier, const FichierProjete& projete, PuitsMesh& lu,
                     const std::function<void(const std::string&)>& chargeBibliotheque) {
    if (projete.valide()) {
        Tampon tampon(projete.donnees(), projete.taille());
        CurseurFichier c{nullptr, nullptr, &tampon};
        analyseFichier(c, lu, chargeBibliotheque);
        return !projete.change();
    }
    // Closed by the guard if the reading throws; by hand otherwise, to check the result.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> garde(std::fopen(nomFichier, "r"), std::fclose);
    std::FILE* fichier = garde.get();
    if (!fichier) return false;
    bool erreur;
    {
        Tampon tampon(fichier, 0);
        CurseurFichier c{nullptr, nullptr, &tampon};
        analyseFichier(c, lu, chargeBibliotheque);
        erreur = tampon.erreur();
    }
    return std::fclose(garde.release()) == 0 && !erreur;
}

// The faces to leave out (by face, 1) removed, and what was gathered about the faces
// rebuilt from those kept: their runs by group, the materials in order of first use.
void retireFaces(PuitsMesh& lu, const std::vector<char>& ecartee) {
    std::vector<Face>& faces = lu.mesh.faces;
    size_t gardees = 0;
    for (size_t i = 0; i < faces.size(); ++i)
        if (!ecartee[i]) {
            if (gardees != i) faces[gardees] = std::move(faces[i]);
            ++gardees;
        }
    faces.erase(faces.begin() + static_cast<std::ptrdiff_t>(gardees), faces.end());
    std::vector<PuitsMesh::Serie>& series = lu.series;
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

// Smoothing groups: the faces of each group, in creation order, lists sized exactly (in
// large pages where offered: a file of one group lists every face).
void rangeGroupes(Mesh& mesh, const std::vector<PuitsMesh::Serie>& series) {
    std::map<int, size_t> nombres;
    for (const auto& serie : series) nombres[serie.groupe] += serie.fin - serie.debut;
    for (const auto& [g, n] : nombres) {
        std::vector<int>& liste = mesh.groupes[g];
        liste.reserve(n);
        grandesPagesDe(liste);
    }
    for (const auto& serie : series) {
        std::vector<int>& liste = mesh.groupes[serie.groupe];
        for (uint32_t k = serie.debut; k < serie.fin; ++k) liste.push_back(static_cast<int>(k));
    }
}

// The vertex normals, once every face normal is computed: those of the file completed, or
// those smoothed while reading (unless faces were left out since), or smoothed now.
void termineNormales(PuitsMesh& lu, bool facesRetirees) {
    Mesh& mesh = lu.mesh;
    if (mesh.nbNormales() > 0) {
        // Corners without a normal of the file get smoothed ones, so the mesh can be drawn.
        if (lu.normaleManquante) mesh.completeNormalesManquantes();
    } else if (lu.lissage && !facesRetirees) {
        mesh.normales = lu.lissage->termine();
    } else {
        mesh.calcNormalesLissees(true);
    }
}

}  // namespace

std::shared_ptr<Mesh> wfLecture(const char* nomFichier, TableMateriaux& materiaux,
                                std::vector<std::string>* bibliotheques) {
    if (!nomFichier) throw pointeur_null("wfLecture: nomFichier est un pointeur null");
    materiaux.clear();
    const std::string nom(nomFichier);
    // Only regular files: a device such as /dev/zero never ends and a FIFO may block forever.
    struct stat etat;
    if (stat(nomFichier, &etat) != 0 || !S_ISREG(etat.st_mode)) return nullptr;
    const uint64_t taille = static_cast<uint64_t>(etat.st_size);
    if (refuseUtf16(nomFichier)) return nullptr;

    // The file's bytes where the system keeps them (read by blocks if it cannot be mapped),
    // until both passes are done.
    std::optional<FichierProjete> projete(std::in_place, nomFichier);
    Comptes comptes;
    if (!compte(nomFichier, *projete, taille, comptes)) return nullptr;
    std::shared_ptr<Mesh> mesh = meshReserve(comptes);

    PuitsMesh lu(*mesh, materiaux);
    if (comptes.normales == 0)
        lu.lissage = std::make_unique<LissageSommets>(mesh->sommets.capacity());
    if (!litInstructions(nomFichier, *projete, lu,
                         chargeurBibliotheques(nom, materiaux, bibliotheques))) {
        materiaux.clear();  // as if the file had not been read at all
        return nullptr;
    }
    projete.reset();
    lu.poseBoite();

    const std::vector<char> ecartee = verifieFaces(nomFichier, lu);
    if (!ecartee.empty()) retireFaces(lu, ecartee);
    // Materials kept alive: those of the faces, in order of first use.
    for (const Material* m : lu.ordreMateriaux) mesh->materiauxTenus.push_back(lu.tenu(m));
    rangeGroupes(*mesh, lu.series);
    termineNormales(lu, !ecartee.empty());
    if (!lu.triees) mesh->trieFacesParMaterial();
    mesh->marqueModifie();
    return mesh;
}

bool mtlLecture(TableMateriaux& table, const char* nomFichier) {
    if (!nomFichier) return false;
    std::string texte;
    if (!litFichier(nomFichier, texte) || refuseUtf16(nomFichier, texte)) return false;

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
