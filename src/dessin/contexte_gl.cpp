#include "dessin/contexte_gl.h"

#include <EGL/egl.h>
#include <GL/glx.h>

namespace contexteGL {
namespace {
bool eglCourant() { return eglGetCurrentContext() != EGL_NO_CONTEXT; }
}  // namespace

bool courant() { return glXGetCurrentContext() != nullptr || eglCourant(); }

void* fonction(const char* nom) {
    if (eglCourant()) return reinterpret_cast<void*>(eglGetProcAddress(nom));
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(nom)));
}
}  // namespace contexteGL
