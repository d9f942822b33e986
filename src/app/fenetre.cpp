// Start-up, the GLUT callbacks of the main window, and the modes without a main loop.
#include "app/fenetre.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <fcntl.h>
#include <imgui.h>
#include <poll.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/dump.h"
#include "app/interface.h"
#include "app/ligne_commande.h"
#include "commun/console.h"
#include "commun/ecriture_sure.h"
#include "commun/signalement.h"
#include "dessin/extensions_gl.h"
#include "dessin/lecture_image.h"
#include "dessin/mesh_gl.h"
#include "geometrie/mesh.h"

int fenetrePrincipale = 0;

namespace {
// The application the callbacks act on, set once by demarre.
CApplication* applicationCourante = nullptr;
}  // namespace

CApplication& application() { return *applicationCourante; }
const char* const CREDITS = "les développeurs de Brakmor";

namespace {
LigneCommande options;
// The number of the signal (SIGINT, SIGTERM) that asked the program to end; 0 before one.
volatile std::sig_atomic_t arretDemande = 0;
// The signal handler writes a byte here so that a wait for events wakes up at once.
int tubeSignal[2] = {-1, -1};
// When the timer's next tick is due, on GLUT's clock (ms); INT_MAX when none is armed.
int prochainTic = INT_MAX;

// A run that does not go through the main loop: simulated time, benchmark, capture.
bool sansBouclePrincipale = false;

// The status of such a run when a signal cut it short: 128 + the signal's number, as a
// shell reports it.
int statutInterrompu() {
    std::fprintf(stderr, "brakmor : interrompu par %s\n",
                 arretDemande == SIGINT ? "SIGINT" : "SIGTERM");
    return 128 + arretDemande;
}

// Such a run ends there, the dump written at exit.
[[noreturn]] void quitteInterrompu() { std::exit(statutInterrompu()); }

// The window closes on a signal as on "Quitter", with the status 0.
void quitteSiDemande() {
    if (!arretDemande) return;
    if (sansBouclePrincipale) quitteInterrompu();
    std::exit(0);
}

void affichage() {
    interface::dessineImage();
    glutSwapBuffers();
}

// One animation step and the frame that shows it.
void imageAnimee() {
    glutSetWindow(fenetrePrincipale);
    protegeRappel("animation", [] { application().anime(); });
    glutPostRedisplay();
}

void minuterie(int valeur);

// Arms the timer's next tick and remembers when it is due, so that waits end in time for it.
void arme(int delai) {
    glutTimerFunc(static_cast<unsigned>(delai), minuterie, 1);
    prochainTic = glutGet(GLUT_ELAPSED_TIME) + delai;
}

void minuterie(int valeur) {
    quitteSiDemande();
    bool fondu = false;
    protegeRappel("minuterie", [&] {
        application().tic(valeur);
        fondu = application().trajectoireEnFondu();
    });
    if (fondu) glutPostRedisplay();  // a trail fading at rest
    if (valeur == 1)
        arme(std::max(application().scene.timer_interval, 1));
    else
        prochainTic = INT_MAX;
}

void surSignal(int numero) {
    const int errnoSauve = errno;
    arretDemande = numero;
    const char octet = 0;
    // A full pipe needs no more bytes: the wait already wakes up.
    if (tubeSignal[1] >= 0) {
        [[maybe_unused]] const ssize_t ecrits = write(tubeSignal[1], &octet, 1);
    }
    errno = errnoSauve;
}

// The OpenGL half of a reload: what initGL does for a scene's lights, textures and drawing
// options, without making the shadow maps again; the replaced scene's textures and the lights
// beyond the new count are released.
void installeSceneRechargee(const std::vector<std::shared_ptr<Texture>>& anciennesTextures,
                            int anciennesLumieres) {
    for (const auto& t : anciennesTextures)
        if (t && t->glTexture > 0) {
            const GLuint nom = static_cast<GLuint>(t->glTexture);
            glDeleteTextures(1, &nom);
            t->glTexture = 0;
        }
    GLint maxLumieres = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &maxLumieres);
    for (int i = application().scene.nbLumieres();
         i < std::min<int>(anciennesLumieres, maxLumieres); ++i)
        glDisable(GL_LIGHT0 + static_cast<GLenum>(i));
    application().dessin.setSmoothShading(application().scene.smoothshading);
    application().dessin.setDithering(application().scene.dithering);
    application().dessin.setAntialiasing(application().scene.antialiasing);
    application().dessin.setBackfaceCulling(application().scene.backface_culling);
    for (int i = 0; i < application().scene.nbLumieres(); ++i)
        if (application().scene.getLumiere(static_cast<unsigned>(i)))
            application().dessin.installLumiere(i);
    for (int i = 0; i < application().scene.nbTextures(); ++i)
        application().dessin.installTexture(static_cast<unsigned>(i));
    if (!activeTextureDisponible()) application().scene.ombrage = false;
}

// A reload asked for by F5 or by a settled change of the scene's files (-surveille). It runs
// here, between turns of the loop and outside any callback, since the load may show boxes;
// a box holds the program in its own loop until closed, so no reload starts while one is open.
void rechargeSiDemande() {
    protegeRappel("rechargement", [] {
        application().surveilleScene();
        if (!application().rechargementDemande) return;
        application().recharge();
        interface::redessine();
    });
}

// "" once written, or why not.
std::string captureFenetre(const std::string& fichier);

// brakmor-AAAAMMJJ-HHMMSS.png in the working directory, the local time of now; a second shot
// within the same second gets "-2", "-3"... rather than replacing the first.
std::string nomCaptureDatee() {
    const std::time_t maintenant = std::time(nullptr);
    std::tm local{};
    localtime_r(&maintenant, &local);
    char base[32];
    std::strftime(base, sizeof base, "brakmor-%Y%m%d-%H%M%S", &local);
    std::string nom = std::string(base) + ".png";
    std::error_code e;
    for (int n = 2; std::filesystem::exists(nom, e) && n < 1000; ++n)
        nom = std::string(base) + "-" + std::to_string(n) + ".png";
    return nom;
}

// F12: the window as it shows now, written as a PNG; the status line and the console say
// where, or why not.
void captureSiDemandee() {
    if (!application().captureDemandee) return;
    application().captureDemandee = false;
    protegeRappel("capture", [] {
        const std::string nom = nomCaptureDatee();
        const std::string raison = captureFenetre(nom);
        if (raison.empty())
            application().informe("capture d'écran enregistrée : " + nom);
        else
            application().signale(raison, "capture d'écran : ");
        interface::redessine();
    });
}

// The main loop. Something moving (or a panel button held) gets an animation step and a
// frame, at most options.imagesParSeconde a second; otherwise the loop sleeps until an
// event, the timer or a signal. Input redraws from its own callbacks at once.
[[noreturn]] void bouclePrincipale() {
    using Horloge = std::chrono::steady_clock;
    const Horloge::duration periode =
        options.imagesParSeconde > 0
            ? std::chrono::duration_cast<Horloge::duration>(
                  std::chrono::duration<double>(1.0 / options.imagesParSeconde))
            : Horloge::duration::zero();
    auto prochaineImage = Horloge::now();
    bool bougeait = false;
    for (;;) {
        const bool image = traiteEvenements();
        rechargeSiDemande();
        captureSiDemandee();
        bool bouge = true;
        protegeRappel("animation", [&] { bouge = application().enMouvement(); });
        bouge = bouge || interface::panneauxActifs();
        int delai = -1;
        if (bouge) {
            const auto maintenant = Horloge::now();
            if (maintenant >= prochaineImage) {
                // Motion starting from rest counts its time from now, not from the last tick.
                if (!bougeait) application().animeDejaAppele = false;
                // A frame late by more than a period starts the schedule again.
                prochaineImage = maintenant - prochaineImage < periode ? prochaineImage + periode
                                                                       : maintenant + periode;
                imageAnimee();
                bougeait = true;
                continue;
            }
            delai = static_cast<int>(std::ceil(
                std::chrono::duration<double, std::milli>(prochaineImage - maintenant).count()));
        }
        bougeait = bouge;
        // The watch of the scene's files wakes the loop when its next poll is due.
        const long surveillance = application().surveilleFichiers
                                      ? application().surveillance.delai(application().horloge())
                                      : -1;
        if (surveillance >= 0)
            delai = delai < 0 ? static_cast<int>(surveillance)
                              : std::min(delai, static_cast<int>(surveillance));
        if (!image) attendEvenements(delai);
    }
}

// Full screen and window size from the command line, before the scene loads. The size is
// kept within the screen and the largest viewport OpenGL accepts: beyond them the window
// system wraps the size and the renderer fails.
void appliqueOptionsFenetre() {
    if (options.pleinEcran) glutFullScreen();
    if (!options.redimensionne) return;
    GLint vue[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, vue);
    const int ecran[2] = {glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT)};
    int taille[2] = {options.largeur, options.hauteur};
    for (int i = 0; i < 2; ++i) {
        if (vue[i] > 0) taille[i] = std::min(taille[i], static_cast<int>(vue[i]));
        if (ecran[i] > 0) taille[i] = std::min(taille[i], ecran[i]);
    }
    if (taille[0] != options.largeur || taille[1] != options.hauteur)
        console << "\033[34m-res " << options.largeur << "x" << options.hauteur
                << " : fenêtre ramenée à " << taille[0] << "x" << taille[1] << " (écran "
                << ecran[0] << "x" << ecran[1] << ", vue OpenGL au plus " << vue[0] << "x" << vue[1]
                << ")\033[0m\n";
    glutReshapeWindow(taille[0], taille[1]);
}

// False, said in red, when the dump asked for could not be written.
bool ecritDumpDemande() {
    if (options.fichierDump.empty()) return true;
    const std::string raison = ecritDump(application(), options.fichierDump);
    if (!raison.empty()) console.erreur("dump : " + raison + ", la description n'est pas écrite");
    return raison.empty();
}

// At exit, whatever ends the program ("Quitter", the window closed, a signal): the dump, and
// the taught poses not saved kept for the next start.
void ecritDumpALaSortie() {
    ecritDumpDemande();
    application().gardePointsNonEnregistres();
}

// Steps the animation by `secondes` of simulated time in 10 ms steps; a signal stops it.
void simule(float secondes) {
    if (secondes <= 0) return;
    long t = 0;
    auto ancienne = application().horloge;
    application().animeDejaAppele = false;
    application().simule(t, std::lround(secondes * 1000.0), 10, [] { return !arretDemande; });
    application().horloge = ancienne;
    application().animeDejaAppele = false;
}

void afficheBanniere() {
    console << "\033[32m"
            << "Brakmor : simulateur de bras robot articulé\n"
            << "Tavrin - " << CREDITS << "\n";
}

int modeVerification(int argc, char** argv) {
    application().initialise(argc, argv, false);
    simule(options.simulation);
    // A box, or an error line printed while the scene loaded, fails the check.
    const bool signale = console.nbBoites() > 0 || !console.diagnostics().empty();
    int statut = application().statutChargement != 0 ? 3 : (signale ? 1 : 0);
    // The description asked for is missing: that outweighs what the load reported, but not
    // the signal that cut the run short.
    const bool dumpEcrit = ecritDumpDemande();
    if (arretDemande)
        statut = statutInterrompu();
    else if (!dumpEcrit)
        statut = 4;
    return statut;
}

// Renders one frame into the back buffer and writes it as a PNG.
std::string captureFenetre(const std::string& fichier) {
    const int w = glutGet(GLUT_WINDOW_WIDTH), h = glutGet(GLUT_WINDOW_HEIGHT);
    // A few frames first, so that what the drawing keeps from one frame to the next (the
    // still casters' depths) is in use in the frame captured.
    for (int i = 0; i < 4; ++i) affichage();
    affichage();  // swaps; draw again so the back buffer holds the frame we read
    interface::dessineImage();
    glReadBuffer(GL_BACK);
    const std::vector<unsigned char> retournee = litImageRGB(w, h);
    std::string png;
    const auto ajoute = [](void* s, void* octets, int n) {
        static_cast<std::string*>(s)->append(static_cast<const char*>(octets),
                                             static_cast<size_t>(n));
    };
    if (!stbi_write_png_to_func(ajoute, &png, w, h, 3, retournee.data(), w * 3))
        return "image impossible à coder en PNG";
    return ecriture::ecritFichier(fichier, png, application().fichiersDeLaScene());
}

struct Statistiques {
    double moyenne = 0, mediane = 0;
};

Statistiques statistiques(std::vector<double> durees) {
    Statistiques s;
    if (durees.empty()) return s;
    for (double d : durees) s.moyenne += d;
    s.moyenne /= static_cast<double>(durees.size());
    std::sort(durees.begin(), durees.end());
    s.mediane = durees[durees.size() / 2];
    return s;
}

// The ways of drawing that the benchmark compares, the last being the default.
struct FaconBench {
    const char* nom;
    bool immediat;
    ModeMeshes meshes;
    bool omissions;  // runs of triangles left out and still shadow casters kept
};
constexpr FaconBench FACONS_BENCH[] = {
    {"mode immédiat", true, ModeMeshes::Listes, false},
    {"listes d'affichage", false, ModeMeshes::Listes, false},
    {"tampons de sommets", false, ModeMeshes::Tampons, false},
    {"tampons, omissions", false, ModeMeshes::Tampons, true},
};
constexpr size_t NB_FACONS = std::size(FACONS_BENCH);

void choisitFacon(const FaconBench& f) {
    Mesh::modeImmediat = f.immediat;
    modeMeshes = f.meshes;
    grappesActives = f.omissions;
    application().dessin.garderOmbresFixes = f.omissions;
}

void afficheBench(int images, const std::vector<double> (&durees)[NB_FACONS]) {
    Statistiques s[NB_FACONS];
    for (size_t i = 0; i < NB_FACONS; ++i) {
        s[i] = statistiques(durees[i]);
        std::printf("bench : %d images en %s, moyenne %.3f ms, mediane %.3f ms\n", images,
                    FACONS_BENCH[i].nom, s[i].moyenne, s[i].mediane);
    }
    auto rapport = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    for (size_t i = 0; i + 1 < NB_FACONS; ++i)
        std::printf("bench : rapport %s / %s : moyenne %.2f, mediane %.2f\n", FACONS_BENCH[i].nom,
                    FACONS_BENCH[i + 1].nom, rapport(s[i].moyenne, s[i + 1].moyenne),
                    rapport(s[i].mediane, s[i + 1].mediane));
    std::printf("bench : images par seconde (mediane) :");
    for (size_t i = 0; i < NB_FACONS; ++i)
        std::printf("%s %s %.1f", i ? "," : "", FACONS_BENCH[i].nom, rapport(1000, s[i].mediane));
    std::printf("\n");
    std::fflush(stdout);
}

// Renders `images` frames in each way of FACONS_BENCH: immediate mode, display lists (the
// former default), vertex buffers drawing every triangle (the default before runs were left
// out and still casters kept), and the default; in alternating blocks so that all see the
// same machine load, and prints the timings and their ratios.
void modeBench(int images) {
    const bool immediatInitial = Mesh::modeImmediat;
    const ModeMeshes meshesInitial = modeMeshes;
    const bool grappesInitiales = grappesActives,
               gardeInitiale = application().dessin.garderOmbresFixes;
    auto image = [] {
        const auto debut = std::chrono::steady_clock::now();
        affichage();
        glFinish();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - debut)
            .count();
    };
    // Warm-up: shaders compiled, lists recorded, buffers filled.
    for (const FaconBench& f : FACONS_BENCH) {
        choisitFacon(f);
        for (int i = 0; i < 5; ++i) image();
    }
    constexpr int BLOC = 10;
    std::vector<double> durees[NB_FACONS];
    for (int fait = 0; fait < images;) {
        const int n = std::min(BLOC, images - fait);
        for (size_t i = 0; i < NB_FACONS && !arretDemande; ++i) {
            choisitFacon(FACONS_BENCH[i]);
            for (int k = 0; k < n && !arretDemande; ++k) durees[i].push_back(image());
        }
        if (arretDemande) quitteInterrompu();
        fait += n;
    }
    Mesh::modeImmediat = immediatInitial;
    modeMeshes = meshesInitial;
    grappesActives = grappesInitiales;
    application().dessin.garderOmbresFixes = gardeInitiale;
    if (images > 0) afficheBench(images, durees);
}
}  // namespace

int demarre(int argc, char** argv) {
    // Lives until the process ends (the exits of the program's modes run its destructor).
    static CApplication applicationDuProgramme;
    applicationCourante = &applicationDuProgramme;
    options = analyseLigneCommande(argc, argv);
    if (options.aide) {
        afficheUsage();
        return 0;
    }
    if (!options.erreurs.empty()) {
        for (const std::string& e : options.erreurs)
            std::fprintf(stderr, "brakmor : %s\n", e.c_str());
        std::fprintf(stderr, "brakmor -h donne l'usage\n");
        return 2;
    }
    // The 3D view alone, in the whole window, from the first frame.
    if (options.sansPanneaux) application().panneau.panneauxMasques = true;
    // Everything in immediate mode, for comparisons with the display lists.
    Mesh::modeImmediat = options.immediat;
    // Meshes from display lists rather than vertex buffers, likewise.
    if (options.listes) modeMeshes = ModeMeshes::Listes;
    // Both former ways draw every triangle of every caster in every pass, as before.
    if (options.immediat || options.listes) {
        grappesActives = false;
        application().dessin.garderOmbresFixes = false;
    }
    std::atexit(ecritDumpALaSortie);
    if (pipe2(tubeSignal, O_CLOEXEC | O_NONBLOCK) != 0) tubeSignal[0] = tubeSignal[1] = -1;
    std::signal(SIGINT, surSignal);
    std::signal(SIGTERM, surSignal);
    if (options.verification) {
        sansBouclePrincipale = true;
        int statut = modeVerification(argc, argv);
        options.fichierDump.clear();  // already written
        return statut;
    }

    afficheBanniere();
    int argcGlut = 1;
    char* argvGlut[] = {argv[0], nullptr};
    glutInit(&argcGlut, argvGlut);  // the arguments are read by the application, not GLUT
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(20, 20);
    glutInitWindowSize(800, 650);
    fenetrePrincipale = glutCreateWindow((std::string("Brakmor - Tavrin - ") + CREDITS).c_str());
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    journal << "Extensions supportées :" << (extensions ? extensions : "") << "\n";
    journal.flush();

    interface::initialise();
    interface::installeCallbacks();
    console << "ImGui version " << IMGUI_VERSION << "\n";

    const bool interactif = options.fichierCapture.empty() && options.imagesBench <= 0;
    sansBouclePrincipale = !interactif;
    if (interactif) interface::activeBoiteModale();
    appliqueOptionsFenetre();
    // The panels show the options from the first frame, a box raised while loading included.
    application().majPanneau();
    application().installeRechargement = installeSceneRechargee;
    if (!application().initialise(argc, argv)) {
        console << "Erreur d'initialisation !\n";
        return 0;
    }
    interface::chargementEnCours = false;
    // Poses taught and not saved when the last run ended are offered again.
    if (interactif) application().recuperePoints();
    application().majPanneau();
    interface::redessine();
    // A capture or a benchmark shows the scene as loaded (and simulated by -simule): no
    // timer tick steps it on the real clock meanwhile, so the same command line gives the
    // same image.
    if (interactif) arme(0);

    if (!options.fichierCapture.empty() || options.imagesBench > 0) {
        // Let the window appear and receive its size before drawing.
        for (int i = 0; i < 20; ++i) glutMainLoopEvent();
        glutReshapeWindow(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
        for (int i = 0; i < 5; ++i) glutMainLoopEvent();
        simule(options.simulation);
        if (arretDemande) quitteInterrompu();
        if (options.imagesBench > 0) modeBench(options.imagesBench);
        if (!options.fichierCapture.empty()) {
            const std::string raison = captureFenetre(options.fichierCapture);
            if (!raison.empty()) {
                console.erreur("capture : " + raison);
                std::exit(1);
            }
        }
        std::exit(0);
    }
    bouclePrincipale();
}

bool traiteEvenements() {
    const unsigned long images = interface::imagesDessinees();
    glutMainLoopEvent();
    quitteSiDemande();
    return interface::imagesDessinees() != images;
}

void attendEvenements(int delaiMs) {
    int delai = delaiMs;
    if (prochainTic != INT_MAX) {
        const int avantTic = std::max(0, prochainTic - glutGet(GLUT_ELAPSED_TIME));
        delai = delai < 0 ? avantTic : std::min(delai, avantTic);
    }
    Display* affichageX = glXGetCurrentDisplay();
    // Without the window system's connection, waking now and then is all that can be done.
    if (!affichageX && delai < 0) delai = 10;
    pollfd attente[2] = {{affichageX ? ConnectionNumber(affichageX) : -1, POLLIN, 0},
                         {tubeSignal[0], POLLIN, 0}};
    poll(attente, 2, delai);
    quitteSiDemande();
}
