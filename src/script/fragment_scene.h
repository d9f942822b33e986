// Scene-language text the program writes: taught poses as a fragment of the scripted motion
// builtins that replays the same motion when a scene includes it.
#pragma once

#include <string>
#include <vector>

#include "robot/points_passage.h"

// The poses as scene-file statements on the robot variable `variable`: a joint move to each
// (a straight-line wrist move with `rectiligne`, for the four-joint arm), a grip or a release
// where the grip changes.
std::string fragmentPoints(const PointsPassage& points, const std::string& variable,
                           bool rectiligne);

// Writes the fragment to `chemin` whole or not at all; an existing file is kept as
// `chemin`.bak. A folder, a pipe, a device or one of `protegees` (the scene's files) is
// refused untouched. Returns "" or the reason of the refusal or the failure.
std::string enregistrePoints(const PointsPassage& points, const std::string& chemin,
                             const std::string& variable, bool rectiligne,
                             const std::vector<std::string>& protegees);
