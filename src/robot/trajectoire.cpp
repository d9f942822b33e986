// The tool trail's ring of time-stamped points.
#include "robot/trajectoire.h"

#include <algorithm>
#include <cmath>

TrajectoireOutil::TrajectoireOutil(float duree, std::size_t capacite)
    : capacite_(capacite > 0 ? capacite : 1), duree_(duree) {}

void TrajectoireOutil::avanceTemps(float dt) {
    if (!std::isfinite(dt) || dt <= 0) return;
    temps_ += dt;
    age_ += dt;
    const double limite = temps_ - duree_;
    while (taille_ > 0 && anneau_[premier_].temps < limite) {
        premier_ = (premier_ + 1) % capacite_;
        --taille_;
    }
}

void TrajectoireOutil::vieillit(float dt) {
    if (std::isfinite(dt) && dt > 0) age_ += dt;
}

float TrajectoireOutil::fraicheur(const PointTrajectoire& p) const {
    if (!(duree_ > 0)) return 1.0f;
    return std::clamp(1.0f - static_cast<float>(age_ - p.instant) / duree_, 0.0f, 1.0f);
}

bool TrajectoireOutil::palit() const { return taille_ > 0 && fraicheur(point(taille_ - 1)) > 0; }

void TrajectoireOutil::ajoute(const CVecteur& avant, const CVecteur& apres, GenreMouvement genre) {
    if (avant == apres) return;
    const bool suite = taille_ > 0 && [&] {
        const PointTrajectoire& d = point(taille_ - 1);
        return d.x == avant.x && d.y == avant.y && d.z == avant.z;
    }();
    if (!suite) {
        PointTrajectoire p;
        p.x = avant.x;
        p.y = avant.y;
        p.z = avant.z;
        p.temps = temps_;
        p.instant = age_;
        p.genre = genre;
        p.debut = true;
        pousse(p);
    }
    PointTrajectoire p;
    p.x = apres.x;
    p.y = apres.y;
    p.z = apres.z;
    p.temps = temps_;
    p.instant = age_;
    p.genre = genre;
    pousse(p);
}

void TrajectoireOutil::vide() { premier_ = taille_ = 0; }

const PointTrajectoire& TrajectoireOutil::point(std::size_t i) const {
    return anneau_[(premier_ + i) % capacite_];
}

void TrajectoireOutil::pousse(const PointTrajectoire& p) {
    if (anneau_.empty()) anneau_.resize(capacite_);
    if (taille_ == capacite_) {
        // Full: the oldest point makes room.
        premier_ = (premier_ + 1) % capacite_;
        --taille_;
    }
    anneau_[(premier_ + taille_) % capacite_] = p;
    ++taille_;
}

HistoriqueArticulaire::HistoriqueArticulaire(float duree, std::size_t capacite)
    : capacite_(capacite > 0 ? capacite : 1), duree_(duree) {}

void HistoriqueArticulaire::ajoute(const EchantillonArticulaire& e) {
    if (anneau_.empty()) anneau_.resize(capacite_);
    const double limite = e.temps - duree_;
    while (taille_ > 0 && anneau_[premier_].temps < limite) {
        premier_ = (premier_ + 1) % capacite_;
        --taille_;
    }
    if (taille_ == capacite_) {
        premier_ = (premier_ + 1) % capacite_;
        --taille_;
    }
    anneau_[(premier_ + taille_) % capacite_] = e;
    ++taille_;
}

void HistoriqueArticulaire::depart(double temps, float T1, float T2, float T3, float T5) {
    if (taille_ > 0) {
        const EchantillonArticulaire& d = echantillon(taille_ - 1);
        if (d.T1 == T1 && d.T2 == T2 && d.T3 == T3 && d.T5 == T5) return;
    }
    ajoute({temps, T1, T2, T3, T5, 0});
}

double HistoriqueArticulaire::etendue() const {
    if (taille_ == 0) return 0;
    return std::min<double>(duree_, echantillon(taille_ - 1).temps - echantillon(0).temps);
}

const EchantillonArticulaire& HistoriqueArticulaire::echantillon(std::size_t i) const {
    return anneau_[(premier_ + i) % capacite_];
}

std::vector<float> HistoriqueArticulaire::serie(Grandeur g, int n) const {
    std::vector<float> v;
    if (taille_ == 0 || n <= 0) return v;
    auto valeur = [g](const EchantillonArticulaire& e) {
        switch (g) {
            case THETA1: return e.T1;
            case THETA2: return e.T2;
            case THETA3: return e.T3;
            case THETA5: return e.T5;
            default: return e.vitesse;
        }
    };
    v.reserve(static_cast<std::size_t>(n));
    const double fin = echantillon(taille_ - 1).temps, largeur = etendue();
    const double pas = n > 1 ? largeur / (n - 1) : 0.0;
    std::size_t k = 0;  // the first sample after the current time
    for (int i = 0; i < n; ++i) {
        const double t = fin - largeur + pas * i;
        while (k < taille_ && echantillon(k).temps <= t) ++k;
        v.push_back(valeur(echantillon(k > 0 ? k - 1 : 0)));
    }
    // Rounding may leave the last point just before the last sample.
    v.back() = valeur(echantillon(taille_ - 1));
    return v;
}
