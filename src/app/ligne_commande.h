// The program's command line: the scene options and the headless / capture modes.
#pragma once

#include <string>
#include <vector>

struct LigneCommande {
    std::string fichier;         // "-f": the scene file (a later one replaces an earlier one)
    bool pleinEcran = false;     // "-fullscreen"
    bool redimensionne = false;  // "-res w h"
    int largeur = 0, hauteur = 0;
    bool carteOmbre = false;     // "-shadowmap n"
    int tailleCarteOmbre = 512;  // 2^n, n clamped to [4, 10]
    // Modes beyond the scene options.
    bool verification = false;   // "-check": load without a window
    std::string fichierDump;     // "-dump FILE": JSON description of the scene at exit
    float simulation = 0;        // "-simule S": seconds of simulated time before the dump
    std::string fichierCapture;  // "-capture FILE.png": render once, save, exit
    int imagesBench = 0;         // "-bench N": render N frames and print timings
    bool immediat = false;       // "-immediat": meshes, floor and grids without display lists
    bool listes = false;         // "-listes": meshes from display lists, not vertex buffers
    // "-fps N": frames per second at most while something moves; 0 for no limit.
    int imagesParSeconde = 60;
    // "-surveille": the scene reloads by itself when one of its files changes.
    bool surveille = false;
    // "-trace FILE.csv": a CSV row per animation step for the driven robot.
    std::string fichierTrace;
    // "-sanspanneaux": both panels hidden from the start, as `h` hides them.
    bool sansPanneaux = false;
    bool aide = false;  // "-h"
    // One message per refused value ("-fps : valeur « 2.5 » refusée ..."); the program
    // prints them and stops with the status 2.
    std::vector<std::string> erreurs;
};

// Reads the arguments argv[1..argc-1] one by one; an argument is never cut. An option's value
// is the next argument, or is joined to the option: "-f=scene.txt", "-f(scene.txt)". "-res"
// takes "LxH" or "L H". Numbers are read whole and checked; unknown arguments are skipped.
LigneCommande analyseLigneCommande(int argc, char** argv);

// Prints the usage on standard output.
void afficheUsage();
