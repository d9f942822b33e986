// Teaching by example: poses stored one by one with the grip state and replayed as queued
// commands (script/fragment_scene.h writes them as a scene-file fragment).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class BrasPilote;  // bras_pilote.h
class Instance;    // scene.h
class Robot;       // robot.h

#include "robot/mouvement.h"

// A taught pose (its straight-line flag unused: the replay chooses) and the grip state.
struct PointPassage : CibleMouvement {
    bool tenu = false;  // an object was held when the pose was stored
    // The joint values of an arm read from a description (degrees or scene units); empty
    // for the four-joint arm, whose pose is the fields above.
    std::vector<double> articulations;
    // The joint values to replay: articulations, or the four-joint arm's.
    std::vector<double> valeurs() const;
};

// The taught poses, in the order they were stored.
class PointsPassage {
public:
    // Beyond this many the list refuses more (a held-down key would otherwise grow it
    // without end).
    static constexpr std::size_t MAX = 10000;

    // Stores the robot's current pose; false when the list is full.
    bool ajoute(const Robot& robot);
    // Stores the pose of an arm read from a description, and whether it holds an object.
    bool ajoute(const BrasPilote& bras, bool tenu);
    // Appends a pose read back (a recovery file); false when the list is full.
    bool ajoute(const PointPassage& p);
    void vide() { points_.clear(); }  // forgets every pose
    // The poses, first stored first.
    const std::vector<PointPassage>& points() const { return points_; }

    // Queues the list on the robot: a move to each pose (along a straight line with
    // `rectiligne`), then a grip or a release where the grip state changes. Returns the number
    // of commands queued; stops at the robot's queue limit.
    std::size_t rejoue(Robot& robot, Instance* instanceRobot, bool rectiligne) const;
    // The same on any arm, through its own queue; raison says why the replay stopped early
    // (a pose with another number of joints, one the arm refuses, a full queue).
    std::size_t rejoue(BrasPilote& bras, bool tenu, bool rectiligne, std::string& raison) const;

private:
    std::vector<PointPassage> points_;
};
