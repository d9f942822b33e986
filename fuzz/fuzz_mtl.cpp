// The material-library reader: each input is a library read with mtlLecture into an
// empty table, then again into the table it filled (a second library of a geometry file);
// only a library in UTF-16 may be refused.
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
    const std::string& fichier = fuzz::ecrit("entree.mtl", data, taille);
    TableMateriaux table;
    // Only a library in UTF-16 is refused as a whole.
    if (!mtlLecture(table, fichier.c_str())) {
        std::size_t marque = 0;
        const std::string_view debut(reinterpret_cast<const char*>(data),
                                     taille < 4096 ? taille : 4096);
        if (texte::detecteUtf16(debut, marque) == texte::Utf16::Non) std::abort();
        return 0;
    }
    const size_t n = table.size();
    if (!mtlLecture(table, fichier.c_str()) || table.size() != n) std::abort();
    for (const auto& entree : table)
        if (!entree.second) std::abort();
    return 0;
}
