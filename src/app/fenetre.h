// The GLUT window: its callbacks, the start-up sequence and the headless / capture modes.
#pragma once

// GLUT identifier of the main window; 0 while no window exists.
extern int fenetrePrincipale;
// The credits text of the window title and of the banner.
extern const char* const CREDITS;

// One turn of the event loop: what the window system has for us, GLUT's due timers and
// pending redisplays; then the program ends (through exit, so the dump and the log are
// written) if SIGINT or SIGTERM has arrived. True when the turn drew a frame, which may
// leave X events read but unhandled: take another turn before waiting.
bool traiteEvenements();
// Sleeps until the window system has an event, a signal arrives, GLUT's timer is due or
// `delaiMs` milliseconds have passed (negative: no limit of its own).
void attendEvenements(int delaiMs);
