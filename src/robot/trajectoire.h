// The tool trail: where a robot's tool point went during its last seconds of motion, each
// point with its time and the kind of move that brought it there, so the 3D view can draw
// the path and tell straight-line moves from joint moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometrie/vecteur.h"

enum class GenreMouvement : uint8_t { Articulaire, Rectiligne };

struct PointTrajectoire {
    float x = 0, y = 0, z = 0;                           // tool point in the robot frame
    double temps = 0;                                    // seconds on the trail's clock
    double instant = 0;                                  // seconds on the fading clock
    GenreMouvement genre = GenreMouvement::Articulaire;  // the move that led to this point
    bool debut = false;  // first point of a stroke: no segment joins it to the one before
};

// A bounded ring of time-stamped tool points. Its clock runs while the robot has commands
// (Robot::avance), so an idle arm keeps the path of its last move on show. A second clock,
// which runs at rest too, ages the points for their fading: a resting trail dims to its
// faintest but stays.
class TrajectoireOutil {
public:
    static constexpr float DUREE_DEFAUT = 10.0f;
    static constexpr std::size_t CAPACITE_DEFAUT = 4096;

    explicit TrajectoireOutil(float duree = DUREE_DEFAUT, std::size_t capacite = CAPACITE_DEFAUT);

    // Moves both clocks on by dt seconds and forgets the points older than the duration.
    void avanceTemps(float dt);
    // Moves only the fading clock on, for a step at rest.
    void vieillit(float dt);
    // How fresh a point looks: 1 when just drawn, down to 0 once the duration has passed on
    // the fading clock.
    float fraicheur(const PointTrajectoire& p) const;
    // True while the newest point is still fading: the view must keep being redrawn.
    bool palit() const;
    // One step of the tool point from `avant` to `apres`, now. A step that does not start
    // where the trail ends (the arm was moved by hand meanwhile) starts a new stroke; a
    // step that goes nowhere adds nothing. When the ring is full the oldest point goes.
    void ajoute(const CVecteur& avant, const CVecteur& apres, GenreMouvement genre);
    void vide();

    std::size_t taille() const { return taille_; }
    // The i-th point, oldest first.
    const PointTrajectoire& point(std::size_t i) const;
    double temps() const { return temps_; }
    float duree() const { return duree_; }

private:
    void pousse(const PointTrajectoire& p);

    std::vector<PointTrajectoire> anneau_;  // allocated at the first point
    std::size_t capacite_;
    std::size_t premier_ = 0, taille_ = 0;
    double temps_ = 0;
    double age_ = 0;
    float duree_;
};

// The joints and the tool point's speed after each motion step, on the trail's clock, for
// the plots of the robot panel: a bounded ring of the last seconds, like the trail.
struct EchantillonArticulaire {
    double temps = 0;                      // seconds on the trail's clock
    float T1 = 0, T2 = 0, T3 = 0, T5 = 0;  // degrees
    float vitesse = 0;                     // tool point speed over the step, units per second
};

class HistoriqueArticulaire {
public:
    // What a series shows: the four joints, then the tool's speed.
    enum Grandeur { THETA1, THETA2, THETA3, THETA5, VITESSE, NB_GRANDEURS };

    explicit HistoriqueArticulaire(float duree = TrajectoireOutil::DUREE_DEFAUT,
                                   std::size_t capacite = TrajectoireOutil::CAPACITE_DEFAUT);

    // Adds a sample and forgets those older than the duration before it; when the ring is
    // full the oldest goes.
    void ajoute(const EchantillonArticulaire& e);
    // The pose a motion step starts from, at rest, unless the last sample holds it already:
    // the first motion, or one after the arm was moved by hand, starts from where it was.
    void depart(double temps, float T1, float T2, float T3, float T5);
    void vide() { premier_ = taille_ = 0; }
    std::size_t taille() const { return taille_; }
    const EchantillonArticulaire& echantillon(std::size_t i) const;  // oldest first

    // Seconds the series cover: the duration, or less when the samples span less.
    double etendue() const;
    // n values evenly spaced over the etendue that ends at the last sample: each the value
    // of the last sample at or before its time. Empty without samples.
    std::vector<float> serie(Grandeur g, int n) const;

private:
    std::vector<EchantillonArticulaire> anneau_;  // allocated at the first sample
    std::size_t capacite_;
    std::size_t premier_ = 0, taille_ = 0;
    float duree_;
};
