// The drawer: draws a scene with OpenGL and keeps what drawing needs from one frame to the
// next (shadow textures, kept depths, the problems already reported); the motion aids the
// panel switches on. The scene itself holds no drawing state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "commun/signalement.h"
#include "robot/apercu_cible.h"
#include "scene/ombres_fixes.h"
#include "scene/scene.h"

// The motion aids drawn over the robots, switched from the panel only (not scene options):
// the tool trail, the target as a ghost gripper, the reachable region in THETA1's plane.
struct AidesMouvement {
    CibleFantome fantome;  // what the ghost gripper shows (the scene's options say which aids)
    // The arm read from a description whose ghost shows fantome.articulations, or null.
    const Entite* brasFantome = nullptr;
};

// Draws one scene; made with it, it lives no longer than the scene.
struct ListesFixes;

class Dessinateur {
public:
    // The scene drawn; it outlives the drawer.
    CScene& scene;
    // The motion aids drawn over the robots.
    AidesMouvement aides;

    // Shadow-map state: the depth and spot textures' OpenGL names (0: none).
    unsigned texOmbre = 0, texSpot = 0;
    // The depths of the still meshes are kept between frames (ombres_fixes.h); off, every
    // depth pass draws every caster.
    bool garderOmbresFixes = true;
    OmbresFixes ombresFixes;  // which casters' depths are kept
    // Width over height of the 3D view, for the perspective.
    float rapportAspect = 1.0f;

    // Draws `scene`; needs no OpenGL context until a drawing method is called.
    explicit Dessinateur(CScene& scene);
    Dessinateur(const Dessinateur&) = delete;
    Dessinateur& operator=(const Dessinateur&) = delete;  // one drawer per scene

    // Installs texture i of the scene (decodes its image, makes its OpenGL texture).
    void installTexture(unsigned i);
    // Installs light i of the scene as OpenGL light i.
    void installLumiere(int i);
    // The OpenGL state of the scene's options, its lights and textures, the shadow textures.
    void initGL();
    // Draws one frame: floor, objects, shadows, motion aids, grids, light markers.
    void affiche();
    // Draws the floor and the instances (and their boxes) for the current pass.
    void afficheObjets();
    // Draws the grids the options ask for.
    void afficheGrilles();
    // Draws a marker at each light.
    void afficheLumieres();
    // Draws an instance's bounding box.
    void dessineBoite(Instance& instance);
    // The pick name under a window point, or -1.
    int selection(int x, int y);
    // The projection for this aspect ratio (kept in rapportAspect).
    void setPerspective(float aspect);
    // The four options that change OpenGL's state at once: the scene's option and the state.
    void setSmoothShading(bool b);    // smooth or flat shading
    void setDithering(bool b);        // dithering
    void setAntialiasing(bool b);     // smoothed lines
    void setBackfaceCulling(bool b);  // back faces left out
    // Makes the depth and spot textures; false when OpenGL refuses them.
    bool creeTexturesOmbrage();
    // Renders light 0's depth map.
    void rendCarteOmbre();
    // Sets up the projection of the depth map and the spot from light 0.
    void activeProjectionOmbre();

    // Reports a drawing problem on the console the first time this text is seen (since the
    // scene was last emptied or its registry exchanged).
    void signaleUneFois(const std::string& message);
    // The report-once memory, for the drawing functions that guard a call with it.
    SignaleurUneFois& erreursSignalees();

private:
    void dessineSol();
    void dessineInstanceProtegee(Instance& instance, int& compteur);
    // The grid cut for the current options; reports an unusable or widened step once.
    DecoupageGrille decoupageGrille();
    // Forgets the reports when the scene was emptied or its registry exchanged.
    void suitScene();

    // The floor's and the grids' display lists (rendu.cpp), made on first use.
    std::shared_ptr<ListesFixes> listesFixes_;
    ListesFixes& listesFixes();

    SignaleurUneFois erreursSignalees_;
    unsigned long generationVue_ = 0;
    int etatGrilleSignale = 0;   // 0 usable, 1 step not positive, 2 step widened
    int tailleTextureOmbre = 0;  // size the depth texture was created with
    int tailleCarteRendue = 0;   // size of the last depth pass (at most the texture's)
    // What the depth pass draws of the casters: all, the kept ones, or the others.
    enum class PartieProfondeur { Tout, Fixes, Mobiles } partieProfondeur = PartieProfondeur::Tout;
    std::vector<uint32_t> profondeursFixes;  // the kept depths, bottom row first
    void dessineProfondeurs(int x, int y, int s);
    std::vector<double> cleCarteOmbre(int x, int y, int s) const;
};
