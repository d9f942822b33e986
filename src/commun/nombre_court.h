// Numbers written for people and for programs alike: the fewest digits that read back as the
// same float (89.4, not 89.4000015).
#pragma once

#include <string>

std::string nombreCourt(float v);
