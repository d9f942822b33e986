// Runs of consecutive triangles that can be left out of a drawing as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A run of consecutive triangles of an index list, with what a conservative test needs: a
// sphere around its vertices, the cone of its triangles' normals and the cone of its vertex
// normals. A cone is given by its unit axis and the cosine and sine of its half-angle; a run
// whose normals spread over a half-space or more has no usable cone (`coneFaces` false).
struct Grappe {
    uint32_t debut = 0, nombre = 0;  // first index and number of indices
    float centre[3] = {0, 0, 0};
    float rayon = 0;
    bool coneFaces = false, coneSommets = false;
    float axeFaces[3] = {0, 0, 1}, cosFaces = 1, sinFaces = 0;
    float axeSommets[3] = {0, 0, 1}, cosSommets = 1, sinSommets = 0;
};

// Cuts the triangles of indices [debut, fin) into runs of `triangles` triangles. Vertex i's
// position is at positions[i * pas] and its normal at normales[i * pas].
std::vector<Grappe> formeGrappes(const std::vector<uint32_t>& indices, size_t debut, size_t fin,
                                 const float* positions, const float* normales, size_t pas,
                                 size_t triangles);

// True when every triangle of the run turns its back (its corners clockwise seen from there)
// to the point `oeil` (x, y, z, w; w = 0 for a point at infinity in that direction), by a
// margin that rounding cannot cross.
bool grappeDeDos(const Grappe& g, const float oeil[4]);

// True when every vertex normal of the run points away from the light at `lumiere` (x, y, z,
// w as OpenGL takes a light's position): the light's diffuse and specular parts are zero on
// each of its vertices.
bool grappeSansLumiere(const Grappe& g, const float lumiere[4]);

// Where a projection sees from, in eye coordinates: (0, 0, 0, 1) for a perspective with its
// centre at the eye, (0, 0, 1, 0) for an orthographic one, false for any other kind (whose
// facing the tests above would not follow). Column-major, as OpenGL gives it.
bool oeilDeProjection(const float projection[16], float oeil[4]);

// A point or direction of eye coordinates in an object's own coordinates, through the
// inverse of its modelview; false when that matrix is not affine or mirrors (a mirror turns
// faces around).
bool versObjet(const float modelview[16], const float p[4], float objet[4]);

// True when the box [min, max] of an object's coordinates lies wholly beyond one plane of the
// view volume of these matrices (column-major), by a margin: nothing of it can show.
bool boiteHorsChamp(const float projection[16], const float modelview[16], const float min[3],
                    const float max[3]);
