// Loads one Wavefront file n times in this process and prints the CPU time of a load (best
// and median, ms), to compare two builds of the reader by alternating whole runs of this
// program. With WF_MEMOIRE_FRAICHE=1 every large block is mapped afresh, as in a program's
// first load: otherwise the allocator keeps freed blocks of up to 32 MB for the next load.
//
//   chargements_bench file.obj [n]
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "geometrie/wavefront.h"

namespace {
double cpuMs() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage : %s fichier.obj [chargements]\n", argv[0]);
        return 2;
    }
    if (std::getenv("WF_MEMOIRE_FRAICHE")) {
        mallopt(M_MMAP_THRESHOLD, 256 * 1024);
        mallopt(M_TRIM_THRESHOLD, 256 * 1024);
    }
    const int n = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    std::vector<double> temps;
    for (int i = 0; i < n; ++i) {
        const double t0 = cpuMs();
        {
            TableMateriaux materiaux;
            if (!wfLecture(argv[1], materiaux)) {
                std::fprintf(stderr, "%s : lecture impossible\n", argv[1]);
                return 1;
            }
        }
        temps.push_back(cpuMs() - t0);
    }
    std::sort(temps.begin(), temps.end());
    std::printf("%s : CPU d'un chargement, meilleur %.2f ms, médian %.2f ms\n", argv[1], temps[0],
                temps[temps.size() / 2]);
    return 0;
}
