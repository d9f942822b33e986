// The accessors of std::vector<int> for an index list class L that gives data() (const and
// not) and size(); L derives from InterfaceListe<L>.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <vector>

template <class L>
class InterfaceListe {
public:
    using value_type = int;
    using size_type = size_t;
    using iterator = int*;
    using const_iterator = const int*;

    bool empty() const { return liste().size() == 0; }
    int* begin() { return liste().data(); }
    int* end() { return liste().data() + liste().size(); }
    const int* begin() const { return liste().data(); }
    const int* end() const { return liste().data() + liste().size(); }
    int& operator[](size_t i) { return liste().data()[i]; }
    int operator[](size_t i) const { return liste().data()[i]; }
    int& at(size_t i) { return liste().data()[verifie(i)]; }
    int at(size_t i) const { return liste().data()[verifie(i)]; }
    int& front() { return liste().data()[0]; }
    int front() const { return liste().data()[0]; }
    int& back() { return liste().data()[liste().size() - 1]; }
    int back() const { return liste().data()[liste().size() - 1]; }

    operator std::vector<int>() const { return std::vector<int>(begin(), end()); }

private:
    L& liste() { return static_cast<L&>(*this); }
    const L& liste() const { return static_cast<const L&>(*this); }
    size_t verifie(size_t i) const {
        if (i >= liste().size()) throw std::out_of_range(L::HORS_LISTE);
        return i;
    }
};
