// The OpenGL extensions that shadows need, and the one entry point they leave behind.
#pragma once

#include <functional>

namespace extensions {
// Signature of glActiveTextureARB (GLenum texture; the calling convention is the default
// one on this platform).
using FonctionActiveTexture = void (*)(unsigned int texture);

// Set only when the three shadow extensions are present; null otherwise, or once the
// shadow set-up has given up on them. Called with the namespace to avoid the library's
// own declaration of the same name.
extern FonctionActiveTexture glActiveTextureARB;
}  // namespace extensions

// True when the multitexture entry point is available.
bool activeTextureDisponible();
// Forgets the entry point: no later frame tries shadows.
void oublieActiveTexture();
// Installs an entry point directly (tests, or a caller that looked it up itself).
void definitActiveTexture(extensions::FonctionActiveTexture f);

// Records the extension list in the log and checks GL_ARB_multitexture,
// GL_ARB_depth_texture and GL_ARB_shadow in that order, stopping at the first failure.
// Needs a current OpenGL context.
bool verifieExtensions();

// The same check with the extension string and the entry-point lookup supplied by the
// caller, so that it runs without a context.
bool verifieExtensionsAvec(const std::function<const char*()>& lireExtensions,
                           const std::function<void*(const char*)>& chercheFonction);
