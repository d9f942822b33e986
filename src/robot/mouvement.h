// Motion commands queued on a robot: a joint / wrist target, optionally reached along a
// straight line, optionally going above an object first and gripping it on arrival; or a
// grip, a release or a wait, done in their turn so that a scripted sequence keeps its order.
#pragma once

#include <cstdint>
#include <deque>

#include "robot/profil.h"

class Instance;  // scene.h

// What a command does when it reaches the front of the queue.
enum class GenreCommande : uint8_t {
    Mouvement,  // turn the joints toward the targets below
    Saisie,     // grip the object under the gripper
    Lacher,     // release the held object
    Attente,    // stand still for `secondes`
};

// A move's targets, as the queue, the panel, the taught poses, the ghost gripper and the
// scripted moves all hold them: the joints, the tool point they put in place, and how the
// tool point gets there.
struct CibleMouvement {
    float T1 = 0, T2 = 0, T3 = 0, T5 = 0;  // joints, degrees
    float X = 0, Y = 0, Z = 0, THETA = 0;  // tool point and gripper rotation, robot frame
    bool rectiligne = false;               // move the tool point along a straight line
};

// One queued command: a move to its targets, or a grip, a release or a wait.
struct Commande : CibleMouvement {
    Instance* instanceRobot = nullptr;  // the instance carrying the robot: its world origin
    Instance* approche = nullptr;       // if set: first compute the target above this instance
    Instance* cible = nullptr;          // if set: on arrival grip it (or put the held one down)
    GenreCommande genre = GenreCommande::Mouvement;  // what the command does
    float secondes = 0;                              // Attente: simulated seconds still to wait
    bool enOrdre = false;   // a straight line's pieces run before the commands queued after it
    bool surLigne = false;  // a piece (or the end) of a straight line, for the tool trail
    Profil profil;          // how the joints, or the tool along a line, speed up and slow down
    // Under a profile other than "constant", once started: the joints it started from (the
    // wrist x, y, z, theta for a straight line), the joints its last step gave, the seconds
    // gone by, the seconds it takes, and the time law of a straight line.
    bool commencee = false;
    float depart[4] = {};
    float atteint[4] = {};
    double ecoule = 0, duree = 0;
    LoiHoraire loi;
};

// A wait at the front of a queue takes its time out of the step's `reste`: false while it
// still has seconds to wait (the whole step spent), true once done (what it left in reste).
inline bool attenteFinie(float& secondes, float& reste) {
    if (secondes > reste) {
        secondes -= reste;
        reste = 0;
        return false;
    }
    if (secondes > 0) reste -= secondes;
    return true;
}

// FIFO of commands: appended at the back, executed from the front. The deque interface is
// kept open so callers can inspect and empty it; push / pop read as a plain queue.
class FileCommandes : public std::deque<Commande> {
public:
    void push(const Commande& c) { push_back(c); }  // queues at the back
    void pop() { pop_front(); }                     // drops the front command
};
