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

HistoriqueArticulaire::HistoriqueArticulaire(int nbArticulations, float duree, std::size_t capacite)
    : nb_(std::max(nbArticulations, 0)), capacite_(capacite > 0 ? capacite : 1), duree_(duree) {}

void HistoriqueArticulaire::setNbArticulations(int n) {
    n = std::max(n, 0);
    if (n == nb_) return;
    nb_ = n;
    valeurs_.clear();
    temps_.clear();
    vitesses_.clear();
    vide();
}

void HistoriqueArticulaire::ajoute(double temps, const float* valeurs, float vitesse) {
    if (temps_.empty()) {
        temps_.resize(capacite_);
        vitesses_.resize(capacite_);
        valeurs_.resize(capacite_ * static_cast<std::size_t>(nb_));
    }
    const double limite = temps - duree_;
    while (taille_ > 0 && temps_[premier_] < limite) {
        premier_ = (premier_ + 1) % capacite_;
        --taille_;
    }
    if (taille_ == capacite_) {
        premier_ = (premier_ + 1) % capacite_;
        --taille_;
    }
    const std::size_t k = indice(taille_);
    temps_[k] = temps;
    vitesses_[k] = vitesse;
    std::copy(valeurs, valeurs + nb_, valeurs_.begin() + static_cast<std::ptrdiff_t>(k * nb_));
    ++taille_;
}

void HistoriqueArticulaire::depart(double temps, const float* valeurs) {
    if (taille_ > 0) {
        const std::size_t d = indice(taille_ - 1) * nb_;
        if (std::equal(valeurs, valeurs + nb_, valeurs_.begin() + static_cast<std::ptrdiff_t>(d)))
            return;
    }
    ajoute(temps, valeurs, 0);
}

double HistoriqueArticulaire::etendue() const {
    if (taille_ == 0) return 0;
    return std::min<double>(duree_, temps(taille_ - 1) - temps(0));
}

template <class F>
std::vector<float> HistoriqueArticulaire::echantillonne(int n, F f) const {
    std::vector<float> v;
    if (taille_ == 0 || n <= 0) return v;
    v.reserve(static_cast<std::size_t>(n));
    const double fin = temps(taille_ - 1), largeur = etendue();
    const double pas = n > 1 ? largeur / (n - 1) : 0.0;
    std::size_t k = 0;  // the first sample after the current time
    for (int i = 0; i < n; ++i) {
        const double t = fin - largeur + pas * i;
        while (k < taille_ && temps(k) <= t) ++k;
        v.push_back(f(k > 0 ? k - 1 : 0));
    }
    // Rounding may leave the last point just before the last sample.
    v.back() = f(taille_ - 1);
    return v;
}

std::vector<float> HistoriqueArticulaire::serie(int g, int n) const {
    if (g < 0 || g > nb_) return {};
    return echantillonne(n, [&](std::size_t i) { return grandeur(i, g); });
}

std::vector<float> HistoriqueArticulaire::serieDerivee(int k, int ordre, int n, bool angle) const {
    if (k < 0 || k >= nb_ || ordre < 1 || ordre > 2 || taille_ == 0) return {};
    // The speed between sample i - 1 and i, then the acceleration between two speeds.
    std::vector<double> vitesses(taille_, 0.0), derivees(taille_, 0.0);
    for (std::size_t i = 1; i < taille_; ++i) {
        const double dt = temps(i) - temps(i - 1);
        double dq = static_cast<double>(valeur(i, k)) - valeur(i - 1, k);
        if (angle && std::fabs(dq) > 180) dq -= std::copysign(360.0, dq);
        vitesses[i] = dt > 0 ? dq / dt : vitesses[i - 1];
    }
    if (ordre == 1)
        derivees = vitesses;
    else
        for (std::size_t i = 2; i < taille_; ++i) {
            const double dt = 0.5 * (temps(i) - temps(i - 2));
            derivees[i] = dt > 0 ? (vitesses[i] - vitesses[i - 1]) / dt : derivees[i - 1];
        }
    return echantillonne(n, [&](std::size_t i) { return static_cast<float>(derivees[i]); });
}
