// The builtins that queue robot commands: joint and wrist moves, grip, release and wait, and
// the velocity profile of the moves queued next. They are run in the written order by the
// robot's motion steps once the scene is loaded, so that a scene file can carry out a
// pick-and-place by itself.
#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>

#include "commun/console.h"
#include "robot/bras_chaine.h"
#include "robot/robot.h"
#include "script/script.h"

namespace {
// Bounds what a scene file may queue on one robot, so that memory stays bounded.
constexpr std::size_t COMMANDES_MAX = 10000;
// The longest wait accepted: one day of simulated time.
constexpr float ATTENTE_MAX = 86400.0f;

const char* const NOMS_ARTICULATIONS[] = {"THETA1", "THETA2", "THETA3", "THETA5"};
const char* const NOMS_POIGNET[] = {"X", "Y", "Z", "THETA"};

std::shared_ptr<Robot> robotDe(const Valeur& v) {
    return std::dynamic_pointer_cast<Robot>(v.objet<Entite>());
}

// The arm read from a description, or null for the four-joint arm.
std::shared_ptr<BrasChaine> brasDe(const Valeur& v) {
    return std::dynamic_pointer_cast<BrasChaine>(v.objet<Entite>());
}

std::string texteNombre(float v) {
    std::ostringstream o;
    o << v;
    return o.str();
}

void refuse(const char* fonction, const std::string& texte) {
    console.boiteMessage(texte, std::string("fonction '") + fonction + "'");
}

// Arguments 1 to 4 as numbers; the name of the first that is not finite, with a box.
bool nombresFinis(const char* fonction, const std::vector<Valeur>& a, float v[4],
                  const char* const noms[4]) {
    for (int k = 0; k < 4; ++k) {
        v[k] = a[1 + k].scalaire.f;
        if (!std::isfinite(v[k])) {
            refuse(fonction, std::string("mouvement refusé : ") + noms[k] + " vaut " +
                                 texteNombre(v[k]) + " : ce n'est pas un nombre fini !");
            return false;
        }
    }
    return true;
}

// Appends the command in the written order, unless the queue is full (a box then).
void ajoute(const char* fonction, Robot& r, Commande c) {
    if (r.commandes.size() >= COMMANDES_MAX) {
        if (r.refusFilePleine++ == 0)
            refuse(fonction, "la file de commandes du robot est pleine (" +
                                 std::to_string(COMMANDES_MAX) +
                                 " commandes) : commande refusée !");
        return;
    }
    r.refusFilePleine = 0;
    c.enOrdre = true;
    r.ajouteCommande(c);
}

Commande commandeDe(GenreCommande genre) {
    Commande c;
    c.genre = genre;
    return c;
}

// Whether an arm read from a description may queue one more command; a box once when not.
bool placeDansFile(const char* fonction, BrasChaine& b) {
    if (b.commandes.size() < COMMANDES_MAX) {
        b.refusFilePleine = 0;
        return true;
    }
    if (b.refusFilePleine++ == 0)
        refuse(fonction, "la file de commandes du robot est pleine (" +
                             std::to_string(COMMANDES_MAX) + " commandes) : commande refusée !");
    return false;
}

// Arguments from 1 on, as many as `valeurs` holds; false, with a box naming the first that
// is not finite.
bool valeursFinies(const char* fonction, const std::vector<Valeur>& a, std::vector<double>& valeurs,
                   const std::vector<std::string>& noms) {
    for (std::size_t k = 0; k < valeurs.size(); ++k) {
        valeurs[k] = a[1 + k].scalaire.f;
        if (!std::isfinite(valeurs[k])) {
            refuse(fonction, "mouvement refusé : " + noms[k] + " vaut " +
                                 texteNombre(a[1 + k].scalaire.f) +
                                 " : ce n'est pas un nombre fini !");
            return false;
        }
    }
    return true;
}

void deplaceArticulaireChaine(BrasChaine& b, const std::vector<Valeur>& a) {
    const char* const nom = "deplaceArticulaire";
    std::vector<double> q(b.nbArticulations());
    std::vector<std::string> noms;
    for (int i = 0; i < b.nbArticulations(); ++i) noms.push_back(b.nomArticulation(i));
    if (!valeursFinies(nom, a, q, noms) || !placeDansFile(nom, b)) return;
    const std::string raison = b.ajouteDeplacement(q, false);
    if (!raison.empty()) refuse(nom, "mouvement refusé : " + raison + " !");
}

// x, y, z in the arm's frame and, from six joints on, roll, pitch and yaw in degrees about
// its fixed x, y and z axes; the joints from the pose the queue will leave the arm in.
void deplacePoignetChaine(BrasChaine& b, const std::vector<Valeur>& a) {
    const char* const nom = "deplacePoignet";
    const bool orientation = b.nbArticulations() >= 6;
    std::vector<double> p(orientation ? 6 : 3);
    if (!valeursFinies(nom, a, p, {"x", "y", "z", "roulis", "tangage", "lacet"}) ||
        !placeDansFile(nom, b))
        return;
    CibleOutil cible;
    cible.orientation = orientation;
    cible.pose.translation() = Eigen::Vector3d(p[0], p[1], p[2]);
    if (orientation) {
        const double k = M_PI / 180;
        cible.pose.linear() = (Eigen::AngleAxisd(p[5] * k, Eigen::Vector3d::UnitZ()) *
                               Eigen::AngleAxisd(p[4] * k, Eigen::Vector3d::UnitY()) *
                               Eigen::AngleAxisd(p[3] * k, Eigen::Vector3d::UnitX()))
                                  .toRotationMatrix();
    }
    std::vector<double> q;
    std::string raison = b.articulationsVers(cible, q);
    if (raison.empty()) raison = b.ajouteDeplacement(q, a.back().booleenVal());
    if (!raison.empty()) refuse(nom, "mouvement refusé : " + raison + " !");
}
}  // namespace

Valeur Script::deplaceArticulaire(const std::vector<Valeur>& a) {
    const char* const nom = "deplaceArticulaire";
    if (auto b = brasDe(a[0])) {
        deplaceArticulaireChaine(*b, a);
        return valeur_nulle;
    }
    auto r = robotDe(a[0]);
    float t[4];
    if (!nombresFinis(nom, a, t, NOMS_ARTICULATIONS)) return valeur_nulle;
    // The wrist targets from the direct model, so that the command is complete.
    Commande c;
    c.T1 = t[0];
    c.T2 = t[1];
    c.T3 = t[2];
    c.T5 = t[3];
    CMatrice pince;
    if (!r->MGD(t[0], t[1], t[2], t[3], c.X, c.Y, c.Z, c.THETA, pince)) {
        refuse(nom, "mouvement refusé : " + Robot::texteLimites(t[0], t[1], t[2], t[3]) + " !");
        return valeur_nulle;
    }
    if (const char* raison = r->refusPosition(c.X, c.Y, c.Z)) {
        refuse(nom, std::string("mouvement refusé : ") + raison + " !");
        return valeur_nulle;
    }
    ajoute(nom, *r, c);
    return valeur_nulle;
}

Valeur Script::deplacePoignet(const std::vector<Valeur>& a) {
    const char* const nom = "deplacePoignet";
    if (auto b = brasDe(a[0])) {
        deplacePoignetChaine(*b, a);
        return valeur_nulle;
    }
    auto r = robotDe(a[0]);
    float p[4];
    if (!nombresFinis(nom, a, p, NOMS_POIGNET)) return valeur_nulle;
    // The joints are those of the inverse model; a target the arm would only come near is
    // refused rather than reached somewhere else.
    Commande c;
    if (const char* raison = r->cibleVers(p[0], p[1], p[2], p[3], c, true)) {
        refuse(nom, std::string("mouvement refusé : ") + raison + " !");
        return valeur_nulle;
    }
    c.rectiligne = a[5].booleenVal();
    ajoute(nom, *r, c);
    return valeur_nulle;
}

Valeur Script::saisis(const std::vector<Valeur>& a) {
    if (auto b = brasDe(a[0])) {
        if (placeDansFile("saisis", *b)) b->ajouteSaisie();
        return valeur_nulle;
    }
    ajoute("saisis", *robotDe(a[0]), commandeDe(GenreCommande::Saisie));
    return valeur_nulle;
}

Valeur Script::lache(const std::vector<Valeur>& a) {
    if (auto b = brasDe(a[0])) {
        if (placeDansFile("lache", *b)) b->ajouteLacher();
        return valeur_nulle;
    }
    ajoute("lache", *robotDe(a[0]), commandeDe(GenreCommande::Lacher));
    return valeur_nulle;
}

Valeur Script::attends(const std::vector<Valeur>& a) {
    const float secondes = a[1].scalaire.f;
    if (!(secondes >= 0 && secondes <= ATTENTE_MAX)) {
        refuse("attends", "attente refusée : " + texteNombre(secondes) +
                              " s n'est pas une durée entre 0 et " + texteNombre(ATTENTE_MAX) +
                              " secondes (un jour) !");
        return valeur_nulle;
    }
    if (auto b = brasDe(a[0])) {
        if (placeDansFile("attends", *b)) b->ajouteAttente(secondes);
        return valeur_nulle;
    }
    Commande c = commandeDe(GenreCommande::Attente);
    c.secondes = secondes;
    ajoute("attends", *robotDe(a[0]), c);
    return valeur_nulle;
}

Valeur Script::setRobotProfil(const std::vector<Valeur>& a) {
    const char* const nom = "setRobotProfil";
    const std::string profil = *a[1].objet<std::string>();
    Profil p;
    if (!profilDeNom(profil, p.genre)) {
        refuse(nom, "profil refusé : « " + profil +
                        " » n'est pas un profil (constant, trapeze ou quintique) !");
        return valeur_nulle;
    }
    // One acceleration for every joint, or one per joint.
    auto bras = brasDe(a[0]);
    const std::size_t nbArticulations =
        bras ? static_cast<std::size_t>(bras->nbArticulations()) : 4;
    const std::size_t nb = a.size() - 2;
    if (nb != 1 && nb != nbArticulations) {
        refuse(nom,
               "profil refusé : une accélération pour toutes les articulations ou une par "
               "articulation (" +
                   std::to_string(nbArticulations) + "), pas " + std::to_string(nb) + " !");
        return valeur_nulle;
    }
    for (std::size_t k = 0; k < nb; ++k) {
        const float acceleration = a[2 + k].scalaire.f;
        if (!(std::isfinite(acceleration) && acceleration > 0)) {
            refuse(nom, "profil refusé : l'accélération vaut " + texteNombre(acceleration) +
                            " : ce n'est pas un nombre fini positif !");
            return valeur_nulle;
        }
        if (nb > 1) p.parArticulation.push_back(acceleration);
    }
    p.acceleration = a[2].scalaire.f;
    if (bras)
        bras->profil = p;
    else
        robotDe(a[0])->profil = p;
    return valeur_nulle;
}
