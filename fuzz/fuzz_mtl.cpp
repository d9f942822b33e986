// The material-library reader: each input is a library read with mtlLecture into an
// empty table, then again into the table it filled (a second library of a geometry file).
#include <cstdint>
#include <cstdlib>

#include "commun.h"
#include "geometrie/wavefront.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    const std::string& fichier = fuzz::ecrit("entree.mtl", data, taille);
    TableMateriaux table;
    if (!mtlLecture(table, fichier.c_str())) std::abort();
    const size_t n = table.size();
    if (!mtlLecture(table, fichier.c_str()) || table.size() != n) std::abort();
    for (const auto& entree : table)
        if (!entree.second) std::abort();
    return 0;
}
