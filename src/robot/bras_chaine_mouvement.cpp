// The command queue of an arm read from a description: every joint of a move starts and
// arrives together under the robot's time law, each within its own speed; a straight line
// keeps the tool point (and frame) on the segment between its two ends, through the numeric
// inverse model seeded with the current joints; grips take the object at the tool point
// and carry it rigidly in the tool frame; releases hand it to gravity.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "robot/bras_chaine.h"
#include "robot/robot.h"
#include "scene/scene.h"

namespace {

constexpr double DEGRES_PAR_RADIAN = 180.0 / M_PI;
// Bounds the queue, so that memory stays bounded whatever a scene file queues.
constexpr std::size_t COMMANDES_MAX = 10000;
// Bounds the commands one step may go through: each takes time or leaves the queue.
constexpr int COMMANDES_PAR_PAS_MAX = 100000;
// Seconds within which a move counts as ended: steps of 10 ms, added up, fall a few
// nanoseconds short of a round time.
constexpr double TOLERANCE_FIN = 1e-6;
// Points of a straight line where its joints are sampled to bound its speed.
constexpr int ECHANTILLONS_LIGNE = 100;
// A turning joint without a speed in its description turns at this many degrees a second.
constexpr double VITESSE_ROTATION_DEFAUT = 60;
// Between two samples of a straight line (a hundredth of it), a turning joint that moves more
// than this many degrees, or a sliding one more than this fraction of the arm's reach, jumps
// from one way of reaching the line to another: the line passes a singular pose.
constexpr double SAUT_ROTATION = 15;
constexpr double SAUT_GLISSIERE = 0.15;

double facteur(const LimitesArticulation& l) { return l.prismatique ? 1.0 : DEGRES_PAR_RADIAN; }

Eigen::Matrix4d matriceEigen(const CMatrice& m) {
    Eigen::Matrix4d r;
    for (int colonne = 0; colonne < 4; ++colonne)
        for (int ligne = 0; ligne < 4; ++ligne) r(ligne, colonne) = m.m[colonne * 4 + ligne];
    return r;
}

void copieMatrice(const Eigen::Matrix4d& e, CMatrice& m) {
    for (int colonne = 0; colonne < 4; ++colonne)
        for (int ligne = 0; ligne < 4; ++ligne)
            m.m[colonne * 4 + ligne] = static_cast<float>(e(ligne, colonne));
}

// The tool frame at the fraction s of the way from a to b: the point on the segment, the
// rotation turned by the same fraction.
Eigen::Isometry3d entre(const Eigen::Isometry3d& a, const Eigen::Isometry3d& b, double s) {
    Eigen::Isometry3d r = Eigen::Isometry3d::Identity();
    r.translation() = a.translation() + s * (b.translation() - a.translation());
    r.linear() = Eigen::Quaterniond(a.rotation())
                     .slerp(s, Eigen::Quaterniond(b.rotation()))
                     .toRotationMatrix();
    return r;
}

bool egales(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

// The arms read from a description alive at this moment: an instance names one only while
// it holds it. Never freed, so that arms destroyed at exit still find it.
std::unordered_set<const Entite*>& brasVivants() {
    static auto* vivants = new std::unordered_set<const Entite*>;
    return *vivants;
}

// Whether another arm than `bras` holds o now. A four-joint arm's released object keeps
// naming it: only one alive and still holding it counts.
bool tenuParUnAutre(const Instance& o, const Entite* bras) {
    Entite* e = const_cast<Instance&>(o).getLien();
    if (!e || e == bras) return false;
    if (Robot::estVivant(e)) return e->getLien() == &o;
    return brasVivants().count(e) != 0;
}

}  // namespace

void BrasChaine::enregistre() { brasVivants().insert(this); }

BrasChaine::~BrasChaine() {
    brasVivants().erase(this);
    // The held instance must not keep naming an arm that is gone.
    if (auto o = tenu_.lock())
        if (o->getLien() == this) o->setLien(nullptr);
}

double BrasChaine::vitesse(int i) const {
    const LimitesArticulation l = chaine().limites(i);
    if (std::isfinite(l.vitesse) && l.vitesse > 0) return l.vitesse * facteur(l);
    if (!l.prismatique) return VITESSE_ROTATION_DEFAUT;
    // A sliding joint crosses its range in two seconds, or a quarter of the arm's reach a
    // second when it has none.
    if (l.bornee && l.max > l.min) return 0.5 * (l.max - l.min);
    return std::max(0.25 * chaine().portee(), 1e-3);
}

Eigen::Isometry3d BrasChaine::outilPour(const std::vector<double>& valeurs) const {
    return chaine().modeleDirect(vecteur(valeurs));
}

std::vector<double> BrasChaine::poseFinale() const {
    for (auto c = commandes.rbegin(); c != commandes.rend(); ++c)
        if (c->genre == GenreCommande::Mouvement) return c->cible;
    return valeurs_;
}

std::string BrasChaine::articulationsVers(const CibleOutil& cible,
                                          std::vector<double>& valeurs) const {
    const ResultatInverse r = chaine().modeleInverse(cible, vecteur(poseFinale()));
    if (!r.reussi) return r.raison;
    valeurs.resize(nbArticulations());
    for (int i = 0; i < nbArticulations(); ++i) valeurs[i] = r.q[i] * facteur(chaine().limites(i));
    return texteLimites(valeurs);
}

void BrasChaine::signale(const std::string& raison) {
    raison_ = raison;
    ++numeroRaison_;
}

void BrasChaine::abandonne(const std::string& raison) {
    commandes.pop_front();
    sansProgres_ = 0;
    signale("commande abandonnée : " + raison);
}

void BrasChaine::videCommandes() {
    commandes.clear();
    sansProgres_ = 0;
}

std::string BrasChaine::ajouteDeplacement(const std::vector<double>& valeurs, bool rectiligne) {
    std::string raison = texteLimites(valeurs);
    if (raison.empty() && commandes.size() >= COMMANDES_MAX)
        raison = "la file de commandes du robot est pleine";
    if (!raison.empty()) return raison;
    CommandeChaine c;
    c.cible = valeurs;
    c.rectiligne = rectiligne;
    c.profil = profil;
    commandes.push_back(c);
    return raison;
}

void BrasChaine::ajouteAction(GenreCommande genre, float secondes) {
    if (commandes.size() >= COMMANDES_MAX) return;
    CommandeChaine c;
    c.genre = genre;
    c.secondes = secondes;
    commandes.push_back(c);
}

bool BrasChaine::avance(float dt) {
    if (commandes.empty()) {
        sansProgres_ = 0;
        return false;
    }
    if (!std::isfinite(dt) || dt <= 0) return false;
    historique_.setNbArticulations(nbArticulations());
    const std::vector<float> avant(valeurs_.begin(), valeurs_.end());
    historique_.depart(trajectoire_.temps(), avant.data());
    trajectoire_.avanceTemps(dt);
    const Eigen::Vector3d outil = outil_.translation();
    // A command that ends before the step does leaves the rest of the step to the next one.
    float reste = dt;
    bool bouge = false;
    for (int n = 0; n < COMMANDES_PAR_PAS_MAX && !commandes.empty(); ++n) {
        if (!pasCommande(reste)) break;
        bouge = true;
        if (!(reste > 0)) break;
    }
    const std::vector<float> apres(valeurs_.begin(), valeurs_.end());
    historique_.ajoute(trajectoire_.temps(), apres.data(),
                       static_cast<float>((outil_.translation() - outil).norm() / dt));
    return bouge;
}

bool BrasChaine::pasCommande(float& reste) {
    CommandeChaine& c = commandes.front();
    switch (c.genre) {
        case GenreCommande::Attente:
            sansProgres_ = 0;
            if (attenteFinie(c.secondes, reste)) commandes.pop_front();
            return true;
        case GenreCommande::Lacher:
            commandes.pop_front();
            lache();
            return true;
        case GenreCommande::Saisie:
            if (!saisit()) {
                abandonne("aucun objet sous la pince");
                return false;
            }
            commandes.pop_front();
            return true;
        case GenreCommande::Mouvement: break;
    }
    // Joints moved by hand meanwhile: the move starts again from there.
    if (c.commencee && !egales(c.atteint, valeurs_)) c.commencee = false;
    if (!c.commencee) {
        if (egales(c.cible, valeurs_)) {
            commandes.pop_front();
            return true;
        }
        commence(c);
    }
    if (!std::isfinite(c.duree)) {
        abandonne("aucun progrès");
        return false;
    }
    double t = c.ecoule + reste;
    const bool fini = t >= c.duree - TOLERANCE_FIN;
    std::vector<double> q = c.cible;
    if (fini)
        t = std::max(c.duree, c.ecoule);
    else if (!poseA(c, t, valeurs_, q))
        q = valeurs_;
    const Eigen::Vector3d outil = outil_.translation();
    const std::string refus = egales(q, valeurs_) ? std::string() : setArticulations(q);
    if (!refus.empty()) {
        // Refused at every step for a second: given up.
        sansProgres_ += reste;
        if (sansProgres_ >= 1.0f) abandonne(refus);
        return false;
    }
    sansProgres_ = 0;
    const auto vecteurScene = [](const Eigen::Vector3d& v) {
        return CVecteur(static_cast<float>(v.x()), static_cast<float>(v.y()),
                        static_cast<float>(v.z()));
    };
    trajectoire_.ajoute(vecteurScene(outil), vecteurScene(outil_.translation()),
                        c.rectiligne ? GenreMouvement::Rectiligne : GenreMouvement::Articulaire);
    reste -= static_cast<float>(t - c.ecoule);
    c.ecoule = t;
    c.atteint = valeurs_;
    if (fini)
        commandes.pop_front();
    else
        reste = 0;
    return true;
}

void BrasChaine::commence(CommandeChaine& c) {
    const int n = nbArticulations();
    c.commencee = true;
    c.ecoule = 0;
    c.depart = valeurs_;
    c.atteint = valeurs_;
    std::vector<double> vitesses(n), accelerations(n), distances(n);
    for (int k = 0; k < n; ++k) accelerations[k] = c.profil.accelerationDe(k);
    for (int k = 0; k < n; ++k) {
        vitesses[k] = vitesse(k);
        distances[k] = std::fabs(c.cible[k] - c.depart[k]);
    }
    if (!c.rectiligne) {
        // Synchronised: the slowest joint sets the duration, the others are stretched to it.
        c.duree = dureeSynchronisee(c.profil.genre, n, distances.data(), vitesses.data(),
                                    accelerations.data());
        return;
    }
    // A straight line: one law for the fraction s of the way done. How fast each joint
    // turns per unit of s, at its steepest along the line, bounds the law's speed and
    // acceleration, so that no joint exceeds its own.
    c.outilDepart = outil_;
    c.outilCible = outilPour(c.cible);
    std::vector<double> pentes(n, 0.0), avant = valeurs_, q;
    double sAvant = 0;
    bool saut = false;
    for (int i = 1; i <= ECHANTILLONS_LIGNE && !saut; ++i) {
        const double s = static_cast<double>(i) / ECHANTILLONS_LIGNE;
        CommandeChaine essai = c;
        essai.loi = LoiHoraire::rapide(GenreProfil::Constant, 1, 1, 0);
        if (i == ECHANTILLONS_LIGNE)
            q = c.cible;
        else if (!poseA(essai, s, avant, q))
            continue;
        for (int k = 0; k < n; ++k) {
            const double ecart = std::fabs(q[k] - avant[k]);
            const double sautMax =
                prismatique(k) ? SAUT_GLISSIERE * chaine().portee() : SAUT_ROTATION;
            saut = saut || ecart > sautMax * (s - sAvant) * ECHANTILLONS_LIGNE;
            pentes[k] = std::max(pentes[k], ecart / (s - sAvant));
        }
        avant = q;
        sAvant = s;
    }
    if (saut) {
        // The joints would whirl round to keep the tool on the line: a joint move instead.
        signale("ligne droite impossible (singularité) : mouvement articulaire");
        c.rectiligne = false;
        commence(c);
        return;
    }
    double vitesseLoi = HUGE_VAL, accelerationLoi = HUGE_VAL;
    for (int k = 0; k < n; ++k)
        if (pentes[k] > 0) {
            vitesseLoi = std::min(vitesseLoi, vitesses[k] / pentes[k]);
            accelerationLoi = std::min(accelerationLoi, c.profil.accelerationDe(k) / pentes[k]);
        }
    c.loi = LoiHoraire::rapide(c.profil.genre, vitesseLoi == HUGE_VAL ? 0 : 1, vitesseLoi,
                               accelerationLoi);
    c.duree = c.loi.duree();
}

bool BrasChaine::poseA(const CommandeChaine& c, double t, const std::vector<double>& graine,
                       std::vector<double>& q) const {
    const int n = nbArticulations();
    q.resize(n);
    if (!c.rectiligne) {
        for (int k = 0; k < n; ++k) {
            const double ecart = c.cible[k] - c.depart[k];
            const LoiHoraire loi = LoiHoraire::etiree(c.profil.genre, std::fabs(ecart), vitesse(k),
                                                      c.profil.accelerationDe(k), c.duree);
            q[k] = c.depart[k] + loi.avancement(t) * ecart;
        }
        return true;
    }
    CibleOutil cible;
    cible.pose = entre(c.outilDepart, c.outilCible, c.loi.avancement(t));
    const ResultatInverse r = chaine().modeleInverse(cible, vecteur(graine));
    if (!r.reussi) return false;
    for (int k = 0; k < n; ++k) q[k] = r.q[k] * facteur(chaine().limites(k));
    return texteLimites(q).empty();
}

Instance* BrasChaine::instancePortante() const {
    if (!listeInstances) return nullptr;
    for (const auto& p : *listeInstances) {
        auto* ie = dynamic_cast<InstanceEntite*>(p.get());
        if (ie && ie->entite.get() == this) return ie;
    }
    return nullptr;
}

Eigen::Isometry3d BrasChaine::outilMonde() const {
    Eigen::Matrix4d m = matriceEigen(*this) * outil_.matrix();
    if (const Instance* i = instancePortante()) m = matriceEigen(*i) * m;
    Eigen::Isometry3d r;
    r.matrix() = m;
    return r;
}

Instance* BrasChaine::objetTenu() {
    auto o = tenu_.lock();
    if (!o || o->getLien() != this) {
        tenu_.reset();
        lien = nullptr;
        return nullptr;
    }
    return o.get();
}

bool BrasChaine::saisit() {
    if (objetTenu()) return true;
    if (!listeInstances) return false;
    const Eigen::Vector3d p = outilMonde().translation();
    const Instance* porteur = instancePortante();
    std::shared_ptr<Instance> trouve;
    double meilleure = 0;
    for (const auto& o : *listeInstances) {
        // Neither the arm itself nor what another arm holds.
        if (!o || o.get() == porteur || tenuParUnAutre(*o, this)) continue;
        CVecteur a, b;
        o->getBoiteEnglobante(a, b);
        const bool dessous = a.x <= p.x() && p.x() <= b.x && a.y <= p.y() && p.y() <= b.y &&
                             a.z - toleranceSaisie <= p.z() && p.z() <= b.z + toleranceSaisie;
        const double distance = std::fabs(p.z() - b.z);
        if (dessous && (!trouve || distance < meilleure)) {
            trouve = o;
            meilleure = distance;
        }
    }
    if (!trouve) return false;
    tenu_ = trouve;
    lien = trouve.get();
    trouve->setLien(this);
    trouve->tombe = false;
    trouve->vitesse = CVecteur(0, 0, 0);
    attache_ = outilMonde().matrix().inverse() * matriceEigen(*trouve);
    return true;
}

Instance* BrasChaine::lache() {
    Instance* o = objetTenu();
    if (o) {
        o->setLien(nullptr);
        o->tombe = true;
        o->vitesse = CVecteur(0, 0, 0);
    }
    tenu_.reset();
    lien = nullptr;
    return o;
}

std::string BrasChaine::vaChercher(Instance* objet, bool rectiligne) {
    std::string raison = "position hors d'atteinte";
    if (objet && tenuParUnAutre(*objet, this)) raison = "objet tenu par un autre robot";
    if (objet && objet != instancePortante() && !tenuParUnAutre(*objet, this)) {
        CVecteur a, b;
        objet->getBoiteEnglobante(a, b);
        // The tool point on the top's centre, or where the held object's bottom rests on it.
        double z = b.z;
        if (Instance* tenu = objetTenu()) {
            if (tenu == objet) return "l'objet est déjà tenu";
            CVecteur ta, tb;
            tenu->getBoiteEnglobante(ta, tb);
            z = b.z + (outilMonde().translation().z() - ta.z);
        }
        // From the scene's frame to the arm's.
        Eigen::Matrix4d m = matriceEigen(*this);
        if (const Instance* i = instancePortante()) m = matriceEigen(*i) * m;
        const Eigen::Matrix4d inverse = m.inverse();
        const auto versBras = [&inverse](const Eigen::Vector3d& p) {
            return (inverse * p.homogeneous()).head<3>();
        };
        const Eigen::Vector3d contact(0.5 * (a.x + b.x), 0.5 * (a.y + b.y), z);
        const Eigen::Vector3d dessus = contact + Eigen::Vector3d(0, 0, 0.1 * chaine().portee());
        // The tool keeps the orientation it will have; a chain that cannot keep it comes as
        // near as it can.
        CibleOutil cible;
        cible.pose.linear() = outilPour(poseFinale()).rotation();
        std::vector<double> haut, bas;
        cible.pose.translation() = versBras(dessus);
        raison = articulationsVers(cible, haut);
        if (!raison.empty()) {
            cible.orientation = false;
            raison = articulationsVers(cible, haut);
            if (raison.empty()) cible.pose.linear() = outilPour(haut).rotation();
        }
        if (raison.empty()) {
            CommandeChaine essai;
            essai.cible = haut;
            commandes.push_back(essai);  // the descent is solved from above the object
            cible.pose.translation() = versBras(contact);
            raison = articulationsVers(cible, bas);
            commandes.pop_back();
        }
        if (raison.empty() && commandes.size() + 4 > COMMANDES_MAX)
            raison = "la file de commandes du robot est pleine";
        if (raison.empty()) {
            const bool tenu = objetTenu() != nullptr;
            ajouteDeplacement(haut, rectiligne);
            ajouteDeplacement(bas, true);
            ajouteAction(tenu ? GenreCommande::Lacher : GenreCommande::Saisie, 0);
            ajouteDeplacement(haut, true);
            return std::string();
        }
    }
    signale(raison);
    return raison;
}

void BrasChaine::porteObjet() {
    if (Instance* o = objetTenu()) copieMatrice(outilMonde().matrix() * attache_, *o);
}

std::vector<std::string> BrasChaine::colonnesTrace() const {
    std::vector<std::string> noms;
    for (int i = 0; i < nbArticulations(); ++i)
        noms.push_back(nomArticulation(i) + (prismatique(i) ? "_u" : "_deg"));
    for (const char* axe : {"X_u", "Y_u", "Z_u"}) noms.emplace_back(axe);
    return noms;
}

Manipulabilite BrasChaine::mesures() { return manipulabilite(chaine(), vecteur(valeurs_)); }

std::string BrasChaine::texteSingularite(const Manipulabilite& m) const {
    return directionSinguliere(m);
}

std::vector<float> BrasChaine::valeursTrace() const {
    std::vector<float> v(valeurs_.begin(), valeurs_.end());
    for (int k = 0; k < 3; ++k) v.push_back(static_cast<float>(outil_.translation()[k]));
    return v;
}
