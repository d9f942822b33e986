// The arm the workbench drives, whatever its kind: what the panels, the status line, the
// trace, the plots, the trail and the taught poses need of it, so that they do not ask which
// kind of arm they show. The four-joint arm offers it through PiloteQuatreAxes, an arm read
// from a robot description (BrasChaine) by itself.
//
// Units: joint values in degrees for turning joints, in scene units for sliding ones; the
// tool frame in the arm's own frame (the entity's), lengths in scene units.
#pragma once

#include <Eigen/Geometry>
#include <cstddef>
#include <string>
#include <vector>

#include "robot/manipulabilite.h"
#include "robot/profil.h"
#include "robot/trajectoire.h"

class Entite;
class Instance;

class BrasPilote {
public:
    virtual ~BrasPilote() = default;

    virtual Entite& entite() = 0;

    // The joints: count, names, kind, limits (none for a continuous joint), current values.
    virtual int nbArticulations() const = 0;
    virtual std::string nomArticulation(int i) const = 0;
    virtual bool prismatique(int i) const = 0;
    virtual bool bornee(int i) const = 0;
    virtual double min(int i) const = 0;
    virtual double max(int i) const = 0;
    virtual std::vector<double> valeursArticulations() const = 0;
    // The tool frame at the current pose.
    virtual Eigen::Isometry3d poseOutil() const = 0;

    // The command queue: its length, emptied, stepped by dt seconds (true when something
    // moved or was done).
    virtual std::size_t nbCommandes() const = 0;
    virtual void videCommandes() = 0;
    virtual bool avance(float dt) = 0;
    // Why the last target was refused or the last command given up, in words; the number
    // grows by one at each new record.
    virtual const std::string& raison() const = 0;
    virtual unsigned long numeroRaison() const = 0;
    // The tool's recent path and the joints' recent values, recorded by avance.
    virtual const TrajectoireOutil& trajectoireOutil() const = 0;
    virtual const HistoriqueArticulaire& historiqueArticulaire() const = 0;

    // Queues a move to these joint values (one per joint), along a straight line of the tool
    // point when rectiligne; "" when queued, else why not (the queue is left as it was).
    virtual std::string ajouteDeplacement(const std::vector<double>& valeurs, bool rectiligne) = 0;
    // Queues a grip of the object at the tool, a release, a wait of `secondes`.
    virtual void ajouteSaisie() = 0;
    virtual void ajouteLacher() = 0;
    virtual void ajouteAttente(float secondes) = 0;
    // The held instance, or null.
    virtual Instance* objetTenu() = 0;
    // Fetches this object: the tool goes onto its top and grips it, or, while the arm holds
    // one, puts that one down on it. "" when queued; else the reason, also recorded.
    virtual std::string vaChercher(Instance* objet, bool rectiligne) = 0;

    // The trace's columns between the time and the held object: their names, and their
    // values at the current pose (the joints, then the tool point).
    virtual std::vector<std::string> colonnesTrace() const = 0;
    virtual std::vector<float> valeursTrace() const = 0;

    // The Jacobian's measures at the current pose, and, when they say the pose is near
    // singular, which configuration makes it so, in words ("" otherwise).
    virtual Manipulabilite mesures() = 0;
    virtual std::string texteSingularite(const Manipulabilite& m) const = 0;
};
