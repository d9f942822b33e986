// The three corner lists of a face (vertex, normal and texture-coordinate indices) in 40
// bytes, each with the interface of std::vector<int> that faces have always offered.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "geometrie/interface_liste.h"
#include "geometrie/liste_indices.h"

class CoinsFace;

namespace detailCoins {
// What a list of -1 that takes no room reads.
template <size_t N>
constexpr std::array<int, N> moinsUn() {
    std::array<int, N> t{};
    for (int& v : t) v = -1;
    return t;
}
}  // namespace detailCoins

// One of a face's lists: R = 0 vertices, 1 normals, 2 texture coordinates. The object is
// the list's one-byte count inside its CoinsFace, which holds the indices, so a list is not
// copied on its own: copy it into a ListeIndices or a std::vector<int>. As with vectors,
// a pointer into the list stays valid until the list changes; unlike them, making room in
// one list of a face may move the face's other lists (see CoinsFace).
template <int R>
class ListeCoins : public InterfaceListe<ListeCoins<R>> {
public:
    static constexpr const char* HORS_LISTE = "ListeCoins::at: indice invalide";

    ListeCoins() {}
    ListeCoins(const ListeCoins&) = delete;
    ListeCoins& operator=(const ListeCoins& l) { return affecte(l); }
    template <class L>
    ListeCoins& operator=(const L& l) {
        return affecte(l);
    }
    ListeCoins& operator=(std::initializer_list<int> l) { return affecte(l); }

    inline size_t size() const;
    inline size_t capacity() const;
    inline const int* data() const;
    inline int* data();

    inline void reserve(size_t n);
    inline void push_back(int v);
    void emplace_back(int v) { push_back(v); }
    inline void pop_back();
    inline void clear();
    inline void resize(size_t n, int v = 0);
    void assign(size_t n, int v) {
        clear();
        resize(n, v);
    }
    inline void assign(const int* debut, const int* fin);
    inline void shrink_to_fit();

    operator ListeIndices() const {
        ListeIndices l;
        l.assign(this->begin(), this->end());
        return l;
    }

private:
    friend class CoinsFace;
    template <class L>
    ListeCoins& affecte(const L& l) {
        const int* d = std::data(l);
        assign(d, d + std::size(l));
        return *this;
    }
    inline CoinsFace& face();
    inline const CoinsFace& face() const;

    uint8_t n_ = 0;  // the list's length while the face's indices are in place
};

template <int R, class L>
bool operator==(const ListeCoins<R>& a, const L& b) {
    return a.size() == std::size(b) && std::equal(a.begin(), a.end(), std::begin(b));
}
template <int R>
bool operator==(const ListeIndices& a, const ListeCoins<R>& b) {
    return b == a;
}
template <int R>
bool operator==(const std::vector<int>& a, const ListeCoins<R>& b) {
    return b == a;
}
template <int R, class L>
bool operator!=(const ListeCoins<R>& a, const L& b) {
    return !(a == b);
}

// The storage of a face's three lists. Nearly every face of a real mesh fits in place:
// nine indices hold the three lists one after the other (a triangle with vertices, normals
// and texture coordinates, or a quadrilateral with two of them), and a normal or
// texture-coordinate list whose every index is -1 ("none") takes no room at all, only its
// count. A face whose indices do not fit moves its lists, all three, to one heap block of
// three ListeIndices. So growing or writing into one list (which gives a list of -1 its
// room) may move the lists after it, or all of them.
//
// Every data member is public only so that a list can find its face from its own address
// (the class must have a standard layout); use the lists, not these members.
class CoinsFace {
public:
    static constexpr size_t PLACE = 9;
    static constexpr uint8_t SUR_TAS = 0x80;
    // The most corners a list of -1 counts in place.
    static constexpr size_t VIRTUELLE_MAX = 255;

    int mots_[PLACE];  // the indices in place, or the heap block's address
    ListeCoins<0> sommets;
    ListeCoins<1> normales;
    ListeCoins<2> texCoords;
    uint8_t etat_ = 0;  // SUR_TAS, or bit r: list r is all -1 and takes no room

    CoinsFace() {}
    CoinsFace(const CoinsFace& a) { copie(a); }
    CoinsFace(CoinsFace&& a) noexcept { prend(a); }
    // Copy and move alike: `a` is the copy or the face moved from.
    CoinsFace& operator=(CoinsFace a) noexcept {
        libere();
        prend(a);
        return *this;
    }
    // Freeing many faces need not look at each while no face's lists are on the heap.
    ~CoinsFace() {
        if (blocsSurLeTas_.load(std::memory_order_relaxed) != 0 && surLeTas()) libere();
    }

    // A face just made gets its n <= 4 corners at once (each array 4 readable), as the
    // Wavefront reader reads them. Normals of -1 keep their room when the face has it, since
    // the smoothing will fill them.
    inline void poseCoins(const int* s, const int* nn, const int* t, int n);

    // What the lists forward to; r is the list's number.
    size_t taille(int r) const { return surLeTas() ? tas()->l[r].size() : n(r); }
    const int* lit(int r) const {
        if (surLeTas()) return tas()->l[r].data();
        if (virtuelle(r)) return MOINS_UN.data();
        return mots_ + debut(r);
    }
    int* ecrit(int r) {
        if ((etat_ & (SUR_TAS | bit(r))) == 0) return mots_ + debut(r);
        // A list of -1 with no list in place after it gets its room at the end of the
        // others, nothing moved (the smoothing's case, with a face just read).
        if (!surLeTas() && (r == 2 || enPlace(2) == 0) && occupees() + n(r) <= PLACE) {
            int* const liste = mots_ + occupees();
            const size_t k = n(r);
            for (size_t i = 0; i < k; ++i) liste[i] = -1;
            etat_ &= static_cast<uint8_t>(~bit(r));
            return liste;
        }
        return ecritLent(r);
    }
    size_t capacite(int r) const;
    void retaille(int r, size_t m, int v);
    void assigne(int r, const int* d, const int* f);
    void reserve(int r, size_t m);
    void ajuste(int r);

private:
    struct ListesTas {
        ListeIndices l[3];
    };
    static constexpr std::array<int, VIRTUELLE_MAX> MOINS_UN =
        detailCoins::moinsUn<VIRTUELLE_MAX>();

    static constexpr uint8_t bit(int r) { return static_cast<uint8_t>(r == 0 ? 0 : 1 << r); }
    bool surLeTas() const { return (etat_ & SUR_TAS) != 0; }
    bool virtuelle(int r) const { return (etat_ & bit(r)) != 0; }
    uint8_t& n(int r) { return r == 0 ? sommets.n_ : r == 1 ? normales.n_ : texCoords.n_; }
    uint8_t n(int r) const { return r == 0 ? sommets.n_ : r == 1 ? normales.n_ : texCoords.n_; }
    // Indices list r holds in place (none for a list of -1).
    size_t enPlace(int r) const { return virtuelle(r) ? 0 : n(r); }
    size_t debut(int r) const { return r == 0 ? 0 : r == 1 ? enPlace(0) : enPlace(0) + enPlace(1); }
    size_t occupees() const { return enPlace(0) + enPlace(1) + enPlace(2); }
    ListesTas* tas() const {
        ListesTas* p;
        std::memcpy(&p, mots_, sizeof p);
        return p;
    }
    int* ecritLent(int r);
    void versLeTas();
    void versLeTas(ListesTas* t);
    void copie(const CoinsFace& a);
    void prend(CoinsFace& a) noexcept {
        std::memcpy(mots_, a.mots_, sizeof mots_);
        for (int r = 0; r < 3; ++r) n(r) = a.n(r);
        etat_ = a.etat_;
        a.etat_ = 0;
        for (int r = 0; r < 3; ++r) a.n(r) = 0;
    }
    void libere();
    static inline std::atomic<long> blocsSurLeTas_{0};
};

void CoinsFace::poseCoins(const int* s, const int* nn, const int* t, int k) {
    // A list is all -1 when the AND of its indices is.
    auto aucun = [k](const int* v) { return (v[0] & v[1] & v[2] & (k > 3 ? v[3] : -1)) == -1; };
    const bool sansT = aucun(t), sansN = static_cast<size_t>(k) * (2 + !sansT) > PLACE && aucun(nn);
    const size_t total = static_cast<size_t>(k) * (1 + !sansN + !sansT);
    if (total > PLACE) {
        ListesTas* l = new ListesTas;
        l->l[0].poseCourte(s, k);
        l->l[1].poseCourte(nn, k);
        l->l[2].poseCourte(t, k);
        versLeTas(l);
        return;
    }
    // Four indices copied for each list but the last (k <= 4, so within the nine).
    std::memcpy(mots_, s, 4 * sizeof(int));
    int* p = mots_ + k;
    if (!sansN) {
        std::memcpy(p, nn, 4 * sizeof(int));
        p += k;
    }
    if (!sansT) std::memcpy(p, t, static_cast<size_t>(k) * sizeof(int));
    const uint8_t c = static_cast<uint8_t>(k);
    sommets.n_ = normales.n_ = texCoords.n_ = c;
    etat_ = static_cast<uint8_t>((sansN ? bit(1) : 0) | (sansT ? bit(2) : 0));
}

template <int R>
CoinsFace& ListeCoins<R>::face() {
    return *reinterpret_cast<CoinsFace*>(reinterpret_cast<char*>(this) -
                                         offsetof(CoinsFace, sommets) - R);
}
template <int R>
const CoinsFace& ListeCoins<R>::face() const {
    return *reinterpret_cast<const CoinsFace*>(reinterpret_cast<const char*>(this) -
                                               offsetof(CoinsFace, sommets) - R);
}
template <int R>
size_t ListeCoins<R>::size() const {
    return face().taille(R);
}
template <int R>
size_t ListeCoins<R>::capacity() const {
    return face().capacite(R);
}
template <int R>
const int* ListeCoins<R>::data() const {
    return face().lit(R);
}
template <int R>
int* ListeCoins<R>::data() {
    return face().ecrit(R);
}
template <int R>
void ListeCoins<R>::reserve(size_t n) {
    face().reserve(R, n);
}
template <int R>
void ListeCoins<R>::push_back(int v) {
    face().retaille(R, size() + 1, v);
}
template <int R>
void ListeCoins<R>::pop_back() {
    face().retaille(R, size() - 1, 0);
}
template <int R>
void ListeCoins<R>::clear() {
    face().retaille(R, 0, 0);
}
template <int R>
void ListeCoins<R>::resize(size_t n, int v) {
    face().retaille(R, n, v);
}
template <int R>
void ListeCoins<R>::assign(const int* debut, const int* fin) {
    face().assigne(R, debut, fin);
}
template <int R>
void ListeCoins<R>::shrink_to_fit() {
    face().ajuste(R);
}

static_assert(offsetof(CoinsFace, normales) == offsetof(CoinsFace, sommets) + 1 &&
                  offsetof(CoinsFace, texCoords) == offsetof(CoinsFace, sommets) + 2,
              "a face's lists find their face from their own place");
static_assert(sizeof(CoinsFace) == 40, "a face's corners take 40 bytes");
