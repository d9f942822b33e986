#include "commun/pages_memoire.h"

#include <sys/mman.h>

#include <algorithm>

void grandesPages(const void* debut, const void* fin) {
    const uintptr_t page = 4096;
    const uintptr_t a = reinterpret_cast<uintptr_t>(debut) & ~(page - 1);
    const uintptr_t b = reinterpret_cast<uintptr_t>(fin);
    if (b > a + (uintptr_t(2) << 20)) madvise(reinterpret_cast<void*>(a), b - a, MADV_HUGEPAGE);
}

namespace {
constexpr uintptr_t PAS = uintptr_t(2) << 20;
#ifndef MADV_POPULATE_WRITE
constexpr int MADV_POPULATE_WRITE = 23;
#endif
}  // namespace

void PagesEnAvance::zone(const void* debut, const void* fin) {
    prochain_ = reinterpret_cast<uintptr_t>(debut) & ~uintptr_t(4095);
    fin_ = reinterpret_cast<uintptr_t>(fin);
    // Small lists are left to the usual faults.
    seuil_ = fin_ > prochain_ + 2 * PAS ? prochain_ : UINTPTR_MAX;
}

void PagesEnAvance::avance() {
    // Up to the next 2 MB boundary, so that the system can give large pages.
    const uintptr_t suivant = std::min((prochain_ + PAS) & ~(PAS - 1), fin_);
    if (madvise(reinterpret_cast<void*>(prochain_), suivant - prochain_, MADV_POPULATE_WRITE) !=
            0 ||
        suivant >= fin_) {
        seuil_ = UINTPTR_MAX;  // refused (an older system) or done: the faults do the rest
        return;
    }
    prochain_ = suivant;
    seuil_ = prochain_ - PAS / 2;
}
