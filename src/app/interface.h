// The window's user interface layer: the two docked panels and the warning box drawn with
// ImGui, and the routing of mouse and keyboard events between the panels and the 3D view.
#pragma once

namespace interface {
// Widths of the docked panels, in pixels.
constexpr int LARGEUR_GAUCHE = 190;
constexpr int LARGEUR_DROITE = 220;

// Creates the ImGui context and its GLUT / OpenGL2 back ends (the window must exist).
void initialise();
// Registers every GLUT callback of the main window; each forwards to the panels or the view.
void installeCallbacks();
// Shows warning boxes as modals in the window from now on (blocking until dismissed).
void activeBoiteModale();
// The 3D view's area in window pixels (origin at the bottom left, as glViewport takes it).
void zoneVue(int& x, int& y, int& w, int& h);
// Draws one whole frame: the scene in the view area, then the panels (and a pending box).
void dessineImage();
// Asks for a frame now and for the few after it that ImGui needs to settle.
void redessine();
// Frames drawn by the window's display callback so far.
unsigned long imagesDessinees();
// A mouse button held on a panel control (step buttons repeat): the panels need frames.
bool panneauxActifs();
// True until start-up has loaded the scene: frames then show only the panels.
extern bool chargementEnCours;
}  // namespace interface
