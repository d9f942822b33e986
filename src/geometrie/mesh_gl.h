// Drawing meshes with OpenGL: the faces from one display list per mesh, recorded again when
// the mesh or an option it depends on changes, or in immediate mode.
#pragma once

class CScene;
class Instance;
class Mesh;
struct Material;

// Draws the mesh under one pick name (advancing nomSelection), with its own matrix, texture
// and materials; `instance` is the placed object being drawn (its highlight), or null.
void dessineMesh(Mesh& mesh, CScene& scene, int& nomSelection, Instance* instance);

// Sets the OpenGL material and colour of a material record (the default one for null).
void appliqueMaterial(const Material* m);
