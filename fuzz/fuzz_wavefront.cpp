// The Wavefront reader: each input is a geometry file read with wfLecture. Material
// libraries named in it are looked up among the test data. Whatever the input, the mesh
// returned must be drawable (a file in UTF-16 is refused whole): every face a polygon of valid
// vertices, every corner's normal and texture index valid or -1, every material of a face kept
// alive by the mesh.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "commun.h"
#include "commun/texte.h"
#include "geometrie/wavefront.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    const std::string& fichier = fuzz::ecrit("entree.obj", data, taille);
    TableMateriaux materiaux;
    std::shared_ptr<Mesh> mesh = wfLecture(fichier.c_str(), materiaux);
    // The file exists and has the right extension: only a file in UTF-16 is refused.
    if (!mesh) {
        std::size_t marque = 0;
        const std::string_view debut(reinterpret_cast<const char*>(data),
                                     taille < 4096 ? taille : 4096);
        if (texte::detecteUtf16(debut, marque) == texte::Utf16::Non) std::abort();
        return 0;
    }
    for (const Face& f : mesh->faces) {
        if (!mesh->faceValide(f)) std::abort();
        for (int k = 0; k < f.nbCoins(); ++k) {
            const int n = f.normaleCoin(k), t = f.texCoordCoin(k);
            if (n < -1 || n >= mesh->nbNormales()) std::abort();
            if (t < -1 || t >= mesh->nbTexCoords()) std::abort();
        }
        if (f.material && std::none_of(mesh->materiauxTenus.begin(), mesh->materiauxTenus.end(),
                                       [&](const auto& m) { return m.get() == f.material; }))
            std::abort();
    }
    return 0;
}
