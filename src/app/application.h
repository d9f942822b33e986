// The application object: the scene plus the camera, mouse state, orbit of light 0 and
// the current robot; and the program's start-up.
#pragma once

// Runs the whole program; returns the process status.
int demarre(int argc, char** argv);
