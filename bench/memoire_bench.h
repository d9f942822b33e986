// What the two loading benchmarks share: the process's CPU time, and the way the allocator
// gives a load its memory.
#pragma once

#include <malloc.h>

#include <ctime>

// CPU time of the process (every thread), in seconds.
inline double cpuSecondes() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Left alone, the allocator keeps freed blocks of up to 32 MB for the next load and maps
// larger ones afresh each time, which the system clears page by page: a reader whose largest
// list passes 32 MB pays that at every load, one whose lists stay below it does not. The
// two ways below treat every reader alike.
enum class ModeMemoire {
    neuve,      // every block of 256 KB or more mapped afresh, as in a program's first load
    reutilisee  // every freed block kept for the next load, whatever its size
};

inline void regleMemoire(ModeMemoire m) {
    const int seuil = m == ModeMemoire::neuve ? 256 * 1024 : 1 << 30;
    mallopt(M_MMAP_THRESHOLD, seuil);
    mallopt(M_TRIM_THRESHOLD, seuil);
}
