// The command line: the input's NUL bytes cut it into arguments, read with
// analyseLigneCommande. The shadow-map size must always be a power of two in [16, 1024].
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ligne_commande.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    std::vector<std::string> morceaux{"brakmor"};
    std::string courant;
    for (size_t i = 0; i < taille; ++i) {
        if (data[i] == 0) {
            morceaux.push_back(courant);
            courant.clear();
        } else {
            courant += static_cast<char>(data[i]);
        }
    }
    if (taille) morceaux.push_back(courant);
    std::vector<char*> argv;
    for (std::string& m : morceaux) argv.push_back(m.data());
    argv.push_back(nullptr);
    const LigneCommande lc = analyseLigneCommande(static_cast<int>(morceaux.size()), argv.data());
    const int t = lc.tailleCarteOmbre;
    if (t < 16 || t > 1024 || (t & (t - 1)) != 0) std::abort();
    return 0;
}
