#include "dessin/contexte_hors_ecran.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {
[[noreturn]] void echoue(const std::string& quoi) {
    throw std::runtime_error("contexte OpenGL hors écran : " + quoi + " (erreur EGL 0x" + [] {
        char t[16];
        std::snprintf(t, sizeof t, "%04x", static_cast<unsigned>(eglGetError()));
        return std::string(t);
    }() + ")");
}

// Mesa's platform without a display server. The display is the driver's, shared by every
// context of the process and initialised once (initialising it again does nothing).
EGLDisplay affichageSansServeur() {
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!extensions || !std::strstr(extensions, "EGL_MESA_platform_surfaceless"))
        throw std::runtime_error(
            "contexte OpenGL hors écran : la plateforme EGL sans serveur de Mesa est absente "
            "(paquet libegl-mesa0)");
    auto plateforme = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!plateforme) echoue("eglGetPlatformDisplayEXT introuvable");
    EGLDisplay d = plateforme(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (d == EGL_NO_DISPLAY) echoue("aucun affichage sans serveur");
    EGLint majeur = 0, mineur = 0;
    if (!eglInitialize(d, &majeur, &mineur)) echoue("eglInitialize a échoué");
    return d;
}
}  // namespace

ContexteHorsEcran::ContexteHorsEcran() {
    EGLDisplay d = affichageSansServeur();
    affichage_ = d;
    // The window's framebuffer, for the same pixels: GLUT asks GLX for RGB with a depth
    // buffer, and GLX gives the deepest depth buffer with the least stencil, so 8 bits a
    // colour, no alpha, no multisampling, and the deepest depth (32 bits on Mesa, without
    // stencil). The polygon offset of the shadow map and the depth comparisons follow the
    // depth buffer's precision, so a 24-bit buffer moved a few shadow-edge pixels. EGL lists
    // deeper colours and shallower depths first, hence the choice made here.
    const EGLint attributs[] = {EGL_SURFACE_TYPE,
                                EGL_PBUFFER_BIT,
                                EGL_RENDERABLE_TYPE,
                                EGL_OPENGL_BIT,
                                EGL_RED_SIZE,
                                8,
                                EGL_GREEN_SIZE,
                                8,
                                EGL_BLUE_SIZE,
                                8,
                                EGL_DEPTH_SIZE,
                                24,
                                EGL_NONE};
    EGLint n = 0;
    if (!eglChooseConfig(d, attributs, nullptr, 0, &n) || n < 1)
        echoue("aucune configuration RGB avec profondeur");
    std::vector<EGLConfig> configs(static_cast<size_t>(n));
    eglChooseConfig(d, attributs, configs.data(), n, &n);
    configs.resize(static_cast<size_t>(std::max<EGLint>(n, 0)));
    EGLConfig config = nullptr;
    EGLint profondeur = 0, stencil = 0;
    for (EGLConfig c : configs) {
        auto attribut = [&](EGLint a) {
            EGLint v = -1;
            eglGetConfigAttrib(d, c, a, &v);
            return v;
        };
        if (attribut(EGL_RED_SIZE) != 8 || attribut(EGL_GREEN_SIZE) != 8 ||
            attribut(EGL_BLUE_SIZE) != 8 || attribut(EGL_ALPHA_SIZE) != 0 ||
            attribut(EGL_SAMPLES) != 0)
            continue;
        const EGLint z = attribut(EGL_DEPTH_SIZE), st = attribut(EGL_STENCIL_SIZE);
        if (!config || z > profondeur || (z == profondeur && st < stencil)) {
            config = c;
            profondeur = z;
            stencil = st;
        }
    }
    if (!config) echoue("aucune configuration de 8 bits par couleur sans alpha avec profondeur");
    config_ = config;
    if (!eglBindAPI(EGL_OPENGL_API)) echoue("OpenGL indisponible");
    EGLContext c = eglCreateContext(d, config, EGL_NO_CONTEXT, nullptr);
    if (c == EGL_NO_CONTEXT) echoue("création du contexte impossible");
    contexte_ = c;
}

ContexteHorsEcran::~ContexteHorsEcran() {
    EGLDisplay d = static_cast<EGLDisplay>(affichage_);
    if (eglGetCurrentContext() == static_cast<EGLContext>(contexte_))
        eglMakeCurrent(d, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface_) eglDestroySurface(d, static_cast<EGLSurface>(surface_));
    eglDestroyContext(d, static_cast<EGLContext>(contexte_));
}

void ContexteHorsEcran::active(int largeur, int hauteur) {
    EGLDisplay d = static_cast<EGLDisplay>(affichage_);
    neuf_ = false;
    if (!surface_ || largeur != largeur_ || hauteur != hauteur_) {
        eglMakeCurrent(d, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (surface_) eglDestroySurface(d, static_cast<EGLSurface>(surface_));
        surface_ = nullptr;
        const EGLint taille[] = {EGL_WIDTH, largeur, EGL_HEIGHT, hauteur, EGL_NONE};
        EGLSurface s = eglCreatePbufferSurface(d, static_cast<EGLConfig>(config_), taille);
        if (s == EGL_NO_SURFACE)
            echoue("surface de " + std::to_string(largeur) + "x" + std::to_string(hauteur) +
                   " impossible");
        surface_ = s;
        largeur_ = largeur;
        hauteur_ = hauteur;
        neuf_ = true;
    }
    EGLSurface s = static_cast<EGLSurface>(surface_);
    if (!eglMakeCurrent(d, s, s, static_cast<EGLContext>(contexte_)))
        echoue("eglMakeCurrent a échoué");
}

void ContexteHorsEcran::desactive() {
    eglMakeCurrent(static_cast<EGLDisplay>(affichage_), EGL_NO_SURFACE, EGL_NO_SURFACE,
                   EGL_NO_CONTEXT);
}
