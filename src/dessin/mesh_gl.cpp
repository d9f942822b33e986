// Drawing meshes with OpenGL: materials, faces, display lists (vertex buffers: tampons_gl.cpp).
#include "dessin/mesh_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "dessin/commun_mesh_gl.h"
#include "dessin/contexte_gl.h"
#include "dessin/dessinateur.h"
#include "dessin/tampons_gl.h"
#include "geometrie/mesh.h"
#include "scene/scene.h"

void appliqueMaterial(const Material* m) {
    static const Material parDefaut;
    if (!m) m = &parDefaut;
    auto vers = [](const RGBA& c, float(&t)[4]) {
        t[0] = c.r;
        t[1] = c.g;
        t[2] = c.b;
        t[3] = c.a;
    };
    float couleur[4];
    vers(m->couleur4, couleur);
    // Light 0's pass adds its light to the base pass, which has the emission already.
    if (passeObjets == PasseObjets::Lumiere0) couleur[0] = couleur[1] = couleur[2] = 0;
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, couleur);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m->brillance);
    vers(m->couleur2, couleur);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, couleur);
    glColor4f(m->couleur1.r, m->couleur1.g, m->couleur1.b, m->couleur1.a);
}

namespace meshgl {
// A face with a bad vertex index is skipped rather than aborting the frame.
bool sommetsValides(const Face& f, size_t nbSommets) {
    for (int s : f.sommets)
        if (!dans(s, nbSommets)) return false;
    return true;
}

// Bit for bit, so that a NaN colour does not make the list look outdated at every frame.
bool memeCouleur(const RGBA& a, const RGBA& b) {
    const float u[4] = {a.r, a.g, a.b, a.a}, v[4] = {b.r, b.g, b.b, b.a};
    return std::memcmp(u, v, sizeof u) == 0;
}

bool memeMaterial(const Material& a, const Material& b) {
    return memeCouleur(a.couleur1, b.couleur1) && memeCouleur(a.couleur2, b.couleur2) &&
           memeCouleur(a.couleur3, b.couleur3) && memeCouleur(a.couleur4, b.couleur4) &&
           std::memcmp(&a.brillance, &b.brillance, sizeof a.brillance) == 0;
}

void retientMateriaux(const Mesh& mesh, MateriauxRetenus& materiaux) {
    materiaux.clear();
    for (const Face& f : mesh.faces)
        if (f.material && (materiaux.empty() || materiaux.back().first != f.material)) {
            const bool connu = std::any_of(materiaux.begin(), materiaux.end(),
                                           [&](const auto& e) { return e.first == f.material; });
            if (!connu) materiaux.emplace_back(f.material, *f.material);
        }
}

// Set once the program is ending: the context may be gone by the time meshes are destroyed.
bool finDuProgramme = false;

bool contexteGLCourant() { return !finDuProgramme && contexteGL::courant(); }
}  // namespace meshgl

namespace {
using meshgl::contexteGLCourant;
using meshgl::dans;
using meshgl::memeMaterial;
using meshgl::sommetsValides;

// The faces, the way dessineMesh issues them; this is what a display list records.
void dessineFaces(const Mesh& mesh, bool smoothshading, bool texturage) {
    const auto& sommets = mesh.sommets;
    const auto& normales = mesh.normales;
    const auto& texCoords = mesh.texCoords;
    appliqueMaterial(nullptr);
    const Material* courant = nullptr;
    for (const Face& f : mesh.faces) {
        if (!sommetsValides(f, sommets.size())) continue;

        if (f.material != courant) {
            appliqueMaterial(f.material);
            courant = f.material;
        }
        glBegin(GL_POLYGON);
        if (!smoothshading) glNormal3f(f.normale.x, f.normale.y, f.normale.z);
        for (int k = 0; k < f.nbCoins(); ++k) {
            const Sommet& s = sommets[f.sommets[k]];
            const int n = f.normales[k];
            // A corner without a usable normal takes the face normal.
            const CVecteur& normale = dans(n, normales.size()) ? normales[n] : f.normale;
            const int t = f.texCoords[k];
            if (texturage && t != -1 && dans(t, texCoords.size()))
                glTexCoord2f(texCoords[t].first, texCoords[t].second);
            if (smoothshading) glNormal3f(normale.x, normale.y, normale.z);
            glVertex3f(s.x, s.y, s.z);
        }
        glEnd();
    }
}

// Display list of a mesh's faces and what it was recorded from: the revision, the two
// options that change its content, and the values of the materials it applies. Freed with
// the mesh, when an OpenGL context is still current.
struct ListeMesh {
    GLuint liste = 0;
    uint64_t revision = 0;
    bool smooth = false, texturage = false;
    bool emissive = false;  // some material it applies has an emission
    std::vector<std::pair<const Material*, Material>> materiaux;

    ~ListeMesh() {
        if (liste != 0 && contexteGLCourant()) glDeleteLists(liste, 1);
    }

    bool aJour(const Mesh& mesh, bool smoothshading, bool texturage_) const {
        if (liste == 0 || revision != mesh.revision() || smooth != smoothshading ||
            texturage != texturage_)
            return false;
        // Materials are shared records that scripts may change after the list was made; the
        // faces still point at the same ones (that would have changed the revision).
        for (const auto& [m, valeurs] : materiaux)
            if (!memeMaterial(*m, valeurs)) return false;
        return true;
    }

    // Records the faces again, with the values of the materials they apply.
    void enregistre(const Mesh& mesh, bool smoothshading, bool texturage_) {
        meshgl::retientMateriaux(mesh, materiaux);
        emissive = std::any_of(materiaux.begin(), materiaux.end(), [](const auto& e) {
            const RGBA& c = e.second.couleur4;
            return c.r != 0 || c.g != 0 || c.b != 0;
        });
        glNewList(liste, GL_COMPILE);
        dessineFaces(mesh, smoothshading, texturage_);
        glEndList();
        revision = mesh.revision();
        smooth = smoothshading;
        texturage = texturage_;
    }
};

// What a mesh keeps for drawing: its display list and its buffers, each made on first use,
// so that the benchmark can alternate between them.
struct DessinMesh : RessourceDessin {
    ListeMesh liste;
    PtrTampons tampons;
};

DessinMesh& dessinDe(Mesh& mesh) {
    auto* d = dynamic_cast<DessinMesh*>(mesh.dessin.get());
    if (!d) {
        auto nouveau = std::make_unique<DessinMesh>();
        d = nouveau.get();
        mesh.dessin = std::move(nouveau);
        static const bool finSignalee = [] {
            return std::atexit([] { meshgl::finDuProgramme = true; }) == 0;
        }();
        (void)finSignalee;
    }
    return *d;
}

// The faces from the mesh's buffers, made again when out of date. False when the buffers
// cannot show this mesh as the list does (the caller then uses the list).
bool dessineFacesParTampons(Mesh& mesh, bool texturage) {
    return dessineParTampons(dessinDe(mesh).tampons, mesh, texturage);
}

// The faces from the mesh's display list, made or recorded again when out of date.
void dessineFacesParListe(Mesh& mesh, bool smooth, bool texturage) {
    ListeMesh* liste = &dessinDe(mesh).liste;
    if (!liste->aJour(mesh, smooth, texturage)) {
        if (liste->liste == 0) liste->liste = glGenLists(1);
        if (liste->liste != 0) liste->enregistre(mesh, smooth, texturage);
    }
    // The list applies its materials' emission as recorded; light 0's pass must not add it
    // again.
    if (liste->liste != 0 && !(liste->emissive && passeObjets == PasseObjets::Lumiere0))
        glCallList(liste->liste);
    else
        dessineFaces(mesh, smooth, texturage);  // no list could be made, or see above
}
}  // namespace

void dessineMesh(Mesh& mesh, Dessinateur& dessin, int& nomSelection, Instance* instance) {
    CScene& scene = dessin.scene;
    Texture* texture = mesh.texture;
    glLoadName(static_cast<GLuint>(nomSelection));
    ++nomSelection;
    glPushMatrix();
    glMultMatrixf(mesh.m);

    const bool textureAvant = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    const bool textureVoulue = scene.texturage && texture != nullptr;
    if (textureVoulue != textureAvant) {
        if (textureVoulue)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
    }
    // A record not yet installed (-1) binds the default texture object.
    if (texture) glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(std::max(texture->glTexture, 0)));

    if (scene.points_seuls) glPointSize(2);

    if (instance) {
        const bool surlignee =
            instance == scene.instanceSelectionnee() && scene.selection_surlignee;
        if (passeObjets == PasseObjets::Lumiere0)
            // Added to the base pass, and as translucent as that pass was.
            glBlendFunc(surlignee ? GL_SRC_ALPHA : GL_ONE, GL_ONE);
        else if (surlignee)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
    }

    // Everything above belongs to this drawing (name, matrix, texture, blending); the faces
    // and their materials are the same for every instance and come from one display list,
    // recorded again when the mesh or an option it depends on has changed.
    const bool smooth = scene.smoothshading, texturage = scene.texturage;
    // Buffers share the vertices of smooth faces; flat shading, wire frames and points keep
    // the list, whose polygons they would not draw the same way.
    if (Mesh::modeImmediat)
        dessineFaces(mesh, smooth, texturage);
    else if (!(modeMeshes == ModeMeshes::Tampons && smooth && !scene.filaire &&
               !scene.points_seuls && dessineFacesParTampons(mesh, texturage)))
        dessineFacesParListe(mesh, smooth, texturage);

    glPopMatrix();
    if ((glIsEnabled(GL_TEXTURE_2D) == GL_TRUE) != textureAvant) {
        if (textureAvant)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
    }
}
