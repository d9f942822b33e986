// The second half's reading, and where it starts.
#include "geometrie/wavefront_moitie.h"

#include <cstdio>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

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
            trouve = position + static_cast<uint64_t>(static_cast<const char*>(nl) - bloc.data()) + 1;
            break;
        }
        position += static_cast<uint64_t>(n);
    }
    close(fd);
    return trouve;
}

}  // namespace detail
}  // namespace lectureWf
