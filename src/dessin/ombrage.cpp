// Shadows from light 0: a depth texture rendered from the light, compared with each
// fragment's distance to the light, and a spot image projected from the light. The original
// shadows hold them on texture units 0 and 1; the default ones leave unit 0 to the meshes'
// own textures and use units 1 (spot) and 2 (depth).
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "dessin/dessinateur.h"
#include "dessin/extensions_gl.h"
#include "dessin/mesh_gl.h"
#include "scene/scene.h"

namespace {
void parametresTexture() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Eye-linear generation for the four coordinates of the active unit. It is switched on by
// the frame only while the shadowed objects are drawn.
void modesGeneration() {
    for (GLenum c : {GL_S, GL_T, GL_R, GL_Q}) glTexGeni(c, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
}

void videErreursGL() {
    for (int k = 0; k < 16 && glGetError() != GL_NO_ERROR; ++k) {
    }
}
}  // namespace

bool Dessinateur::creeTexturesOmbrage() {
    if (!activeTextureDisponible()) return false;
    videErreursGL();
    const int s = scene.tailleCarteOmbre;

    extensions::glActiveTextureARB(GL_TEXTURE0_ARB);
    GLuint nom = 0;
    glGenTextures(1, &nom);
    texOmbre = nom;
    glBindTexture(GL_TEXTURE_2D, texOmbre);
    // Allocated at the farthest depth rather than copied from a window not drawn yet: the
    // texels that no depth pass reaches (a view smaller than the map, outside the light's
    // field) then read as lit instead of as leftovers.
    const size_t texels = s > 0 ? static_cast<size_t>(s) * static_cast<size_t>(s) : 0;
    const std::vector<GLfloat> loin(texels, 1.0f);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, s, s, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                 texels ? loin.data() : nullptr);
    parametresTexture();
    glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE_ARB, GL_LUMINANCE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB, GL_COMPARE_R_TO_TEXTURE_ARB);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC_ARB, GL_LEQUAL);
    const GLfloat bord[4] = {0, 0, 0, 0};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, bord);
    modesGeneration();

    extensions::glActiveTextureARB(GL_TEXTURE1_ARB);
    nom = 0;
    glGenTextures(1, &nom);
    texSpot = nom;
    glBindTexture(GL_TEXTURE_2D, texSpot);
    const std::vector<unsigned char> spot = lireSpotTga("spot.tga");
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, TAILLE_SPOT, TAILLE_SPOT, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 spot.data());
    parametresTexture();
    modesGeneration();

    // A third unit, when there is one, takes the depth texture beside the meshes' textures.
    GLint unites = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &unites);
    if (unites > 2) {
        extensions::glActiveTextureARB(GL_TEXTURE2_ARB);
        modesGeneration();
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
    }

    // The projection matrices (bias, light perspective, light view) are loaded by each
    // frame's projection; in between the texture matrices stay the identity so that
    // textured meshes are not distorted.
    for (GLenum unite : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
        extensions::glActiveTextureARB(unite);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
    }
    glMatrixMode(GL_MODELVIEW);
    glBindTexture(GL_TEXTURE_2D, 0);

    if (glGetError() != GL_NO_ERROR || texOmbre == 0 || texSpot == 0) {
        videErreursGL();
        return false;
    }
    tailleTextureOmbre = s;
    tailleCarteRendue = 0;
    return true;
}

void Dessinateur::rendCarteOmbre() {
    const Lumiere* l = scene.getLumiere(0);
    if (!l || !l->porteOmbre || !activeTextureDisponible()) return;

    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    // The pass renders into the window, so the map can be no larger than the view (nor
    // than the texture made at set-up).
    int s = std::min(scene.tailleCarteOmbre, tailleTextureOmbre);
    while (s > std::min(vp[2], vp[3])) s >>= 1;
    if (s <= 0) return;

    glViewport(vp[0], vp[1], s, s);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(90, 1, 1, 2000);
    glMatrixMode(GL_MODELVIEW);

    glDisable(GL_LIGHTING);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_POLYGON_OFFSET_FILL);
    // Objects now shade themselves: pushed further, the surfaces that face the light at a
    // grazing angle no longer speckle with their own shadow.
    GLfloat pente = 2, unites = 2;
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &pente);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &unites);
    if (!scene.ombrage_ancien) glPolygonOffset(4, 4);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glPushMatrix();
    glLoadIdentity();
    gluLookAt(l->position.x, l->position.y, l->position.z, l->visee.x, l->visee.y, l->visee.z,
              l->haut.x, l->haut.y, l->haut.z);

    // Only surfaces go into the map: lines would cast thin shadows.
    const PasseObjets passe = passeObjets;
    passeObjets = PasseObjets::Profondeur;
    dessineProfondeurs(vp[0], vp[1], s);
    passeObjets = passe;

    extensions::glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, texOmbre);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, vp[0], vp[1], s, s);
    tailleCarteRendue = s;

    glEnable(GL_LIGHTING);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(pente, unites);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(vp[0], vp[1], vp[2], vp[3]);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

namespace {
// How depths go to memory and back: packed with the stencil (bit for bit on Mesa; as
// integers alone they did not come back exactly), or as floats when the window has no
// stencil.
struct FormatProfondeurs {
    GLenum format, type;
};
constexpr FormatProfondeurs FORMATS_PROFONDEURS[] = {
    {GL_DEPTH_STENCIL_EXT, GL_UNSIGNED_INT_24_8_EXT}, {GL_DEPTH_COMPONENT, GL_FLOAT}};

// The depths of the s x s square at (x, y) of the window.
bool litProfondeurs(int x, int y, int s, std::vector<uint32_t>& profondeurs,
                    const FormatProfondeurs& f) {
    profondeurs.resize(static_cast<size_t>(s) * static_cast<size_t>(s));
    videErreursGL();
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(x, y, s, s, f.format, f.type, profondeurs.data());
    glPopClientAttrib();
    return glGetError() == GL_NO_ERROR;
}

// Writes them back at the viewport's lower-left corner, whatever was there.
void ecritProfondeurs(int s, const std::vector<uint32_t>& profondeurs, const FormatProfondeurs& f) {
    glPushAttrib(GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(-1, -1);
    glDrawPixels(s, s, f.format, f.type, profondeurs.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopClientAttrib();
    glPopAttrib();
}

// The format that brings depths back bit for bit, found once by trying each on the depths in
// the buffer (writing what was read and reading it again); null when none does. A trial that
// fails may have altered the depth buffer.
const FormatProfondeurs* formatExact(int x, int y, int s) {
    static int retenu = -1;  // index in FORMATS_PROFONDEURS; -1 not tried yet, -2 none
    if (retenu == -1) {
        retenu = -2;
        std::vector<uint32_t> lues, relues;
        for (size_t i = 0; i < std::size(FORMATS_PROFONDEURS) && retenu == -2; ++i) {
            const FormatProfondeurs& f = FORMATS_PROFONDEURS[i];
            if (!litProfondeurs(x, y, s, lues, f)) continue;
            ecritProfondeurs(s, lues, f);
            if (litProfondeurs(x, y, s, relues, f) && relues == lues) retenu = static_cast<int>(i);
        }
        videErreursGL();
    }
    return retenu >= 0 ? &FORMATS_PROFONDEURS[retenu] : nullptr;
}
}  // namespace

// Everything the depth map depends on besides the mesh instances.
std::vector<double> Dessinateur::cleCarteOmbre(int x, int y, int s) const {
    const Lumiere* l = scene.getLumiere(0);
    std::vector<double> cle = {static_cast<double>(x), static_cast<double>(y),
                               static_cast<double>(s), static_cast<double>(tailleTextureOmbre)};
    if (l)
        for (const CVecteur* v : {static_cast<const CVecteur*>(&l->position), &l->visee, &l->haut})
            cle.insert(cle.end(), {v->x, v->y, v->z});
    if (l) cle.push_back(l->position.w);
    GLfloat decalage[2] = {0, 0};
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &decalage[0]);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &decalage[1]);
    GLint face = 0, cache = 0;
    glGetIntegerv(GL_FRONT_FACE, &face);
    glGetIntegerv(GL_CULL_FACE_MODE, &cache);
    cle.insert(
        cle.end(),
        {decalage[0], decalage[1], static_cast<double>(face), static_cast<double>(cache),
         static_cast<double>(glIsEnabled(GL_CULL_FACE)),
         static_cast<double>(glIsEnabled(GL_POLYGON_OFFSET_FILL)),
         static_cast<double>(scene.afficher_sol), static_cast<double>(scene.grilleTaille),
         static_cast<double>(scene.grillePas), static_cast<double>(scene.smoothshading),
         static_cast<double>(scene.texturage), static_cast<double>(static_cast<int>(modeMeshes)),
         static_cast<double>(Mesh::modeImmediat)});
    return cle;
}

// The casters into the depth buffer: the still meshes' depths kept from an earlier frame
// when they are still good, then what moves.
void Dessinateur::dessineProfondeurs(int x, int y, int s) {
    using Action = OmbresFixes::Action;
    Action action = garderOmbresFixes ? ombresFixes.prepare(cleCarteOmbre(x, y, s), scene.instances)
                                      : Action::ToutDessiner;
    if (!garderOmbresFixes) ombresFixes.oublie();
    if (action == Action::Restaurer) {
        ecritProfondeurs(s, profondeursFixes, *formatExact(x, y, s));
    } else if (action == Action::Reconstruire) {
        partieProfondeur = PartieProfondeur::Fixes;
        afficheObjets();
        // The format is tried on these depths the first time.
        const FormatProfondeurs* format = formatExact(x, y, s);
        if (!format || !litProfondeurs(x, y, s, profondeursFixes, *format)) {
            // Not to be had here: every depth pass draws every caster from now on.
            if (!format) garderOmbresFixes = false;
            ombresFixes.oublie();
            glClear(GL_DEPTH_BUFFER_BIT);
            action = Action::ToutDessiner;
        }
    }
    partieProfondeur =
        action == Action::ToutDessiner ? PartieProfondeur::Tout : PartieProfondeur::Mobiles;
    afficheObjets();
    partieProfondeur = PartieProfondeur::Tout;
}

// Projects from light 0 onto the active unit, whose texture is already bound.
void Dessinateur::activeProjectionOmbre() {
    if (!activeTextureDisponible() || !scene.ombrage) return;
    const Lumiere* l = scene.getLumiere(0);
    if (!l) return;

    // Set under the camera's modelview, these planes make the generated coordinates the
    // world coordinates of each vertex.
    const GLfloat S[4] = {1, 0, 0, 0}, T[4] = {0, 1, 0, 0}, R[4] = {0, 0, 1, 0},
                  Q[4] = {0, 0, 0, 1};
    glTexGenfv(GL_S, GL_EYE_PLANE, S);
    glTexGenfv(GL_T, GL_EYE_PLANE, T);
    glTexGenfv(GL_R, GL_EYE_PLANE, R);
    glTexGenfv(GL_Q, GL_EYE_PLANE, Q);

    GLint lie = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &lie);

    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    // A depth pass smaller than the texture fills only its lower-left corner.
    if (static_cast<unsigned>(lie) == texOmbre && tailleCarteRendue > 0 && tailleTextureOmbre > 0 &&
        tailleCarteRendue < tailleTextureOmbre) {
        const float f =
            static_cast<float>(tailleCarteRendue) / static_cast<float>(tailleTextureOmbre);
        glScalef(f, f, 1);
    }
    glTranslatef(0.5f, 0.5f, 0.5f);
    glScalef(0.5f, 0.5f, 0.5f);
    gluPerspective(90, 1, 1, 2000);
    gluLookAt(l->position.x, l->position.y, l->position.z, l->visee.x, l->visee.y, l->visee.z,
              l->haut.x, l->haut.y, l->haut.z);
    glMatrixMode(GL_MODELVIEW);
}
