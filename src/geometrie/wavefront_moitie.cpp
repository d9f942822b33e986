// The second half's reading, where it starts, and its appending to the mesh.
#include "geometrie/wavefront_moitie.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>

#include "geometrie/wavefront_capacites.h"

namespace lectureWf {
namespace detail {

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

uint64_t debutDeLigneApres(const char* nomFichier, uint64_t milieu) {
    const int fd = open(nomFichier, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    std::vector<char> bloc(size_t(1) << 16);
    uint64_t trouve = 0;
    for (uint64_t position = milieu - 1; position < milieu + (uint64_t(1) << 22);) {
        const ssize_t n = pread(fd, bloc.data(), bloc.size(), static_cast<off_t>(position));
        if (n <= 0) break;
        if (const void* nl = std::memchr(bloc.data(), '\n', static_cast<size_t>(n))) {
            trouve =
                position + static_cast<uint64_t>(static_cast<const char*>(nl) - bloc.data()) + 1;
            break;
        }
        position += static_cast<uint64_t>(n);
    }
    close(fd);
    return trouve;
}

namespace {

// The normals and the smoothing of the faces appended from now on, on another thread just
// behind their making: the making thread publishes how far it is, this one follows. The
// lists are complete by then, so a face is to be checked at the end exactly when one of its
// indices is out of range. The faces' storage was reserved: no reallocation moves them
// while the other thread reads them. Without a second processor, room for every face or a
// thread to be had, nothing is deferred and ajouteFace does it all by itself.
class NormalesSuivies {
public:
    NormalesSuivies(PuitsMesh& lu, size_t nbFaces)
        : lu_(lu), premiere_(lu.mesh.faces.size()), faites_(premiere_) {
        if (coeursUtilisables() > 1 && premiere_ + nbFaces <= lu.mesh.faces.capacity()) lance();
    }
    // The other thread is let go even if making a face throws.
    ~NormalesSuivies() { arrete(); }
    NormalesSuivies(const NormalesSuivies&) = delete;
    NormalesSuivies& operator=(const NormalesSuivies&) = delete;

    // The faces made so far may be followed.
    void publie() {
        if (actif_) faites_.store(lu_.mesh.faces.size(), std::memory_order_release);
    }
    // Once every face is made: waits for the other thread, and throws again here what
    // stopped it.
    void termine() {
        arrete();
        lu_.normalesDifferees = false;
        if (echec_) std::rethrow_exception(echec_);
    }

private:
    void lance() {
        lu_.normalesDifferees = true;
        try {
            fil_ = std::thread([this] {
                try {
                    suit();
                } catch (...) {
                    echec_ = std::current_exception();
                }
            });
            actif_ = true;
        } catch (const std::system_error&) {
            lu_.normalesDifferees = false;
        }
    }
    void arrete() {
        fini_.store(true, std::memory_order_release);
        if (fil_.joinable()) fil_.join();
    }
    // The other thread's work, face by face as they are published, until the end.
    void suit() {
        Mesh& mesh = lu_.mesh;
        Face* const faces = mesh.faces.data();
        const size_t nbS = mesh.sommets.size(), nbN = mesh.normales.size(),
                     nbT = mesh.texCoords.size();
        auto dans = [](int i, size_t taille) { return i >= 0 && static_cast<size_t>(i) < taille; };
        for (size_t i = premiere_;;) {
            const size_t jusque = faites_.load(std::memory_order_acquire);
            if (i == jusque) {
                if (fini_.load(std::memory_order_acquire) &&
                    i == faites_.load(std::memory_order_acquire))
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
                    if (lu_.lissage) lu_.abandonneLissage();
                    continue;
                }
                f.normale = mesh.normaleFace(f);
                if (lu_.lissage) lu_.lisse(f, f.groupe);
            }
        }
    }

    PuitsMesh& lu_;
    const size_t premiere_;  // the first face followed
    bool actif_ = false;     // the other thread runs
    std::atomic<size_t> faites_;
    std::atomic<bool> fini_{false};
    std::exception_ptr echec_;  // what stopped the other thread
    std::thread fil_;
};

// What the second half's faces take from the first half: the group and material in force
// at its end for those before the second half's own, the materials of the second half's
// names.
struct Raccord {
    int groupeFinal;
    Material* materialFinal;
    std::vector<Material*> materiaux;  // by PuitsMoitie::FaceLue::material
};

std::vector<Material*> materiauxDeMoitie(PuitsMesh& lu, const PuitsMoitie& b,
                                         const TableMateriaux& materiaux) {
    std::vector<Material*> r(b.nomsMateriaux.size() + 1, nullptr);
    for (size_t i = 0; i < b.nomsMateriaux.size(); ++i) {
        const auto it = materiaux.find(b.nomsMateriaux[i]);
        r[i + 1] = lu.garde(it == materiaux.end() ? nullptr : it->second);
    }
    return r;
}

void ajouteElements(PuitsMesh& lu, const PuitsMoitie& b) {
    for (size_t i = 0; i < b.sommets.size(); ++i) lu.sommet(b.sommets[i].data());
    for (size_t i = 0; i < b.normales.size(); ++i) lu.normale(b.normales[i].data());
    for (size_t i = 0; i < b.texCoords.size(); ++i) lu.texCoord(b.texCoords[i].data());
}

// The faces, made here in order, with the short ones reported where they were read.
void ajouteFaces(PuitsMesh& lu, const PuitsMoitie& b, const Raccord& raccord,
                 NormalesSuivies& normales) {
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
        lu.ajouteFace(
            i < b.facesSansGroupe ? raccord.groupeFinal : f.groupe,
            i < b.facesSansMaterial ? raccord.materialFinal : raccord.materiaux[f.material],
            coins.data(), coins.size(), f.position);
        normales.publie();
    }
}

}  // namespace

void ajouteMoitie(PuitsMesh& lu, const PuitsMoitie& b, int groupeFinal,
                  const TableMateriaux& materiaux) {
    Material* const materialFinal = lu.courant;
    const Raccord raccord{groupeFinal, materialFinal, materiauxDeMoitie(lu, b, materiaux)};
    ajouteElements(lu, b);
    NormalesSuivies normales(lu, b.faces.size());
    ajouteFaces(lu, b, raccord, normales);
    normales.termine();
}

}  // namespace detail
}  // namespace lectureWf
