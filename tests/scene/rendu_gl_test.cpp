// Rendering and picking in a real window; skipped when no X display is reachable (run under
// xvfb-run to include them).
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/extensions.h"
#include "scene/camera.h"
#include "scene/scene.h"

namespace {
const int COTE = 256;

bool affichageJoignable() {
    const char* d = std::getenv("DISPLAY");
    if (!d || !*d) return false;
    // A local display ":N" must have its socket; a remote one is trusted.
    if (d[0] == ':') {
        const std::string socket =
            "/tmp/.X11-unix/X" + std::string(d + 1).substr(0, std::string(d + 1).find('.'));
        struct stat st;
        return stat(socket.c_str(), &st) == 0;
    }
    return true;
}

// A box [-10, 10] x [-10, 10] x [0, 20] with one pick name.
struct Cube : Entite {
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override {
        min = CVecteur(-10, -10, 0);
        max = CVecteur(10, 10, 20);
    }
    void dessine(CScene&, int& nom, Instance*) override {
        glLoadName(static_cast<GLuint>(nom++));
        const float a = -10, b = 10, h = 20;
        glBegin(GL_QUADS);
        glNormal3f(0, 0, 1);
        glVertex3f(a, a, h);
        glVertex3f(b, a, h);
        glVertex3f(b, b, h);
        glVertex3f(a, b, h);
        glNormal3f(1, 0, 0);
        glVertex3f(b, a, 0);
        glVertex3f(b, b, 0);
        glVertex3f(b, b, h);
        glVertex3f(b, a, h);
        glNormal3f(-1, 0, 0);
        glVertex3f(a, a, 0);
        glVertex3f(a, a, h);
        glVertex3f(a, b, h);
        glVertex3f(a, b, 0);
        glNormal3f(0, 1, 0);
        glVertex3f(a, b, 0);
        glVertex3f(a, b, h);
        glVertex3f(b, b, h);
        glVertex3f(b, b, 0);
        glNormal3f(0, -1, 0);
        glVertex3f(a, a, 0);
        glVertex3f(b, a, 0);
        glVertex3f(b, a, h);
        glVertex3f(a, a, h);
        glEnd();
    }
};

// n stacked squares at the origin, each under its own name.
struct PileDeNoms : Entite {
    int n;
    explicit PileDeNoms(int n_) : n(n_) {}
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override {
        min = max = CVecteur(0, 0, 0);
    }
    void dessine(CScene&, int& nom, Instance*) override {
        for (int k = 0; k < n; ++k) {
            glLoadName(static_cast<GLuint>(nom++));
            glBegin(GL_QUADS);
            glVertex3f(-5, -5, static_cast<float>(k));
            glVertex3f(5, -5, static_cast<float>(k));
            glVertex3f(5, 5, static_cast<float>(k));
            glVertex3f(-5, 5, static_cast<float>(k));
            glEnd();
        }
    }
};

// Fails half-way through its drawing, leaving a matrix pushed and a primitive open.
struct EntiteEnPanne : Entite {
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override {
        min = max = CVecteur(0, 0, 0);
    }
    void dessine(CScene&, int& nom, Instance*) override {
        glLoadName(static_cast<GLuint>(nom++));
        glPushMatrix();
        glBegin(GL_TRIANGLES);
        glVertex3f(0, 0, 0);
        throw std::runtime_error("sommet introuvable");
    }
};

std::shared_ptr<InstanceEntite> place(std::shared_ptr<Entite> e, float x, float y) {
    auto i = std::make_shared<InstanceEntite>(std::move(e));
    i->matrice() = CMatrice::translation(CVecteur(x, y, 0));
    return i;
}

void afficheRien() {}

int compte(const std::string& texte, const std::string& motif) {
    int n = 0;
    for (size_t p = texte.find(motif); p != std::string::npos; p = texte.find(motif, p + 1)) ++n;
    return n;
}
}  // namespace

class RenduGL : public testing::Test {
protected:
    static bool pret;
    static bool extensionsOk;

    static void SetUpTestSuite() {
        if (pret || !affichageJoignable()) return;
        static int argc = 1;
        static char nom[] = "tests_scene";
        static char* argv[] = {nom, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH | GLUT_DOUBLE);
        glutInitWindowSize(COTE, COTE);
        glutCreateWindow("tests scene");
        glutDisplayFunc(afficheRien);
        for (int k = 0; k < 10; ++k) glutMainLoopEvent();
        extensionsOk = verifieExtensions();
        pret = true;
    }

    static void TearDownTestSuite() {
        if (!pret) return;
        glutExit();  // closes the window and hands the driver's memory back
        pret = false;
    }

    CScene scene;
    Camera camera;

    void SetUp() override {
        if (!pret) GTEST_SKIP() << "pas d'affichage X joignable";
        if (extensionsOk && !activeTextureDisponible()) verifieExtensions();
        glViewport(0, 0, COTE, COTE);
        scene.setPerspective(1.0f);
        // Straight above the origin, 300 units up, looking down.
        camera.angleX = 90;
        camera.position = CVecteur(0, 0, -300);
    }

    void TearDown() override {
        if (pret) {
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        }
    }

    // Window point (origin top left) where a world point appears.
    void projette(float x, float y, float z, int& fx, int& fy) {
        camera.applique();
        GLdouble mv[16], pr[16], wx, wy, wz;
        GLint vp[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, mv);
        glGetDoublev(GL_PROJECTION_MATRIX, pr);
        glGetIntegerv(GL_VIEWPORT, vp);
        gluProject(x, y, z, mv, pr, vp, &wx, &wy, &wz);
        fx = static_cast<int>(wx);
        fy = COTE - static_cast<int>(wy);
    }

    void image() {
        camera.applique();
        scene.affiche();
        glFinish();
    }

    // Brightness of the pixel where a world point appears in the back buffer.
    int luminosite(float x, float y, float z) {
        int fx, fy;
        projette(x, y, z, fx, fy);
        unsigned char p[4] = {0, 0, 0, 0};
        glReadBuffer(GL_BACK);
        glReadPixels(fx, COTE - fy, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return p[0] + p[1] + p[2];
    }

    static GLint profondeurPile(GLenum quoi) {
        GLint p = 0;
        glGetIntegerv(quoi, &p);
        return p;
    }
};

bool RenduGL::pret = false;
bool RenduGL::extensionsOk = false;

TEST_F(RenduGL, SelectionRendUnNomDeLInstanceVisee) {
    scene.ajouteInstance(place(std::make_shared<Cube>(), -50, 0));
    scene.ajouteInstance(place(std::make_shared<Cube>(), 50, 0));
    scene.initGL();
    int x, y;
    projette(50, 0, 20, x, y);
    const int nom = scene.selection(x, y);
    const Instance* b = scene.getInstance(1);
    EXPECT_GE(nom, b->premierNom);
    EXPECT_LT(nom, b->dernierNom);
    EXPECT_EQ(scene.indiceInstanceDuNom(nom), 1);

    projette(-50, 0, 20, x, y);
    EXPECT_EQ(scene.indiceInstanceDuNom(scene.selection(x, y)), 0);

    // The floor, the grid and the light markers are not objects that can be picked.
    scene.grilleZ = true;
    projette(0, 80, -0.5f, x, y);
    EXPECT_EQ(scene.selection(x, y), -1);
    EXPECT_EQ(profondeurPile(GL_PROJECTION_STACK_DEPTH), 1);
}

TEST_F(RenduGL, SelectionAuDelaDeHuitNomsDeborde) {
    scene.boite_englobante = false;
    scene.ajouteInstance(place(std::make_shared<PileDeNoms>(8), 0, 0));
    scene.initGL();
    int x, y;
    projette(0, 0, 0, x, y);
    const int nom = scene.selection(x, y);
    EXPECT_GE(nom, 0);
    EXPECT_LT(nom, 8);

    scene.instances.clear();
    scene.ajouteInstance(place(std::make_shared<PileDeNoms>(9), 0, 0));
    EXPECT_EQ(scene.selection(x, y), -1);
}

TEST_F(RenduGL, InstanceInvisibleNiDessineeNiChoisie) {
    scene.ajouteInstance(place(std::make_shared<Cube>(), 0, 0));
    scene.ajouteInstance(place(std::make_shared<Cube>(), 50, 0));
    scene.initGL();
    image();
    scene.getInstance(0)->visible = false;
    image();
    EXPECT_EQ(scene.getInstance(0)->premierNom, -1);
    EXPECT_EQ(scene.getInstance(1)->premierNom, 0);  // its names moved down to 0
    EXPECT_EQ(scene.indiceInstanceDuNom(0), 1);
    int x, y;
    projette(0, 0, 20, x, y);
    EXPECT_EQ(scene.selection(x, y), -1);
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
    scene.ajouteInstance(place(std::make_shared<Cube>(), 0, 0));
    scene.grilleZ = false;
    scene.boite_englobante = false;
    scene.afficher_lumieres = false;
    scene.ombrage = true;
    testing::internal::CaptureStdout();
    scene.initGL();
    const std::string sortie = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(scene.ombrage) << sortie;

    scene.ombrage = false;
    image();
    const int ombreSans = luminosite(20, 0, -0.5f), eclaireSans = luminosite(-40, 0, -0.5f);
    const int horsChampSans = luminosite(-150, -150, -0.5f);
    scene.ombrage = true;
    image();
    const int ombreAvec = luminosite(20, 0, -0.5f), eclaireAvec = luminosite(-40, 0, -0.5f);
    const int horsChampAvec = luminosite(-150, -150, -0.5f);
    // The floor behind the cube, seen from the light, darkens; the open floor does not.
    EXPECT_GT(ombreSans, 60);
    EXPECT_LT(ombreAvec, ombreSans / 3);
    EXPECT_NEAR(eclaireAvec, eclaireSans, 24);
    // The window (256) is smaller than the map (512): the depth pass fills a corner of the
    // texture, and floor outside the light's field must not read the rest as shadow.
    EXPECT_NEAR(horsChampAvec, horsChampSans, 24);
    for (GLenum unite : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
        extensions::glActiveTextureARB(unite);
        EXPECT_EQ(profondeurPile(GL_TEXTURE_STACK_DEPTH), 1);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
    EXPECT_EQ(profondeurPile(GL_MODELVIEW_STACK_DEPTH), 1);

    // In wire frame no shadow pass runs and nothing is left pushed.
    scene.filaire = true;
    image();
    EXPECT_EQ(profondeurPile(GL_MODELVIEW_STACK_DEPTH), 1);
}

TEST_F(RenduGL, SansPointDEntreeOmbrageCoupeAuDemarrage) {
    oublieActiveTexture();
    scene.ombrage = true;
    testing::internal::CaptureStdout();
    scene.initGL();
    image();  // the frame does not try shadows
    const std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(scene.ombrage);
    EXPECT_NE(sortie.find("Certaines extension OpenGL utilisée ne sont pas présente : "
                          "l'ombrage est désactivé !\n"),
              std::string::npos);
}

TEST_F(RenduGL, ErreurDUnDessinSignaleeUneFoisEtImageTerminee) {
    scene.ajouteInstance(place(std::make_shared<EntiteEnPanne>(), 0, 0));
    scene.ajouteInstance(place(std::make_shared<Cube>(), 50, 0));
    scene.initGL();
    testing::internal::CaptureStdout();
    image();
    image();
    const std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_EQ(compte(sortie, "sommet introuvable"), 1) << sortie;
    EXPECT_EQ(profondeurPile(GL_MODELVIEW_STACK_DEPTH), 1);
    const Instance* cube = scene.getInstance(1);
    EXPECT_EQ(cube->premierNom, 1);
    EXPECT_EQ(cube->dernierNom, 2);
    int x, y;
    projette(50, 0, 20, x, y);
    EXPECT_EQ(scene.indiceInstanceDuNom(scene.selection(x, y)), 1);
}

TEST_F(RenduGL, PasDeGrilleInutilisableSignaleUneFoisSansBloquer) {
    scene.initGL();
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
    const unsigned char pixels[9] = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    std::fwrite(pixels, 1, sizeof pixels, f);
    std::fclose(f);

    auto t = std::make_shared<Texture>();
    t->fichier = "introuvable.ppm";  // the name as written; the resolved path is used
    t->chemin = chemin;
    scene.ajouteTexture(t);
    scene.initGL();
    ASSERT_GT(t->glTexture, 0);
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(t->glTexture)));
}
