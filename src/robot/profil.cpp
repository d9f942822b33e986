#include "robot/profil.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The quintic's peak speed is 15/8 · d / T (at mid-course) and its peak acceleration
// 10 / √3 · d / T² (at τ = 1/2 ∓ √3/6).
constexpr double kVitesseQuintique = 15.0 / 8.0;
const double kAccelerationQuintique = 10.0 / std::sqrt(3.0);

bool positif(double v) { return std::isfinite(v) && v > 0; }

}  // namespace

const char* nomProfil(GenreProfil g) {
    switch (g) {
        case GenreProfil::Trapeze: return "trapeze";
        case GenreProfil::Quintique: return "quintique";
        case GenreProfil::Constant: break;
    }
    return "constant";
}

bool profilDeNom(const std::string& nom, GenreProfil& g) {
    for (GenreProfil p : {GenreProfil::Constant, GenreProfil::Trapeze, GenreProfil::Quintique})
        if (nom == nomProfil(p)) {
            g = p;
            return true;
        }
    return false;
}

LoiHoraire LoiHoraire::rapide(GenreProfil g, double distance, double vitesse, double acceleration) {
    LoiHoraire l;
    l.genre_ = g;
    l.distance_ = distance;
    if (!(distance > 0)) return l;
    if (!positif(vitesse) || (g != GenreProfil::Constant && !positif(acceleration))) {
        l.duree_ = std::numeric_limits<double>::infinity();
        return l;
    }
    switch (g) {
        case GenreProfil::Constant: l.duree_ = distance / vitesse; break;
        case GenreProfil::Trapeze:
            l.acceleration_ = acceleration;
            if (distance * acceleration <= vitesse * vitesse) {
                // A triangle: half the way speeding up, half slowing down.
                l.croisiere_ = std::sqrt(distance * acceleration);
                l.duree_ = 2 * l.croisiere_ / acceleration;
            } else {
                l.croisiere_ = vitesse;
                l.duree_ = distance / vitesse + vitesse / acceleration;
            }
            break;
        case GenreProfil::Quintique:
            l.duree_ = std::max(kVitesseQuintique * distance / vitesse,
                                std::sqrt(kAccelerationQuintique * distance / acceleration));
            break;
    }
    return l;
}

LoiHoraire LoiHoraire::etiree(GenreProfil g, double distance, double vitesse, double acceleration,
                              double duree) {
    LoiHoraire l = rapide(g, distance, vitesse, acceleration);
    if (!(duree > l.duree_) || !std::isfinite(duree)) return l;
    l.duree_ = duree;
    if (g == GenreProfil::Trapeze) {
        // The cruising speed v at which d = v (T − v / a): the smaller root of
        // v² − aTv + ad = 0, written so as not to lose digits when T is long.
        const double a = acceleration, t = duree;
        const double discriminant = std::max(0.0, t * t - 4 * distance / a);
        l.croisiere_ = 2 * distance / (t + std::sqrt(discriminant));
    }
    return l;
}

double LoiHoraire::avancement(double t) const {
    if (!(t < duree_) || !(distance_ > 0)) return 1;
    if (!(t > 0)) return 0;
    double s = 0;
    switch (genre_) {
        case GenreProfil::Constant: s = t / duree_; break;
        case GenreProfil::Trapeze: {
            const double a = acceleration_, v = croisiere_;
            const double rampe = v / a;
            double x;
            if (t <= rampe)
                x = 0.5 * a * t * t;
            else if (t <= duree_ - rampe)
                x = 0.5 * v * rampe + v * (t - rampe);
            else {
                const double r = duree_ - t;
                x = distance_ - 0.5 * a * r * r;
            }
            s = x / distance_;
            break;
        }
        case GenreProfil::Quintique: {
            const double u = t / duree_;
            s = u * u * u * (10 + u * (-15 + 6 * u));
            break;
        }
    }
    return std::clamp(s, 0.0, 1.0);
}

double LoiHoraire::vitesseMax() const {
    if (!(distance_ > 0) || !(duree_ > 0)) return 0;
    switch (genre_) {
        case GenreProfil::Trapeze: return croisiere_;
        case GenreProfil::Quintique: return kVitesseQuintique * distance_ / duree_;
        case GenreProfil::Constant: break;
    }
    return distance_ / duree_;
}

double dureeSynchronisee(GenreProfil g, int n, const double distances[], const double vitesses[],
                         const double accelerations[]) {
    double duree = 0;
    for (int i = 0; i < n; ++i)
        duree = std::max(
            duree, LoiHoraire::rapide(g, distances[i], vitesses[i], accelerations[i]).duree());
    return duree;
}
