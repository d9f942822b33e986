// An OpenGL context without a window or a display server: Mesa's surfaceless EGL platform,
// a compatibility profile (the drawing is fixed-function), drawing into a pbuffer of the
// image's size. Each scene drawn off screen owns one, so that its textures and buffers live
// and die with it.
#pragma once

#include <string>
#include <vector>

class ContexteHorsEcran {
public:
    // Throws std::runtime_error, saying why, when no such context can be had.
    ContexteHorsEcran();
    ~ContexteHorsEcran();
    ContexteHorsEcran(const ContexteHorsEcran&) = delete;
    ContexteHorsEcran& operator=(const ContexteHorsEcran&) = delete;

    // Makes the context current, drawing into a surface of this size (made again when the
    // size changes). Throws std::runtime_error when the surface cannot be had.
    void active(int largeur, int hauteur);
    // No context current any more on this thread.
    void desactive();
    // True the first time the context is made current at a size (nothing drawn yet there).
    bool neuf() const { return neuf_; }

private:
    void* affichage_ = nullptr;  // EGLDisplay
    void* config_ = nullptr;     // EGLConfig
    void* contexte_ = nullptr;   // EGLContext
    void* surface_ = nullptr;    // EGLSurface
    int largeur_ = 0, hauteur_ = 0;
    bool neuf_ = true;
};
