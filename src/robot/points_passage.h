// Teaching by example: poses stored one by one with the grip state, replayed as queued
// commands, and saved as a scene-file fragment of the scripted motion builtins that replays
// the same motion when a scene includes it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class Instance;
class Robot;

#include "robot/mouvement.h"

// A taught pose (its straight-line flag unused: the replay chooses) and the grip state.
struct PointPassage : CibleMouvement {
    bool tenu = false;  // an object was held when the pose was stored
};

class PointsPassage {
public:
    // Beyond this many the list refuses more (a held-down key would otherwise grow it
    // without end).
    static constexpr std::size_t MAX = 10000;

    // Stores the robot's current pose; false when the list is full.
    bool ajoute(const Robot& robot);
    void vide() { points_.clear(); }
    const std::vector<PointPassage>& points() const { return points_; }

    // Queues the list on the robot: a move to each pose (along a straight line with
    // `rectiligne`), then a grip or a release where the grip state changes. Returns the number
    // of commands queued; stops at the robot's queue limit.
    std::size_t rejoue(Robot& robot, Instance* instanceRobot, bool rectiligne) const;

    // The same motion as scene-file statements on the robot variable `variable`.
    std::string fragment(const std::string& variable, bool rectiligne) const;

    // Writes the fragment to `chemin` whole or not at all; an existing file is kept as
    // `chemin`.bak. A folder, a pipe, a device or one of `protegees` (the scene's files) is
    // refused untouched. Returns "" or the reason of the refusal or the failure.
    std::string enregistre(const std::string& chemin, const std::string& variable, bool rectiligne,
                           const std::vector<std::string>& protegees) const;

private:
    std::vector<PointPassage> points_;
};
