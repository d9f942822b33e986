// The articulated arm: eleven link meshes placed by four driven joints (base, shoulder,
// elbow, gripper rotation), the wrist kept level by parallelograms. Direct and inverse
// geometric models, drawing, the motion queue and the gripper.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "commun/erreurs.h"
#include "geometrie/entite.h"
#include "geometrie/matrice.h"
#include "geometrie/mesh.h"
#include "geometrie/vecteur.h"
#include "robot/espace_travail.h"
#include "robot/mouvement.h"
#include "robot/trajectoire.h"

class CScene;
class Instance;

class Robot : public Entite {
public:
    CMatrice matricePince;  // gripper frame computed by MGD, z axis pointing down

    // The links, not owned here (see liensTenus).
    Mesh* socle = nullptr;
    Mesh* tourelle = nullptr;
    Mesh* bras = nullptr;
    Mesh* barreEpaule = nullptr;
    Mesh* barreCoude = nullptr;
    Mesh* avantBras = nullptr;
    Mesh* barreAvantBras = nullptr;
    Mesh* poignet = nullptr;
    Mesh* pince = nullptr;
    Mesh* barreBras = nullptr;
    Mesh* bielle = nullptr;

    // Tool point in the robot frame and gripper rotation about the vertical.
    float X = 0, Y = 0, Z = 0;
    float THETA = 0;
    float THETA1 = 90, THETA2 = 0, THETA3 = 0, THETA5 = 0;
    float angleBielle = 0;  // rear rod angle, degrees

    float L0, L1, L2, L3, L4, L6, L5, L7, L8;
    float hauteurEpaule;  // H0: shoulder plane above the robot origin
    float decalageOutil;  // D: tool point below the wrist axis

    float vitesseTheta1, vitesseTheta2, vitesseTheta3, vitesseTheta5;  // degrees per second
    float toleranceSaisie;
    float rayonMin;
    float precisionMGI = 1.0f;  // straight-line points per length unit

    bool reperes = false;
    bool selectionne = false;
    CMatrice attache;          // held object relative to the gripper
    CMatrice translationBase;  // to the robot instance's origin
    std::vector<std::shared_ptr<Instance>>* listeInstances;
    FileCommandes commandes;
    // The profile of the commands queued from now on; "constant" by default.
    Profil profil;
    // Commands refused since the queue became full: only the first one says so, or a file
    // queueing 100 000 commands would ask for 90 000 clicks on OK.
    unsigned long refusFilePleine = 0;
    bool collisionPince = false;

    // Why the last target was refused, cut short by a joint limit, or the last command given
    // up, in words for the status line and the console: "THETA1 hors limites" (THETA2,
    // THETA3, THETA5), "position hors d'atteinte", "trop près de l'axe du robot", "sous le
    // sol", "collision de la pince", "l'objet ne serait pas sous la pince"; a dropped command
    // reads "commande abandonnée : " and its cause, "aucun progrès" when it went nowhere for
    // a second, "aucun objet sous la pince" for a queued grip that found nothing. numeroRaison
    // grows by one at each new record, so a reader can tell a new one from the one it has shown.
    std::string derniereRaison;
    unsigned long numeroRaison = 0;

    // The tool point's recent path, recorded by avance; the workspace grid of its plane.
    TrajectoireOutil trajectoire;
    // The joints and the tool's speed at each step of avance, on the trail's clock.
    HistoriqueArticulaire historique;
    EspaceTravail espaceTravail;

    // Keeps the link meshes alive as long as the robot.
    std::array<std::shared_ptr<Mesh>, 11> liensTenus;

    // nombres: L0 … L8, the four joint speeds, toleranceSaisie, rayonMin.
    // liens: socle, tourelle, bras, barreEpaule, barreCoude, avantBras, barreAvantBras,
    // poignet, pince, barreBras, bielle. Throws pointeur_null when a link is missing and
    // std::invalid_argument, with the text of nombreNonFini, when a number is not finite.
    Robot(const std::array<float, 15>& nombres, const std::array<std::shared_ptr<Mesh>, 11>& liens,
          std::vector<std::shared_ptr<Instance>>* listeInstances);
    ~Robot() override;

    // Entity operations. A robot has the empty box (0, 0, 0)–(0, 0, 0).
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override;
    void setLien(Instance* i) override;

    // Empty when the constructor's numbers are all finite; otherwise names the first one
    // that is not, with its position and value.
    static std::string nombreNonFini(const std::array<float, 15>& nombres);

    // Direct model (robot.cpp).
    static bool verifieLimites(float T1, float T2, float T3, float T5);
    // Empty within the limits; otherwise the first joint outside, its value and its range:
    // "THETA2 vaut 200, hors de ses limites (de 0 à 145)".
    static std::string texteLimites(float T1, float T2, float T3, float T5);
    bool MGD(float T1, float T2, float T3, float T5, float& x, float& y, float& z, float& theta,
             CMatrice& matrice) const;
    // The same pose whatever the limits (the target preview shows joints typed beyond them).
    void modeleDirect(float T1, float T2, float T3, float T5, float& x, float& y, float& z,
                      float& theta, CMatrice& matrice) const;
    // The gripper frame at the wrist pose (x, y, z, theta): level, z axis pointing down.
    static CMatrice repereOutil(float x, float y, float z, float theta);
    // Moves the arm to these joints; false, the reason recorded, when the pose is refused.
    bool setCoordArticulaires(float T1, float T2, float T3, float T5);
    void majBielle();

    // Inverse model (modele_inverse.cpp).
    bool positionAccessible(float x, float y, float z, float theta);
    bool MGI(float x, float y, float z, float theta, float& T1, float& T2, float& T3, float& T5);
    // Moves the wrist toward a target. Where a joint limit stops the arm short, the wrist
    // fields and matricePince hold the pose reached, and that pose must itself be
    // acceptable. False, the reason recorded, when refused.
    bool setCoordPoignet(float x, float y, float z, float theta);

    // Motion and gripper (mouvement.cpp).
    // One motion step of dt seconds (nothing happens unless dt is finite and positive). A
    // command whose target is refused, or that goes nowhere for one second, is dropped
    // with its reason recorded. Grips, releases and waits are done when they reach the front.
    bool avance(float dt);
    // Whether a click on objet can be carried out: the gripper can reach its top and grip
    // it or, while holding an object, put that one down on it. False records the reason.
    bool peutSaisir(Instance* objet, Instance* instanceRobot);
    bool sousPince(Instance* o, float& distance, CVecteur& contact, CVecteur outil) const;
    void saisit(Instance* o, CVecteur contactRelatif, Instance* instanceRobot);
    Instance* lache();
    Instance* chercheObjet(Instance* instanceRobot);
    static void avanceAngle(float& angle, float cible, float pasMax);
    // Queues c under the robot's profile.
    void ajouteCommande(Commande c) {
        c.profil = profil;
        commandes.push_back(c);
    }
    void videCommandes() {
        commandes.clear();
        sansProgres_ = 0;
    }

    // The held instance, or null; forgets one that no longer exists.
    Instance* objetTenu();
    // True when e is a robot that has not been destroyed (no dereference involved).
    static bool estVivant(const Entite* e);

    // Why a tool point is refused, or null when the arm may go there.
    const char* refusPosition(float x, float y, float z);
    // Writes into c's targets the joints that bring the wrist to (x, y, z, theta) and the
    // pose they reach (see poseVers for exacte), leaving c.rectiligne as it was; the reason
    // (c untouched) when refused.
    const char* cibleVers(float x, float y, float z, float theta, CibleMouvement& c, bool exacte);
    // The current joints and wrist as a move's targets (not along a straight line).
    CibleMouvement pose() const;

    // Panel reads: joints and THETA to the nearest integer, halves away from zero.
    static int arrondi(float v);
    void lireCoordArticulaires(int& t1, int& t2, int& t3, int& t5) const;
    void lireCoordPoignet(float& x, float& y, float& z, int& theta) const;

private:
    // The held instance's ownership record, when it came from listeInstances.
    std::weak_ptr<Instance> tenuPartage_;
    bool tenuSuivi_ = false;
    // Simulated seconds the queue has gone without a joint moving or a command completing.
    float sansProgres_ = 0;

    // Joints and the wrist pose they reach.
    struct Pose : CibleMouvement {
        CMatrice pince;
    };

    void signale(const std::string& raison);
    // Drops the front command, recording why.
    void abandonne(const std::string& raison);
    // The reason an out-of-range joint set is refused, naming the first joint outside.
    static const char* raisonLimites(float T1, float T2, float T3, float T5);
    // The inverse model; on success borne names the joint the clamps moved most (1 for
    // THETA2, 2 for THETA3, -1 for none) and derriere tells the target was taken through
    // the base axis. Null on success, else the reason.
    const char* resoutMGI(float x, float y, float z, float theta, float T[4], int& borne,
                          bool& derriere);
    // The joints for a wrist target and the pose they reach; arret names the joint limit
    // that stopped the arm short of the target (null when it gets there). exacte: such a
    // miss is refused; otherwise it is taken at the pose reached when that pose is itself
    // acceptable. Null on success, else the reason.
    const char* poseVers(float x, float y, float z, float theta, bool exacte, Pose& p,
                         const char*& arret);
    // Takes these joints when their pose is accepted; else returns the reason.
    const char* essaiePose(float T1, float T2, float T3, float T5);

    // Takes a pose both models accepted: joints, wrist coordinates, gripper frame, link rod.
    void adoptePose(float T1, float T2, float T3, float T5, float x, float y, float z, float theta,
                    const CMatrice& pince);
    // World position of a point of the robot frame, through the carrying instance.
    CVecteur positionMonde(const Instance* instanceRobot, CVecteur p) const;
    // True when the instance is still registered (or there is no list to check against).
    bool instanceConnue(const Instance* i) const;

    // avance once the queue is known not empty and the step valid: the front command's share
    // of the step. reste: the seconds of the step still free, then those the command left.
    bool pasCommande(float& reste);
    // A grip, release or wait at the front of the queue, done in its turn; false when a grip
    // finds nothing under the gripper (the command is then dropped). A wait takes its time
    // out of reste.
    bool actionEnTete(float& reste);
    // The first registered instance carrying this robot, or null.
    Instance* instancePortante() const;

    // The steps of avance. c's joint targets from the object it approaches: above its top
    // to grip it, or to put the held one down on it; the reason when that pose is refused or
    // would not grip it.
    const char* cibleApproche(Commande& c);
    // Queues the intermediate wrist targets of a straight line to cmd's target, then cmd
    // itself as a joint move.
    void decoupeRectiligne(const Commande& cmd);
    // Turns each joint toward cmd's target by at most its speed times dt; utilise: the
    // seconds the slowest joint took (less than dt when all arrive). Bloque: the step's pose
    // was refused (raison says why) or no joint could turn (raison null).
    enum class Pas { Arrive, Bouge, Bloque };
    Pas tourneVers(const Commande& cmd, float dt, const char*& raison, float& utilise);
    // The same under a profile other than "constant" (profil.h): every joint, or the tool
    // along its straight line, follows the time law from where the command started, all the
    // joints starting and arriving together; fini when this step ends it. Bloque when the
    // pose is refused (the command's clock then waits) or when it would never end (a joint
    // without speed). Joints moved by hand meanwhile start the command again from there.
    Pas suitProfil(Commande& c, float dt, const char*& raison, float& utilise, bool& fini);
    // Starts c from the current pose: its duration and, for a straight line, its law.
    void commenceProfil(Commande& c);
    // The joints at the fraction s of a started straight line's way; false for a point the
    // joints would miss.
    bool pointLigne(const Commande& c, double s, float q[4]);
    // What happens at the end of a command: grip its object (and lift it), release the held
    // one, or approach the object again when it has moved (then true: a new attempt).
    bool arrive(const Commande& cmd);
};
