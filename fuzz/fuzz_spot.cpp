// The projector's spot image: each input is a "spot.tga" read with lireSpotTga. The image
// is always 256 x 256 RGB: the bytes after the 18-byte header as they are, white beyond.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "commun.h"
#include "scene/scene.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    const std::string& fichier = fuzz::ecrit("entree.tga", data, taille);
    const std::vector<unsigned char> image = lireSpotTga(fichier.c_str());
    const size_t attendue = static_cast<size_t>(TAILLE_SPOT) * TAILLE_SPOT * 3;
    if (image.size() != attendue) std::abort();
    static const std::vector<unsigned char> blanc(attendue, 255);
    const size_t copies = taille > 18 ? std::min(taille - 18, attendue) : 0;
    if (copies && std::memcmp(image.data(), data + 18, copies) != 0) std::abort();
    if (std::memcmp(image.data() + copies, blanc.data(), attendue - copies) != 0) std::abort();
    return 0;
}
