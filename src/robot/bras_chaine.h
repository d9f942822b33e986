// An arm read from a robot description, as a scene entity: its serial chain and the visuals
// of its links, the current joint values in the scene's units (degrees for turning joints,
// scene units for sliding ones), checked against the limits before they are taken; and its
// command queue (bras_chaine_mouvement.cpp): joint and tool targets reached under the
// robot's time law at the joints' speeds, grips at the tool frame, releases and waits.
#pragma once

#include <Eigen/Geometry>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "geometrie/entite.h"
#include "robot/bras_pilote.h"
#include "robot/mouvement.h"
#include "robot/robot_urdf.h"

// One queued command of an arm read from a description.
struct CommandeChaine {
    GenreCommande genre = GenreCommande::Mouvement;
    std::vector<double> cible;  // Mouvement: the joint values reached, scene units
    bool rectiligne = false;    // the tool point goes along a straight line to the target's
    float secondes = 0;         // Attente: seconds still to wait
    Profil profil;
    // Once started: the joints it started from, the seconds gone by and the seconds it
    // takes; for a straight line, the tool frames at both ends and its time law.
    bool commencee = false;
    std::vector<double> depart, atteint;  // atteint: the joints its last step gave
    double ecoule = 0, duree = 0;
    Eigen::Isometry3d outilDepart = Eigen::Isometry3d::Identity();
    Eigen::Isometry3d outilCible = Eigen::Isometry3d::Identity();
    LoiHoraire loi;
};

class BrasChaine : public Entite, public BrasPilote {
public:
    explicit BrasChaine(RobotURDF description);
    ~BrasChaine() override;

    const RobotURDF& description() const { return description_; }
    const ChaineCinematique& chaine() const { return description_.chaine; }
    const std::string& nomArticulationRef(int i) const {
        return chaine().nomJoint(chaine().jointMobile(i));
    }
    // Limits of value i in the scene's units (min, max below); an unbounded (continuous)
    // joint has none.

    // The current values, in the scene's units.
    const std::vector<double>& articulations() const { return valeurs_; }
    // Empty when every value is finite and within its joint's limits; otherwise the first
    // one that is not, in words: "A2 vaut 200, hors de ses limites (de -65 à 180)".
    std::string texteLimites(const std::vector<double>& valeurs) const;
    // Takes these values (one per joint) when texteLimites accepts them; else returns its
    // text and keeps the pose.
    std::string setArticulations(const std::vector<double>& valeurs);

    // The joint vector of the chain (radians for turning joints) for scene values.
    VecteurArticulaire vecteur(const std::vector<double>& valeurs) const;
    // The frame of every link at the current pose, in the entity's frame.
    const std::vector<Eigen::Isometry3d>& reperesLiens() const { return reperes_; }
    // The tool frame at the current pose, in the entity's frame.
    const Eigen::Isometry3d& outil() const { return outil_; }

    // The box around every visual at the current pose, in the entity's frame; the empty
    // box at the origin when the arm has no visual.
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override;

    // ---- Motion (bras_chaine_mouvement.cpp) ----
    // The instances of the scene, where grips look for objects (not owned; may be null).
    std::vector<std::shared_ptr<Instance>>* listeInstances = nullptr;
    // The time law of the moves queued from now on.
    Profil profil;
    std::deque<CommandeChaine> commandes;
    // Scripted commands refused since the queue became full: only the first one says so.
    unsigned long refusFilePleine = 0;
    // How far above or below an object's top, or into its box, the tool point may be to
    // grip it, in scene units.
    double toleranceSaisie = 1;
    // Each joint's speed, per second (degrees or scene units): the description's, or a
    // default when it gives none.
    double vitesse(int i) const;

    // The joint values that bring the tool to `cible` (in the entity's frame), from the pose
    // the arm will be in when the queue is done; "" or why not.
    std::string articulationsVers(const CibleOutil& cible, std::vector<double>& valeurs) const;
    // The tool frame for these joint values.
    Eigen::Isometry3d outilPour(const std::vector<double>& valeurs) const;
    // The joint values the arm holds once every queued move is done.
    std::vector<double> poseFinale() const;
    // Grips the object at the tool point now; false, the reason recorded, when there is none.
    bool saisit();
    // Lets the held object go: gravity takes it. The instance, or null.
    Instance* lache();
    // The instance carrying this arm, or null.
    Instance* instancePortante() const;
    // The tool frame in the scene's frame (through the carrying instance).
    Eigen::Isometry3d outilMonde() const;

    // BrasPilote.
    Entite& entite() override { return *this; }
    std::string nomArticulation(int i) const override { return nomArticulationRef(i); }
    bool prismatique(int i) const override { return chaine().limites(i).prismatique; }
    bool bornee(int i) const override { return chaine().limites(i).bornee; }
    double min(int i) const override;
    double max(int i) const override;
    int nbArticulations() const override { return chaine().nbArticulations(); }
    std::vector<double> valeursArticulations() const override { return valeurs_; }
    Eigen::Isometry3d poseOutil() const override { return outil_; }
    std::size_t nbCommandes() const override { return commandes.size(); }
    void videCommandes() override;
    bool avance(float dt) override;
    const std::string& raison() const override { return raison_; }
    unsigned long numeroRaison() const override { return numeroRaison_; }
    const TrajectoireOutil& trajectoireOutil() const override { return trajectoire_; }
    const HistoriqueArticulaire& historiqueArticulaire() const override { return historique_; }
    std::string ajouteDeplacement(const std::vector<double>& valeurs, bool rectiligne) override;
    void ajouteSaisie() override { ajouteAction(GenreCommande::Saisie, 0); }
    void ajouteLacher() override { ajouteAction(GenreCommande::Lacher, 0); }
    void ajouteAttente(float secondes) override { ajouteAction(GenreCommande::Attente, secondes); }
    Instance* objetTenu() override;
    // Above the object's top (or, holding one, above the place to put it down), straight
    // down, grip (or release), straight up; the tool keeps its orientation when it can.
    std::string vaChercher(Instance* objet, bool rectiligne) override;
    std::vector<std::string> colonnesTrace() const override;
    std::vector<float> valeursTrace() const override;
    // The direction the tool point can hardly move along.
    Manipulabilite mesures() override;
    std::string texteSingularite(const Manipulabilite& m) const override;

    // A rigid transform as the program's column-major matrix.
    static CMatrice matriceDe(const Eigen::Isometry3d& t);

private:
    void enregistre();  // among the arms alive
    void majPose();
    void signale(const std::string& raison);
    void abandonne(const std::string& raison);
    void ajouteAction(GenreCommande genre, float secondes);
    // The front command's share of the step; reste: the seconds still free.
    bool pasCommande(float& reste);
    // Starts a move from the current pose: its duration, and a straight line's law.
    void commence(CommandeChaine& c);
    // The joints at the time t of a started move; false for a point of a straight line the
    // joints cannot reach (the arm then waits there). A straight line's joints are those
    // nearest graine (the previous point's), so that the arm does not jump to another of
    // the poses that reach the same point.
    bool poseA(const CommandeChaine& c, double t, const std::vector<double>& graine,
               std::vector<double>& q) const;
    // The held object follows the tool frame.
    void porteObjet();

    std::string raison_;
    unsigned long numeroRaison_ = 0;
    TrajectoireOutil trajectoire_;
    HistoriqueArticulaire historique_;
    float sansProgres_ = 0;
    std::weak_ptr<Instance> tenu_;
    Eigen::Matrix4d attache_ = Eigen::Matrix4d::Identity();  // held object in the tool frame

    RobotURDF description_;
    std::vector<double> valeurs_;
    std::vector<Eigen::Isometry3d> reperes_;
    Eigen::Isometry3d outil_ = Eigen::Isometry3d::Identity();
    // Each visual's box in its own mesh frame, read once.
    std::vector<Eigen::AlignedBox3d> boitesVisuels_;
};
