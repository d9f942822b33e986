// Drawing meshes with OpenGL: the faces from vertex buffers or from one display list per mesh,
// made again when the mesh or an option they depend on changes, or in immediate mode.
#pragma once

class Dessinateur;
class Instance;
class Mesh;
struct Material;

// What the current drawing of the objects is for. With shadows the frame draws the objects
// for light 0's depth map, then draws each object twice: lit by all but light 0's direct
// light, then with light 0's direct light alone, added where the shadow test lets it through.
enum class PasseObjets {
    Unique,      // one drawing, as without shadows (or with the original shadows)
    Profondeur,  // the depth map seen from light 0
    Base,        // ambient and the other lights
    Lumiere0,    // light 0's direct light alone, added to what the base pass left
};
inline PasseObjets passeObjets = PasseObjets::Unique;

// Counts the frames (CScene::affiche): what the depth pass computed for an object can serve
// the passes of the same frame.
inline unsigned long long imageEnCours = 0;

// Lines (bounding boxes, robot frames) are drawn once and only where colour shows as it
// is: they cast no shadow and are not lit twice.
inline bool lignesDessinees() {
    return passeObjets == PasseObjets::Unique || passeObjets == PasseObjets::Base;
}

// How meshes are drawn when not in immediate mode (Mesh::modeImmediat): from vertex buffers
// of indexed, shared vertices, or from one display list per mesh as before (option -listes,
// kept for comparisons). Both give the same pixels.
enum class ModeMeshes { Tampons, Listes };
inline ModeMeshes modeMeshes = ModeMeshes::Tampons;

// Big meshes drawn from buffers leave out the runs of triangles that cannot show in a pass
// (turned away from the eye with back faces culled, or unlit in light 0's pass). Off only to
// compare with the drawing of every triangle.
inline bool grappesActives = true;

// Draws the mesh under one pick name (advancing nomSelection), with its own matrix, texture
// and materials; `instance` is the placed object being drawn (its highlight), or null.
void dessineMesh(Mesh& mesh, Dessinateur& dessin, int& nomSelection, Instance* instance);

// Sets the OpenGL material and colour of a material record (the default one for null).
void appliqueMaterial(const Material* m);
