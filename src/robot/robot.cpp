// The robot's construction, joint limits, direct geometric model and rear rod.
#include "robot/robot.h"

#include <climits>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <unordered_set>

#include "geometrie/angles.h"
#include "scene/scene.h"

namespace {

// Each driven joint's range, degrees, bounds included.
struct Limites {
    const char* nom;
    const char* raison;
    float min, max;
};
constexpr Limites kLimites[4] = {{"THETA1", "THETA1 hors limites", -180, 180},
                                 {"THETA2", "THETA2 hors limites", 0, 145},
                                 {"THETA3", "THETA3 hors limites", -135, 0},
                                 {"THETA5", "THETA5 hors limites", -180, 180}};

// The first joint outside its range (a value that is not a number is), or -1.
int horsLimites(float T1, float T2, float T3, float T5) {
    const float t[4] = {T1, T2, T3, T5};
    for (int k = 0; k < 4; ++k)
        if (!(t[k] >= kLimites[k].min && t[k] <= kLimites[k].max)) return k;
    return -1;
}

// The name of the constructor's number at index i: L0 … L8, the four speeds, the gripping
// tolerance, the smallest radius.
std::string nomDuNombre(std::size_t i) {
    if (i < 9) return "L" + std::to_string(i);
    if (i < 13) return "vitesseTheta" + std::to_string(i == 12 ? 5 : i - 8);
    return i == 13 ? "toleranceSaisie" : "rayonMin";
}

// Robots alive at this moment: lets a gripped instance's former holder be told, without
// touching a robot that has been destroyed since. Never freed, so that robots destroyed
// with the static application object at exit still find it.
std::unordered_set<const Entite*>& robotsVivants() {
    static auto* vivants = new std::unordered_set<const Entite*>;
    return *vivants;
}

}  // namespace

Robot::Robot(const std::array<float, 15>& nombres,
             const std::array<std::shared_ptr<Mesh>, 11>& liens,
             std::vector<std::shared_ptr<Instance>>* listeInstances_)
    : L0(nombres[0]),
      L1(nombres[1]),
      L2(nombres[2]),
      L3(nombres[3]),
      L4(nombres[4]),
      L6(nombres[6]),
      L5(nombres[5]),
      L7(nombres[7]),
      L8(nombres[8]),
      hauteurEpaule(0),
      decalageOutil(0),
      vitesseTheta1(nombres[9]),
      vitesseTheta2(nombres[10]),
      vitesseTheta3(nombres[11]),
      vitesseTheta5(nombres[12]),
      toleranceSaisie(nombres[13]),
      rayonMin(nombres[14]),
      listeInstances(listeInstances_),
      liensTenus(liens) {
    // A non-finite length or speed would make every pose refused, with no hint why.
    const std::string nonFini = nombreNonFini(nombres);
    if (!nonFini.empty()) throw std::invalid_argument(nonFini);
    for (const auto& l : liens)
        if (!l) throw pointeur_null("Robot::Robot: maillage de lien nul");
    socle = liens[0].get();
    tourelle = liens[1].get();
    bras = liens[2].get();
    barreEpaule = liens[3].get();
    barreCoude = liens[4].get();
    avantBras = liens[5].get();
    barreAvantBras = liens[6].get();
    poignet = liens[7].get();
    pince = liens[8].get();
    barreBras = liens[9].get();
    bielle = liens[10].get();

    hauteurEpaule =
        std::fabs(socle->boiteMax.z - socle->boiteMin.z) + std::fabs(tourelle->boiteMin.z);
    decalageOutil = -poignet->boiteMin.z - pince->boiteMin.z;
    robotsVivants().insert(this);
}

Robot::~Robot() {
    robotsVivants().erase(this);
    // The held instance must not keep naming a robot that is gone.
    if (tenuSuivi_) {
        if (auto o = tenuPartage_.lock())
            if (o->getLien() == this) o->setLien(nullptr);
    }
}

std::string Robot::nombreNonFini(const std::array<float, 15>& nombres) {
    for (std::size_t i = 0; i < nombres.size(); ++i)
        if (!std::isfinite(nombres[i]))
            return "le nombre n° " + std::to_string(i + 1) + " (" + nomDuNombre(i) + ") vaut " +
                   std::to_string(nombres[i]) + " : ce n'est pas un nombre fini";
    return std::string();
}

bool Robot::estVivant(const Entite* e) { return e && robotsVivants().count(e) != 0; }

void Robot::getBoiteEnglobante(CVecteur& min, CVecteur& max) {
    min = CVecteur(0, 0, 0);
    max = CVecteur(0, 0, 0);
}

bool Robot::verifieLimites(float T1, float T2, float T3, float T5) {
    return horsLimites(T1, T2, T3, T5) < 0;
}

std::string Robot::texteLimites(float T1, float T2, float T3, float T5) {
    const int k = horsLimites(T1, T2, T3, T5);
    if (k < 0) return std::string();
    const float t[4] = {T1, T2, T3, T5};
    std::ostringstream o;
    o << kLimites[k].nom << " vaut " << t[k] << ", hors de ses limites (de " << kLimites[k].min
      << " à " << kLimites[k].max << ")";
    return o.str();
}

bool Robot::MGD(float T1, float T2, float T3, float T5, float& x, float& y, float& z, float& theta,
                CMatrice& matrice) const {
    if (!verifieLimites(T1, T2, T3, T5)) return false;
    modeleDirect(T1, T2, T3, T5, x, y, z, theta, matrice);
    return true;
}

void Robot::modeleDirect(float T1, float T2, float T3, float T5, float& x, float& y, float& z,
                         float& theta, CMatrice& matrice) const {
    const float a2 = enRadians(T2);
    const float a23 = a2 + enRadians(T3);
    const float r = L3 * std::cos(a23) + L2 * std::cos(a2) + (L1 + L0);
    const float t1 = enRadians(T1);
    x = r * std::cos(t1);
    y = r * std::sin(t1);
    z = L3 * std::sin(a23) + L2 * std::sin(a2) - decalageOutil + hauteurEpaule;
    theta = T5 - T1;
    matrice = repereOutil(x, y, z, theta);
}

CMatrice Robot::repereOutil(float x, float y, float z, float theta) {
    // The gripper turns by THETA1 - THETA5 = -theta about the downward z axis.
    const float a = enRadians(-theta);
    const float ca = std::cos(a), sa = std::sin(a);
    CMatrice m;
    for (float& e : m.m) e = 0;
    m.m[0] = ca;
    m.m[1] = sa;
    m.m[4] = sa;
    m.m[5] = -ca;
    m.m[10] = -1;
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    m.m[15] = 1;
    return m;
}

const char* Robot::raisonLimites(float T1, float T2, float T3, float T5) {
    const int k = horsLimites(T1, T2, T3, T5);
    return kLimites[k < 0 ? 3 : k].raison;
}

const char* Robot::essaiePose(float T1, float T2, float T3, float T5) {
    // Computed aside so that a refused pose leaves the wrist consistent with the joints.
    float x, y, z, theta;
    CMatrice m;
    if (!MGD(T1, T2, T3, T5, x, y, z, theta, m)) return raisonLimites(T1, T2, T3, T5);
    if (const char* raison = refusPosition(x, y, z)) return raison;
    adoptePose(T1, T2, T3, T5, x, y, z, theta, m);
    return nullptr;
}

bool Robot::setCoordArticulaires(float T1, float T2, float T3, float T5) {
    const char* raison = essaiePose(T1, T2, T3, T5);
    if (raison) signale(raison);
    return !raison;
}

void Robot::signale(const std::string& raison) {
    derniereRaison = raison;
    ++numeroRaison;
}

void Robot::adoptePose(float T1, float T2, float T3, float T5, float x, float y, float z,
                       float theta, const CMatrice& pince) {
    THETA1 = T1;
    THETA2 = T2;
    THETA3 = T3;
    THETA5 = T5;
    X = x;
    Y = y;
    Z = z;
    THETA = theta;
    matricePince = pince;
    majBielle();
}

void Robot::majBielle() {
    if (Instance* o = objetTenu())
        static_cast<CMatrice&>(*o) = attache * matricePince * translationBase;
    const float phi = enRadians(90 - THETA2);
    angleBielle = enDegres(std::atan2(L7 * std::sin(phi), L8 + L0 - L7 * std::cos(phi)));
}

void Robot::setLien(Instance* i) {
    lien = i;
    tenuPartage_.reset();
    tenuSuivi_ = false;
    if (!i || !listeInstances) return;
    for (const auto& p : *listeInstances)
        if (p.get() == i) {
            tenuPartage_ = p;
            tenuSuivi_ = true;
            return;
        }
}

Instance* Robot::objetTenu() {
    if (lien && tenuSuivi_ && tenuPartage_.expired()) {
        lien = nullptr;
        tenuSuivi_ = false;
    }
    return lien;
}

int Robot::arrondi(float v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<float>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(std::lround(v));
}

CibleMouvement Robot::pose() const {
    CibleMouvement c;
    c.T1 = THETA1;
    c.T2 = THETA2;
    c.T3 = THETA3;
    c.T5 = THETA5;
    c.X = X;
    c.Y = Y;
    c.Z = Z;
    c.THETA = THETA;
    return c;
}

void Robot::lireCoordArticulaires(int& t1, int& t2, int& t3, int& t5) const {
    t1 = arrondi(THETA1);
    t2 = arrondi(THETA2);
    t3 = arrondi(THETA3);
    t5 = arrondi(THETA5);
}

void Robot::lireCoordPoignet(float& x, float& y, float& z, int& theta) const {
    x = X;
    y = Y;
    z = Z;
    theta = arrondi(THETA);
}
