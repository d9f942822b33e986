// Drawing metaball zones: the triangles of a zone drawn from client-side vertex arrays.
#include "dessin/metaballzone_gl.h"

#include <GL/gl.h>

#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "dessin/dessinateur.h"
#include "dessin/mesh_gl.h"
#include "metaball/metaballzone.h"
#include "scene/scene.h"

namespace {
// Per vertex: r, g, b, a, then the normal, then the position. One buffer for every zone and
// frame (drawing is single-threaded), so that it is allocated once.
constexpr int FLOTTANTS_PAR_SOMMET = 10;
std::vector<float>& tampon() {
    static std::vector<float> t;
    return t;
}

// The triangles each zone gave the depth pass, with the frame they belong to: the frame's
// own passes draw them again instead of polygonising the zone a second time.
struct TrianglesDeLImage {
    unsigned long long image = 0;
    std::vector<float> t;
};
std::unordered_map<const MetaballZone*, TrianglesDeLImage>& triangles() {
    static std::unordered_map<const MetaballZone*, TrianglesDeLImage> m;
    return m;
}
}  // namespace

void PuitsTrianglesGL::debut() { tampon().clear(); }

void PuitsTrianglesGL::sommet(const RGBA& c, const CVecteur& n, const CVecteur& p) {
    tampon().insert(tampon().end(), {c.r, c.g, c.b, c.a, n.x, n.y, n.z, p.x, p.y, p.z});
}

void PuitsTrianglesGL::fin() {
    std::vector<float>& t = tampon();
    const GLsizei n = static_cast<GLsizei>(t.size() / FLOTTANTS_PAR_SOMMET);
    if (n == 0) return;
    const GLsizei pas = FLOTTANTS_PAR_SOMMET * sizeof(float);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glColorPointer(4, GL_FLOAT, pas, t.data());
    glNormalPointer(GL_FLOAT, pas, t.data() + 4);
    glVertexPointer(3, GL_FLOAT, pas, t.data() + 7);
    glDrawArrays(GL_TRIANGLES, 0, n);
    glPopClientAttrib();
    // Drawn vertex by vertex, the zone would leave its last vertex's colour and normal
    // current, and what is drawn next without its own colour (the zone's bounding box)
    // takes that colour; arrays leave the current values undefined, so set them.
    const float* dernier = t.data() + static_cast<size_t>(n - 1) * FLOTTANTS_PAR_SOMMET;
    glColor4fv(dernier);
    glNormal3fv(dernier + 4);
}

void dessineMetaballZone(MetaballZone& zone, Dessinateur& dessin, int& nomSelection) {
    glLoadName(static_cast<GLuint>(nomSelection));
    ++nomSelection;
    PuitsTrianglesGL gl;
    // Light 0's pass follows the base pass of the same instance, whose triangles are still
    // in the buffer: drawing them again spares a second polygonisation.
    if (passeObjets == PasseObjets::Lumiere0) {
        gl.fin();
        return;
    }
    zone.retirePrimitivesDetruites();
    auto& memoire = triangles();
    if (passeObjets != PasseObjets::Profondeur) {
        const auto trouve = memoire.find(&zone);
        if (trouve != memoire.end() && trouve->second.image == imageEnCours) {
            tampon() = trouve->second.t;
            gl.fin();
            return;
        }
    }
    gl.debut();
    if (zone.resolution > MetaballZone::RESOLUTION_MAX)
        dessin.signaleUneFois("MetaballZone : résolution " + std::to_string(zone.resolution) +
                              " supérieure à " + std::to_string(MetaballZone::RESOLUTION_MAX) +
                              ", la zone n'est pas dessinée");
    else
        zone.polygonise(gl);
    if (passeObjets == PasseObjets::Profondeur) {
        // Zones of earlier frames (some since destroyed) are forgotten.
        for (auto i = memoire.begin(); i != memoire.end();)
            i = i->second.image != imageEnCours ? memoire.erase(i) : std::next(i);
        TrianglesDeLImage& m = memoire[&zone];
        m.image = imageEnCours;
        m.t = tampon();
    }
    gl.fin();
}
