// Loads one Wavefront file n times in this process and prints the CPU time of a load (best
// and median, ms), to compare two builds of the reader by alternating whole runs of this
// program. With WF_MEMOIRE_FRAICHE=1 every large block is mapped afresh, as in a program's
// first load; otherwise every freed block is kept for the next load.
//
//   chargements_bench file.obj [n]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "geometrie/wavefront.h"
#include "memoire_bench.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage : %s fichier.obj [chargements]\n", argv[0]);
        return 2;
    }
    regleMemoire(std::getenv("WF_MEMOIRE_FRAICHE") ? ModeMemoire::neuve : ModeMemoire::reutilisee);
    const int n = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    std::vector<double> temps;
    for (int i = 0; i < n; ++i) {
        const double t0 = cpuSecondes();
        {
            TableMateriaux materiaux;
            if (!wfLecture(argv[1], materiaux)) {
                std::fprintf(stderr, "%s : lecture impossible\n", argv[1]);
                return 1;
            }
        }
        temps.push_back((cpuSecondes() - t0) * 1e3);
    }
    std::sort(temps.begin(), temps.end());
    std::printf("%s : CPU d'un chargement, meilleur %.2f ms, médian %.2f ms\n", argv[1], temps[0],
                temps[temps.size() / 2]);
    return 0;
}
