// Live reload of the scene file: the scene is loaded afresh beside the running one by the same
// loader, and taken over only when it loaded cleanly; the files it depends on are watched.
#include "app/rechargement.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <set>

#include "app/application.h"
#include "app/panneau.h"
#include "commun/console.h"
#include "commun/texte.h"
#include "robot/robot.h"
#include "script/chaine_curseur.h"
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

// ---- the files of a scene ----------------------------------------------------------------

namespace {
// Larger scene files are watched but not looked into.
constexpr long long TAILLE_SCENE_MAX = 64LL << 20;
// Longer strings or words name no file worth watching.
constexpr std::size_t NOM_MAX = 4096;

bool fichierOrdinaire(const std::string& chemin, long long* taille = nullptr) {
    struct stat etat;
    if (chemin.empty() || stat(chemin.c_str(), &etat) != 0 || !S_ISREG(etat.st_mode)) return false;
    if (taille) *taille = static_cast<long long>(etat.st_size);
    return true;
}

// Everything up to and including the last separator, as the loader takes a scene's folder.
std::string dossierDe(const std::string& chemin, const char* separateurs) {
    const std::size_t s = chemin.find_last_of(separateurs);
    return s == std::string::npos ? std::string() : chemin.substr(0, s + 1);
}

bool geometrie(const std::string& nom) {
    std::string n = nom;
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* ext : {".obj", ".wf", ".owf"}) {
        const std::size_t l = std::strlen(ext);
        if (n.size() > l && n.compare(n.size() - l, l, ext) == 0) return true;
    }
    return false;
}

// The statements of a scene text cut as the reader cuts them (strings, "//" comments, ";",
// a "#" meta-command ending with its line): `meta` receives each meta-command's text and
// `chaine` each string of the other statements. Stops where a statement would overflow the
// reader's buffer, which stops it reading.
void parcoursInstructions(const std::string& texte,
                          const std::function<void(const std::string&)>& meta,
                          const std::function<void(const std::string&)>& chaine) {
    std::string instruction, litteral;
    bool commentaire = false, dansChaine = false, estMeta = false, blanc = true;
    auto termine = [&] {
        if (estMeta) meta(instruction);
        instruction.clear();
        estMeta = false;
        blanc = true;
    };
    for (const char ch : texte) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\n' || c == '\r') {
            commentaire = false;
            if (estMeta) termine();
            continue;
        }
        if (commentaire) continue;
        if (instruction.size() >= static_cast<std::size_t>(Script::TAILLE_TAMPON)) return;
        instruction += ch;
        if (dansChaine) {
            if (c != '"') {
                litteral += ch;
            } else {
                dansChaine = false;
                if (!estMeta) chaine(litteral);
            }
            continue;
        }
        switch (c) {
            case '/':
                if (instruction.size() >= 2 && instruction[instruction.size() - 2] == '/') {
                    instruction.resize(instruction.size() - 2);
                    commentaire = true;
                }
                continue;
            case '"':
                dansChaine = true;
                litteral.clear();
                break;
            case ';':
                instruction.pop_back();
                termine();
                continue;
            case '#':
                if (blanc) estMeta = true;
                break;
            case ' ':
            case '\t': continue;
            default: break;
        }
        blanc = false;
    }
    if (estMeta) termine();
}

class Dependances {
public:
    explicit Dependances(const std::string& scene) : repertoire_(dossierDe(scene, "/:\\")) {}

    std::vector<std::string> fichiers;

    void ajoute(const std::string& chemin) {
        if (fichiers.size() < Surveillance::FICHIERS_MAX && vus_.insert(chemin).second)
            fichiers.push_back(chemin);
    }

    // A scene file and, through its includes, the files it names.
    void scene(const std::string& chemin, int profondeur) {
        ajoute(chemin);
        long long taille = 0;
        if (profondeur > Script::PROFONDEUR_INCLUSION_MAX || !scenesLues_.insert(chemin).second ||
            !fichierOrdinaire(chemin, &taille) || taille > TAILLE_SCENE_MAX)
            return;
        std::string texte;
        if (!litTout(chemin, texte)) return;
        // As the reader takes the bytes: UTF-16 converted; otherwise after a UTF-8 mark, up
        // to a byte 255, as UTF-8.
        std::size_t marque = 0;
        if (const texte::Utf16 sens = texte::detecteUtf16(texte.substr(0, 4096), marque);
            sens != texte::Utf16::Non) {
            texte = texte::depuisUtf16(std::string_view(texte).substr(marque), sens);
        } else {
            if (texte.compare(0, 3, "\xEF\xBB\xBF") == 0) texte.erase(0, 3);
            texte = texte::versUtf8(texte.substr(0, texte.find('\xFF')));
        }
        parcoursInstructions(
            texte,
            [&](const std::string& instruction) {
                ChaineCurseur c(instruction);
                if (c.jeton(SEPARATEURS, SEPARATEURS) != "#include") return;
                const std::string nom = c.jeton(SEPARATEURS, SEPARATEURS);
                if (nom.empty()) return;
                scene(nom[0] == '/' ? nom : repertoire_ + nom, profondeur + 1);
            },
            [&](const std::string& nom) { nomme(nom, repertoire_, true); });
    }

private:
    std::string repertoire_;
    std::set<std::string> vus_, scenesLues_;

    // A name the builtins open as written, then beside `dossier`: each that is a file.
    void nomme(const std::string& nom, const std::string& dossier, bool bibliotheques) {
        if (nom.empty() || nom.size() > NOM_MAX) return;
        std::vector<std::string> candidats{nom};
        if (nom[0] != '/' && !dossier.empty()) candidats.push_back(dossier + nom);
        for (const std::string& c : candidats) {
            if (!fichierOrdinaire(c) || vus_.count(c)) continue;
            ajoute(c);
            if (bibliotheques && geometrie(c)) bibliothequesDe(c);
        }
    }

    // The material libraries a Wavefront file names: the word after each "mtllib", tried as
    // written, then beside the geometry file.
    void bibliothequesDe(const std::string& chemin) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(chemin.c_str(), "rb"),
                                                          std::fclose);
        if (!f) return;
        const std::string dossier = dossierDe(chemin, "/");
        std::string mot;
        bool apresMtllib = false;
        auto finMot = [&] {
            if (mot.empty()) return;
            if (apresMtllib) nomme(mot, dossier, false);
            apresMtllib = !apresMtllib && mot == "mtllib";
            mot.clear();
        };
        char bloc[1 << 16];
        for (std::size_t n; (n = std::fread(bloc, 1, sizeof bloc, f.get())) > 0;)
            for (std::size_t i = 0; i < n; ++i) {
                if (std::isspace(static_cast<unsigned char>(bloc[i])))
                    finMot();
                else if (mot.size() <= NOM_MAX)
                    mot += bloc[i];
            }
        finMot();
    }

    static bool litTout(const std::string& chemin, std::string& texte) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(chemin.c_str(), "rb"),
                                                          std::fclose);
        if (!f) return false;
        char bloc[1 << 16];
        for (std::size_t n; (n = std::fread(bloc, 1, sizeof bloc, f.get())) > 0;) {
            texte.append(bloc, n);
            if (static_cast<long long>(texte.size()) > TAILLE_SCENE_MAX) return false;
        }
        return true;
    }
};
}  // namespace

std::vector<std::string> fichiersDeScene(const std::string& fichierScene) {
    if (fichierScene.empty()) return {};
    Dependances d(fichierScene);
    d.scene(fichierScene, 1);
    return d.fichiers;
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
        if (auto* r = dynamic_cast<Robot*>(e.get())) r->listeInstances = &scene.instances;
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
    if (surveilleFichiers) surveillance.surveille(fichiers, vues);
}

void CApplication::surveilleScene() {
    if (!surveilleFichiers || !surveillance.verifie(horloge())) return;
    console << "\033[34m" << surveillance.modifie() << " a changé : rechargement de la scène"
            << "\033[0m\n";
    rechargementDemande = true;
}

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
    const int statut = nouveauScript->charge(fichierScene.c_str());
    const std::size_t fautes = console.diagnostics().size();
    const std::vector<std::string> fichiers =
        surveilleFichiers ? fichiersDeScene(fichierScene) : std::vector<std::string>();
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
    } else if (sceneVide(*nouvelle) && !sceneVide(*this)) {
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
    echangeRegistre(*nouvelle);
    pointeRobots(*this);
    pointeRobots(*nouvelle);
    if (installeRechargement) installeRechargement(nouvelle->textures, nouvelle->nbLumieres());

    // 5. The new load's interpreter stays for the variables it kept; the old one goes without
    // emptying the scene, and the previous scene's objects are released.
    if (script) {
        script->scene = nullptr;
        delete script;
    }
    script = nouveauScript.release();
    script->scene = this;
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
    for (const auto& e : entites)
        if (auto* r = dynamic_cast<Robot*>(e.get())) {
            abandonnees += r->commandes.size();
            objetTenu = objetTenu || r->objetTenu() != nullptr;
            r->videCommandes();
        }
    instanceCliquee = nullptr;
    robotCourant = nullptr;
    instanceRobotCourant = nullptr;
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
            !memeValeurOption(o.get(*this, &camera), etatCharge.options[static_cast<size_t>(i)]))
            gardees += std::string(gardees.empty() ? "" : ", ") + o.cle;
        else
            o.set(*this, &camera, lu.options[static_cast<size_t>(i)]);
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
    for (const auto& e : entites)
        if (auto* r = dynamic_cast<Robot*>(e.get())) raisonsVues[r] = r->numeroRaison;
    placeLumiere();
    animeDejaAppele = ticDejaAppele = false;  // the new scene's time starts now
    if (!robotCourant) panneau.libelleSaisie = "SAISIS";
    panneau.ligneEtat.message.clear();
    panneau.ligneEtat.information.clear();
    majPanneau();
}
