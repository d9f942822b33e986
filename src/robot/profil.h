// Velocity profiles: how a coordinate (a joint, or the tool along a straight line) speeds up
// and slows down on its way from one rest position to the next. "constant": full speed from
// the first instant to the last; "trapeze": accelerates at a given rate up to its speed,
// cruises, decelerates at the same rate and stops (a triangle when the move is too short to
// reach full speed); "quintique": the fraction done follows 10τ³ − 15τ⁴ + 6τ⁵ (τ = t / T), so
// that speed and acceleration are zero at both ends. A law gives the fraction of the move
// done at each instant: positions are computed from the start (q0 + s(t)·Δ), never by adding
// steps, and a move ends exactly on its target.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class GenreProfil : unsigned char { Constant, Trapeze, Quintique };

// "constant", "trapeze", "quintique".
const char* nomProfil(GenreProfil g);
// False, g untouched, for a name that is none of those.
bool profilDeNom(const std::string& nom, GenreProfil& g);

// A robot's profile: its kind and the acceleration of its joints (degrees, or length units
// for a sliding joint, per second squared; unused by "constant"): one for all, or one per
// joint.
struct Profil {
    GenreProfil genre = GenreProfil::Constant;
    float acceleration = 0;
    std::vector<float> parArticulation;  // empty: `acceleration` for every joint
    double accelerationDe(std::size_t k) const {
        return k < parArticulation.size() ? parArticulation[k] : acceleration;
    }
};

class LoiHoraire {
public:
    LoiHoraire() = default;
    // The quickest move of `distance` (≥ 0) within `vitesse` and, but for "constant",
    // `acceleration`. A zero distance takes no time; a positive one with a speed or an
    // acceleration that is not a positive number never ends (infinite duree).
    static LoiHoraire rapide(GenreProfil g, double distance, double vitesse, double acceleration);
    // The same move made to last `duree` (at least rapide's): "constant" at a lower speed,
    // "trapeze" cruising slower at the same acceleration, "quintique" stretched; so neither
    // the speed nor the acceleration is exceeded.
    static LoiHoraire etiree(GenreProfil g, double distance, double vitesse, double acceleration,
                             double duree);

    double duree() const { return duree_; }
    // The fraction of the distance done at t seconds from the start: 0 before, 1 from duree.
    double avancement(double t) const;
    // The highest speed reached, in distance units per second.
    double vitesseMax() const;

private:
    GenreProfil genre_ = GenreProfil::Constant;
    double distance_ = 0;
    double duree_ = 0;
    double acceleration_ = 0;  // trapeze
    double croisiere_ = 0;     // trapeze: the speed held between the two ramps
};

// The duration of a synchronised move of n coordinates: that of the slowest one, each at
// its own speed and acceleration (the others are then stretched to it with etiree).
double dureeSynchronisee(GenreProfil g, int n, const double distances[], const double vitesses[],
                         const double accelerations[]);
