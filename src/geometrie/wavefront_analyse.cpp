// The parsing core's functions that are not inline, and the cursor functions the tests use.
#include "geometrie/wavefront_analyse.h"

#include <algorithm>
#include <cstdlib>

namespace lectureWf {
namespace detail {

__attribute__((noinline)) bool Tampon::recharge(const char*& p, const char*& fin) {
    if (texte_) return rechargeTexte(p, fin);
    // The caller is done with [0, finBloc_): keep only the partial line after it.
    const size_t reste = charges_ - finBloc_;
    if (reste > 0 && finBloc_ > 0) std::memmove(donnees_.get(), donnees_.get() + finBloc_, reste);
    decalage_ += finBloc_;
    charges_ = reste;
    finBloc_ = 0;
    for (;;) {
        if (!finFichier_) {
            if (capacite_ - charges_ < BLOC / 4) {
                // A line longer than the room left: the buffer grows to hold it.
                const size_t capacite = std::max(2 * capacite_, BLOC);
                std::unique_ptr<char[]> nouveau(new char[capacite]);
                if (charges_) std::memcpy(nouveau.get(), donnees_.get(), charges_);
                donnees_ = std::move(nouveau);
                capacite_ = capacite;
            }
            const size_t n = std::fread(donnees_.get() + charges_, 1, capacite_ - charges_, f_);
            if (n == 0) {
                finFichier_ = true;
                erreur_ = std::ferror(f_) != 0;
            }
            charges_ += n;
        }
        const void* nl = charges_ ? memrchr(donnees_.get(), '\n', charges_) : nullptr;
        if (nl) {
            finBloc_ = static_cast<size_t>(static_cast<const char*>(nl) - donnees_.get()) + 1;
            break;
        }
        if (finFichier_) {
            finBloc_ = charges_;
            break;
        }
    }
    p = origine_ = donnees_.get();
    fin = p + finBloc_;
    return finBloc_ > 0;
}

bool Tampon::rechargeTexte(const char*& p, const char*& fin) {
    // 1. Up to the last line end, in place.
    if (etape_ == 0) {
        etape_ = 1;
        const void* nl = memrchr(texte_, '\n', tailleTexte_);
        finTexte_ = nl ? static_cast<size_t>(static_cast<const char*>(nl) - texte_) + 1 : 0;
        if (finTexte_ > 0) {
            origine_ = p = texte_;
            fin = p + finTexte_;
            return true;
        }
    }
    // 2. The last partial line, copied: readings stop at its end, not at the mapping's.
    if (etape_ == 1) {
        etape_ = 2;
        const size_t reste = static_cast<size_t>(tailleTexte_) - finTexte_;
        if (reste > 0) {
            donnees_.reset(new char[reste]);
            std::memcpy(donnees_.get(), texte_ + finTexte_, reste);
            origine_ = p = donnees_.get();
            fin = p + reste;
            decalage_ = finTexte_;
            return true;
        }
    }
    return false;
}

bool convertit(const char* debut, const char* fin, bool special, float& v) {
    if (!special) {
        const char* d = debut;
        if (d < fin && *d == '+') ++d;
        float x;
        const auto r = std::from_chars(d, fin, x);
        if (r.ec == std::errc()) {
            v = x;
            return true;
        }
        if (r.ec == std::errc::invalid_argument) return false;
    }
    const std::string copie(debut, fin);
    char* apres = nullptr;
    const float x = std::strtof(copie.c_str(), &apres);
    if (apres == copie.c_str()) return false;
    v = x;
    return true;
}

}  // namespace detail

using namespace detail;

namespace {

// Runs f on a fixed cursor standing for the public one, and moves the public one on.
template <class F>
auto surCurseur(Curseur& c, F&& f) {
    CurseurFixe fixe{c.p, c.fin, c.p};
    auto r = f(fixe);
    c.p = fixe.p;
    return r;
}

}  // namespace

bool jeton(Curseur& c, std::string_view& mot) {
    return surCurseur(c, [&](CurseurFixe& f) { return jetonT(f, mot); });
}
int entier(Curseur& c, int& v) {
    return surCurseur(c, [&](CurseurFixe& f) { return entierT(f, v); });
}
int flottant(Curseur& c, float& v) {
    return surCurseur(c, [&](CurseurFixe& f) { return flottantT(f, v); });
}
int flottants(Curseur& c, float* v, int n) {
    return surCurseur(c, [&](CurseurFixe& f) { return flottantsT(f, v, n); });
}
void finDeLigne(Curseur& c) {
    surCurseur(c, [&](CurseurFixe& f) {
        finDeLigneT(f);
        return 0;
    });
}

}  // namespace lectureWf
