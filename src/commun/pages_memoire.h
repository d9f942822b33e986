// Ways of meeting memory sooner: large pages for a big new list, a list's fresh pages asked
// for a little ahead of its writes, and memory asked for ahead of a reading.
#pragma once

#include <cstdint>

// Large pages for a new list where the system offers them on request: one fault and one
// clearing per 2 MB instead of 512 faults.
void grandesPages(const void* debut, const void* fin);
// The same for the whole reserved storage of a std::vector.
template <class Liste>
void grandesPagesDe(const Liste& liste) {
    grandesPages(liste.data(), liste.data() + liste.capacity());
}

// The memory `distance` bytes after p asked for ahead, for reading (or writing). A text in
// memory may run over pages scattered in memory, and the hardware does not fetch past a
// page's end.
constexpr uintptr_t DISTANCE_LECTURE = 16384;
inline __attribute__((always_inline)) void demandeAvant(const void* p,
                                                        uintptr_t distance = DISTANCE_LECTURE) {
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(p) + distance));
}
inline __attribute__((always_inline)) void demandeAvantEcriture(const void* p, uintptr_t distance) {
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(p) + distance), 1);
}

// Asks for a list's fresh pages a little ahead of its writes, on the writing thread: the
// system clears each 2 MB once asked, and the writes that follow find the lines in the cache
// instead of reading them back from memory.
class PagesEnAvance {
public:
    // The list's reserved storage.
    void zone(const void* debut, const void* fin);
    // The list is about to write at p.
    void ecrit(const void* p) {
        demandeAvantEcriture(p, 2048);
        if (reinterpret_cast<uintptr_t>(p) >= seuil_) avance();
    }

private:
    void avance();
    uintptr_t seuil_ = UINTPTR_MAX;  // UINTPTR_MAX: nothing to ask for
    uintptr_t prochain_ = 0, fin_ = 0;
};
