// Drawing the panel model with ImGui: the controls in their sections, the plots, the taught
// poses, the status line, and the help over the 3D view. Each change goes to `controle`.
#pragma once

#include <vector>

struct Controle;

namespace interface {
// One docked panel at x, `largeur` wide, the full height of the window.
void dessinePanneau(const char* nom, float x, float largeur, std::vector<Controle>& liste);
// The keys and mouse actions over the 3D view, when the panel model asks for them.
void dessineAide();
}  // namespace interface
