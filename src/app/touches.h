// Modifier bits and special key codes as the window layer hands them to the application
// (the values GLUT uses, checked where the GLUT callbacks are installed), so that the key
// and mouse logic needs no windowing header.
#pragma once

namespace touches {
constexpr int SHIFT = 1;
constexpr int CTRL = 2;
constexpr int ALT = 4;

constexpr int GAUCHE = 100;
constexpr int HAUT = 101;
constexpr int DROITE = 102;
constexpr int BAS = 103;
constexpr int PAGE_HAUT = 104;
constexpr int PAGE_BAS = 105;
constexpr int DEBUT = 106;
constexpr int FIN = 107;
constexpr int F1 = 1;
constexpr int F12 = 12;

constexpr int ECHAP = 27;  // a plain key
}  // namespace touches
