// Shadows from light 0: a depth texture rendered from the light, compared with each
// fragment's distance to the light, and a spot image projected from the light. The original
// shadows hold them on texture units 0 and 1; the default ones leave unit 0 to the meshes'
// own textures and use units 1 (spot) and 2 (depth).
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>

#include "geometrie/mesh_gl.h"
#include "scene/extensions_gl.h"
#include "scene/scene.h"

std::vector<unsigned char> lireSpotTga(const char* chemin) {
    const size_t taille = static_cast<size_t>(TAILLE_SPOT) * TAILLE_SPOT * 3;
    // White wherever the file has nothing to say: the lit area stays untinted.
    std::vector<unsigned char> image(taille, 255);
    if (!chemin) return image;
    std::FILE* f = std::fopen(chemin, "rb");
    if (!f) return image;
    if (std::fseek(f, 18, SEEK_SET) == 0) {
        const size_t lus = std::fread(image.data(), 1, taille, f);
        // Whatever a short file lacks stays white.
        std::fill(image.begin() + static_cast<std::ptrdiff_t>(lus), image.end(), 255);
    }
    std::fclose(f);
    return image;
}

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

bool CScene::creeTexturesOmbrage() {
    if (!activeTextureDisponible()) return false;
    videErreursGL();
    const int s = tailleCarteOmbre;

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

void CScene::rendCarteOmbre() {
    const Lumiere* l = getLumiere(0);
    if (!l || !l->porteOmbre || !activeTextureDisponible()) return;

    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    // The pass renders into the window, so the map can be no larger than the view (nor
    // than the texture made at set-up).
    int s = std::min(tailleCarteOmbre, tailleTextureOmbre);
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
    if (!ombrage_ancien) glPolygonOffset(4, 4);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glPushMatrix();
    glLoadIdentity();
    gluLookAt(l->position.x, l->position.y, l->position.z, l->visee.x, l->visee.y, l->visee.z,
              l->haut.x, l->haut.y, l->haut.z);

    // Only surfaces go into the map: lines would cast thin shadows.
    const PasseObjets passe = passeObjets;
    passeObjets = PasseObjets::Profondeur;
    afficheObjets();
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

// Projects from light 0 onto the active unit, whose texture is already bound.
void CScene::activeProjectionOmbre() {
    if (!activeTextureDisponible() || !ombrage) return;
    const Lumiere* l = getLumiere(0);
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
