// Drawing the panel model with ImGui: the controls in their sections, the plots, the taught
// poses, the status line, and the help over the 3D view. Each change goes to `controle`.
#pragma once

#include <string>
#include <vector>

struct Controle;

namespace interface {
// One docked panel at x, `largeur` wide, the full height of the window.
void dessinePanneau(const char* nom, float x, float largeur, std::vector<Controle>& liste);
// The keys and mouse actions over the 3D view, when the panel model asks for them.
void dessineAide();
// A message as the panels' font can draw it: it has the characters of Latin-1 only, so the
// few others the program writes are spelled with those (an ellipsis as three full stops);
// any other still shows as '?'.
std::string pourPolice(const std::string& texte);
}  // namespace interface
