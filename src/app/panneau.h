// The control panel's model: every control of the two docked panels with its id, label,
// kind, live variable, limits and state, built in display order. The drawing (ImGui) only
// shows this model and reports changes through CApplication::controle(id), spinner entries
// through CApplication::saisie.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "robot/mouvement.h"

// What a control reports to CApplication::controle. Several controls share one id when
// they are handled together (the four joint spinners, the three grid rows...).
enum class IdControle {
    Aucun,  // static text, groups and columns: they report nothing
    Quitter,
    // Robot panel.
    Articulations,        // current joint spinners THETA1..THETA5
    Poignet,              // current wrist spinners X, Y, Z, THETA
    CibleArticulaire,     // target joint spinners
    CiblePoignet,         // target wrist spinners
    CiblePoignetEntiere,  // the four wrist targets typed at once
    DeplacementRectiligne,
    Atteint,
    Saisie,  // the grip button, "SAISIS" / "LACHE"
    AfficherReperes,
    CollisionPrehenseur,
    // Display options panel.
    Eclairage,
    Texturage,
    Bilineaire,
    BackfaceCulling,
    Antialiasing,
    Dithering,
    SmoothShading,
    Transparence,
    BoitesEnglobantes,
    Ombrage,
    OmbresOrigine,  // the first look of shadows: black, on the floor
    AfficherSol,
    AfficherLumieres,
    LumiereTournante,
    Grilles,        // the three grid check boxes and their position spinners
    ModeAffichage,  // the radio group
    CouleurFond,    // the three colour spinners
    // Motion aids.
    TrajectoireOutil,
    CibleFantome,
    EspaceTravail,
    EllipsoideManipulabilite,
    Courbes,
    // Waypoints: store the pose, replay, clear, save as a scene-file fragment.
    MemorisePoint,
    RejouePoints,
    VidePoints,
    SauvePoints,
    Aide,  // shows the keys and mouse actions over the view
};

// The kinds of controls the panels are made of.
enum class GenreControle {
    Rollout,        // a titled, collapsible group
    Groupe,         // a (possibly titled) panel inside a rollout
    Colonne,        // starts a new column in the current rollout
    Texte,          // static text
    Case,           // checkbox, int live variable 0 / 1
    SpinnerEntier,  // int live variable
    SpinnerReel,    // float live variable
    Radio,          // radio group, int live variable; libelles of the buttons in `options`
    Bouton,         // a push button
    ChampTexte,     // one-line text field, `texte` live variable; libelle shown on hover
    Courbes,        // the driven robot's joints and tool speed over the last seconds
    ListePoints,    // the stored waypoints, scrollable
    LegendeEspace,  // what the workspace view's colours mean, while it is shown
    // An arm read from a description: one row per joint (name, value, limits, the target
    // typed) and the tool pose.
    LignesArticulations,
};

// What a spinner does at its bounds: nothing, wrap around, or stop.
enum class Limite { Aucune, Boucle, Borne };

// What happens in a spinner's field: a keystroke only holds the typed value; leaving the
// field (Enter, Tab or a click elsewhere) commits it; a step button commits at once.
enum class EvenementSaisie { Frappe, Sortie, Pas };

// One control of a panel, bound to the live variable it shows and edits.
struct Controle {
    IdControle id = IdControle::Aucun;           // what controle is told when it changes
    std::string libelle;                         // its label
    GenreControle genre = GenreControle::Texte;  // its kind
    int* entier = nullptr;                       // the int live variable, or null
    float* reel = nullptr;                       // the float live variable, or null
    Limite limite = Limite::Aucune;              // what it does at min and max
    float min = 0, max = 0;                      // its bounds
    float vitesse = 1;                           // a step's size
    bool actif = true;                           // false: shown greyed, not editable
    int niveau = 0;  // nesting: 0 for rollouts, 1 inside a rollout, 2 inside a group
    std::vector<std::string> options;  // radio groups: the buttons' labels
    int decimales = 2;  // float spinners: digits shown after the point; 0 keeps whole numbers
    std::string* texte = nullptr;  // text fields
    bool ouvert = true;            // rollouts: open at start
    // Buttons and text fields, in pixels; negative: up to that many pixels from the edge.
    float largeur = 90;
    // Shown only while the driven arm is the four-joint one (its joint and wrist spinners).
    bool quatreAxes = false;
    // A value typed into the field and not committed yet.
    bool saisieEnCours = false;
    float saisie = 0;  // the value typed

    // The spinner's value as a float.
    float valeur() const;
    // Writes a value through the limits (wrap or clamp) into the live variable.
    void fixeValeur(float v);
    // What the field shows: the typed value while one is held, and 0 for a value that
    // rounds to zero at the shown precision (never "-0.00").
    float valeurAffichee() const;
    // A value typed or stepped in the field. True when it is committed into the live
    // variable now; the caller then reports the control's id.
    bool saisit(float v, EvenementSaisie e);
};

// The status line under the robot panel, filled by CApplication::majLigneEtat (the driven
// robot, its queue, the selected and held objects) and by each refusal or stall.
struct LigneEtat {
    std::string robot;          // the instance of the robot the panel drives, empty for none
    std::size_t commandes = 0;  // its queued commands
    std::string selection;      // the highlighted instance, "" for none
    std::string tenu;           // the instance the driven robot holds, "" for none
    // The driven robot's manipulability and ratio of singular values as shown ("" for no
    // robot), and, when that ratio is below the near-singular threshold, which configuration
    // makes the pose near singular.
    std::string manipulabilite, conditionnement;
    std::string singularite;
    std::string message;      // the last refusal or stall, in words
    std::string information;  // the last thing done that the user asked for, in words
};

// One joint of the driven arm as its row shows it: degrees, or scene units when it slides.
struct LigneArticulation {
    std::string nom;
    double valeur = 0;
    bool bornee = true;  // false: a continuous joint, without limits
    double min = 0, max = 0;
    bool prismatique = false;
    float cible = 0;  // the target typed in the row, sent by "Atteint"
};

// The panels' model: the live variables the controls show, and the controls themselves.
struct Panneau {
    // Robot state: frames shown, gripper collision, current joints and wrist.
    int afficherReperes = 0, collisionPrehenseur = 0;
    int theta1 = 90, theta2 = 0, theta3 = 0, theta5 = 0;
    float poignetX = 0, poignetY = 0, poignetZ = 0;
    int poignetTheta = 0;
    // Robot target: joints, wrist, straight-line box, and the last targets the robot accepted.
    int cibleTheta1 = 90, cibleTheta2 = 0, cibleTheta3 = 0, cibleTheta5 = 0;
    float ciblePoignetX = 0, ciblePoignetY = 0, ciblePoignetZ = 0;
    int ciblePoignetTheta = 0;
    int deplacementRectiligne = 0;
    int cibleArticulaireValide[4] = {90, 0, 0, 0};
    float ciblePoignetValide[3] = {0, 0, 0};
    int ciblePoignetThetaValide = 0;
    // Display options.
    int eclairage = 0, texturage = 0, bilineaire = 0, backfaceCulling = 0, antialiasing = 0,
        dithering = 0, smoothShading = 0, transparence = 0, boitesEnglobantes = 0, ombrage = 0,
        ombresOrigine = 0, afficherSol = 0, afficherLumieres = 0, lumiereTournante = 0;
    int grilleX = 0, grilleY = 0, grilleZ = 0;           // grids shown
    int grillePosX = 0, grillePosY = 0, grillePosZ = 0;  // grids' position
    int modeAffichage = 0;                // 0 "Sommets seuls", 1 "Fil de fer", 2 "Normal"
    int fondR = 0, fondG = 0, fondB = 0;  // background colour, 0 to 255
    // Motion aids: tool trail, target ghost, workspace.
    int trajectoireOutil = 0, cibleFantome = 0, espaceTravail = 0, courbes = 0;
    int ellipsoideManipulabilite = 0;

    // The driven arm is read from a description: its rows replace the four-joint spinners.
    bool brasDecrit = false;
    std::vector<LigneArticulation> articulations;
    // Its tool: x, y, z in the arm's frame, then roll, pitch and yaw in degrees.
    double outil[6] = {};

    std::string libelleSaisie = "SAISIS";  // the grip button's label
    // Where "Sauver" writes the waypoints, relative to the working directory.
    std::string cheminPointsPassage = "points_de_passage.txt";
    // "X' Y' Z' THETA'" typed at once, taken whole or refused whole when Enter commits it.
    std::string ciblePoignetEntiere;
    // `h`: the view takes the whole window. F1 or "?": the keys and mouse actions over the view.
    bool panneauxMasques = false;
    bool aideAffichee = false;
    LigneEtat ligneEtat;  // the status line

    std::vector<Controle> panneauRobot;    // right
    std::vector<Controle> panneauOptions;  // left

    // Both panels' controls, bound to this model's variables (hence not copied).
    Panneau();
    Panneau(const Panneau&) = delete;
    Panneau& operator=(const Panneau&) = delete;

    // The control bound to this live variable (for keys and tests).
    Controle* controleDe(const void* variable);
    Controle* spinnerGrille(int axe);  // 0, 1, 2

    // Remembers the wrist target as the last one the robot accepted.
    void retientCiblePoignet();
    // The target fields and the straight-line box as a move's targets.
    CibleMouvement cible() const;

private:
    void construitPanneauRobot();
    void construitPanneauOptions();
};
