#include "geometrie/coins_face.h"

#include <memory>

size_t CoinsFace::capacite(int r) const {
    if (surLeTas()) return tas()->l[r].capacity();
    return virtuelle(r) ? n(r) : n(r) + PLACE - occupees();
}

void CoinsFace::retaille(int r, size_t m, int v) {
    if (surLeTas()) {
        tas()->l[r].resize(m, v);
        return;
    }
    if (virtuelle(r)) {
        // Still all -1: only the count changes.
        if ((v == -1 || m <= n(r)) && m <= VIRTUELLE_MAX) {
            n(r) = static_cast<uint8_t>(m);
            if (m == 0) etat_ &= static_cast<uint8_t>(~bit(r));
            return;
        }
        // The list gets its room: made real with no index, then grown with its -1s below.
        const size_t k = n(r);
        etat_ &= static_cast<uint8_t>(~bit(r));
        n(r) = 0;
        retaille(r, k, -1);
        retaille(r, m, v);
        return;
    }
    const size_t ancien = n(r);
    if (occupees() - ancien + m > PLACE) {
        versLeTas();
        tas()->l[r].resize(m, v);
        return;
    }
    // The lists after this one move to make or take back its room.
    int* const liste = mots_ + debut(r);
    const size_t suite = occupees() - debut(r) - ancien;
    std::memmove(liste + m, liste + ancien, suite * sizeof(int));
    for (size_t i = ancien; i < m; ++i) liste[i] = v;
    n(r) = static_cast<uint8_t>(m);
}

void CoinsFace::assigne(int r, const int* d, const int* f) {
    // The values may lie in this very face: copied first.
    const size_t m = static_cast<size_t>(f - d);
    int pile[PLACE];
    std::vector<int> grande;
    const int* source = pile;
    if (m <= PLACE) {
        std::copy(d, f, pile);
    } else {
        grande.assign(d, f);
        source = grande.data();
    }
    if (surLeTas()) {
        tas()->l[r].assign(source, source + m);
        return;
    }
    retaille(r, 0, 0);
    if (r != 0 && m <= VIRTUELLE_MAX &&
        std::all_of(source, source + m, [](int i) { return i == -1; })) {
        n(r) = static_cast<uint8_t>(m);
        if (m > 0) etat_ |= bit(r);
        return;
    }
    retaille(r, m, 0);
    std::copy(source, source + m, ecrit(r));
}

void CoinsFace::reserve(int r, size_t m) {
    if (!surLeTas() && m > PLACE) versLeTas();
    if (surLeTas()) tas()->l[r].reserve(m);
}

void CoinsFace::ajuste(int r) {
    if (surLeTas()) tas()->l[r].shrink_to_fit();
}

int* CoinsFace::ecritLent(int r) {
    if (!surLeTas()) {
        // A list of -1 is given its room (which may send the face to the heap).
        const size_t k = n(r);
        etat_ &= static_cast<uint8_t>(~bit(r));
        n(r) = 0;
        retaille(r, k, -1);
    }
    if (surLeTas()) return tas()->l[r].data();
    return mots_ + debut(r);
}

void CoinsFace::versLeTas() {
    auto l = std::make_unique<ListesTas>();
    for (int r = 0; r < 3; ++r) l->l[r].assign(lit(r), lit(r) + taille(r));
    versLeTas(l.release());
}

void CoinsFace::versLeTas(ListesTas* t) {
    blocsSurLeTas_.fetch_add(1, std::memory_order_relaxed);
    std::memcpy(mots_, &t, sizeof t);
    for (int r = 0; r < 3; ++r) n(r) = 0;
    etat_ = SUR_TAS;
}

void CoinsFace::copie(const CoinsFace& a) {
    if (a.surLeTas()) {
        versLeTas(new ListesTas(*a.tas()));
        return;
    }
    std::memcpy(mots_, a.mots_, sizeof mots_);
    for (int r = 0; r < 3; ++r) n(r) = a.n(r);
    etat_ = a.etat_;
}

void CoinsFace::libere() {
    if (surLeTas()) {
        delete tas();
        blocsSurLeTas_.fetch_sub(1, std::memory_order_relaxed);
    }
    for (int r = 0; r < 3; ++r) n(r) = 0;
    etat_ = 0;
}
