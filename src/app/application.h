// The application object: it owns the scene, its drawer, the panel model and the interpreter,
// and holds the camera, the mouse state, the orbit of light 0 and the current robot; the
// animation step, the light orbit and the program's start-up.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/panneau.h"
#include "app/rechargement.h"
#include "dessin/dessinateur.h"
#include "robot/points_passage.h"
#include "robot/trace_csv.h"
#include "scene/camera.h"
#include "scene/scene.h"

class Script;
class Robot;
class BrasPilote;
class PiloteQuatreAxes;

class CApplication {
public:
    // What the scene file created: entities, instances, lights, textures, options.
    CScene scene;
    // Draws the scene and keeps the drawing state between frames; the motion aids' switches.
    Dessinateur dessin{scene};
    // The panels' model: their controls and the values they show.
    Panneau panneau;
    // The interpreter that loaded the scene (owned); its variables outlive the load.
    Script* script = nullptr;
    // The viewpoint of the 3D view.
    Camera camera;
    // Mouse buttons held and modifier keys, as the last event left them.
    bool boutonGauche = false, boutonDroit = false, boutonMilieu = false;
    bool toucheCtrl = false, toucheAlt = false, toucheShift = false;
    // The mouse's last position in the window.
    float sourisX = 0, sourisY = 0;
    // Light 0's orbit: degrees around and above, distance from the origin.
    float azimutLumiere = 0, elevationLumiere = 0, distanceLumiere = 0;
    // The instance the last left click picked; null after a click on the background. What
    // is selected (highlighted) is the scene's own selection, instanceSelectionnee().
    Instance* instanceCliquee = nullptr;
    // The robot the panel drives (the first arm of the scene), and the instance carrying it.
    // robotCourant is null when the driven arm is not the four-joint one.
    Robot* robotCourant = nullptr;
    InstanceEntite* instanceRobotCourant = nullptr;
    // The driven arm whatever its kind, or null: what the status line, the trace, the
    // plots, the joint rows and the taught poses read.
    BrasPilote* brasPilote() const { return brasPilote_; }
    // Drives the arm this instance carries (a four-joint arm or one read from a
    // description); false, nothing changed, for any other instance.
    bool choisitBras(InstanceEntite* instance);

    // Milliseconds of real time since start; tests replace it to step time exactly.
    std::function<long()> horloge;

    // An empty scene, the camera before a scene file sets it, the real clock.
    CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;
    // Releases the interpreter, then the scene with what it holds.
    ~CApplication();

    // With `avecFenetre` false (headless check), OpenGL is never touched.
    bool initialise(int argc, char** argv, bool avecFenetre = true);
    int statutChargement = 0;  // what the command line's scene load returned (0, or 3)
    // Loads a scene without a window as the headless check does, `lecture` reading it with
    // the new interpreter (Script::charge, Script::chargeTexte); its status is kept in
    // statutChargement. OpenGL is not touched: a context made later gets the scene through
    // installeGL.
    void chargeSansFenetre(const std::function<int(Script&)>& lecture);
    // The OpenGL state of the loaded scene (lights, textures, shadows), in a context made
    // after the load; the extensions are checked first.
    void installeGL();
    // The parts of initialise that follow loading: current robot, light 0 placement.
    void choisitRobotCourant();
    void placeLumiere();
    // One animation step: gravity, each robot's motion, the animations, light 0's orbit.
    void anime();
    // True while anime would change what is shown: a robot command queued, an instance
    // falling or about to, light 0 turning, an animated instance. The window waits for
    // events otherwise.
    bool enMouvement() const;
    // True while a shown tool trail is still fading at rest: the timer's ticks redraw it.
    bool trajectoireEnFondu() const;
    // Simulated time, as "-simule" runs it: the clock reads `t` (milliseconds, and still
    // does afterwards: the caller gives the clock back when it needs to); the
    // animation steps once at `t` when it has not run yet, then every `pas` milliseconds
    // until `t` reaches `fin`. `apresPas` (if any) runs after each step; the steps stop
    // early when `continuer` (if any) says no.
    void simule(long& t, long fin, long pas, const std::function<bool()>& continuer = {},
                const std::function<void()>& apresPas = {});
    // The timer_interval tick.
    void tic(int value);
    // Draws the 3D view: camera, then the scene through the drawer.
    void afficheTout();
    // Draws the 3D view alone into the whole of a `largeur` × `hauteur` frame, as the window
    // shows it with its panels hidden.
    void afficheVueSeule(int largeur, int hauteur);
    // The 3D view's new size: viewport and perspective.
    void redimensionne(int w, int h);

    // Control panel (panneau.cpp) and keyboard (clavier.cpp): what a control does.
    void controle(IdControle id);
    // The panels show the scene's options, the aids' switches and the robot's state.
    void majPanneau();
    // The robot panel shows the driven robot's joints, wrist and grip.
    void majPanneauRobot();
    // The grid controls show the scene's grid options.
    void majGrilles();
    // A value typed or stepped into a spinner: reported through controle once committed.
    void saisie(Controle& c, float v, EvenementSaisie e);
    // `modifiers` and the special key codes are those of touches.h.
    void clavier(int key, int modifiers, bool special);

    // Mouse in the 3D view (selection.cpp).
    void appuiGauche(int x, int y, int modifiers);
    void relacheGauche(int x, int y, int modifiers);
    void appuiDroit(int x, int y, int modifiers);
    void relacheDroit(int x, int y, int modifiers);
    // The middle button picks nothing; with SHIFT its drag moves light 0 closer or further.
    void appuiMilieu(int x, int y, int modifiers);
    void relacheMilieu(int x, int y, int modifiers);
    void deplaceSouris(int x, int y);
    void decodeModificateurs(int modifiers);
    // Pick name under a window point; tests replace the picking render.
    std::function<int(int, int)> selectionneur;
    int pick(int x, int y);

    // The status line under the robot panel (ligne_etat.cpp). majLigneEtat refreshes the
    // driven robot, its queue and the selected and held objects.
    void majLigneEtat();
    // A refusal or stall in words, after what it concerns: on the status line and in red on
    // the console. Nothing when raison is empty.
    void signale(const std::string& raison, const std::string& contexte = "");
    // Reports once each reason a robot recorded since the last report (Robot::numeroRaison).
    void rapporteRaisons();
    // Takes every arm's reasons recorded so far as reported (those of a load).
    void retientRaisons();
    // The last reason number reported, by arm entity; reasons recorded while loading are not.
    std::map<const Entite*, unsigned long> raisonsVues;
    // How many refusals signale has shown: a command that adds none clears the red line.
    unsigned long nbSignalements = 0;
    // A success in words: on the status line (replacing a refusal shown there) and the console.
    void informe(const std::string& texte);
    // An instance as the user reads it: "#index" and its entity's name; empty for null.
    std::string nomInstance(const Instance* i) const;
    // An instance's index in the registry, -1 for null or one not registered.
    int indiceDe(const Instance* i) const;

    // Poses taught with `w` or the panel's buttons (points_passage_app.cpp). The list holds
    // only numbers: it survives a reload and replays on whichever robot the panel drives.
    PointsPassage pointsPassage;
    void memorisePoint();
    void rejouePoints();
    void videPoints();
    // Writes the list as a scene-file fragment to the panel's path.
    void sauvePoints();
    // Poses taught since the last save or clear, or recovered at start and not saved since.
    bool pointsNonEnregistres = false;
    // Where the poses not saved are kept when the program ends, in the working directory.
    std::string cheminRecuperation = ".brakmor-points-recuperes.txt";
    bool recuperationLue = false;  // recuperePoints read that file
    // At exit: the poses not saved go to the recovery file (which is removed when none are
    // left to keep). Returns "" or why they could not be kept.
    std::string gardePointsNonEnregistres();
    // At start: the poses of a recovery file left by a previous run join the list, and the
    // console and the status line say so. Returns how many were read.
    std::size_t recuperePoints();
    // The name of the script variable holding the driven robot; "robot" when none does.
    std::string variableRobot() const;

    // "-trace": one CSV row per animation step for the driven robot, timed by
    // tempsAnimation, the seconds the animation steps have covered since start.
    TraceCsv trace;
    double tempsAnimation = 0;
    // The columns the trace's header names: rows are written while the driven arm has
    // these (another arm driven meanwhile leaves a gap, said once).
    std::vector<std::string> colonnesTrace;
    bool traceEnPause = false;
    // Opens the trace; a file that cannot be written is reported and the program goes on.
    void ouvreTrace(const std::string& chemin);

    // The files the scene was read from (scene file, includes, meshes, material libraries,
    // textures), and those of a reload that failed since: what the program writes never
    // replaces them.
    std::vector<std::string> fichiersDeLaScene() const;

    // Set by F12; the main loop takes the screenshot, which needs the window's frame.
    bool captureDemandee = false;

    // Clock memories of the animation step and the timer (set on first use).
    bool animeDejaAppele = false, ticDejaAppele = false;
    long precedentAnime = 0, precedentTic = 0;

    // Reloading the scene file (rechargement.cpp).
    std::string fichierScene;  // the "-f" file; empty when none was given
    // Loads fichierScene into a scene of its own. When that load shows no box and prints no
    // error line, the application takes its objects, lights, textures and materials, and its
    // options and camera except those the user changed; the previous scene is released with
    // its robots' commands and held objects. Otherwise, and when the file is empty or the
    // new scene would empty a scene that was not, the running scene is kept untouched.
    // The console says which, and why. True when the scene was replaced.
    bool recharge();
    // Set by F5; the main loop reloads, outside the window's callbacks (a load may show boxes).
    bool rechargementDemande = false;
    // "-surveille": the files of the scene are polled from the main loop.
    bool surveilleFichiers = false;
    Surveillance surveillance;
    // Polls the watched files when due; a change that has settled asks for a reload.
    void surveilleScene();
    // The OpenGL half of a reload, installed with the window (null headless): installs the
    // new lights and textures and the drawing state of the options, and releases what the
    // replaced scene held in OpenGL (its textures, its lights beyond the new count).
    std::function<void(const std::vector<std::shared_ptr<Texture>>& anciennesTextures,
                       int anciennesLumieres)>
        installeRechargement;
    // The options and camera as the last load left them: what differs now, the user changed.
    EtatCharge etatCharge;
    // The files the last load that succeeded depends on, as its loader recorded them; those
    // of the failed reload since, if any (the watch adds them).
    std::vector<std::string> fichiersCharges, fichiersRefuses;

private:
    // The start-up choices that follow a load: the driven robot, the reasons already
    // recorded, light 0's place, what the load left (options, camera, files).
    void apresChargement(const std::map<std::string, SignatureFichier>& vues);
    BrasPilote* brasPilote_ = nullptr;
    std::unique_ptr<PiloteQuatreAxes> piloteQuatreAxes_;  // for a four-joint driven arm
    void oublieBras();

    // The steps of recharge: a failed load reported (its files watched too); the old scene's
    // commands and held objects dropped, with what was lost in words; the new load's options
    // and camera taken except those the user changed (their keys returned); the start-up
    // choices made again for the new scene.
    void refuseRechargement(const std::string& raison, const std::vector<std::string>& fichiers,
                            const std::map<std::string, SignatureFichier>& vues);
    std::string lacheAncienneScene();
    std::string prendOptionsEtCamera(const EtatCharge& lu, const Camera& cameraLue);
    void redemarreApresRechargement();
    // Records what the load just made left (options, camera) and watches its files.
    void retientChargement(const EtatCharge& etat, const std::vector<std::string>& fichiers,
                           const std::map<std::string, SignatureFichier>& vues);
};

// The camera before a scene file sets it.
Camera cameraInitiale();

// The application the window's callbacks and panels act on: the one demarre runs, reached
// through the one pointer set at start-up (fenetre.cpp).
CApplication& application();

// Runs the whole program; returns the process status.
int demarre(int argc, char** argv);
