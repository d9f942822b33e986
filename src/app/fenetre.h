// The GLUT window: its callbacks, the start-up sequence and the headless / capture modes.
#pragma once

// GLUT identifier of the main window; 0 while no window exists.
extern int fenetrePrincipale;
// The credits text of the window title and of the banner.
extern const char* const CREDITS;
