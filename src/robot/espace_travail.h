// The workspace seen in the arm's own vertical plane: for each square cell of the half-plane
// at angle THETA1 around the base axis, whether the tool point can reach the cell's centre
// exactly, and if not, why. Shows a student where a target would be refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Robot;

// What the robot's target check says of a cell's centre.
enum class EtatCellule : uint8_t {
    Atteinte,      // accepted
    HorsAtteinte,  // the arm is too short, or the point lies through the base axis
    Limite,        // reached only beyond the limits of THETA2 or THETA3
    Axe,           // closer to the base axis than the robot allows
    Sol,           // below the floor (or the held object would be)
    Collision,     // the gripper would touch an object
};

struct GrilleEspace {
    float theta1 = 0;                   // the plane's angle (robot frame, degrees) at computation
    float pas = 1;                      // side of a cell
    float zMin = 0;                     // bottom of the first row, robot frame
    int nbR = 0, nbZ = 0;               // columns outward from the base axis, rows upward
    std::vector<EtatCellule> cellules;  // row after row, r varying fastest

    EtatCellule etat(int i, int j) const {
        return cellules[static_cast<std::size_t>(j) * static_cast<std::size_t>(nbR) +
                        static_cast<std::size_t>(i)];
    }
    // Centre of cell (i, j): distance from the base axis and height.
    float r(int i) const { return (static_cast<float>(i) + 0.5f) * pas; }
    float z(int j) const { return zMin + (static_cast<float>(j) + 0.5f) * pas; }
};

// At most this many cells: a very large arm gets wider cells.
constexpr std::size_t CELLULES_ESPACE_MAX = 250000;

// Every cell of the plane at angle theta1 that the arm could span, each centre put to the
// robot's exact target check (Robot::cibleVers). A centre refused for the axis, the floor or
// a collision where the arm is too short anyway counts as out of reach. Cells are `pas` wide,
// or wider when more than CELLULES_ESPACE_MAX would be needed.
GrilleEspace calculeEspaceTravail(Robot& robot, float theta1, float pas = 1);

// A robot's workspace grid, computed again only when what decides it changes: the held
// object's height, the smallest radius, gripper collisions and, with those on, the plane's
// angle and the objects' boxes. Without collisions the check is the same all around the base
// axis, so turning THETA1 reuses the grid.
class EspaceTravail {
public:
    const GrilleEspace& grille(Robot& robot);
    // Grids computed so far (for tests).
    unsigned long nbCalculs() const { return nbCalculs_; }

private:
    struct Cle {
        bool valide = false;
        bool collision = false;
        float theta1 = 0, hauteurTenu = 0, rayonMin = 0;
        double boites = 0;  // a sum over the objects' boxes, with collisions only
        bool operator==(const Cle& c) const;
    };
    Cle cle_;
    GrilleEspace grille_;
    unsigned long nbCalculs_ = 0;
};
