// Rendering and picking in a real window; skipped when no X display is reachable (run under
// xvfb-run to include them). GLUT is initialised once for the whole process.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dessin/camera_gl.h"
#include "dessin/dessinateur.h"
#include "dessin/extensions_gl.h"
#include "dessin/mesh_gl.h"
#include "dessin/scene_gl.h"
#include "geometrie/mesh.h"
#include "robot/fabrique_robot.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "support/fenetre_gl.h"

namespace {
const int COTE = 256;

struct EntiteSansBoite : EntiteDessinee {
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override {
        min = max = CVecteur(0, 0, 0);
    }
};

// A 20-unit box standing on the origin, with one pick name.
struct Cube : EntiteSansBoite {
    void dessine(Dessinateur&, int& nom, Instance*) override {
        glLoadName(static_cast<GLuint>(nom++));
        glPushMatrix();
        glTranslatef(0, 0, 10);
        glutSolidCube(20);
        glPopMatrix();
    }
};

// A wall 4 units thick, 60 wide along y and 60 tall, standing on the origin.
struct Mur : EntiteSansBoite {
    void dessine(Dessinateur&, int& nom, Instance*) override {
        glLoadName(static_cast<GLuint>(nom++));
        glPushMatrix();
        glTranslatef(0, 0, 30);
        glScalef(4, 60, 60);
        glutSolidCube(1);
        glPopMatrix();
    }
};

// n overlapping squares at the origin, each under its own name.
struct PileDeNoms : EntiteSansBoite {
    int n = 8;
    void dessine(Dessinateur&, int& nom, Instance*) override {
        for (int k = 0; k < n; ++k) {
            glLoadName(static_cast<GLuint>(nom++));
            glRectf(-5, -5, 5, 5);
        }
    }
};

// Fails half-way through its drawing, leaving a matrix pushed and a primitive open.
struct EntiteEnPanne : EntiteSansBoite {
    void dessine(Dessinateur&, int& nom, Instance*) override {
        glLoadName(static_cast<GLuint>(nom++));
        glPushMatrix();
        glBegin(GL_TRIANGLES);
        glVertex3f(0, 0, 0);
        throw std::runtime_error("sommet introuvable");
    }
};

int compte(const std::string& texte, const std::string& motif) {
    int n = 0;
    for (size_t p = texte.find(motif); p != std::string::npos; p = texte.find(motif, p + 1)) ++n;
    return n;
}

// A smooth torus of u x v quadrilaterals (2 u v triangles, v around the tube) lying on the floor,
// radii 30 and 10.
std::shared_ptr<Mesh> toreLisse(int u, int v) {
    auto m = std::make_shared<Mesh>(0, 0, 0, 0, "tore");
    const float pi = std::acos(-1.0f);
    for (int i = 0; i < u; ++i)
        for (int j = 0; j < v; ++j) {
            const float a = 2 * pi * static_cast<float>(i) / static_cast<float>(u),
                        b = 2 * pi * static_cast<float>(j) / static_cast<float>(v);
            m->ajouteSommet(CVecteur((30 + 10 * std::cos(b)) * std::cos(a),
                                     (30 + 10 * std::cos(b)) * std::sin(a), 10 + 10 * std::sin(b)),
                            RGBA(1, 1, 1, 1));
        }
    for (int i = 0; i < u; ++i)
        for (int j = 0; j < v; ++j) {
            const int f = m->ajouteFace(4, 0, nullptr);
            for (int s : {i * v + j, ((i + 1) % u) * v + j, ((i + 1) % u) * v + (j + 1) % v,
                          i * v + (j + 1) % v})
                m->ajouteSommetFace(f, s, -1, -1);
        }
    m->calcNormalesLissees();
    return m;
}

GLint entier(GLenum quoi) {
    GLint v = 0;
    glGetIntegerv(quoi, &v);
    return v;
}
}  // namespace

class RenduGL : public testing::Test {
protected:
    static inline bool pret = false, extensionsOk = false;

    static void SetUpTestSuite() {
        if (pret || !ouvreFenetreGL("tests scene", COTE)) return;
        extensionsOk = verifieExtensions();
        pret = true;
    }

    CScene scene;

    Dessinateur dessin{scene};
    Camera camera;

    void SetUp() override {
        if (!pret) GTEST_SKIP() << "pas d'affichage X joignable";
        if (extensionsOk && !activeTextureDisponible()) verifieExtensions();
        glViewport(0, 0, COTE, COTE);
        dessin.setPerspective(1.0f);
        camera.angleX = 90;  // 300 units above the origin, looking down
        camera.position = CVecteur(0, 0, -300);
    }

    void TearDown() override {
        if (pret) {
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            EXPECT_EQ(entier(GL_MODELVIEW_STACK_DEPTH), 1);
            EXPECT_EQ(entier(GL_PROJECTION_STACK_DEPTH), 1);
        }
    }

    Instance& place(std::shared_ptr<Entite> e, float x, float y) {
        auto i = std::make_shared<InstanceEntite>(std::move(e));
        i->matrice() = CMatrice::translation(CVecteur(x, y, 0));
        scene.ajouteInstance(i);
        return *i;
    }

    // Window point (origin top left, as GLUT gives it) where a world point appears.
    void projette(float x, float y, float z, int& fx, int& fy) {
        appliqueCamera(camera);
        GLdouble mv[16], pr[16], wx, wy, wz;
        GLint vp[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, mv);
        glGetDoublev(GL_PROJECTION_MATRIX, pr);
        glGetIntegerv(GL_VIEWPORT, vp);
        gluProject(x, y, z, mv, pr, vp, &wx, &wy, &wz);
        fx = static_cast<int>(wx);
        fy = COTE - static_cast<int>(wy);
    }

    int choisit(float x, float y, float z) {
        int fx, fy;
        projette(x, y, z, fx, fy);
        return dessin.selection(fx, fy);
    }

    void image() {
        appliqueCamera(camera);
        dessin.affiche();
        glFinish();
    }

    // Brightness of the back-buffer pixel where a world point appears.
    int luminosite(float x, float y, float z) {
        int fx, fy;
        projette(x, y, z, fx, fy);
        unsigned char p[4] = {0, 0, 0, 0};
        glReadBuffer(GL_BACK);
        glReadPixels(fx, COTE - fy, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return p[0] + p[1] + p[2];
    }

    // Red minus blue of the back-buffer pixel where a world point appears.
    int rougeMoinsBleu(float x, float y, float z) {
        int fx, fy;
        projette(x, y, z, fx, fy);
        unsigned char p[4] = {0, 0, 0, 0};
        glReadBuffer(GL_BACK);
        glReadPixels(fx, COTE - fy, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return p[0] - p[2];
    }

    // A white light 0 at (-100, 0, 100) aimed at the origin, without ambient light of its
    // own; shadows on, neither grid nor light markers.
    Lumiere& lumiereZero() {
        auto l = std::make_shared<Lumiere>();
        l->position = CHomoVecteur(-100, 0, 100, 1);
        l->visee = CVecteur(0, 0, 0);
        l->haut = CVecteur(0, 0, 1);
        l->diffuse = RGBA(1, 1, 1, 1);
        l->ambiante = RGBA(0, 0, 0, 1);
        scene.ajouteLumiere(l);
        scene.grilleZ = scene.afficher_lumieres = false;
        scene.ombrage = true;
        return *l;
    }
};

TEST_F(RenduGL, SelectionRendUnNomDeLInstanceVisee) {
    place(std::make_shared<Cube>(), -50, 0);
    const Instance& b = place(std::make_shared<Cube>(), 50, 0);
    dessin.initGL();
    const int nom = choisit(50, 0, 20);
    EXPECT_GE(nom, b.premierNom);
    EXPECT_LT(nom, b.dernierNom);
    EXPECT_EQ(scene.indiceInstanceDuNom(choisit(-50, 0, 20)), 0);
    // The floor, the grid and the light markers cannot be picked.
    EXPECT_EQ(choisit(0, 80, -0.5f), -1);
}

TEST_F(RenduGL, SelectionAuDelaDeHuitNomsDeborde) {
    scene.boite_englobante = false;
    auto pile = std::make_shared<PileDeNoms>();
    place(pile, 0, 0);
    dessin.initGL();
    EXPECT_EQ(scene.indiceInstanceDuNom(choisit(0, 0, 0)), 0);
    pile->n = 9;  // 9 hit records no longer fit in 32 entries
    EXPECT_EQ(choisit(0, 0, 0), -1);
}

TEST_F(RenduGL, InstanceInvisibleNiDessineeNiChoisie) {
    Instance& a = place(std::make_shared<Cube>(), 0, 0);
    place(std::make_shared<Cube>(), 50, 0);
    dessin.initGL();
    image();
    a.visible = false;
    image();
    EXPECT_EQ(a.premierNom, -1);  // its old names now belong to the next instance
    EXPECT_EQ(scene.indiceInstanceDuNom(0), 1);
    EXPECT_EQ(choisit(0, 0, 20), -1);
}

TEST_F(RenduGL, OmbrePorteeParLaLumiereZero) {
    if (!extensionsOk) GTEST_SKIP() << "extensions d'ombrage absentes";
    auto l = std::make_shared<Lumiere>();
    l->position = CHomoVecteur(-100, 0, 100, 1);
    l->visee = CVecteur(0, 0, 0);
    l->haut = CVecteur(0, 0, 1);
    l->diffuse = RGBA(1, 1, 1, 1);
    l->ambiante = RGBA(0, 0, 0, 1);
    scene.ajouteLumiere(l);
    place(std::make_shared<Cube>(), 0, 0);
    scene.grilleZ = scene.boite_englobante = scene.afficher_lumieres = false;
    scene.ombrage = true;
    dessin.initGL();
    ASSERT_TRUE(scene.ombrage);

    scene.ombrage = false;
    image();
    const int ombreSans = luminosite(20, 0, -0.5f), eclaireSans = luminosite(-40, 0, -0.5f);
    const int horsChampSans = luminosite(-150, -150, -0.5f);
    scene.ombrage = true;
    image();
    // The floor behind the cube, seen from the light, darkens; the open floor does not.
    EXPECT_GT(ombreSans, 60);
    EXPECT_LT(luminosite(20, 0, -0.5f), ombreSans / 3);
    EXPECT_NEAR(luminosite(-40, 0, -0.5f), eclaireSans, 24);
    // The window (256) is smaller than the map (512): the depth pass fills a corner of the
    // texture, and floor outside the light's field must not read the rest as shadow.
    EXPECT_NEAR(luminosite(-150, -150, -0.5f), horsChampSans, 24);
    for (GLenum unite : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
        extensions::glActiveTextureARB(unite);
        EXPECT_EQ(entier(GL_TEXTURE_STACK_DEPTH), 1);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
    scene.filaire = true;  // no shadow pass in wire frame
    image();
}

TEST_F(RenduGL, OmbreSurUnObjetRetireSeulementLaLumiereZero) {
    if (!extensionsOk) GTEST_SKIP() << "extensions d'ombrage absentes";
    Lumiere& l = lumiereZero();
    scene.boite_englobante = false;
    place(std::make_shared<Mur>(), -30, 0);
    place(std::make_shared<Cube>(), 0, 0);   // behind the wall, seen from the light
    place(std::make_shared<Cube>(), 0, 70);  // beside it, in the light
    dessin.initGL();
    ASSERT_TRUE(scene.ombrage);

    scene.ombrage = false;
    image();
    const int eclaireSans = luminosite(0, 70, 20);
    scene.ombrage = true;
    image();
    const int ombre = luminosite(0, 0, 20), eclaire = luminosite(0, 70, 20);
    // Light 0 is given back as it was, and the units the frame used are free again.
    GLfloat diffuse[4] = {0, 0, 0, 0};
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_EQ(diffuse[0], 1.0f);
    for (GLenum unite : {GL_TEXTURE2_ARB, GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
        extensions::glActiveTextureARB(unite);
        EXPECT_EQ(entier(GL_TEXTURE_STACK_DEPTH), 1);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
    scene.ombrage_ancien = true;
    image();
    const int ombreAncienne = luminosite(0, 0, 20);
    scene.ombrage_ancien = false;
    l.allumee = false;
    dessin.installLumiere(0);
    image();
    const int sansLumiereZero = luminosite(0, 0, 20);

    // The cube in the wall's shadow keeps what light 0 does not bring, no more; the one in
    // the light looks as it does without shadows. The original shadows were black.
    EXPECT_GT(sansLumiereZero, 60);
    EXPECT_NEAR(ombre, sansLumiereZero, 12);
    EXPECT_LT(ombre, eclaire / 2);
    EXPECT_NEAR(eclaire, eclaireSans, 12);
    EXPECT_LT(ombreAncienne, 15);
}

TEST_F(RenduGL, MaillageTextureGardeSaTextureSousLesOmbres) {
    if (!extensionsOk) GTEST_SKIP() << "extensions d'ombrage absentes";
    const std::string chemin = testing::TempDir() + "rouge_bleu.ppm";
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("P6\n2 1\n255\n", f);
    std::fwrite("\xff\0\0\0\0\xff", 1, 6, f);
    std::fclose(f);
    auto t = std::make_shared<Texture>();
    t->fichier = t->chemin = chemin;
    scene.ajouteTexture(t);
    // An 80-unit square on the floor, red on its -x half and blue on its +x half.
    auto carre = std::make_shared<Mesh>(1, 4, 0, 4, "carre");
    const float coins[4][2] = {{-40, -40}, {40, -40}, {40, 40}, {-40, 40}};
    carre->ajouteFace(4, 0, nullptr);
    for (int k = 0; k < 4; ++k) {
        carre->ajouteSommet(CVecteur(coins[k][0], coins[k][1], 1), RGBA(1, 1, 1, 1));
        carre->ajouteTexCoord(coins[k][0] < 0 ? 0.0f : 1.0f, coins[k][1] < 0 ? 0.0f : 1.0f);
        carre->ajouteSommetFace(0, k, -1, k);
    }
    carre->calcNormalesLissees();
    carre->texture = t.get();
    lumiereZero();
    place(carre, 0, 0);
    dessin.initGL();
    ASSERT_TRUE(scene.ombrage);
    image();
    EXPECT_GT(rougeMoinsBleu(-20, 0, 1), 60);
    EXPECT_LT(rougeMoinsBleu(20, 0, 1), -40);
}

TEST_F(RenduGL, BoitesEtReperesNePortentPasDOmbre) {
    if (!extensionsOk) GTEST_SKIP() << "extensions d'ombrage absentes";
    lumiereZero();
    scene.afficher_sol = false;
    scene.boite_englobante = true;
    // Its links are bare corners: all it draws is lines, its frames and its box.
    auto robot = robotDeTest(&scene.instances);
    robot->reperes = true;
    place(robot, 0, 0);
    dessin.initGL();
    ASSERT_TRUE(scene.ombrage);
    image();
    const int s = 512;
    std::vector<GLfloat> profondeurs(static_cast<size_t>(s) * s, 0.0f);
    extensions::glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, dessin.texOmbre);
    GLint largeur = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &largeur);
    ASSERT_EQ(largeur, s);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, profondeurs.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    // Nothing came nearer to the light than the far plane.
    EXPECT_EQ(*std::min_element(profondeurs.begin(), profondeurs.end()), 1.0f);
}

TEST_F(RenduGL, SansPointDEntreeOmbrageCoupeAuDemarrage) {
    oublieActiveTexture();
    scene.ombrage = true;
    testing::internal::CaptureStdout();
    dessin.initGL();
    image();
    const std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(scene.ombrage);
    EXPECT_NE(sortie.find("Certaines extension OpenGL utilisée ne sont pas présente : "
                          "l'ombrage est désactivé !\n"),
              std::string::npos);
}

TEST_F(RenduGL, ErreurDUnDessinSignaleeUneFoisEtImageTerminee) {
    place(std::make_shared<EntiteEnPanne>(), 0, 0);
    const Instance& cube = place(std::make_shared<Cube>(), 50, 0);
    dessin.initGL();
    testing::internal::CaptureStdout();
    image();
    image();
    const std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_EQ(compte(sortie, "sommet introuvable"), 1) << sortie;
    EXPECT_EQ(cube.premierNom, 1);
    EXPECT_EQ(cube.dernierNom, 2);
    EXPECT_EQ(scene.indiceInstanceDuNom(choisit(50, 0, 20)), 1);
}

TEST_F(RenduGL, PasDeGrilleInutilisableSignaleUneFoisSansBloquer) {
    dessin.initGL();
    scene.grilleX = scene.grilleY = true;
    scene.grillePas = 0;
    testing::internal::CaptureStdout();
    image();
    image();
    scene.grillePas = 1;
    scene.grilleTaille = INT_MAX;
    image();
    image();
    const std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_EQ(compte(sortie, "grillePas doit être strictement positif"), 1) << sortie;
    EXPECT_EQ(compte(sortie, "grilleTaille est trop grande"), 1) << sortie;
}

TEST_F(RenduGL, TextureDecodeeDevientUnNomOpenGL) {
    const std::string chemin = testing::TempDir() + "texture_gl.ppm";
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("P6\n3 1\n255\n", f);
    std::fwrite("\xff\0\0\0\xff\0\0\0\xff", 1, 9, f);
    std::fclose(f);
    auto t = std::make_shared<Texture>();
    t->fichier = "introuvable.ppm";  // the name as written; the resolved path is used
    t->chemin = chemin;
    scene.ajouteTexture(t);
    dessin.initGL();
    ASSERT_GT(t->glTexture, 0);
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(t->glTexture)));
}

// A big still mesh's depths kept from frame to frame and its runs of triangles left out where
// they cannot show give, frame after frame, the very pixels of every caster and every triangle
// drawn, while a cube moves through the torus's shadow.
TEST_F(RenduGL, OmbresGardeesEtTrianglesOmisDonnentLesMemesPixels) {
    if (!extensionsOk) GTEST_SKIP() << "extensions d'ombrage absentes";
    lumiereZero();
    scene.boite_englobante = false;
    const Instance& tore = place(toreLisse(40, 250), -20, 0);
    Instance& cube = place(std::make_shared<Cube>(), 60, -40);
    dessin.ombresFixes.seuilTriangles = 1000;
    dessin.initGL();
    ASSERT_TRUE(scene.ombrage);
    auto images = [&](bool omissions) {
        grappesActives = dessin.garderOmbresFixes = omissions;
        std::vector<std::vector<unsigned char>> vues;
        for (int k = 0; k < 6; ++k) {
            cube.matrice() = CMatrice::translation(CVecteur(60 - 12.0f * k, 15.0f * k - 40, 0));
            image();
            vues.emplace_back(static_cast<size_t>(COTE) * COTE * 3);
            glReadBuffer(GL_BACK);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, COTE, COTE, GL_RGB, GL_UNSIGNED_BYTE, vues.back().data());
        }
        return vues;
    };
    const auto nouvelles = images(true);
    EXPECT_TRUE(dessin.ombresFixes.fixe(&tore));
    EXPECT_FALSE(dessin.ombresFixes.fixe(&cube));
    const auto anciennes = images(false);
    grappesActives = dessin.garderOmbresFixes = true;
    for (size_t k = 0; k < nouvelles.size(); ++k)
        EXPECT_TRUE(nouvelles[k] == anciennes[k]) << "image " << k;
    EXPECT_FALSE(nouvelles.front() == nouvelles.back());  // the cube did move
}
