// The articulated arm: eleven link meshes placed by four driven joints (base, shoulder,
// elbow, gripper rotation), the wrist kept level by parallelograms. Direct and inverse
// geometric models, drawing, the motion queue and the gripper.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "geometrie/entite.h"
#include "geometrie/matrice.h"
#include "commun/erreurs.h"
#include "geometrie/mesh.h"
#include "geometrie/vecteur.h"
#include "robot/mouvement.h"

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
    bool collisionPince = false;

    // Keeps the link meshes alive as long as the robot.
    std::array<std::shared_ptr<Mesh>, 11> liensTenus;

    // nombres: L0 … L8, the four joint speeds, toleranceSaisie, rayonMin.
    // liens: socle, tourelle, bras, barreEpaule, barreCoude, avantBras, barreAvantBras,
    // poignet, pince, barreBras, bielle. Throws pointeur_null when a link is missing.
    Robot(const std::array<float, 15>& nombres, const std::array<std::shared_ptr<Mesh>, 11>& liens,
          std::vector<std::shared_ptr<Instance>>* listeInstances);
    ~Robot() override;

    // Entity operations. A robot has the empty box (0, 0, 0)–(0, 0, 0).
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override;
    void setLien(Instance* i) override;

    // Direct model (robot.cpp).
    static bool verifieLimites(float T1, float T2, float T3, float T5);
    bool MGD(float T1, float T2, float T3, float T5, float& x, float& y, float& z, float& theta,
             CMatrice& matrice) const;
    bool setCoordArticulaires(float T1, float T2, float T3, float T5);
    void majBielle();

    // Inverse model (modele_inverse.cpp).
    bool positionAccessible(float x, float y, float z, float theta);
    bool MGI(float x, float y, float z, float theta, float& T1, float& T2, float& T3, float& T5);
    bool setCoordPoignet(float x, float y, float z, float theta);

    // Motion and gripper (mouvement.cpp).
    bool avance(float dt);
    bool sousPince(Instance* o, float& distance, CVecteur& contact, CVecteur outil) const;
    void saisit(Instance* o, CVecteur contactRelatif, Instance* instanceRobot);
    Instance* lache();
    Instance* chercheObjet(Instance* instanceRobot);
    static void avanceAngle(float& angle, float cible, float pasMax);
    void ajouteCommande(const Commande& c) { commandes.push_back(c); }
    void videCommandes() { commandes.clear(); }

    // The held instance, or null; forgets one that no longer exists.
    Instance* objetTenu();

    // Panel reads: joints and THETA to the nearest integer, halves away from zero.
    static int arrondi(float v);
    void lireCoordArticulaires(int& t1, int& t2, int& t3, int& t5) const;
    void lireCoordPoignet(float& x, float& y, float& z, int& theta) const;

private:
    // The held instance's ownership record, when it came from listeInstances.
    std::weak_ptr<Instance> tenuPartage_;
    bool tenuSuivi_ = false;

    // Takes a pose both models accepted: joints, wrist coordinates, gripper frame, link rod.
    void adoptePose(float T1, float T2, float T3, float T5, float x, float y, float z,
                    float theta, const CMatrice& pince);
    // Writes into c's targets the joints that bring the wrist to (x, y, z, theta) and the
    // pose they reach; false (c untouched) when the inverse or the direct model refuses it.
    bool cibleVers(float x, float y, float z, float theta, Commande& c);
    // World position of a point of the robot frame, through the carrying instance.
    CVecteur positionMonde(const Instance* instanceRobot, CVecteur p) const;
    // True when the instance is still registered (or there is no list to check against).
    bool instanceConnue(const Instance* i) const;
    // True when e is a robot that has not been destroyed (no dereference involved).
    static bool estVivant(const Entite* e);

    // The steps of avance. The front command's joint targets from the object it approaches;
    // false when that pose is refused.
    bool cibleApproche();
    // Queues the intermediate wrist targets of a straight line to cmd's target, then cmd
    // itself as a joint move.
    void decoupeRectiligne(const Commande& cmd);
    // Turns each joint toward cmd's target by at most its speed times dt; false when every
    // joint is already there.
    bool tourneVers(const Commande& cmd, float dt);
    // What happens at the end of a command: grip its object (and lift it), release the held
    // one, or approach the object again when it has moved.
    void arrive(const Commande& cmd);
};
