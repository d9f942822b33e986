// Writes a JSON description of the loaded scene (used by scene authors and end-to-end tests).
#pragma once

#include <string>

class CApplication;

// Writes the description to `fichier` as the program writes every file (commun/ecriture_sure.h):
// never over one of the scene's files or a special file. Returns "" or the reason of the failure.
std::string ecritDump(const CApplication& app, const std::string& fichier);
// The same description as text.
std::string texteDump(const CApplication& app);
