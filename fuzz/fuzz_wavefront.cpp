// The Wavefront reader: each input is a geometry file read with wfLecture. Material
// libraries named in it are looked up among the test data. Whatever the input, the mesh
// returned must be drawable: every face a polygon of valid vertices, every corner's normal
// and texture index valid or -1, every material of a face kept alive by the mesh.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "commun.h"
#include "geometrie/wavefront.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    const std::string& fichier = fuzz::ecrit("entree.obj", data, taille);
    TableMateriaux materiaux;
    std::shared_ptr<Mesh> mesh = wfLecture(fichier.c_str(), materiaux);
    if (!mesh) std::abort();  // the file exists and has the right extension
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
