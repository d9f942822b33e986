// The tool trail's ring of time-stamped points.
#include "robot/trajectoire.h"

#include <cmath>

TrajectoireOutil::TrajectoireOutil(float duree, std::size_t capacite)
    : capacite_(capacite > 0 ? capacite : 1), duree_(duree) {}

void TrajectoireOutil::avanceTemps(float dt) {
    if (!std::isfinite(dt) || dt <= 0) return;
    temps_ += dt;
    const double limite = temps_ - duree_;
    while (taille_ > 0 && anneau_[premier_].temps < limite) {
        premier_ = (premier_ + 1) % capacite_;
        --taille_;
    }
}

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
        p.genre = genre;
        p.debut = true;
        pousse(p);
    }
    PointTrajectoire p;
    p.x = apres.x;
    p.y = apres.y;
    p.z = apres.z;
    p.temps = temps_;
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
