// The OpenGL context the drawing runs in, whichever way it was made: a window's (GLX) or an
// off-screen one (EGL). Entry points beyond OpenGL 1.1 are looked up through the one current.
#pragma once

namespace contexteGL {
// True when an OpenGL context is current on this thread.
bool courant();
// The entry point of that name for the current context; null when it has none.
void* fonction(const char* nom);
}  // namespace contexteGL
