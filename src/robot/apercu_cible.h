// The panel's target before it is sent: the gripper frame it asks for and whether the robot
// would accept it, for the ghost gripper of the 3D view.
#pragma once

#include <vector>

#include "geometrie/matrice.h"
#include "robot/mouvement.h"

class Robot;  // robot.h

// The panel's target, which the driven robot's ghost gripper shows (straight-line flag unused).
struct CibleFantome : CibleMouvement {
    // The wrist decides the pose (a wrist field being edited, or a straight-line move);
    // otherwise the joints do.
    bool parPoignet = false;
    // An arm read from a description: the targets of its joint rows (empty otherwise).
    std::vector<double> articulations;
    // As the panel starts: the base turned to 90 degrees.
    CibleFantome() { T1 = 90; }
};

// The ghost gripper's frames at a target and the robot's verdict on it.
struct ApercuCible {
    CMatrice repere;               // tool frame at the target, robot frame, z axis down
    CMatrice poignet;              // frame of the wrist link at the target, robot frame
    const char* raison = nullptr;  // why the robot refuses the target; null when accepted
};

// By the wrist: the exact target check of a straight-line move (Robot::cibleVers). By the
// joints: the joint limits, then the pose they reach; joints beyond their limits still show
// where they would put the gripper.
ApercuCible apercuCible(Robot& robot, const CibleFantome& cible);
