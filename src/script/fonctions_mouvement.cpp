// The builtins that queue robot commands: joint and wrist moves, grip, release and wait, and
// the velocity profile of the moves queued next. They are run in the written order by the
// robot's motion steps once the scene is loaded, so that a scene file can carry out a
// pick-and-place by itself.
#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>

#include "commun/console.h"
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
}  // namespace

Valeur Script::deplaceArticulaire(const std::vector<Valeur>& a) {
    const char* const nom = "deplaceArticulaire";
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
    ajoute("saisis", *robotDe(a[0]), commandeDe(GenreCommande::Saisie));
    return valeur_nulle;
}

Valeur Script::lache(const std::vector<Valeur>& a) {
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
    auto robot = robotDe(a[0]);
    const std::size_t nb = a.size() - 2;
    if (nb != 1 && nb != 4) {
        refuse(nom,
               "profil refusé : une accélération pour toutes les articulations ou une par "
               "articulation (4), pas " +
                   std::to_string(nb) + " !");
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
    robot->profil = p;
    return valeur_nulle;
}
