// The interpreter's reading of the command line: the shadow-map size, then the scene. The
// window options of the same command line are applied by the program's start-up before.
// Both read it with analyseLigneCommande; a command line with a refused value never gets
// here, the start-up stops on it.
#include "app/ligne_commande.h"
#include "commun/console.h"
#include "scene/scene.h"
#include "script/script.h"

int Script::lireLigneCommande(int argc, char** argv) {
    const LigneCommande lc = analyseLigneCommande(argc, argv);
    vide();
    if (lc.carteOmbre) scene->tailleCarteOmbre = lc.tailleCarteOmbre;
    if (!lc.fichier.empty() && charge(lc.fichier.c_str()) != 0) {
        console.trace("Impossible de lire le fichier scène !");
        return 3;
    }
    return 0;
}
