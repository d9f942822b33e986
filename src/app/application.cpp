// The application object: initialisation, the animation step, the timer and light 0's orbit.
#include "app/application.h"

#include <GL/gl.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "app/ligne_commande.h"
#include "commun/console.h"
#include "dessin/camera_gl.h"
#include "dessin/extensions_gl.h"
#include "robot/bras_chaine.h"
#include "robot/pilote_quatre_axes.h"
#include "robot/robot.h"
#include "script/script.h"

namespace {
long millisecondesDepuisDemarrage() {
    static const auto debut = std::chrono::steady_clock::now();
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - debut)
                                 .count());
}

// Seconds from the previous call with the same clock memory to `maintenant`; 0 on the first.
float secondesEcoulees(long maintenant, bool& dejaAppele, long& precedent) {
    if (!dejaAppele) {
        precedent = maintenant;
        dejaAppele = true;
    }
    const float dt = static_cast<float>(maintenant - precedent) * 0.001f;
    precedent = maintenant;
    return dt;
}
}  // namespace

CApplication::CApplication() : horloge(millisecondesDepuisDemarrage) {}

Camera cameraInitiale() {
    Camera c;
    c.position = CVecteur(0.5f, 0.25f, 1.5f);
    return c;
}

CApplication::~CApplication() {
    delete script;
    script = nullptr;
}

void CApplication::oublieBras() {
    if (robotCourant) robotCourant->selectionne = false;
    robotCourant = nullptr;
    instanceRobotCourant = nullptr;
    brasPilote_ = nullptr;
    piloteQuatreAxes_.reset();
}

bool CApplication::choisitBras(InstanceEntite* ie) {
    if (!ie) return false;
    if (auto* robot = dynamic_cast<Robot*>(ie->entite.get())) {
        oublieBras();
        robotCourant = robot;
        robot->selectionne = true;
        piloteQuatreAxes_ = std::make_unique<PiloteQuatreAxes>(*robot, ie);
        brasPilote_ = piloteQuatreAxes_.get();
    } else if (auto* bras = dynamic_cast<BrasChaine*>(ie->entite.get())) {
        oublieBras();
        brasPilote_ = bras;
    } else {
        return false;
    }
    instanceRobotCourant = ie;
    return true;
}

void CApplication::choisitRobotCourant() {
    oublieBras();
    for (int i = 0; i < scene.nbInstances(); ++i)
        if (choisitBras(dynamic_cast<InstanceEntite*>(scene.getInstance(i)))) return;
    console.erreur("Erreur: Aucune robot n'a été défini dans le fichier de scène !");
}

void CApplication::placeLumiere() {
    Lumiere* l = scene.getLumiere(0);
    if (!l) return;
    const CMatrice r = CMatrice::rotation(CVecteur(0, 1, 0), elevationLumiere) *
                       CMatrice::rotation(CVecteur(0, 0, 1), azimutLumiere);
    const float d = distanceLumiere;
    l->position = CHomoVecteur(r.transformePoint(CVecteur(-d, 0, 0)));
    l->position.w = 1.0f;
    l->haut = CVecteur(0, 0, 1).transformeDirection(r);
    l->visee = r.transformePoint(CVecteur(-1, 0, 0));
    l->porteOmbre = true;
}

void CApplication::anime() {
    const long maintenant = horloge();
    const float dt = secondesEcoulees(maintenant, animeDejaAppele, precedentAnime);
    tempsAnimation += dt;

    scene.appliqueGravite(dt);
    for (int i = 0; i < scene.nbEntites(); ++i) {
        Entite* e = scene.getEntite(i);
        bool bouge = false;
        if (auto* robot = dynamic_cast<Robot*>(e))
            bouge = robot->avance(dt);
        else if (auto* bras = dynamic_cast<BrasChaine*>(e))
            bouge = bras->avance(dt);
        if (bouge && brasPilote_ && e == &brasPilote_->entite()) majPanneauRobot();
    }
    rapporteRaisons();  // commands dropped or stalled in this step
    if (trace.ouverte() && brasPilote_) {
        // Only an arm with the header's columns; a write that fails (a full disk) closes the
        // trace: said once.
        const bool memesColonnes = brasPilote_->colonnesTrace() == colonnesTrace;
        if (!memesColonnes && !traceEnPause)
            signale(
                "trace : le robot piloté n'a pas les colonnes de la trace, elle attend qu'on "
                "pilote de nouveau un robot qui les a");
        traceEnPause = !memesColonnes;
        if (memesColonnes &&
            !trace.ecrit(tempsAnimation, brasPilote_->valeursTrace(),
                         nomInstance(brasPilote_->objetTenu()), brasPilote_->nbCommandes()))
            signale(trace.erreur);
    }
    for (int i = 0; i < scene.nbInstances(); ++i) {
        Instance* inst = scene.getInstance(i);
        if (inst->animation && !inst->tombe)
            inst->animation(inst->matrice(), inst->vecteurAnimation, static_cast<float>(maintenant),
                            inst->donneesAnimation);
    }
}

namespace {
// The top of an instance's box as gravity orders instances; a top that is not a number last.
float sommetBoite(Instance& i) {
    CVecteur min, max;
    i.getBoiteEnglobante(min, max);
    return std::isnan(max.z) ? std::numeric_limits<float>::infinity() : max.z;
}
}  // namespace

bool CApplication::trajectoireEnFondu() const {
    if (!scene.trajectoire_outil) return false;
    for (int i = 0; i < scene.nbEntites(); ++i) {
        const auto* robot = dynamic_cast<const Robot*>(scene.getEntite(i));
        if (robot && robot->trajectoire.palit()) return true;
    }
    return false;
}

bool CApplication::enMouvement() const {
    if (scene.rotation_lumiere) return true;
    for (int i = 0; i < scene.nbEntites(); ++i) {
        const Entite* e = scene.getEntite(i);
        const auto* robot = dynamic_cast<const Robot*>(e);
        if (robot && !robot->commandes.empty()) return true;
        const auto* bras = dynamic_cast<const BrasChaine*>(e);
        if (bras && !bras->commandes.empty()) return true;
    }
    // A falling instance rests only with no speed and, gravity acting, on an instance that
    // gravity tests first (a lower top) and touches: the test appliqueGravite makes.
    const int n = scene.nbInstances();
    std::vector<float> sommets(static_cast<size_t>(n), 0.0f);
    bool sommetsCalcules = false;
    for (int i = 0; i < n; ++i) {
        Instance* p = scene.getInstance(i);
        if (!p) continue;
        if (p->animation && !p->tombe) return true;
        if (!p->tombe) continue;
        if (p->vitesse.x != 0 || p->vitesse.y != 0 || p->vitesse.z != 0) return true;
        if (scene.gravite == 0) continue;
        if (!sommetsCalcules) {
            for (int k = 0; k < n; ++k)
                if (Instance* q = scene.getInstance(k)) sommets[k] = sommetBoite(*q);
            sommetsCalcules = true;
        }
        CVecteur min, max;
        p->getBoiteEnglobante(min, max);
        bool pose = false;
        for (int k = 0; k < n && !pose; ++k) {
            Instance* q = scene.getInstance(k);
            if (!q || k == i) continue;
            if (sommets[k] > sommets[i] || (sommets[k] == sommets[i] && k > i)) continue;
            CVecteur minQ, maxQ;
            q->getBoiteEnglobante(minQ, maxQ);
            pose = collisionBoites(min, max, minQ, maxQ);
        }
        if (!pose) return true;
    }
    return false;
}

void CApplication::simule(long& t, long fin, long pas, const std::function<bool()>& continuer,
                          const std::function<void()>& apresPas) {
    horloge = [&t] { return t; };
    auto pasAnime = [&] {
        anime();
        if (apresPas) apresPas();
    };
    if (!animeDejaAppele) pasAnime();
    while (t < fin && (!continuer || continuer())) {
        t += pas;
        pasAnime();
    }
}

void CApplication::tic(int value) {
    if (value != 1) return;
    const float dt = secondesEcoulees(horloge(), ticDejaAppele, precedentTic);
    if (scene.rotation_lumiere) {
        const float a = azimutLumiere + dt * scene.vitesse_rotation_lumiere;
        azimutLumiere = std::fmod(a, 360.0f);
        if (a < 0) azimutLumiere += 360.0f;
        placeLumiere();
    }
    anime();
}

void CApplication::redimensionne(int w, int h) {
    if (h == 0) h = w > 1 ? w : 1;
    dessin.setPerspective(static_cast<float>(w) / static_cast<float>(h));
}

void CApplication::afficheTout() {
    appliqueCamera(camera);
    dessin.affiche();
}

void CApplication::afficheVueSeule(int largeur, int hauteur) {
    glViewport(0, 0, largeur, hauteur);
    redimensionne(largeur, hauteur);
    afficheTout();
}

namespace {
// The state a load starts from: the camera before a scene file sets it, no button held,
// light 0's orbit at its start.
void etatInitial(CApplication& app) {
    app.camera.position = cameraInitiale().position;
    app.boutonGauche = app.boutonDroit = app.boutonMilieu = false;
    app.toucheCtrl = app.toucheAlt = app.toucheShift = false;
    app.azimutLumiere = 0;
    app.elevationLumiere = 45;
    app.distanceLumiere = 150;
}
}  // namespace

bool CApplication::initialise(int argc, char** argv, bool avecFenetre) {
    etatInitial(*this);
    delete script;
    script = new Script(&scene, &camera);
    if (avecFenetre) verifieExtensions();
    // What a reload needs: the scene file, and whether its files are watched (with a window).
    const LigneCommande ligne = analyseLigneCommande(argc, argv);
    fichierScene = ligne.fichier;
    surveilleFichiers = ligne.surveille && avecFenetre;
    const std::map<std::string, SignatureFichier> vues = {
        {fichierScene, signatureDe(fichierScene)}};
    statutChargement = script->lireLigneCommande(argc, argv);
    if (avecFenetre) dessin.initGL();
    apresChargement(vues);
    if (!ligne.fichierTrace.empty()) ouvreTrace(ligne.fichierTrace);
    return true;
}

void CApplication::chargeSansFenetre(const std::function<int(Script&)>& lecture) {
    etatInitial(*this);
    delete script;
    script = new Script(&scene, &camera);
    script->vide();
    statutChargement = lecture(*script);
    apresChargement({});
}

void CApplication::installeGL() {
    verifieExtensions();
    dessin.initGL();
}

void CApplication::apresChargement(const std::map<std::string, SignatureFichier>& vues) {
    choisitRobotCourant();
    // Reasons recorded while loading are the scene file's; the status line starts afresh.
    retientRaisons();
    placeLumiere();
    retientChargement(etatDe(scene, camera), script->fichiersLus(), vues);
}

void CApplication::ouvreTrace(const std::string& chemin) {
    tempsAnimation = 0;
    // The driven arm's own columns (the four-joint arm's header without one).
    colonnesTrace =
        brasPilote_ ? brasPilote_->colonnesTrace() : PiloteQuatreAxes::colonnesQuatreAxes();
    traceEnPause = false;
    const std::string entete = TraceCsv::entete(colonnesTrace);
    if (!trace.ouvre(chemin, fichiersDeLaScene(), entete)) signale(trace.erreur);
}

std::vector<std::string> CApplication::fichiersDeLaScene() const {
    std::vector<std::string> fichiers = fichiersCharges;
    if (!fichierScene.empty()) fichiers.push_back(fichierScene);
    fichiers.insert(fichiers.end(), fichiersRefuses.begin(), fichiersRefuses.end());
    return fichiers;
}
