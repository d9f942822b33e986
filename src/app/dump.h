// Writes a JSON description of the loaded scene (used by scene authors and end-to-end tests).
#pragma once

#include <string>

class CApplication;

// Returns false when the file cannot be written.
bool ecritDump(const CApplication& app, const std::string& fichier);
// The same description as text.
std::string texteDump(const CApplication& app);
