// Live reload of the scene file: the scene is loaded afresh beside the running one by the same
// loader, and taken over only when it loaded cleanly; the files it depends on are watched.
#include "app/rechargement.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/application.h"
#include "app/panneau.h"
#include "commun/console.h"
#include "robot/bras_chaine.h"
#include "robot/robot.h"
#include "script/options.h"
#include "script/script.h"

// ---- the watch ---------------------------------------------------------------------------

SignatureFichier signatureDe(const std::string& chemin) {
    SignatureFichier s;
    struct stat etat;
    if (chemin.empty() || stat(chemin.c_str(), &etat) != 0) return s;
    s.existe = true;
    s.modification = static_cast<int64_t>(etat.st_mtim.tv_sec) * 1000000000 + etat.st_mtim.tv_nsec;
    s.taille = static_cast<int64_t>(etat.st_size);
    return s;
}

void Surveillance::surveille(const std::vector<std::string>& fichiers,
                             const std::map<std::string, SignatureFichier>& vues) {
    chemins_.assign(fichiers.begin(), fichiers.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                             fichiers.size(), FICHIERS_MAX)));
    chargees_.clear();
    for (const std::string& c : chemins_) {
        const auto vue = vues.find(c);
        chargees_.push_back(vue != vues.end() ? vue->second : signatureDe(c));
    }
    vues_.clear();
    changement_ = false;
}

std::vector<SignatureFichier> Surveillance::regarde() const {
    std::vector<SignatureFichier> s;
    s.reserve(chemins_.size());
    for (const std::string& c : chemins_) s.push_back(signatureDe(c));
    return s;
}

std::map<std::string, SignatureFichier> Surveillance::instantane() const {
    std::map<std::string, SignatureFichier> m;
    for (const std::string& c : chemins_) m[c] = signatureDe(c);
    return m;
}

bool Surveillance::verifie(long maintenant) {
    if (chemins_.empty()) return false;
    // Not due yet (a clock set back counts as due).
    if (maintenant < prochaine_ && prochaine_ - maintenant <= PERIODE_MS) return false;
    const std::vector<SignatureFichier> courantes = regarde();
    if (courantes == chargees_) {  // unchanged, or put back as it was
        changement_ = false;
        prochaine_ = maintenant + PERIODE_MS;
        return false;
    }
    if (!changement_ || courantes != vues_) {  // still being written: wait for it to settle
        for (std::size_t i = 0; i < courantes.size(); ++i)
            if (courantes[i] != (changement_ ? vues_[i] : chargees_[i])) {
                modifie_ = chemins_[i];
                break;
            }
        changement_ = true;
        vues_ = courantes;
        depuis_ = maintenant;
        prochaine_ = maintenant + PERIODE_CHANGEMENT_MS;
        return false;
    }
    if (maintenant - depuis_ < STABILITE_MS) {
        prochaine_ = maintenant + PERIODE_CHANGEMENT_MS;
        return false;
    }
    // Settled: reported once; the caller's reload watches afresh.
    changement_ = false;
    chargees_ = courantes;
    prochaine_ = maintenant + PERIODE_MS;
    return true;
}

long Surveillance::delai(long maintenant) const {
    if (chemins_.empty()) return -1;
    return std::clamp(prochaine_ - maintenant, 0L, PERIODE_MS);
}

// ---- what a reload keeps -----------------------------------------------------------------

namespace {
bool cameraOption(const OptionAffichage& o) { return std::strncmp(o.cle, "camera", 6) == 0; }

bool memeReel(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool memeCouleur(const RGBA& a, const RGBA& b) {
    return memeReel(a.r, b.r) && memeReel(a.g, b.g) && memeReel(a.b, b.b) && memeReel(a.a, b.a);
}
bool memePoint(const CVecteur& a, const CVecteur& b) {
    return memeReel(a.x, b.x) && memeReel(a.y, b.y) && memeReel(a.z, b.z);
}
bool memeMaterial(const Material& a, const Material& b) {
    return memeCouleur(a.couleur1, b.couleur1) && memeCouleur(a.couleur2, b.couleur2) &&
           memeCouleur(a.couleur3, b.couleur3) && memeCouleur(a.couleur4, b.couleur4) &&
           memeReel(a.brillance, b.brillance);
}
template <class T>
bool memeObjet(const Valeur& a, const Valeur& b, bool (*meme)(const T&, const T&)) {
    const auto x = a.objet<T>(), y = b.objet<T>();
    return x && y ? meme(*x, *y) : x == y;
}
}  // namespace

EtatCharge etatDe(const CScene& scene, const Camera& camera) {
    EtatCharge e;
    e.present = true;
    e.camera = camera;
    for (int i = 0; i < nbOptionsAffichage; ++i) {
        const OptionAffichage& o = optionsAffichage[i];
        e.options.push_back(cameraOption(o) ? Valeur() : o.get(scene, &camera));
    }
    return e;
}

bool memeValeurOption(const Valeur& a, const Valeur& b) {
    if (a.type != b.type) return false;
    switch (a.type) {
        case T_VOID: return true;
        case T_COULEUR: return memeObjet<RGBA>(a, b, memeCouleur);
        case T_POINT: return memeObjet<CVecteur>(a, b, memePoint);
        case T_MATERIAL: return memeObjet<Material>(a, b, memeMaterial);
        default: return a.scalaire.bits == b.scalaire.bits;
    }
}

bool memeCamera(const Camera& a, const Camera& b) {
    return memeReel(a.angleX, b.angleX) && memeReel(a.angleY, b.angleY) &&
           memeReel(a.angleZ, b.angleZ) && memePoint(a.position, b.position);
}

// ---- the reload ----------------------------------------------------------------------------

namespace {
// A robot keeps a pointer to the instance list of the scene it lives in.
void pointeRobots(CScene& scene) {
    for (const auto& e : scene.entites)
        if (auto* r = dynamic_cast<Robot*>(e.get()))
            r->listeInstances = &scene.instances;
        else if (auto* b = dynamic_cast<BrasChaine*>(e.get()))
            b->listeInstances = &scene.instances;
}

// An existing file of 0 bytes.
bool fichierVide(const std::string& chemin) {
    const SignatureFichier s = signatureDe(chemin);
    return s.existe && s.taille == 0;
}

// Nothing to see or drive: no entity, no instance, no light.
bool sceneVide(const CScene& scene) {
    return scene.entites.empty() && scene.instances.empty() && scene.lumieres.empty();
}

std::string pluriel(std::size_t n, const char* mot) {
    return std::to_string(n) + " " + mot + (n > 1 ? "s" : "");
}
}  // namespace

void CApplication::retientChargement(const EtatCharge& etat,
                                     const std::vector<std::string>& fichiers,
                                     const std::map<std::string, SignatureFichier>& vues) {
    etatCharge = etat;
    fichiersCharges = fichiers;
    fichiersRefuses.clear();
    if (surveilleFichiers) surveillance.surveille(fichiers, vues);
}

void CApplication::surveilleScene() {
    if (!surveilleFichiers || !surveillance.verifie(horloge())) return;
    console << "\033[34m" << surveillance.modifie() << " a changé : rechargement de la scène"
            << "\033[0m\n";
    rechargementDemande = true;
}

namespace {
// A reload's boxes come as one: gathered while it loads (each still copied, placed, to standard
// error), then shown together, listed in order, through the handler they would have gone to.
class BoitesRegroupees {
public:
    BoitesRegroupees()
        : precedent_(console.setGestionnaireBoite(
              [this](const std::string& texte, const std::string& titre) {
                  console.copieSurErreurStandard(texte, titre);
                  boites_.push_back({console.texteSitue(texte), titre});
              })) {}
    BoitesRegroupees(const BoitesRegroupees&) = delete;
    BoitesRegroupees& operator=(const BoitesRegroupees&) = delete;
    ~BoitesRegroupees() { console.setGestionnaireBoite(precedent_); }

    // Gives the handler back and shows what was gathered in one box.
    void montre() {
        console.setGestionnaireBoite(precedent_);
        if (boites_.empty() || !precedent_) return;
        if (boites_.size() == 1) return precedent_(boites_[0].texte, boites_[0].titre);
        std::string texte;
        for (std::size_t i = 0; i < boites_.size(); ++i) {
            if (i) texte += "\n\n";
            texte += std::to_string(i + 1) + ". [" + boites_[i].titre + "] " + boites_[i].texte;
        }
        precedent_(texte, "rechargement : " + std::to_string(boites_.size()) + " messages");
    }

private:
    struct Boite {
        std::string texte, titre;
    };
    Console::GestionnaireBoite precedent_;
    std::vector<Boite> boites_;
};
}  // namespace

bool CApplication::recharge() {
    rechargementDemande = false;
    static bool enCours = false;  // a box of the load runs the event loop: F5 may come again
    if (enCours) return false;
    if (fichierScene.empty()) {
        signale("rechargement impossible : aucun fichier de scène n'a été donné (-f).");
        return false;
    }
    enCours = true;
    struct Garde {
        bool& b;
        ~Garde() { b = false; }
    } garde{enCours};
    // The files as they were when this load began: a change during the load is a change.
    const std::map<std::string, SignatureFichier> vues =
        surveilleFichiers ? surveillance.instantane() : std::map<std::string, SignatureFichier>();

    // 1. The new scene, loaded beside the running one by the same loader.
    auto nouvelle = std::make_unique<CScene>();
    Camera cameraLue = cameraInitiale();
    auto nouveauScript = std::make_unique<Script>(nouvelle.get(), &cameraLue);
    const bool videAvant = fichierVide(fichierScene);
    BoitesRegroupees boites;
    const int statut = nouveauScript->charge(fichierScene.c_str());
    boites.montre();
    const std::size_t fautes = console.diagnostics().size();
    const std::vector<std::string> fichiers = nouveauScript->fichiersLus();
    std::string raison;
    if (statut == 3) {
        raison = fichierScene + " est illisible";
    } else if (statut != 0) {
        raison = "mémoire insuffisante pour le lire";
    } else if (fautes > 0) {
        const Diagnostic& premier = console.diagnostics().front();
        raison = pluriel(fautes, "erreur") + " au chargement";
        if (!premier.fichier.empty())
            raison += ", la première en " + premier.fichier + ":" + std::to_string(premier.ligne);
    } else if (videAvant || fichierVide(fichierScene)) {
        // What an editor leaves while it saves: the scene comes with the rest of the file.
        raison = fichierScene + " est vide (en cours d'enregistrement ?)";
    } else if (sceneVide(*nouvelle) && !sceneVide(scene)) {
        // Most likely a file cut short or in an encoding not recognised; a scene is not
        // emptied by a reload (restarting the program does it).
        raison = fichierScene + " ne crée plus aucune entité, instance ni lumière";
    }
    if (!raison.empty()) {
        nouveauScript.reset();  // empties the new scene before it goes
        nouvelle.reset();
        refuseRechargement(raison, fichiers, vues);
        return false;
    }

    // 2. What the running scene leaves: its robots' commands and held objects go with them.
    const std::string perdu = lacheAncienneScene();

    // 3. Options and camera: the new file's, except those the user changed since the last load.
    const EtatCharge lu = etatDe(*nouvelle, cameraLue);
    const std::string gardees = prendOptionsEtCamera(lu, cameraLue);

    // 4. The registries change hands; OpenGL takes the new lights and textures.
    scene.echangeRegistre(*nouvelle);
    pointeRobots(scene);
    pointeRobots(*nouvelle);
    if (installeRechargement) installeRechargement(nouvelle->textures, nouvelle->nbLumieres());

    // 5. The new load's interpreter stays for the variables it kept; the old one goes without
    // emptying the scene, and the previous scene's objects are released.
    if (script) {
        script->scene = nullptr;
        delete script;
    }
    script = nouveauScript.release();
    script->scene = &scene;
    script->camera = &camera;
    nouvelle.reset();

    // 6. As at start-up: the current robot, light 0 on its orbit, the panels.
    redemarreApresRechargement();
    retientChargement(lu, fichiers, vues);
    console << "\033[32m"
            << "scène rechargée : " << fichierScene
            << (gardees.empty() ? "" : " (gardé tel que changé : " + gardees + ")")
            << (perdu.empty() ? "" : " ; " + perdu + " avec l'ancien robot") << "\033[0m\n";
    if (!perdu.empty()) panneau.ligneEtat.message = "rechargement : " + perdu + ".";
    return true;
}

void CApplication::refuseRechargement(const std::string& raison,
                                      const std::vector<std::string>& fichiers,
                                      const std::map<std::string, SignatureFichier>& vues) {
    // A fix may come in a file that only this attempt named: both loads' files are watched.
    fichiersRefuses = fichiers;
    if (surveilleFichiers) {
        std::vector<std::string> tous = fichiersCharges;
        for (const std::string& f : fichiers)
            if (std::find(tous.begin(), tous.end(), f) == tous.end()) tous.push_back(f);
        surveillance.surveille(tous, vues);
    }
    // The running scene resumes from now rather than jumping by the time the load took.
    animeDejaAppele = ticDejaAppele = false;
    signale("scène non rechargée (" + raison + ") : la scène précédente est conservée.");
}

std::string CApplication::lacheAncienneScene() {
    std::size_t abandonnees = 0;
    bool objetTenu = false;
    for (const auto& e : scene.entites)
        if (auto* r = dynamic_cast<Robot*>(e.get())) {
            abandonnees += r->commandes.size();
            objetTenu = objetTenu || r->objetTenu() != nullptr;
            r->videCommandes();
        } else if (auto* b = dynamic_cast<BrasChaine*>(e.get())) {
            abandonnees += b->commandes.size();
            objetTenu = objetTenu || b->objetTenu() != nullptr;
            b->videCommandes();
        }
    instanceCliquee = nullptr;
    oublieBras();
    raisonsVues.clear();
    std::string perdu;
    if (abandonnees > 0)
        perdu = pluriel(abandonnees, "commande") + " de l'ancienne scène abandonnée" +
                (abandonnees > 1 ? "s" : "");
    if (objetTenu) perdu += std::string(perdu.empty() ? "" : ", ") + "objet tenu lâché";
    return perdu;
}

std::string CApplication::prendOptionsEtCamera(const EtatCharge& lu, const Camera& cameraLue) {
    std::string gardees;
    for (int i = 0; i < nbOptionsAffichage; ++i) {
        const OptionAffichage& o = optionsAffichage[i];
        if (cameraOption(o)) continue;
        if (etatCharge.present &&
            !memeValeurOption(o.get(scene, &camera), etatCharge.options[static_cast<size_t>(i)]))
            gardees += std::string(gardees.empty() ? "" : ", ") + o.cle;
        else
            o.set(scene, &camera, lu.options[static_cast<size_t>(i)]);
    }
    if (!etatCharge.present || memeCamera(camera, etatCharge.camera)) {
        camera.position = cameraLue.position;
        camera.angleX = cameraLue.angleX;
        camera.angleY = cameraLue.angleY;
        camera.angleZ = cameraLue.angleZ;
    } else {
        gardees += std::string(gardees.empty() ? "" : ", ") + "caméra";
    }
    return gardees;
}

void CApplication::redemarreApresRechargement() {
    choisitRobotCourant();
    retientRaisons();
    placeLumiere();
    animeDejaAppele = ticDejaAppele = false;  // the new scene's time starts now
    if (!brasPilote()) panneau.libelleSaisie = "SAISIS";
    panneau.ligneEtat.message.clear();
    panneau.ligneEtat.information.clear();
    majPanneau();
}
