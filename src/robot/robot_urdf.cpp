#include "robot/robot_urdf.h"

#include <console_bridge/console.h>
#include <sys/stat.h>
#include <tinyxml.h>
#include <urdf_parser/urdf_parser.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "commun/texte.h"
#include "geometrie/formats_maillage.h"
#include "geometrie/solides.h"

std::string DiagnosticURDF::texte() const {
    return fichier + (ligne > 0 ? ":" + std::to_string(ligne) : std::string()) + ": " + message;
}

namespace {

// urdfdom reports through console_bridge, a process-wide sink: while a description is read,
// its messages are kept for ours rather than printed.
class Collecteur : public console_bridge::OutputHandler {
public:
    void log(const std::string& texte, console_bridge::LogLevel niveau, const char*, int) override {
        if (niveau >= console_bridge::CONSOLE_BRIDGE_LOG_ERROR && erreur.empty()) erreur = texte;
    }
    std::string erreur;
};

std::mutex& verrouAnalyse() {
    static std::mutex m;
    return m;
}

// The first line holding `aiguille`, or 0.
int ligneDe(const std::string& texte, const std::string& aiguille) {
    if (aiguille.empty()) return 0;
    const size_t p = texte.find(aiguille);
    if (p == std::string::npos) return 0;
    int ligne = 1;
    for (size_t i = 0; i < p; ++i) ligne += texte[i] == '\n';
    return ligne;
}

// The line of the element named nom (name="nom" or name='nom').
int ligneNom(const std::string& texte, const std::string& nom) {
    const int l = ligneDe(texte, "name=\"" + nom + "\"");
    return l ? l : ligneDe(texte, "name='" + nom + "'");
}

struct Contexte {
    const std::string& texte;
    const std::string& fichier;
    const OptionsURDF& options;
    std::string dossier;

    DiagnosticURDF diagnostic(int ligne, const std::string& message) const {
        return DiagnosticURDF{fichier, ligne, message};
    }
    [[noreturn]] void erreur(int ligne, const std::string& message) const {
        throw ErreurURDF(diagnostic(ligne, message));
    }
};

Eigen::Isometry3d repere(const urdf::Pose& p) {
    Eigen::Isometry3d t = Eigen::Isometry3d::Identity();
    t.translation() = Eigen::Vector3d(p.position.x, p.position.y, p.position.z);
    t.linear() = Eigen::Quaterniond(p.rotation.w, p.rotation.x, p.rotation.y, p.rotation.z)
                     .normalized()
                     .toRotationMatrix();
    if (!std::isfinite(p.rotation.w) || !std::isfinite(p.rotation.x) ||
        !std::isfinite(p.rotation.y) || !std::isfinite(p.rotation.z))
        t.linear()(0, 0) = NAN;  // refused by the chain as a non-finite origin
    return t;
}

// The joints from the root to the tool link.
std::vector<urdf::JointConstSharedPtr> chemin(const urdf::ModelInterface& modele,
                                              const Contexte& c) {
    std::vector<urdf::JointConstSharedPtr> joints;
    const urdf::LinkConstSharedPtr racine = modele.getRoot();
    if (!racine) c.erreur(0, "aucun lien racine");
    if (!c.options.lienOutil.empty()) {
        urdf::LinkConstSharedPtr lien = modele.getLink(c.options.lienOutil);
        if (!lien) c.erreur(0, "lien de l'outil « " + c.options.lienOutil + " » inconnu");
        for (size_t garde = 0; lien != racine; ++garde) {
            if (!lien->parent_joint || garde > modele.joints_.size())
                c.erreur(ligneNom(c.texte, lien->name),
                         "le lien « " + lien->name + " » n'est pas relié à la racine");
            joints.insert(joints.begin(), lien->parent_joint);
            lien = lien->getParent();
            if (!lien) c.erreur(0, "chaîne interrompue avant la racine");
        }
        return joints;
    }
    for (urdf::LinkConstSharedPtr lien = racine; lien && !lien->child_joints.empty();) {
        if (lien->child_joints.size() > 1) {
            std::string enfants;
            for (const auto& j : lien->child_joints)
                enfants += (enfants.empty() ? "« " : ", « ") + j->child_link_name + " »";
            c.erreur(ligneNom(c.texte, lien->name),
                     "la description est un arbre : le lien « " + lien->name + " » a " +
                         std::to_string(lien->child_joints.size()) + " enfants (" + enfants +
                         ") ; nommez le lien de l'outil");
        }
        joints.push_back(lien->child_joints[0]);
        if (joints.size() > modele.joints_.size()) c.erreur(0, "cycle d'articulations");
        lien = lien->child_links.empty() ? nullptr : lien->child_links[0];
    }
    return joints;
}

void ajouteJoint(ChaineCinematique& chaine, const urdf::Joint& j, const Contexte& c) {
    TypeArticulation type;
    switch (j.type) {
        case urdf::Joint::REVOLUTE: type = TypeArticulation::Rotoide; break;
        case urdf::Joint::CONTINUOUS: type = TypeArticulation::Continue; break;
        case urdf::Joint::PRISMATIC: type = TypeArticulation::Prismatique; break;
        case urdf::Joint::FIXED: type = TypeArticulation::Fixe; break;
        default:
            c.erreur(ligneNom(c.texte, j.name),
                     "articulation « " + j.name + " » : type non pris en charge dans une chaîne " +
                         "(rotoïde, continue, prismatique ou fixe)");
    }
    double min = 0, max = 0, vitesse = 0;
    if (j.limits) {
        min = j.limits->lower;
        max = j.limits->upper;
        vitesse = j.limits->velocity;
    } else if (type == TypeArticulation::Rotoide || type == TypeArticulation::Prismatique) {
        c.erreur(ligneNom(c.texte, j.name), "articulation « " + j.name + " » : limites absentes");
    }
    try {
        chaine.ajouteArticulation(j.name, type, repere(j.parent_to_joint_origin_transform),
                                  Eigen::Vector3d(j.axis.x, j.axis.y, j.axis.z), min, max, vitesse,
                                  j.child_link_name);
    } catch (const std::invalid_argument& e) {
        c.erreur(ligneNom(c.texte, j.name), e.what());
    }
}

std::shared_ptr<Material> materiau(const urdf::Visual& v) {
    if (!v.material) return nullptr;
    const urdf::Color& k = v.material->color;
    auto m = std::make_shared<Material>();
    const RGBA couleur(k.r, k.g, k.b, k.a);
    m->couleur1 = couleur;
    m->couleur2 = couleur;
    return m;
}

bool fichierRegulier(const std::string& chemin) {
    struct stat etat;
    return stat(chemin.c_str(), &etat) == 0 && S_ISREG(etat.st_mode);
}

// The shape of a visual as a mesh, or null with a warning.
std::shared_ptr<Mesh> forme(const urdf::Geometry& g, const Contexte& c,
                            std::vector<DiagnosticURDF>& avertissements) {
    const float k = static_cast<float>(c.options.echelle);
    try {
        switch (g.type) {
            case urdf::Geometry::BOX: {
                const auto& b = static_cast<const urdf::Box&>(g);
                return maillagePave(k * b.dim.x, k * b.dim.y, k * b.dim.z);
            }
            case urdf::Geometry::CYLINDER: {
                const auto& cy = static_cast<const urdf::Cylinder&>(g);
                return maillageCylindre(k * cy.radius, k * cy.length);
            }
            case urdf::Geometry::SPHERE:
                return maillageSphere(k * static_cast<const urdf::Sphere&>(g).radius);
            case urdf::Geometry::MESH: break;
        }
    } catch (const std::exception& e) {
        avertissements.push_back(c.diagnostic(0, e.what()));
        return nullptr;
    }
    const auto& m = static_cast<const urdf::Mesh&>(g);
    const int ligne = ligneDe(c.texte, m.filename);
    std::string erreur;
    const std::string chemin = cheminMaillage(m.filename, c.dossier, erreur);
    if (chemin.empty()) {
        avertissements.push_back(c.diagnostic(ligne, erreur));
        return nullptr;
    }
    // The mesh's own scale must be uniform to keep its normals; its mean is taken.
    const double s = (m.scale.x + m.scale.y + m.scale.z) / 3.0;
    try {
        const float echelle = static_cast<float>(s * c.options.echelle);
        std::shared_ptr<Mesh> maillage = c.options.lecteur
                                             ? c.options.lecteur(chemin, echelle)
                                             : lisMaillageMisAEchelle(chemin, echelle);
        if (maillage) return maillage;
        avertissements.push_back(c.diagnostic(ligne, "maillage illisible : " + chemin));
    } catch (const std::exception& e) {
        avertissements.push_back(c.diagnostic(ligne, e.what()));
    } catch (...) {
        avertissements.push_back(c.diagnostic(ligne, "maillage illisible : " + chemin));
    }
    return nullptr;
}

void ajouteVisuels(RobotURDF& r, const urdf::ModelInterface& modele, const Contexte& c) {
    for (int i = 0; i < r.chaine.nbLiens(); ++i) {
        const urdf::LinkConstSharedPtr lien = modele.getLink(r.chaine.nomLien(i));
        if (!lien) continue;
        std::vector<urdf::VisualSharedPtr> visuels = lien->visual_array;
        if (visuels.empty() && lien->visual) visuels.push_back(lien->visual);
        for (const auto& v : visuels) {
            if (!v || !v->geometry) continue;
            VisuelURDF vu;
            vu.lien = i;
            vu.origine = repere(v->origin);
            vu.origine.translation() *= c.options.echelle;
            if (!vu.origine.matrix().allFinite()) {
                r.avertissements.push_back(c.diagnostic(
                    ligneNom(c.texte, lien->name),
                    "lien « " + lien->name + " » : origine de visuel non finie, visuel ignoré"));
                continue;
            }
            vu.maillage = forme(*v->geometry, c, r.avertissements);
            if (!vu.maillage) continue;
            vu.materiau = materiau(*v);
            r.visuels.push_back(std::move(vu));
        }
    }
}

// The XML reader steps over a UTF-8 character by the length its first byte announces, past
// the end of a text whose last character is cut short: only whole UTF-8 is handed to it.
void verifieUtf8(const Contexte& c) {
    texte::DecodeurUtf8 decodeur;
    int ligne = 1;
    for (const char o : c.texte) {
        if (decodeur.ajoute(static_cast<unsigned char>(o)) == texte::DecodeurUtf8::Invalide)
            c.erreur(ligne, "la description n'est pas en UTF-8");
        if (o == '\n') ++ligne;
    }
    if (decodeur.enCours())
        c.erreur(ligne, "la description n'est pas en UTF-8 : son dernier caractère est coupé");
}

// Links with two parents, and cycles of joints, are refused here, before urdfdom sees them:
// it would report them without a place, and a cycle's links, holding each other, would
// never be freed.
void verifieArbre(const Contexte& c) {
    TiXmlDocument doc;
    doc.Parse(c.texte.c_str());
    const TiXmlElement* robot = doc.Error() ? nullptr : doc.FirstChildElement("robot");
    if (!robot) return;  // urdfdom says what is wrong
    struct Arete {
        std::string joint, parent;
        int ligne;
    };
    std::map<std::string, Arete> parentDe;  // by child link
    for (const TiXmlElement* j = robot->FirstChildElement("joint"); j;
         j = j->NextSiblingElement("joint")) {
        const TiXmlElement* p = j->FirstChildElement("parent");
        const TiXmlElement* e = j->FirstChildElement("child");
        const char* nom = j->Attribute("name");
        const char* parent = p ? p->Attribute("link") : nullptr;
        const char* enfant = e ? e->Attribute("link") : nullptr;
        if (!nom || !parent || !enfant) continue;  // urdfdom says what is missing
        const auto [it, nouveau] = parentDe.emplace(enfant, Arete{nom, parent, j->Row()});
        if (!nouveau)
            c.erreur(j->Row(), "le lien « " + std::string(enfant) + " » a deux parents (« " +
                                   it->second.joint + " » et « " + nom + " »)");
    }
    for (const auto& depart : parentDe) {
        std::string lien = depart.first;
        for (size_t pas = 0; pas <= parentDe.size(); ++pas) {
            const auto it = parentDe.find(lien);
            if (it == parentDe.end()) break;
            lien = it->second.parent;
            if (lien == depart.first)
                c.erreur(it->second.ligne, "cycle d'articulations : « " + it->second.joint +
                                               " » ramène au lien « " + lien + " »");
        }
    }
}

bool monte(const std::string& reste) {
    std::istringstream morceaux(reste);
    std::string m;
    while (std::getline(morceaux, m, '/'))
        if (m == "..") return true;
    return false;
}

}  // namespace

std::string cheminMaillage(const std::string& nom, const std::string& dossierDescription,
                           std::string& erreur) {
    static const std::string paquet = "package://", fichier = "file://";
    if (nom.compare(0, paquet.size(), paquet) == 0) {
        const std::string suite = nom.substr(paquet.size());
        const size_t barre = suite.find('/');
        const std::string nomPaquet = suite.substr(0, barre);
        const std::string reste = barre == std::string::npos ? "" : suite.substr(barre + 1);
        if (monte(suite) || nomPaquet.empty() || reste.empty() || reste[0] == '/') {
            erreur = "chemin de paquet refusé (il sort du paquet) : " + nom;
            return "";
        }
        std::error_code ec;
        std::filesystem::path dossier =
            std::filesystem::absolute(dossierDescription.empty() ? "." : dossierDescription, ec);
        dossier = dossier.lexically_normal();
        for (int niveau = 0; niveau < 32 && !ec; ++niveau) {
            for (const std::filesystem::path& essai :
                 {dossier / nomPaquet / reste, dossier / reste})
                if (fichierRegulier(essai.string())) return essai.string();
            if (!dossier.has_relative_path()) break;
            dossier = dossier.parent_path();
        }
        erreur = "maillage introuvable (paquet « " + nomPaquet + " ») : " + nom;
        return "";
    }
    std::string chemin = nom.compare(0, fichier.size(), fichier) == 0 ? nom.substr(fichier.size())
                         : !nom.empty() && nom[0] == '/'              ? nom
                         : dossierDescription.empty()                 ? nom
                                                      : dossierDescription + "/" + nom;
    if (!fichierRegulier(chemin)) {
        erreur = "maillage introuvable : " + chemin;
        return "";
    }
    return chemin;
}

RobotURDF lisURDFTexte(const std::string& texte, const std::string& fichier,
                       const OptionsURDF& options) {
    const size_t barre = fichier.find_last_of('/');
    // A few bytes of zeros after the text's own end, where the XML reader stops even if it
    // steps over one byte too many.
    const std::string texteBorne = texte + std::string(4, '\0');
    Contexte c{texteBorne, fichier, options,
               barre == std::string::npos ? "" : fichier.substr(0, barre)};
    if (!(options.echelle > 0) || !std::isfinite(options.echelle))
        c.erreur(0, "échelle non positive");

    verifieUtf8(c);
    verifieArbre(c);
    urdf::ModelInterfaceSharedPtr modele;
    std::string erreurAnalyse;
    {
        std::lock_guard<std::mutex> garde(verrouAnalyse());
        Collecteur collecteur;
        console_bridge::useOutputHandler(&collecteur);
        try {
            modele = urdf::parseURDF(texteBorne);
        } catch (const std::exception& e) {
            collecteur.erreur = e.what();
            modele.reset();
        }
        console_bridge::restorePreviousOutputHandler();
        erreurAnalyse = collecteur.erreur;
    }
    if (!modele) {
        // Point at the element the message names in brackets, when it does.
        int ligne = 0;
        const size_t o = erreurAnalyse.find('['), f = erreurAnalyse.find(']', o + 1);
        if (o != std::string::npos && f != std::string::npos) {
            const std::string nom = erreurAnalyse.substr(o + 1, f - o - 1);
            ligne = ligneNom(texte, nom);
            if (!ligne) ligne = ligneDe(texte, nom);
        }
        c.erreur(ligne, "description URDF invalide" +
                            (erreurAnalyse.empty() ? std::string() : " : " + erreurAnalyse));
    }

    RobotURDF r;
    r.nom = modele->getName();
    r.fichier = fichier;
    const std::vector<urdf::JointConstSharedPtr> joints = chemin(*modele, c);
    r.chaine = ChaineCinematique(modele->getRoot()->name);
    for (const auto& j : joints) ajouteJoint(r.chaine, *j, c);
    r.chaine.miseAEchelle(options.echelle);
    if (options.maillages) ajouteVisuels(r, *modele, c);
    return r;
}

RobotURDF lisURDF(const std::string& fichier, const OptionsURDF& options) {
    std::ifstream entree(fichier, std::ios::binary);
    struct stat etat;
    if (!entree || stat(fichier.c_str(), &etat) != 0 || !S_ISREG(etat.st_mode))
        throw ErreurURDF(DiagnosticURDF{fichier, 0, "fichier illisible"});
    if (etat.st_size > (64 << 20))
        throw ErreurURDF(DiagnosticURDF{fichier, 0, "description trop grosse (plus de 64 Mo)"});
    std::ostringstream texte;
    texte << entree.rdbuf();
    return lisURDFTexte(texte.str(), fichier, options);
}
