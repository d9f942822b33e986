#include "geometrie/liste_indices.h"

#include <algorithm>
#include <stdexcept>

void ListeIndices::agrandit(size_t n) {
    if (n >= SUR_TAS) throw std::length_error("ListeIndices: trop d'indices");
    n = std::max<size_t>(n, INTERNE + 1);
    int* nouveau = nouveauBloc(n);
    const uint32_t taille = static_cast<uint32_t>(size());
    std::copy(begin(), end(), nouveau);
    libere();
    poseTas(nouveau, n);
    taille_ |= taille;
}

void ListeIndices::resize(size_t n, int v) {
    reserve(n);
    for (size_t i = size(); i < n; ++i) data()[i] = v;
    taille_ = (taille_ & SUR_TAS) | static_cast<uint32_t>(n);
}

void ListeIndices::assign(size_t n, int v) {
    clear();
    resize(n, v);
}

void ListeIndices::assign(const int* debut, const int* fin) {
    const size_t n = static_cast<size_t>(fin - debut);
    clear();
    reserve(n);
    std::copy(debut, fin, data());
    taille_ = (taille_ & SUR_TAS) | static_cast<uint32_t>(n);
}

void ListeIndices::shrink_to_fit() {
    if (!surLeTas() || size() == capacity()) return;
    ListeIndices copie(*this);
    *this = std::move(copie);
}

bool operator==(const ListeIndices& a, const ListeIndices& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}
