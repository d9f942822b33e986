// The one GLUT window a test program may open, for the tests that need an OpenGL context.
#pragma once

// True when an X display can be reached (a local display needs its socket).
bool affichageJoignable();
// Initialises GLUT and opens a cote × cote double-buffered window, once per process; later
// calls return the first result. False without a display: the caller skips its tests.
bool ouvreFenetreGL(const char* titre, int cote);
