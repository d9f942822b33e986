// The two ways of drawing light 0's shadows within a frame: the texture units they use,
// set up before the objects and put back after, and the sharing of light 0's light between a
// base pass and an added pass for the default look.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "dessin/extensions_gl.h"
#include "dessin/mesh_gl.h"

class Dessinateur;

// The number of lights OpenGL offers (8 when it will not say).
GLint nbLumieresGL();
// Texture coordinates generated for the four coordinates of the current unit, or not.
void generationTexture(bool active);

// The units of the default look: unit 0 stays the meshes' own; with only two units the spot
// image goes (spot 0).
struct UnitesOmbre {
    GLenum spot = 0, ombre = 0;
};
// Sets up the default look's units for a frame and returns them.
UnitesOmbre prepareOmbresPartagees(Dessinateur& dessin);
// Puts back what prepareOmbresPartagees changed.
void termineOmbresPartagees(const UnitesOmbre& unites);
// The original look: the spot image on unit 1 and the depth map on unit 0.
void prepareOmbresAnciennes(Dessinateur& dessin);
// Puts back what prepareOmbresAnciennes changed.
void termineOmbresAnciennes();

inline void texture2D(bool active) {
    if (active)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

// Light 0's direct light drawn apart, so that its shadow takes away only what it brings:
// each object is drawn lit by the ambient light and the other lights, then drawn again lit
// by light 0's diffuse and specular light alone, through its spot image and its shadow test,
// and added to the first drawing. Texture unit 0 stays the meshes' own.
struct PartageLumiere0 {
    bool actif = false;
    GLenum uniteSpot = 0, uniteOmbre = 0;  // no spot unit when there are only two units
    GLfloat ambiante[4] = {}, diffuse[4] = {}, speculaire[4] = {}, ambianteModele[4] = {};
    GLint fonctionProfondeur = GL_LESS, sourceMelange = GL_SRC_ALPHA,
          destinationMelange = GL_ONE_MINUS_SRC_ALPHA;
    std::vector<GLenum> autres;  // the other lights that are on

    static constexpr GLfloat noir[4] = {0, 0, 0, 1};

    // Reads the lighting to share out and sets up the base pass.
    void debut(GLenum spot, GLenum ombre) {
        actif = true;
        uniteSpot = spot;
        uniteOmbre = ombre;
        glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambiante);
        glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glGetLightfv(GL_LIGHT0, GL_SPECULAR, speculaire);
        glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambianteModele);
        glGetIntegerv(GL_DEPTH_FUNC, &fonctionProfondeur);
        glGetIntegerv(GL_BLEND_SRC, &sourceMelange);
        glGetIntegerv(GL_BLEND_DST, &destinationMelange);
        autres.clear();
        for (GLint i = 1; i < nbLumieresGL(); ++i) {
            const GLenum l = GL_LIGHT0 + static_cast<GLenum>(i);
            if (glIsEnabled(l)) autres.push_back(l);
        }
        glLightfv(GL_LIGHT0, GL_DIFFUSE, noir);
        glLightfv(GL_LIGHT0, GL_SPECULAR, noir);
        passeObjets = PasseObjets::Base;
    }

    void unitesOmbre(bool actives) const {
        for (GLenum u : {uniteSpot, uniteOmbre}) {
            if (u == 0) continue;
            extensions::glActiveTextureARB(u);
            texture2D(actives);
        }
        extensions::glActiveTextureARB(GL_TEXTURE0_ARB);
    }

    // Light 0's direct light alone, added where the depth of the base pass is met; as
    // translucent as the base pass when that was blended.
    void passeLumiere0(bool translucide) const {
        glLightfv(GL_LIGHT0, GL_AMBIENT, noir);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glLightfv(GL_LIGHT0, GL_SPECULAR, speculaire);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, noir);
        for (GLenum l : autres) glDisable(l);
        unitesOmbre(true);
        glDepthMask(GL_FALSE);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_BLEND);
        glBlendFunc(translucide ? GL_SRC_ALPHA : GL_ONE, GL_ONE);
        passeObjets = PasseObjets::Lumiere0;
    }

    // Back to the base pass, blending on or off as the base pass left it.
    void passeBase(bool melange) const {
        glLightfv(GL_LIGHT0, GL_AMBIENT, ambiante);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, noir);
        glLightfv(GL_LIGHT0, GL_SPECULAR, noir);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambianteModele);
        for (GLenum l : autres) glEnable(l);
        unitesOmbre(false);
        glDepthMask(GL_TRUE);
        glDepthFunc(static_cast<GLenum>(fonctionProfondeur));
        glBlendFunc(static_cast<GLenum>(sourceMelange), static_cast<GLenum>(destinationMelange));
        if (melange)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        passeObjets = PasseObjets::Base;
    }

    // Light 0 whole again, for what is drawn after the objects and for the next frame.
    void fin() {
        if (!actif) return;
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glLightfv(GL_LIGHT0, GL_SPECULAR, speculaire);
        passeObjets = PasseObjets::Unique;
        actif = false;
    }

    // Draws one object (or the floor) in both passes, one right after the other: a
    // translucent object then adds light 0's share over what lay behind it, and a metaball
    // zone draws its triangles twice from one polygonisation.
    template <class F>
    void dessine(F&& dessineObjet) const {
        if (!actif) {
            dessineObjet();
            return;
        }
        const bool melangeAvant = glIsEnabled(GL_BLEND) == GL_TRUE;
        dessineObjet();
        const bool melangeApres = glIsEnabled(GL_BLEND) == GL_TRUE;
        passeLumiere0(melangeAvant);
        dessineObjet();
        passeBase(melangeApres);
    }
};

// The one sharing of the frame being drawn.
extern PartageLumiere0 partageLumiere0;
