// The texture units of the shadow passes and the one sharing of light 0.
#include <utility>

#include "dessin/dessinateur.h"
#include "dessin/extensions_gl.h"
#include "dessin/ombrage_gl.h"
#include "scene/scene.h"

PartageLumiere0 partageLumiere0;

GLint nbLumieresGL() {
    GLint n = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &n);
    return n > 0 ? n : 8;
}

void generationTexture(bool active) {
    for (GLenum c : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q}) {
        if (active)
            glEnable(c);
        else
            glDisable(c);
    }
}

UnitesOmbre prepareOmbresPartagees(Dessinateur& dessin) {
    UnitesOmbre u;
    GLint unites = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &unites);
    u.spot = unites > 2 ? GL_TEXTURE1_ARB : 0;
    u.ombre = unites > 2 ? GL_TEXTURE2_ARB : GL_TEXTURE1_ARB;
    for (const auto& [unite, texture] :
         {std::pair{u.spot, dessin.texSpot}, {u.ombre, dessin.texOmbre}}) {
        if (unite == 0) continue;
        extensions::glActiveTextureARB(unite);
        glBindTexture(GL_TEXTURE_2D, texture);
        dessin.activeProjectionOmbre();
        generationTexture(true);
    }
    extensions::glActiveTextureARB(GL_TEXTURE0_ARB);
    return u;
}

namespace {
// A shadow unit handed back: no texture, no generation, its texture matrix popped.
void relacheUnite(GLenum unite) {
    extensions::glActiveTextureARB(unite);
    glDisable(GL_TEXTURE_2D);
    generationTexture(false);
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
}
}  // namespace

void termineOmbresPartagees(const UnitesOmbre& u) {
    for (GLenum unite : {u.spot, u.ombre})
        if (unite != 0) relacheUnite(unite);
    glMatrixMode(GL_MODELVIEW);
    extensions::glActiveTextureARB(GL_TEXTURE0_ARB);
}

void prepareOmbresAnciennes(Dessinateur& dessin) {
    extensions::glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, dessin.texSpot);
    dessin.activeProjectionOmbre();
    generationTexture(true);
    extensions::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, dessin.texOmbre);
    dessin.activeProjectionOmbre();
    generationTexture(true);
}

void termineOmbresAnciennes() {
    // Generation and texture matrices belong to the shadow pass only, so that textured
    // meshes keep their own coordinates in the other frames.
    for (GLenum unite : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) relacheUnite(unite);
    glMatrixMode(GL_MODELVIEW);
}
