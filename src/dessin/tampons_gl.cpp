// A mesh's faces from vertex buffers of indexed, shared vertices.
#include "dessin/tampons_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "dessin/commun_mesh_gl.h"
#include "dessin/contexte_gl.h"
#include "dessin/mesh_gl.h"
#include "geometrie/grappes.h"
#include "geometrie/mesh.h"
#include "geometrie/ordre_triangles.h"

using meshgl::contexteGLCourant;
using meshgl::dans;
using meshgl::memeMaterial;
using meshgl::sommetsValides;

namespace {
// Vertex buffers (GL_ARB_vertex_buffer_object), looked up once; without them the arrays stay
// on the client side.
namespace vbo {
PFNGLGENBUFFERSARBPROC genere = nullptr;
PFNGLBINDBUFFERARBPROC lie = nullptr;
PFNGLBUFFERDATAARBPROC remplit = nullptr;
PFNGLDELETEBUFFERSARBPROC efface = nullptr;

bool disponibles() {
    static const bool ok = [] {
        const char* e = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        if (!e || !std::strstr(e, "GL_ARB_vertex_buffer_object")) return false;
        auto cherche = [](const char* nom) { return contexteGL::fonction(nom); };
        genere = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(cherche("glGenBuffersARB"));
        lie = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(cherche("glBindBufferARB"));
        remplit = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(cherche("glBufferDataARB"));
        efface = reinterpret_cast<PFNGLDELETEBUFFERSARBPROC>(cherche("glDeleteBuffersARB"));
        return genere && lie && remplit && efface;
    }();
    return ok;
}
}  // namespace vbo

// Big meshes are cut into runs of this many triangles, each left out of a pass where it
// cannot show.
constexpr size_t TRIANGLES_MIN_GRAPPES = 8192, TRIANGLES_PAR_GRAPPE = 128;

// What the current matrices and lighting let a drawing leave out: the runs turned away from
// the eye when back faces are culled, and in light 0's pass the runs it cannot light (they
// would add nothing).
struct Omissions {
    bool dos = false, lumiere = false;
    float oeil[4] = {0, 0, 0, 1}, lampe[4] = {0, 0, 0, 1};

    Omissions(bool, bool) {}  // leaves nothing out
    explicit Omissions(bool profondeur) {
        GLint mode = 0, face = 0, polygones[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, polygones);
        if (polygones[0] != GL_FILL || polygones[1] != GL_FILL) return;
        glGetIntegerv(GL_CULL_FACE_MODE, &mode);
        glGetIntegerv(GL_FRONT_FACE, &face);
        float mv[16], pr[16], oeilVue[4];
        glGetFloatv(GL_MODELVIEW_MATRIX, mv);
        glGetFloatv(GL_PROJECTION_MATRIX, pr);
        dos = glIsEnabled(GL_CULL_FACE) == GL_TRUE && mode == GL_BACK && face == GL_CCW &&
              oeilDeProjection(pr, oeilVue) && versObjet(mv, oeilVue, oeil);
        if (profondeur || passeObjets != PasseObjets::Lumiere0) return;
        GLint deuxFaces = 1;
        glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &deuxFaces);
        float l[4];
        glGetLightfv(GL_LIGHT0, GL_POSITION, l);  // in eye coordinates
        lumiere = glIsEnabled(GL_LIGHTING) == GL_TRUE && glIsEnabled(GL_LIGHT0) == GL_TRUE &&
                  deuxFaces == 0 && versObjet(mv, l, lampe);
    }
    bool omet(const Grappe& g) const {
        return (dos && grappeDeDos(g, oeil)) || (lumiere && grappeSansLumiere(g, lampe));
    }
};

// A mesh's faces as indexed triangles: corners with the same vertex, normal and texture
// coordinates share one vertex, so that OpenGL transforms and lights it once instead of once
// per corner (about six times on a smooth closed mesh). Polygons become fans from their first
// corner, in face order, each given as (k - 1, k, 0), the order in which Mesa cuts a polygon
// (its first corner last, for flat shading), so that the triangles are rasterised and
// interpolated exactly as the display list's. A
// second, positions-only set serves the depth pass from light 0 (no lighting there).
}  // namespace

struct TamponsMesh {
    // A run of faces with one material.
    struct Lot {
        const Material* material;
        size_t debut;  // first index
        GLsizei nombre;
        GLuint min, max;
    };
    bool fait = false, utilisable = false;
    uint64_t revision = 0;
    bool texturage = false;
    std::vector<std::pair<const Material*, Material>> materiaux;

    bool avecTexture = false;
    int flottants = 6;            // per vertex: [u, v,] normal, position
    std::vector<float> sommets;   // emptied once in a buffer
    std::vector<GLuint> indices;  // idem
    std::vector<Lot> lots;
    std::vector<float> positions;           // the mesh's vertex positions (depth pass)
    std::vector<GLuint> indicesProfondeur;  // every triangle, on those positions
    GLsizei nbIndicesProfondeur = 0;
    GLuint maxProfondeur = 0;
    float derniereNormale[3] = {0, 0, 1};
    bool derniereNormaleConnue = false;
    // Vertices, indices, positions, depth indices, and the indices in file order when the
    // triangles were put in runs.
    GLuint tampons[5] = {0, 0, 0, 0, 0};
    std::vector<GLuint> indicesFichier;  // emptied once in a buffer
    bool enRuns = false;
    bool boiteValide = false;
    float boiteMin[3] = {0, 0, 0}, boiteMax[3] = {0, 0, 0};
    // Runs of triangles left out where they could not show (grappes.h): those of lot i are
    // grappes[grappesLot[i]] to grappes[grappesLot[i + 1]]; the depth pass has its own.
    std::vector<Grappe> grappes, grappesProfondeur;
    std::vector<size_t> grappesLot;

    ~TamponsMesh() { libere(); }
    void libere() {
        if (tampons[0] != 0 && contexteGLCourant()) vbo::efface(enRuns ? 5 : 4, tampons);
        std::fill(std::begin(tampons), std::end(tampons), 0u);
    }

    bool aJour(const Mesh& mesh, bool texturage_) const {
        if (!fait || revision != mesh.revision() || texturage != texturage_) return false;
        for (const auto& [m, valeurs] : materiaux)
            if (!memeMaterial(*m, valeurs)) return false;
        return true;
    }

    // Builds the arrays; `utilisable` stays false for what they cannot show as the list does
    // (corners of one textured mesh with and without texture coordinates).
    void construit(const Mesh& mesh, bool texturage_) {
        libere();
        fait = true;
        utilisable = false;
        revision = mesh.revision();
        texturage = texturage_;
        materiaux.clear();
        sommets.clear();
        indices.clear();
        lots.clear();
        positions.clear();
        indicesProfondeur.clear();
        maxProfondeur = 0;
        derniereNormaleConnue = false;
        meshgl::retientMateriaux(mesh, materiaux);
        if (!choisitTexture(mesh, texturage_)) return;
        triangule(mesh);
        fermeLots(mesh);
        formeLesGrappes();
        utilisable = true;
        if (vbo::disponibles() && contexteGLCourant()) envoieTampons();
    }

    // Texture coordinates go into the arrays only where a texture shows them; a mesh with
    // some corners lacking them would take the previous corner's in the list: false then.
    bool choisitTexture(const Mesh& mesh, bool texturage_) {
        avecTexture = false;
        if (texturage_ && mesh.texture) {
            bool avec = false, sans = false;
            for (const Face& f : mesh.faces)
                for (int k = 0; k < f.nbCoins(); ++k) {
                    const int t = f.texCoords[k];
                    (t != -1 && dans(t, mesh.texCoords.size()) ? avec : sans) = true;
                }
            if (avec && sans) return false;
            avecTexture = avec;
        }
        flottants = avecTexture ? 8 : 6;
        return true;
    }

    // The faces as triangles of shared vertices, cut as GL_POLYGON is, in material runs; and
    // the positions-only triangles of the depth pass.
    void triangule(const Mesh& mesh) {
        const auto& ms = mesh.sommets;
        const auto& mn = mesh.normales;
        const auto& mt = mesh.texCoords;

        // The vertices made for each mesh vertex, chained: most have a single one.
        std::vector<int> premier(ms.size(), -1);
        std::vector<int> suivant;
        std::vector<std::pair<int, int>> cles;  // (normal, texture coordinates) of each
        const size_t nbCoinsMax = [&] {
            size_t n = 0;
            for (const Face& f : mesh.faces) n += static_cast<size_t>(f.nbCoins());
            return n;
        }();
        indices.reserve(nbCoinsMax * 3);
        indicesProfondeur.reserve(nbCoinsMax * 3);
        auto sommet = [&](const Face& f, int k) -> GLuint {
            const int s = f.sommets[k];
            const int n = f.normales[k];
            const int t = avecTexture ? f.texCoords[k] : -1;
            const bool normaleValide = dans(n, mn.size());
            if (normaleValide)
                for (int v = premier[s]; v != -1; v = suivant[v])
                    if (cles[v].first == n && cles[v].second == t) return static_cast<GLuint>(v);
            const int v = static_cast<int>(cles.size());
            // A corner without a usable normal takes the face normal: its own vertex.
            cles.emplace_back(normaleValide ? n : -1, t);
            suivant.push_back(normaleValide ? premier[s] : -1);
            if (normaleValide) premier[s] = v;
            const CVecteur& normale = normaleValide ? mn[n] : f.normale;
            if (avecTexture) {
                sommets.push_back(mt[t].first);
                sommets.push_back(mt[t].second);
            }
            sommets.insert(sommets.end(),
                           {normale.x, normale.y, normale.z, ms[s].x, ms[s].y, ms[s].z});
            return static_cast<GLuint>(v);
        };

        const Material* courant = nullptr;
        for (const Face& f : mesh.faces) {
            if (!sommetsValides(f, ms.size())) continue;
            if (f.material != courant) {
                courant = f.material;
                lots.push_back({courant, indices.size(), 0, ~0u, 0});
            }
            // The list leaves the last corner's normal current, even for a face too small
            // to show.
            if (f.nbCoins() > 0) {
                const int n = f.normales[f.nbCoins() - 1];
                const CVecteur& normale = dans(n, mn.size()) ? mn[n] : f.normale;
                derniereNormale[0] = normale.x;
                derniereNormale[1] = normale.y;
                derniereNormale[2] = normale.z;
                derniereNormaleConnue = true;
            }
            if (f.nbCoins() < 3) continue;  // a polygon of fewer than three corners shows nothing
            if (lots.empty()) lots.push_back({courant, indices.size(), 0, ~0u, 0});
            Lot& lot = lots.back();
            const GLuint v0 = sommet(f, 0);
            GLuint precedent = sommet(f, 1);
            for (int k = 2; k < f.nbCoins(); ++k) {
                const GLuint v = sommet(f, k);
                for (GLuint i : {precedent, v, v0}) {
                    indices.push_back(i);
                    lot.min = std::min(lot.min, i);
                    lot.max = std::max(lot.max, i);
                }
                for (int c : {k - 1, k, 0}) {
                    const GLuint s = static_cast<GLuint>(f.sommets[c]);
                    indicesProfondeur.push_back(s);
                    maxProfondeur = std::max(maxProfondeur, s);
                }
                precedent = v;
            }
        }
    }

    // Each material run's count and index range; the positions of the depth pass.
    void fermeLots(const Mesh& mesh) {
        for (size_t i = 0; i < lots.size(); ++i) {
            const size_t fin = i + 1 < lots.size() ? lots[i + 1].debut : indices.size();
            lots[i].nombre = static_cast<GLsizei>(fin - lots[i].debut);
            if (lots[i].nombre == 0) lots[i].min = lots[i].max = 0;
        }
        nbIndicesProfondeur = static_cast<GLsizei>(indicesProfondeur.size());
        positions.reserve(mesh.sommets.size() * 3);
        for (const Sommet& s : mesh.sommets) positions.insert(positions.end(), {s.x, s.y, s.z});
        // The box of every vertex, for leaving the mesh out when it is out of view.
        boiteValide = !positions.empty();
        for (int a = 0; a < 3; ++a) {
            boiteMin[a] = boiteMax[a] = boiteValide ? positions[static_cast<size_t>(a)] : 0;
            for (size_t i = static_cast<size_t>(a); i < positions.size(); i += 3) {
                boiteMin[a] = std::min(boiteMin[a], positions[i]);
                boiteMax[a] = std::max(boiteMax[a], positions[i]);
                boiteValide = boiteValide && std::isfinite(positions[i]);
            }
        }
    }

    // Big meshes only: a small one costs less drawn whole than tested run by run.
    void formeLesGrappes() {
        grappes.clear();
        grappesProfondeur.clear();
        grappesLot.clear();
        indicesFichier.clear();
        enRuns = indices.size() / 3 >= TRIANGLES_MIN_GRAPPES;
        if (!enRuns) return;
        // Compact runs have narrow cones. A blended drawing keeps the file's order.
        indicesFichier = indices;
        for (const Lot& lot : lots)
            ordonneEnRuns(indices, lot.debut, lot.debut + static_cast<size_t>(lot.nombre),
                          TRIANGLES_PAR_GRAPPE);
        ordonneEnRuns(indicesProfondeur, 0, indicesProfondeur.size(), TRIANGLES_PAR_GRAPPE);
        const size_t pas = static_cast<size_t>(flottants), n0 = avecTexture ? 2 : 0;
        for (const Lot& lot : lots) {
            grappesLot.push_back(grappes.size());
            const auto g = formeGrappes(
                indices, lot.debut, lot.debut + static_cast<size_t>(lot.nombre),
                sommets.data() + n0 + 3, sommets.data() + n0, pas, TRIANGLES_PAR_GRAPPE);
            grappes.insert(grappes.end(), g.begin(), g.end());
        }
        grappesLot.push_back(grappes.size());
        grappesProfondeur = formeGrappes(indicesProfondeur, 0, indicesProfondeur.size(),
                                         positions.data(), nullptr, 3, TRIANGLES_PAR_GRAPPE);
    }

    // The arrays into buffers held by OpenGL, the client copies then let go.
    void envoieTampons() {
        vbo::genere(enRuns ? 5 : 4, tampons);
        auto envoie = [](GLenum cible, GLuint nom, const void* donnees, size_t octets) {
            vbo::lie(cible, nom);
            vbo::remplit(cible, static_cast<GLsizeiptrARB>(octets), donnees, GL_STATIC_DRAW_ARB);
        };
        envoie(GL_ARRAY_BUFFER_ARB, tampons[0], sommets.data(), sommets.size() * 4);
        envoie(GL_ELEMENT_ARRAY_BUFFER_ARB, tampons[1], indices.data(), indices.size() * 4);
        envoie(GL_ARRAY_BUFFER_ARB, tampons[2], positions.data(), positions.size() * 4);
        envoie(GL_ELEMENT_ARRAY_BUFFER_ARB, tampons[3], indicesProfondeur.data(),
               indicesProfondeur.size() * 4);
        if (enRuns)
            envoie(GL_ELEMENT_ARRAY_BUFFER_ARB, tampons[4], indicesFichier.data(),
                   indicesFichier.size() * 4);
        vbo::lie(GL_ARRAY_BUFFER_ARB, 0);
        vbo::lie(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
        // Held by OpenGL now.
        std::vector<float>().swap(sommets);
        std::vector<GLuint>().swap(indices);
        std::vector<float>().swap(positions);
        std::vector<GLuint>().swap(indicesProfondeur);
        std::vector<GLuint>().swap(indicesFichier);
    }

    // Where the arrays start: offsets in the buffers, or the client copies.
    const void* adresse(const void* client, size_t decalage) const {
        if (tampons[0] != 0) return reinterpret_cast<const void*>(decalage);
        return static_cast<const char*>(client) + decalage;
    }

    // The indices [debut, fin) without the runs left out; the runs grappes[de, a) cover
    // them (none: drawn whole).
    void dessineEnGrappes(const std::vector<Grappe>& gs, size_t de, size_t a, size_t debut,
                          size_t fin, GLuint min, GLuint max, const GLuint* client,
                          const Omissions& o) const {
        auto trace = [&](size_t d, size_t f) {
            if (f > d)
                glDrawRangeElements(GL_TRIANGLES, min, max, static_cast<GLsizei>(f - d),
                                    GL_UNSIGNED_INT, adresse(client, d * sizeof(GLuint)));
        };
        if (de >= a) return trace(debut, fin);
        size_t d = gs[de].debut, f = d;
        for (size_t k = de; k < a; ++k) {
            const Grappe& g = gs[k];
            if (o.omet(g)) continue;
            if (g.debut != f) {
                trace(d, f);
                d = g.debut;
            }
            f = g.debut + g.nombre;
        }
        trace(d, f);
    }

    // Out of the view: nothing drawn, but the material and normal left current as a drawing
    // would leave them, for what comes next.
    bool horsChamp(bool profondeur) const {
        if (!boiteValide || !grappesActives) return false;
        float mv[16], pr[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, mv);
        glGetFloatv(GL_PROJECTION_MATRIX, pr);
        if (!boiteHorsChamp(pr, mv, boiteMin, boiteMax)) return false;
        if (!profondeur) {
            appliqueMaterial(lots.empty() ? nullptr : lots.back().material);
            if (derniereNormaleConnue) glNormal3fv(derniereNormale);
        }
        return true;
    }

    void dessine(bool profondeur) const {
        if (horsChamp(profondeur)) return;
        const bool enTampons = tampons[0] != 0;
        const Omissions omissions = grappesProfondeur.empty() || !grappesActives
                                        ? Omissions(true, false)
                                        : Omissions(profondeur);
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glEnableClientState(GL_VERTEX_ARRAY);
        if (profondeur) {
            // Light 0's depth map: positions only, no lighting, no material.
            if (enTampons) {
                vbo::lie(GL_ARRAY_BUFFER_ARB, tampons[2]);
                vbo::lie(GL_ELEMENT_ARRAY_BUFFER_ARB, tampons[3]);
            }
            glVertexPointer(3, GL_FLOAT, 0, adresse(positions.data(), 0));
            if (nbIndicesProfondeur > 0)
                dessineEnGrappes(grappesProfondeur, 0, grappesProfondeur.size(), 0,
                                 static_cast<size_t>(nbIndicesProfondeur), 0, maxProfondeur,
                                 indicesProfondeur.data(), omissions);
        } else {
            // Blending that depends on the order (not light 0's, which adds) needs the
            // file's; so does the comparison with every triangle drawn.
            const bool ordreFichier =
                enRuns && (!grappesActives || (passeObjets != PasseObjets::Lumiere0 &&
                                               glIsEnabled(GL_BLEND) == GL_TRUE));
            if (enTampons) {
                vbo::lie(GL_ARRAY_BUFFER_ARB, tampons[0]);
                vbo::lie(GL_ELEMENT_ARRAY_BUFFER_ARB, tampons[ordreFichier ? 4 : 1]);
            }
            const GLuint* lesIndices = ordreFichier ? indicesFichier.data() : indices.data();
            const GLsizei pas = static_cast<GLsizei>(flottants * sizeof(float));
            const size_t n0 = avecTexture ? 2 * sizeof(float) : 0;
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, pas, adresse(sommets.data(), n0));
            glVertexPointer(3, GL_FLOAT, pas, adresse(sommets.data(), n0 + 3 * sizeof(float)));
            if (avecTexture) {
                glEnableClientState(GL_TEXTURE_COORD_ARRAY);
                glTexCoordPointer(2, GL_FLOAT, pas, adresse(sommets.data(), 0));
            }
            appliqueMaterial(nullptr);
            const Material* courant = nullptr;
            for (size_t i = 0; i < lots.size(); ++i) {
                const Lot& lot = lots[i];
                if (lot.material != courant) {
                    appliqueMaterial(lot.material);
                    courant = lot.material;
                }
                if (lot.nombre <= 0) continue;
                const bool enGrappes = !ordreFichier && i + 1 < grappesLot.size();
                dessineEnGrappes(grappes, enGrappes ? grappesLot[i] : 0,
                                 enGrappes ? grappesLot[i + 1] : 0, lot.debut,
                                 lot.debut + static_cast<size_t>(lot.nombre), lot.min, lot.max,
                                 lesIndices, omissions);
            }
        }
        if (enTampons) {
            vbo::lie(GL_ARRAY_BUFFER_ARB, 0);
            vbo::lie(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
        }
        glPopClientAttrib();
        // Arrays leave the current normal undefined; the list leaves its last corner's.
        if (!profondeur && derniereNormaleConnue) glNormal3fv(derniereNormale);
    }
};

void SupprimeTampons::operator()(TamponsMesh* t) const { delete t; }

bool dessineParTampons(PtrTampons& tampons, Mesh& mesh, bool texturage) {
    if (!tampons) tampons.reset(new TamponsMesh);
    TamponsMesh& t = *tampons;
    if (!t.aJour(mesh, texturage)) t.construit(mesh, texturage);
    if (!t.utilisable) return false;
    t.dessine(passeObjets == PasseObjets::Profondeur);
    return true;
}
