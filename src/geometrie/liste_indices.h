// A list of indices with the interface of std::vector<int>, holding up to four in place.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "geometrie/interface_liste.h"

// A list of corner indices with the interface of std::vector<int>: what a face's list is
// copied into, and where a face keeps its lists once they no longer fit in it. Up to four
// indices are stored inside the object itself; longer lists go to the heap. 20 bytes: the
// count (its high bit set while on the heap) and four words that hold the indices, or the
// heap block's address and capacity.
class ListeIndices : public InterfaceListe<ListeIndices> {
public:
    static constexpr const char* HORS_LISTE = "ListeIndices::at: indice invalide";

    ListeIndices() {}
    ListeIndices(std::initializer_list<int> valeurs) { assign(valeurs.begin(), valeurs.end()); }
    ListeIndices(const std::vector<int>& valeurs) {
        assign(valeurs.data(), valeurs.data() + valeurs.size());
    }
    ListeIndices(const ListeIndices& autre) { assign(autre.begin(), autre.end()); }
    ListeIndices(ListeIndices&& autre) noexcept { prend(autre); }
    ListeIndices& operator=(const ListeIndices& autre) {
        if (this != &autre) assign(autre.begin(), autre.end());
        return *this;
    }
    ListeIndices& operator=(ListeIndices&& autre) noexcept {
        if (this != &autre) {
            libere();
            prend(autre);
        }
        return *this;
    }
    ListeIndices& operator=(std::initializer_list<int> valeurs) {
        assign(valeurs.begin(), valeurs.end());
        return *this;
    }
    // Freeing a mesh's faces need not look at each list while no list in the program is on
    // the heap (faces of up to four corners): the lists stay out of the cache.
    ~ListeIndices() {
        if (blocsSurLeTas_.load(std::memory_order_relaxed) != 0 && surLeTas()) libereBloc(tas());
    }

    size_t size() const { return taille_ & ~SUR_TAS; }
    size_t capacity() const { return surLeTas() ? static_cast<uint32_t>(mots_[2]) : INTERNE; }
    int* data() { return surLeTas() ? tas() : mots_; }
    const int* data() const { return surLeTas() ? tas() : mots_; }

    void reserve(size_t n) {
        if (n > capacity()) agrandit(n);
    }
    void push_back(int v) {
        const size_t n = size();
        if (n == capacity()) agrandit(2 * n);
        data()[n] = v;
        ++taille_;
    }
    // The n <= 4 values at v (4 readable) into a list just made, which holds them in place.
    void poseCourte(const int* v, int n) {
        std::memcpy(mots_, v, sizeof mots_);
        taille_ = static_cast<uint32_t>(n);
    }
    void pop_back() { --taille_; }
    void clear() { taille_ &= SUR_TAS; }
    void resize(size_t n, int v = 0);
    void assign(size_t n, int v);
    void assign(const int* debut, const int* fin);
    void shrink_to_fit();

    friend bool operator==(const ListeIndices& a, const ListeIndices& b);
    friend bool operator!=(const ListeIndices& a, const ListeIndices& b) { return !(a == b); }

private:
    static constexpr uint32_t INTERNE = 4, SUR_TAS = 0x80000000u;
    bool surLeTas() const { return (taille_ & SUR_TAS) != 0; }
    int* tas() const {
        int* p;
        std::memcpy(&p, mots_, sizeof p);
        return p;
    }
    void poseTas(int* p, size_t capacite) {
        std::memcpy(mots_, &p, sizeof p);
        mots_[2] = static_cast<int>(static_cast<uint32_t>(capacite));
        taille_ |= SUR_TAS;
    }
    void agrandit(size_t n);
    void libere() {
        if (surLeTas()) libereBloc(tas());
        taille_ = 0;
    }
    // Every heap block goes through these two, which keep the count of live blocks.
    static int* nouveauBloc(size_t n) {
        int* p = new int[n];
        blocsSurLeTas_.fetch_add(1, std::memory_order_relaxed);
        return p;
    }
    static void libereBloc(int* p) {
        delete[] p;
        blocsSurLeTas_.fetch_sub(1, std::memory_order_relaxed);
    }
    // A block's count is raised before its list can be handed to another thread and lowered
    // after its last use, so a list on the heap always sees a count of at least one.
    static inline std::atomic<long> blocsSurLeTas_{0};
    void prend(ListeIndices& autre) noexcept {
        taille_ = autre.taille_;
        std::memcpy(mots_, autre.mots_, sizeof mots_);
        autre.taille_ = 0;
    }

    uint32_t taille_ = 0;
    int mots_[INTERNE];
};
