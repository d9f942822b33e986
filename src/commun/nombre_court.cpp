#include "commun/nombre_court.h"

#include <charconv>

std::string nombreCourt(float v) {
    char tampon[32];
    const auto [fin, erreur] = std::to_chars(tampon, tampon + sizeof tampon, v);
    if (erreur != std::errc()) return "nan";
    return std::string(tampon, fin);
}
