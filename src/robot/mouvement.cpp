// Motion and gripper: the command queue executed step by step (approach above an object,
// straight-line interpolation, joints turning at their speeds, queued grips, releases and
// waits), gripping and releasing.
#include <algorithm>
#include <cmath>

#include "robot/robot.h"
#include "scene/scene.h"

namespace {

// Bounds the number of straight-line pieces a single command may produce.
constexpr int kPointsRectiligneMax = 100000;
// Bounds the commands one step may go through: each takes time or leaves the queue.
constexpr int kCommandesParPasMax = 4 * kPointsRectiligneMax;

// How far a joint has to turn to reach its target, the short way across +-180 included.
float ecartAngle(float angle, float cible) {
    const float ecart = std::fabs(cible - angle);
    return angle * cible < 0 && ecart > 180 ? 360 - ecart : ecart;
}

// The same with its sign: the turn that takes angle to cible.
float ecartSigne(float angle, float cible) {
    const float ecart = cible - angle;
    if (angle * cible < 0 && std::fabs(ecart) > 180) return ecart > 0 ? ecart - 360 : ecart + 360;
    return ecart;
}

// An angle reached the short way across +-180, back within -180..180.
float ramene(double angle) {
    if (angle > 180) angle -= 360;
    if (angle < -180) angle += 360;
    return static_cast<float>(angle);
}

// Seconds within which a profiled command counts as ended: steps of 10 ms, added up, fall a
// few nanoseconds short of a round time.
constexpr double kToleranceFin = 1e-6;
// Points of a profiled straight line where its joints are sampled.
constexpr int kEchantillonsLigneMin = 100;
constexpr int kEchantillonsLigneMax = 2000;

}  // namespace

CVecteur Robot::positionMonde(const Instance* instanceRobot, CVecteur p) const {
    const CMatrice& entite = *this;
    if (!instanceRobot) return p.transformePoint(entite);
    const CMatrice& instance = *instanceRobot;
    return p.transformePoint(instance * entite);
}

bool Robot::instanceConnue(const Instance* i) const {
    if (!i || !listeInstances) return true;
    for (const auto& p : *listeInstances)
        if (p.get() == i) return true;
    return false;
}

void Robot::avanceAngle(float& angle, float cible, float pasMax) {
    // No step (zero, negative or NaN) moves nothing; a joint closer than its step arrives.
    if (!(pasMax > 0)) return;
    const float ecart = std::fabs(cible - angle);
    if (angle * cible < 0 && ecart > 180) {
        // The short way, across +-180.
        if (360 - ecart <= pasMax) {
            angle = cible;
            return;
        }
        const float t = angle > cible ? angle + pasMax + 180 : angle - pasMax + 180;
        float a = std::fmod(t, 360.0f);
        if (t < 0) a += 360;
        angle = a - 180;
        return;
    }
    if (angle < cible)
        angle = std::min(angle + pasMax, cible);
    else
        angle = std::max(angle - pasMax, cible);
}

const char* Robot::cibleVers(float x, float y, float z, float theta, CibleMouvement& c,
                             bool exacte) {
    Pose p;
    const char* arret = nullptr;
    if (const char* raison = poseVers(x, y, z, theta, exacte, p, arret)) return raison;
    const bool rectiligne = c.rectiligne;  // how to get there is the caller's
    c = p;
    c.rectiligne = rectiligne;
    return nullptr;
}

void Robot::abandonne(const std::string& raison) {
    commandes.pop_front();
    sansProgres_ = 0;
    signale("commande abandonnée : " + raison);
}

bool Robot::avance(float dt) {
    if (commandes.empty()) {
        sansProgres_ = 0;
        trajectoire.vieillit(dt);  // the trail fades at rest
        return false;
    }
    if (!std::isfinite(dt) || dt <= 0) return false;
    const float avant[4] = {THETA1, THETA2, THETA3, THETA5};
    historique.depart(trajectoire.temps(), avant);
    // The trail's clock runs while there is something to do.
    trajectoire.avanceTemps(dt);
    const CVecteur outil(X, Y, Z);
    // A command that ends before the step does leaves the rest of the step to the next one:
    // a move takes the same time whatever the step, and a straight line never stands still
    // between two of its pieces.
    float reste = dt;
    bool bouge = false;
    for (int n = 0; n < kCommandesParPasMax && !commandes.empty(); ++n) {
        if (!pasCommande(reste)) break;
        bouge = true;
        if (!(reste > 0)) break;
    }
    const float apres[4] = {THETA1, THETA2, THETA3, THETA5};
    historique.ajoute(trajectoire.temps(), apres, (CVecteur(X, Y, Z) - outil).norme() / dt);
    return bouge;
}

bool Robot::pasCommande(float& reste) {
    const float dt = reste;
    // A command naming an instance that has left the scene is dropped before any use.
    {
        const Commande& c = commandes.front();
        if (!instanceConnue(c.instanceRobot) || !instanceConnue(c.approche) ||
            !instanceConnue(c.cible)) {
            abandonne("objet retiré de la scène");
            return false;
        }
    }

    if (commandes.front().genre != GenreCommande::Mouvement) return actionEnTete(reste);

    // 1. Above the object to approach.
    if (commandes.front().approche) {
        if (const char* raison = cibleApproche(commandes.front())) {
            abandonne(raison);
            return false;
        }
    }

    const Commande cmd = commandes.front();
    bool remplacee = false;
    const bool profile = cmd.profil.genre != GenreProfil::Constant;

    // 2. Straight line: cut into intermediate wrist targets queued at the back, unless a
    // profile drives it whole. Its end must be reached exactly, or the line would bend
    // toward wherever a clamp puts it.
    if (cmd.rectiligne && !(profile && cmd.commencee)) {
        Commande essai;
        if (const char* raison = cibleVers(cmd.X, cmd.Y, cmd.Z, cmd.THETA, essai, true)) {
            abandonne(raison);
            return false;
        }
    }
    if (cmd.rectiligne && !profile) {
        commandes.pop_front();
        const bool enTete = cmd.enOrdre || commandes.empty();
        decoupeRectiligne(cmd);
        // Its pieces next, at once, when they run first; otherwise this step still turns
        // toward the end of the line.
        if (enTete) return true;
        remplacee = true;
    }

    // 3. Each joint turns toward its target at its own speed, or they all follow the profile.
    const char* refus = nullptr;
    const CVecteur outil(X, Y, Z);
    float utilise = dt;
    bool fini = false;
    const Pas pas = profile ? suitProfil(commandes.front(), dt, refus, utilise, fini)
                            : tourneVers(cmd, dt, refus, utilise);
    reste = pas == Pas::Bouge ? dt - utilise : pas == Pas::Arrive ? dt : 0.0f;
    if (pas == Pas::Bouge) {
        sansProgres_ = 0;
        trajectoire.ajoute(outil, CVecteur(X, Y, Z),
                           cmd.rectiligne || cmd.surLigne ? GenreMouvement::Rectiligne
                                                          : GenreMouvement::Articulaire);
        // A profiled command that ends in this step leaves the queue in it.
        if (!fini) return true;
    }
    if (pas == Pas::Bloque) {
        // Refused at every step for a second (a collision, the floor) or not moving at all.
        sansProgres_ += dt;
        if (sansProgres_ >= 1.0f) {
            abandonne(refus ? refus : "aucun progrès");
            return false;
        }
        return remplacee;
    }
    // A straight line already at its end: its pieces, now queued, do the rest.
    if (remplacee) return true;

    // 4. Arrival. A new attempt at an object that is not under the gripper is no progress:
    // repeated for a second, it is given up.
    commandes.pop_front();
    if (!arrive(cmd)) {
        sansProgres_ = 0;
        return true;
    }
    // A new attempt waits for the next step.
    reste = 0;
    sansProgres_ += dt;
    if (sansProgres_ >= 1.0f) {
        commandes.pop_back();
        sansProgres_ = 0;
        signale("commande abandonnée : aucun progrès");
        return false;
    }
    return true;
}

bool Robot::actionEnTete(float& reste) {
    sansProgres_ = 0;
    Commande& c = commandes.front();
    switch (c.genre) {
        case GenreCommande::Attente:
            if (attenteFinie(c.secondes, reste)) commandes.pop_front();
            return true;
        case GenreCommande::Lacher:
            commandes.pop_front();
            lache();
            return true;
        case GenreCommande::Saisie: {
            // A scripted grip knows only the robot: its instance gives the world positions.
            Instance* instanceRobot = c.instanceRobot ? c.instanceRobot : instancePortante();
            if (!chercheObjet(instanceRobot)) {
                abandonne("aucun objet sous la pince");
                return false;
            }
            commandes.pop_front();
            return true;
        }
        case GenreCommande::Mouvement: break;
    }
    return false;
}

Instance* Robot::instancePortante() const {
    if (!listeInstances) return nullptr;
    for (const auto& p : *listeInstances) {
        auto* ie = dynamic_cast<InstanceEntite*>(p.get());
        if (ie && ie->entite.get() == this) return ie;
    }
    return nullptr;
}

const char* Robot::cibleApproche(Commande& c) {
    const CVecteur b = positionMonde(c.instanceRobot, CVecteur(0, 0, 0));
    CVecteur min, max;
    c.approche->getBoiteEnglobante(min, max);
    const float x = (min.x + max.x) * 0.5f - b.x;
    const float y = (min.y + max.y) * 0.5f - b.y;
    Instance* tenu = objetTenu();
    const float z = tenu ? max.z + tenu->hauteur() + 3.0f - b.z : max.z - b.z;
    // Gripping or putting down somewhere else than asked is worse than not going at all.
    Commande cible = c;
    if (const char* raison = cibleVers(x, y, z, 0, cible, true)) return raison;
    if (!tenu && c.cible) {
        float distance;
        CVecteur q;
        const CVecteur t = positionMonde(c.instanceRobot, CVecteur(cible.X, cible.Y, cible.Z));
        if (!sousPince(c.cible, distance, q, t)) return "l'objet ne serait pas sous la pince";
    }
    c = cible;
    c.approche = nullptr;
    return nullptr;
}

bool Robot::peutSaisir(Instance* objet, Instance* instanceRobot) {
    const char* raison = "position hors d'atteinte";
    if (objet) {
        Commande c;
        c.instanceRobot = instanceRobot;
        c.approche = c.cible = objet;
        raison = cibleApproche(c);
    }
    if (raison) signale(raison);
    return !raison;
}

void Robot::decoupeRectiligne(const Commande& cmd) {
    Commande fin = cmd;
    fin.approche = nullptr;
    fin.rectiligne = false;
    fin.surLigne = true;
    const CVecteur s(X, Y, Z);
    const CVecteur e(cmd.X, cmd.Y, cmd.Z);
    const CVecteur d = e - s;
    const float n = d.norme() * precisionMGI;
    const int nb = n >= kPointsRectiligneMax ? kPointsRectiligneMax : arrondi(n);
    std::deque<Commande> pieces;
    for (int i = 1; i < nb; ++i) {
        const CVecteur p = s + (static_cast<float>(i) / static_cast<float>(nb)) * d;
        Commande piece;
        piece.instanceRobot = cmd.instanceRobot;
        piece.surLigne = true;
        // A point the joints would miss is off the line: skipped like an unreachable one.
        if (!cibleVers(p.x, p.y, p.z, cmd.THETA, piece, true)) pieces.push_back(piece);
    }
    pieces.push_back(fin);
    // In order: before what was queued after the line; otherwise behind it.
    commandes.insert(cmd.enOrdre ? commandes.begin() : commandes.end(), pieces.begin(),
                     pieces.end());
}

Robot::Pas Robot::tourneVers(const Commande& cmd, float dt, const char*& raison, float& utilise) {
    const float avant[4] = {THETA1, THETA2, THETA3, THETA5};
    float angles[4] = {THETA1, THETA2, THETA3, THETA5};
    const float cibles[4] = {cmd.T1, cmd.T2, cmd.T3, cmd.T5};
    const float vitesses[4] = {vitesseTheta1, vitesseTheta2, vitesseTheta3, vitesseTheta5};
    bool aFaire = false, change = false;
    utilise = 0;
    for (int k = 0; k < 4; ++k)
        if (std::fabs(angles[k] - cibles[k]) > 0.0001f) {
            aFaire = true;
            const float ecart = ecartAngle(angles[k], cibles[k]);
            avanceAngle(angles[k], cibles[k], dt * vitesses[k]);
            change = change || angles[k] != avant[k];
            // The slowest joint sets the time the step takes; one still on its way, all of it.
            utilise = std::max(utilise, angles[k] == cibles[k] ? ecart / vitesses[k] : dt);
        }
    utilise = std::min(utilise, dt);
    if (!aFaire) return Pas::Arrive;
    // A joint without speed goes nowhere; a refused pose leaves the joints as they were.
    raison = change ? essaiePose(angles[0], angles[1], angles[2], angles[3]) : nullptr;
    return change && !raison ? Pas::Bouge : Pas::Bloque;
}

Robot::Pas Robot::suitProfil(Commande& c, float dt, const char*& raison, float& utilise,
                             bool& fini) {
    utilise = 0;
    fini = false;
    const float angles[4] = {THETA1, THETA2, THETA3, THETA5};
    const float cibles[4] = {c.T1, c.T2, c.T3, c.T5};
    if (c.commencee && !std::equal(angles, angles + 4, c.atteint)) c.commencee = false;
    if (!c.commencee) {
        bool aFaire = false;
        for (int k = 0; k < 4; ++k) aFaire = aFaire || std::fabs(angles[k] - cibles[k]) > 0.0001f;
        if (!aFaire) return Pas::Arrive;
        commenceProfil(c);
    }
    // A joint without speed (or acceleration) would never get there.
    if (!std::isfinite(c.duree)) return Pas::Bloque;

    double t = c.ecoule + dt;
    float q[4];
    if (t >= c.duree - kToleranceFin) {
        t = std::max(c.duree, c.ecoule);
        fini = true;
        std::copy(cibles, cibles + 4, q);
    } else if (c.rectiligne) {
        // A point the joints would miss is skipped: the arm waits there for the next one.
        if (!pointLigne(c, c.loi.avancement(t), q)) std::copy(angles, angles + 4, q);
    } else {
        const double vitesses[4] = {vitesseTheta1, vitesseTheta2, vitesseTheta3, vitesseTheta5};
        for (int k = 0; k < 4; ++k) {
            const float ecart = ecartSigne(c.depart[k], cibles[k]);
            const LoiHoraire loi = LoiHoraire::etiree(c.profil.genre, std::fabs(ecart), vitesses[k],
                                                      c.profil.accelerationDe(k), c.duree);
            q[k] = ramene(c.depart[k] + loi.avancement(t) * ecart);
        }
    }
    // A refused pose stops the command's clock with the arm.
    raison = std::equal(q, q + 4, angles) ? nullptr : essaiePose(q[0], q[1], q[2], q[3]);
    if (raison) {
        fini = false;
        return Pas::Bloque;
    }
    utilise = static_cast<float>(t - c.ecoule);
    c.ecoule = t;
    std::copy(q, q + 4, c.atteint);
    return Pas::Bouge;
}

void Robot::commenceProfil(Commande& c) {
    const float angles[4] = {THETA1, THETA2, THETA3, THETA5};
    const float cibles[4] = {c.T1, c.T2, c.T3, c.T5};
    const double vitesses[4] = {vitesseTheta1, vitesseTheta2, vitesseTheta3, vitesseTheta5};
    const double a[4] = {c.profil.accelerationDe(0), c.profil.accelerationDe(1),
                         c.profil.accelerationDe(2), c.profil.accelerationDe(3)};
    c.commencee = true;
    c.ecoule = 0;
    std::copy(angles, angles + 4, c.atteint);
    if (!c.rectiligne) {
        // Synchronised: the slowest joint sets the duration, the others are stretched to it.
        double distances[4];
        for (int k = 0; k < 4; ++k) {
            c.depart[k] = angles[k];
            distances[k] = std::fabs(ecartSigne(angles[k], cibles[k]));
        }
        c.duree = dureeSynchronisee(c.profil.genre, 4, distances, vitesses, a);
        return;
    }
    // A straight line: one law for the fraction s of the way done, the same profile on the
    // path's length. How fast each joint turns per unit of s, at its steepest along the line,
    // bounds the law's speed and acceleration, so that no joint exceeds its own.
    c.depart[0] = X;
    c.depart[1] = Y;
    c.depart[2] = Z;
    c.depart[3] = THETA;
    const double n = (CVecteur(c.X, c.Y, c.Z) - CVecteur(X, Y, Z)).norme() * precisionMGI;
    const int nb = n >= kEchantillonsLigneMax   ? kEchantillonsLigneMax
                   : n >= kEchantillonsLigneMin ? static_cast<int>(n)
                                                : kEchantillonsLigneMin;
    double pentes[4] = {0, 0, 0, 0};
    float avant[4] = {THETA1, THETA2, THETA3, THETA5};
    double sAvant = 0;
    for (int i = 1; i <= nb; ++i) {
        const double s = static_cast<double>(i) / nb;
        float q[4];
        if (i == nb)
            std::copy(cibles, cibles + 4, q);
        else if (!pointLigne(c, s, q))
            continue;
        for (int k = 0; k < 4; ++k)
            pentes[k] = std::max(pentes[k], std::fabs(ecartSigne(avant[k], q[k])) / (s - sAvant));
        std::copy(q, q + 4, avant);
        sAvant = s;
    }
    double vitesse = HUGE_VAL, acceleration = HUGE_VAL;
    for (int k = 0; k < 4; ++k)
        if (pentes[k] > 0) {
            vitesse = std::min(vitesse, vitesses[k] / pentes[k]);
            acceleration = std::min(acceleration, a[k] / pentes[k]);
        }
    // No joint turning at all: nothing to wait for.
    c.loi = LoiHoraire::rapide(c.profil.genre, vitesse == HUGE_VAL ? 0 : 1, vitesse, acceleration);
    c.duree = c.loi.duree();
}

bool Robot::pointLigne(const Commande& c, double s, float q[4]) {
    const double x = c.depart[0] + s * (c.X - c.depart[0]);
    const double y = c.depart[1] + s * (c.Y - c.depart[1]);
    const double z = c.depart[2] + s * (c.Z - c.depart[2]);
    const float theta = ramene(c.depart[3] + s * ecartSigne(c.depart[3], c.THETA));
    CibleMouvement point;
    if (cibleVers(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), theta, point,
                  true))
        return false;
    q[0] = point.T1;
    q[1] = point.T2;
    q[2] = point.T3;
    q[3] = point.T5;
    return true;
}

bool Robot::arrive(const Commande& cmd) {
    if (!cmd.cible) return false;
    if (objetTenu()) {
        lache();
        return false;
    }
    const CVecteur b = positionMonde(cmd.instanceRobot, CVecteur(0, 0, 0));
    const CVecteur t = positionMonde(cmd.instanceRobot, CVecteur(X, Y, Z));
    float distance;
    CVecteur q;
    if (sousPince(cmd.cible, distance, q, t)) {
        saisit(cmd.cible, q - b, cmd.instanceRobot);
        if (!commandes.empty()) return false;
        // Nothing else to do: lift the object, or as high as the joints allow.
        Commande levee;
        levee.instanceRobot = cmd.instanceRobot;
        levee.profil = cmd.profil;
        if (!cibleVers(cmd.X, cmd.Y, cmd.Z + 3.0f, cmd.THETA, levee, false))
            commandes.push_back(levee);
        return false;
    }
    // The object moved or fell meanwhile: approach it again.
    Commande essai;
    essai.instanceRobot = cmd.instanceRobot;
    essai.approche = cmd.cible;
    essai.cible = cmd.cible;
    essai.rectiligne = cmd.rectiligne;
    essai.profil = cmd.profil;
    commandes.push_back(essai);
    return true;
}

bool Robot::sousPince(Instance* o, float& distance, CVecteur& contact, CVecteur outil) const {
    if (!o) return false;
    CVecteur min, max;
    o->getBoiteEnglobante(min, max);
    distance = std::fabs(outil.z - max.z);
    if (distance < toleranceSaisie && min.x <= outil.x && outil.x <= max.x && min.y <= outil.y &&
        outil.y <= max.y) {
        contact = CVecteur(outil.x, outil.y, max.z);
        return true;
    }
    return false;
}

void Robot::saisit(Instance* o, CVecteur k, Instance* instanceRobot) {
    if (!o) return;
    // Holding two objects at once would leave the first one hanging in the air.
    if (Instance* ancien = objetTenu())
        if (ancien != o) lache();

    // The former holder lets go, unless it holds another object by now.
    Entite* precedent = o->getLien();
    if (precedent && precedent != this && estVivant(precedent) && precedent->getLien() == o)
        precedent->setLien(nullptr);
    o->setLien(this);
    setLien(o);

    o->tombe = false;
    o->vitesse = CVecteur(0, 0, 0);

    const CVecteur b = positionMonde(instanceRobot, CVecteur(0, 0, 0));
    const CMatrice& mo = *o;
    attache = mo * CMatrice::translation(CVecteur(-k.x, -k.y, -k.z)) *
              CMatrice::translation(CVecteur(-b.x, -b.y, -b.z)) *
              CMatrice::rotation(CVecteur(1, 0, 0), 180) *
              CMatrice::rotation(CVecteur(0, 0, 1), THETA);
    translationBase = CMatrice::translation(b);

    MGD(THETA1, THETA2, THETA3, THETA5, X, Y, Z, THETA, matricePince);
    majBielle();
}

Instance* Robot::lache() {
    Instance* o = objetTenu();
    if (o) {
        majBielle();
        o->tombe = true;
        o->vitesse = CVecteur(0, 0, 0);
    }
    setLien(nullptr);
    return o;
}

Instance* Robot::chercheObjet(Instance* instanceRobot) {
    Instance* tenu = objetTenu();
    if (tenu || !listeInstances) return tenu;

    const CVecteur b = positionMonde(instanceRobot, CVecteur(0, 0, 0));
    const CVecteur t = positionMonde(instanceRobot, CVecteur(X, Y, Z));
    Instance* trouve = nullptr;
    float meilleure = 0;
    CVecteur contact(0, 0, 0);
    for (const auto& p : *listeInstances) {
        Instance* o = p.get();
        if (!o || o == instanceRobot) continue;
        float distance;
        CVecteur q;
        if (sousPince(o, distance, q, t) && (!trouve || distance < meilleure)) {
            trouve = o;
            meilleure = distance;
            contact = q;
        }
    }
    if (trouve) saisit(trouve, contact - b, instanceRobot);
    return trouve;
}
