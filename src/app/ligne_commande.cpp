#include "app/ligne_commande.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/aide.h"
#include "commun/console.h"
#include "script/chaine_curseur.h"

LigneCommande analyseLigneCommande(int argc, char** argv) {
    std::string texte;
    for (int i = 1; i < argc; ++i) {
        texte += argv[i];
        texte += ' ';
    }
    ChaineCurseur c(texte);
    LigneCommande lc;
    for (std::string jeton = c.jeton(SEPARATEURS, SEPARATEURS); !jeton.empty();
         jeton = c.jeton(SEPARATEURS, SEPARATEURS)) {
        if (jeton == "-f") {
            lc.fichier = c.jeton(SEPARATEURS, SEPARATEURS);
        } else if (jeton == "-fullscreen") {
            lc.pleinEcran = true;
        } else if (jeton == "-res") {
            lc.largeur = std::atoi(c.jeton(" \tx", " \tx").c_str());
            lc.hauteur = std::atoi(c.jeton("x \t", "x \t").c_str());
            lc.redimensionne = true;
        } else if (jeton == "-shadowmap") {
            int n = std::atoi(c.jeton(" \t", " \t").c_str());
            if (n < 4) n = 4;
            if (n > 10) n = 10;
            lc.carteOmbre = true;
            lc.tailleCarteOmbre = 1 << n;
        } else if (jeton == "-check") {
            lc.verification = true;
        } else if (jeton == "-dump") {
            lc.fichierDump = c.jeton(SEPARATEURS, SEPARATEURS);
        } else if (jeton == "-simule") {
            lc.simulation =
                static_cast<float>(std::atof(c.jeton(SEPARATEURS, SEPARATEURS).c_str()));
        } else if (jeton == "-capture") {
            lc.fichierCapture = c.jeton(SEPARATEURS, SEPARATEURS);
        } else if (jeton == "-bench") {
            lc.imagesBench = std::atoi(c.jeton(SEPARATEURS, SEPARATEURS).c_str());
        } else if (jeton == "-fps") {
            // A negative value, like 0, lifts the limit.
            lc.imagesParSeconde = std::max(0, std::atoi(c.jeton(SEPARATEURS, SEPARATEURS).c_str()));
        } else if (jeton == "-immediat") {
            lc.immediat = true;
        } else if (jeton == "-listes") {
            lc.listes = true;
        } else if (jeton == "-trace") {
            lc.fichierTrace = c.jeton(SEPARATEURS, SEPARATEURS);
        } else if (jeton == "-surveille") {
            lc.surveille = true;
        } else if (jeton == "-h" || jeton == "--help") {
            lc.aide = true;
        }
        // Anything else is skipped without a message.
    }
    return lc;
}

void afficheUsage() {
    console << "usage : brakmor [-f scene.txt] [-fullscreen] [-res LxH] [-shadowmap n]\n"
            << "                [-check] [-dump fichier.json] [-simule secondes]\n"
            << "                [-capture image.png] [-bench images] [-immediat] [-listes]\n"
            << "                [-fps n] [-surveille] [-trace fichier.csv] [-h]\n"
            << "  -f scene.txt       fichier de scène à charger\n"
            << "  -fullscreen        plein écran\n"
            << "  -res LxH           taille de la fenêtre (aussi -res L H)\n"
            << "  -shadowmap n       carte d'ombre de 2^n texels, n de 4 à 10 (défaut 9)\n"
            << "  -check             charge la scène sans fenêtre ; statut 0 si aucune erreur,\n"
            << "                     1 si une boîte d'erreur a été levée, 3 si le fichier est "
               "illisible,\n"
            << "                     4 si le dump n'a pas pu être écrit\n"
            << "  -dump f.json       écrit la description JSON de la scène à la sortie\n"
            << "  -simule s          avec -check ou -capture : anime s secondes (pas de 10 ms)\n"
            << "  -capture f.png     affiche la scène une fois, l'enregistre en PNG et quitte\n"
            << "  -bench n           affiche n images et donne les temps moyen et médian\n"
            << "  -immediat          dessine tout en mode immédiat, sans listes d'affichage\n"
            << "  -listes            dessine les meshes par listes d'affichage, sans tampons\n"
            << "                     de sommets\n"
            << "  -fps n             au plus n images par seconde quand la scène bouge\n"
            << "                     (défaut 60, 0 : sans limite)\n"
            << "  -surveille         recharge la scène quand son fichier, un fichier inclus,\n"
            << "                     un mesh ou une texture change (F5 la recharge toujours)\n"
            << "  -trace f.csv       écrit une ligne CSV par pas d'animation pour le robot piloté\n"
            << "                     (temps, articulations, poignet, objet tenu, commandes)\n"
            << "\n"
            << texteAide();
}
