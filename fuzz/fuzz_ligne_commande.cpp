// The command line: the input's NUL bytes cut it into arguments, read with
// analyseLigneCommande. Whatever it holds, the shadow-map size is a power of two in
// [16, 1024] and an accepted number is in its range. The input's first four arguments,
// blanks, line ends and parentheses included, are then given as paths to the four path
// options, as separate arguments ("-f P") and joined ("-f=P", "-f(P)"): each must come back
// whole.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ligne_commande.h"

namespace {
LigneCommande lit(std::vector<std::string> morceaux) {
    morceaux.insert(morceaux.begin(), "brakmor");
    std::vector<char*> argv;
    for (std::string& m : morceaux) argv.push_back(m.data());
    argv.push_back(nullptr);
    return analyseLigneCommande(static_cast<int>(morceaux.size()), argv.data());
}

void verifie(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    std::vector<std::string> morceaux;
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

    const LigneCommande lc = lit(morceaux);
    const int t = lc.tailleCarteOmbre;
    verifie(t >= 16 && t <= 1024 && (t & (t - 1)) == 0);
    verifie(lc.imagesParSeconde >= 0);
    verifie(lc.imagesBench >= 0 && lc.imagesBench <= 1000000);
    verifie(std::isfinite(lc.simulation) && lc.simulation >= 0);
    verifie(!lc.redimensionne || (lc.largeur > 0 && lc.hauteur > 0));

    // Paths: the first four arguments (empty when the input has fewer).
    morceaux.resize(std::max<size_t>(morceaux.size(), 4));
    const std::string p[4] = {morceaux[0], morceaux[1], morceaux[2], morceaux[3]};
    const LigneCommande separes =
        lit({"-f", p[0], "-dump", p[1], "-trace", p[2], "-capture", p[3]});
    verifie(separes.fichier == p[0] && separes.fichierDump == p[1] &&
            separes.fichierTrace == p[2] && separes.fichierCapture == p[3]);
    verifie(separes.erreurs.empty() && !separes.verification && !separes.redimensionne);
    const LigneCommande joints =
        lit({"-f=" + p[0], "-dump(" + p[1] + ")", "-trace=" + p[2], "-capture(" + p[3] + ")"});
    verifie(joints.fichier == p[0] && joints.fichierDump == p[1] && joints.fichierTrace == p[2] &&
            joints.fichierCapture == p[3]);
    return 0;
}
