// The files the program writes for the user (the JSON dump, the motion trace, the taught
// poses, the screenshots): written only as a new file or over a regular one, never over a file
// the running scene reads, nor over a folder, a named pipe or a device, which are refused
// untouched. A file already there is kept as NAME.bak. The bytes go first to a temporary file
// beside the target, under a name no other file has, synced, then renamed into place: the
// target is whole or untouched. Every reason given names the path as the caller gave it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace ecriture {
// Writes `contenu` to `chemin`. `protegees` are the files that must not be replaced (the
// scene's inputs), compared as files, whatever the path that names them. Returns "" or the
// reason of the refusal or of the failure.
std::string ecritFichier(const std::string& chemin, const std::string& contenu,
                         const std::vector<std::string>& protegees);

// For a file written as it goes (the trace): `debut` is put in place as ecritFichier does,
// and the new file is returned open after it, for appending. Null, with the reason in
// `erreur`, when it cannot be.
std::FILE* ouvreFlux(const std::string& chemin, const std::string& debut,
                     const std::vector<std::string>& protegees, std::string& erreur);
}  // namespace ecriture
