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
// A file without normals is smoothed as its faces are made, while they are in the cache
// (LissageSommets, in the order calcNormalesLissees would walk them); the second half's
// faces get their normals and smoothing on another thread, just behind their appending.
//
// The parsing core is in wavefront_analyse.h, the first pass in wavefront_capacites.cpp and
// the second half's reading in wavefront_moitie.cpp.
#include "geometrie/wavefront.h"
#include "geometrie/lissage.h"
#include "geometrie/wavefront_analyse.h"
#include "geometrie/wavefront_capacites.h"
#include "geometrie/wavefront_moitie.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <set>
#include <system_error>
#include <thread>

#include <sys/stat.h>

#include "commun/console.h"
#include "commun/erreurs.h"

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
            // (Never touched here while the other thread smooths.)
            if (!normalesDifferees && lissage) abandonneLissage();
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
    bool suivi = coeursUtilisables() > 1 && premiere + b.faces.size() <= mesh.faces.capacity();
    std::atomic<size_t> faites{premiere};
    std::atomic<bool> fini{false};
    std::exception_ptr echec;  // what stopped the other thread, thrown again here
    std::thread normales;
    if (suivi) {
        lu.normalesDifferees = true;
        auto suit = [&lu, &mesh, &faites, &fini, premiere] {
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
        };
        try {
            normales = std::thread([suit, &echec] {
                try {
                    suit();
                } catch (...) {
                    echec = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one does it all, as ajouteFace does by itself.
            suivi = false;
            lu.normalesDifferees = false;
        }
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
    if (echec) std::rethrow_exception(echec);
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
    if (taille >= seuil && taille >= 2 && coeursUtilisables() > 1)
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
