// Writes a JSON description of the loaded scene (used by scene authors and end-to-end tests).
#pragma once

#include <string>

#include "geometrie/matrice.h"

class CApplication;
class CScene;
class Entite;

// Writes the description to `fichier` as the program writes every file (commun/ecriture_sure.h):
// never over one of the scene's files or a special file. Returns "" or the reason of the failure.
std::string ecritDump(const CApplication& app, const std::string& fichier);
// The same description as text.
std::string texteDump(const CApplication& app);
// Where an entity stands in the scene: its own matrix, then that of the first instance
// carrying it (a product a * b applies a first). The dump places the robots' tools so.
CMatrice placement(const CScene& scene, const Entite& e);
