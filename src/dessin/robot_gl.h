// Drawing the robot with OpenGL.
#pragma once

class Dessinateur;
class Robot;

// Draws the robot in its frame: the eleven links, each under its own pick name from
// nomSelection on, and its frames and wrist cross when its `reperes` are on.
void dessineRobot(Robot& robot, Dessinateur& dessin, int& nomSelection);

// A frame of three axes (red X with its letter, green Y, blue Z) of the given length,
// drawn without lighting or texture.
void dessineRepere(float taille);
