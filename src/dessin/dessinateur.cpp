// The drawer's own bookkeeping: what it reported, followed across the scene's changes. The
// frame is drawn in rendu.cpp, the shadows in ombrage.cpp, lights and textures in scene_gl.cpp.
#include "dessin/dessinateur.h"

Dessinateur::Dessinateur(CScene& s) : scene(s), generationVue_(s.generation) {}

void Dessinateur::suitScene() {
    if (generationVue_ == scene.generation) return;
    generationVue_ = scene.generation;
    erreursSignalees_.oublie();
    etatGrilleSignale = 0;
}

SignaleurUneFois& Dessinateur::erreursSignalees() {
    suitScene();
    return erreursSignalees_;
}

void Dessinateur::signaleUneFois(const std::string& message) {
    erreursSignalees().signale(message);
}
