// The interpreter's reading of the command line: window options at once, then the scene.
#include <GL/freeglut.h>

#include "commun/console.h"
#include "app/fenetre.h"
#include "app/ligne_commande.h"
#include "scene/scene.h"
#include "script/script.h"

int Script::lireLigneCommande(int argc, char** argv) {
    const LigneCommande lc = analyseLigneCommande(argc, argv);
    if (fenetrePrincipale != 0) {
        if (lc.pleinEcran) glutFullScreen();
        // A zero or negative size (missing or malformed values) would be refused by the
        // window system: the window keeps its size.
        if (lc.redimensionne && lc.largeur > 0 && lc.hauteur > 0) glutReshapeWindow(lc.largeur, lc.hauteur);
    }
    vide();
    if (lc.carteOmbre) scene->tailleCarteOmbre = lc.tailleCarteOmbre;
    if (!lc.fichier.empty() && charge(lc.fichier.c_str()) != 0) {
        console.trace("Impossible de lire le fichier scène !");
        return 3;
    }
    return 0;
}
