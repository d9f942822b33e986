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
// the plots of the robot panel: a bounded ring of the last seconds, like the trail. Each
// sample holds its time and every joint's value, so that speeds and accelerations follow
// from differences between samples.
class HistoriqueArticulaire {
public:
    explicit HistoriqueArticulaire(int nbArticulations = 4,
                                   float duree = TrajectoireOutil::DUREE_DEFAUT,
                                   std::size_t capacite = TrajectoireOutil::CAPACITE_DEFAUT);

    // Another joint count forgets every sample.
    void setNbArticulations(int n);
    int nbArticulations() const { return nb_; }
    // What serie shows: joints 0 to nbArticulations() - 1, then the tool's speed.
    int grandeurVitesse() const { return nb_; }

    // Adds a sample (nbArticulations values: degrees, or scene units for a sliding joint;
    // the tool point's speed over the step, units per second) and forgets those older than
    // the duration before it; when the ring is full the oldest goes.
    void ajoute(double temps, const float* valeurs, float vitesse);
    // The pose a motion step starts from, at rest, unless the last sample holds it already:
    // the first motion, or one after the arm was moved by hand, starts from where it was.
    void depart(double temps, const float* valeurs);
    void vide() { premier_ = taille_ = 0; }
    std::size_t taille() const { return taille_; }
    // Sample i, oldest first: its time, joint k's value, the tool's speed.
    double temps(std::size_t i) const { return temps_[indice(i)]; }
    float valeur(std::size_t i, int k) const { return valeurs_[indice(i) * nb_ + k]; }
    float vitesse(std::size_t i) const { return vitesses_[indice(i)]; }

    // Seconds the series cover: the duration, or less when the samples span less.
    double etendue() const;
    // n values evenly spaced over the etendue that ends at the last sample: each the value
    // of the last sample at or before its time. Empty without samples.
    std::vector<float> serie(int grandeur, int n) const;
    // The same for joint k's speed (ordre 1, per second) or acceleration (ordre 2, per second
    // squared), from the differences between successive samples; for an angle, a step
    // across ±180° counts as the short way round. Zero at the first samples.
    std::vector<float> serieDerivee(int k, int ordre, int n, bool angle) const;

private:
    std::size_t indice(std::size_t i) const { return (premier_ + i) % capacite_; }
    float grandeur(std::size_t i, int g) const { return g < nb_ ? valeur(i, g) : vitesse(i); }
    // n points of the per-sample values f(i), as serie takes them.
    template <class F>
    std::vector<float> echantillonne(int n, F f) const;

    int nb_;
    // Rings allocated at the first sample.
    std::vector<double> temps_;
    std::vector<float> valeurs_;  // nb_ per sample
    std::vector<float> vitesses_;
    std::size_t capacite_;
    std::size_t premier_ = 0, taille_ = 0;
    float duree_;
};
