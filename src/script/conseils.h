// Hints for scene authors, added to the placed line on standard error after a message whose
// box text stays as it is: the known name nearest to an unknown one, and the line where a
// ';' is likely missing when a statement ran on past the end of a line.
#pragma once

#include <string>
#include <vector>

namespace conseils {

// The known name a slip of the keyboard could have turned into `nom` (a letter missing,
// extra, changed or two swapped, case aside; fewer for short names), or empty.
std::string nomProche(const std::string& nom, const std::vector<std::string>& connus);

// Prints "fichier:ligne: note" on standard error, placed on the statement being read or run
// (on `ligne` instead when it is not 0). Nothing outside the reading of a scene.
void note(const std::string& texte, int ligne = 0);

}  // namespace conseils
