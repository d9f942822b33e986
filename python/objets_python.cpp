#include "objets_python.h"

#include <cmath>
#include <cstring>

#include "app/dump.h"
#include "boites.h"
#include "conversions.h"
#include "robot/bras_chaine.h"
#include "robot/modele_quatre_axes.h"
#include "robot/robot.h"
#include "script/fonctions.h"
#include "script/options.h"
#include "script/script.h"

namespace {
[[noreturn]] void leveRefus(const std::string& raison) {
    PyErr_SetString(refus, raison.c_str());
    throw py::error_already_set();
}

int indiceBuiltin(const char* nom) {
    for (int i = 0; i < nb_fonctions_predefinies; ++i)
        if (std::strcmp(fonctions_predefinies[i].nom, nom) == 0) return i;
    throw std::logic_error(std::string("fonction inconnue : ") + nom);
}

// Four finite numbers from a sequence, each named for the messages.
void quatreNombres(const py::handle& suite, const char* quoi, const char* const noms[4],
                   float v[4]) {
    const auto e = elements(suite, 4, quoi);
    for (int k = 0; k < 4; ++k) {
        const Valeur x = valeurDe(e[k]);
        if (x.type != T_FLOAT && x.type != T_INT)
            throw py::type_error(std::string(quoi) + " : " + noms[k] + " vaut « " +
                                 std::string(py::str(py::repr(e[k]))) +
                                 " » : ce n'est pas un nombre");
        v[k] = x.type == T_INT ? static_cast<float>(x.scalaire.i) : x.scalaire.f;
        if (!std::isfinite(v[k]))
            throw py::value_error(std::string(quoi) + " : " + noms[k] + " vaut " +
                                  texteNombre(v[k]) + " : ce n'est pas un nombre fini !");
    }
}

const char* const ARTICULATIONS[4] = {"THETA1", "THETA2", "THETA3", "THETA5"};
const char* const POIGNET[4] = {"X", "Y", "Z", "THETA"};

py::array_t<double> quatre(float a, float b, float c, float d) { return tableau({a, b, c, d}); }

// The arguments of a call given either as separate numbers or as one sequence of them.
std::vector<py::object> arguments(const py::args& a) {
    if (a.size() == 1 && !py::isinstance<py::str>(a[0]) && PySequence_Check(a[0].ptr()))
        return elements(a[0], -1, "arguments");
    std::vector<py::object> v;
    for (const py::handle& x : a) v.push_back(py::reinterpret_borrow<py::object>(x));
    return v;
}
}  // namespace

std::string RobotPython::nom() const { return entite_->nom; }

Robot& RobotPython::bras(const char* builtin) const {
    if (auto* r = dynamic_cast<Robot*>(entite_.get())) return *r;
    const Parametre& p = fonctions_predefinies[indiceBuiltin(builtin)].parametre(0);
    throw py::type_error(p.texteClasse ? p.texteClasse
                                       : std::string(builtin) + " ne s'applique qu'à des robot !");
}

py::array_t<double> RobotPython::articulations() const {
    if (auto* b = dynamic_cast<BrasChaine*>(entite_.get())) return tableau(b->articulations());
    const Robot& r = bras("deplaceArticulaire");
    return quatre(r.THETA1, r.THETA2, r.THETA3, r.THETA5);
}

void RobotPython::setArticulations(const py::object& q) {
    if (auto* b = dynamic_cast<BrasChaine*>(entite_.get())) {
        std::vector<double> v;
        for (const py::object& x : elements(q, b->nbArticulations(), "articulations"))
            v.push_back(py::cast<double>(py::float_(x)));
        const std::string raison = b->setArticulations(v);
        if (!raison.empty()) leveRefus(raison);
        return;
    }
    Robot& r = bras("deplaceArticulaire");
    float t[4];
    quatreNombres(q, "articulations", ARTICULATIONS, t);
    if (!r.setCoordArticulaires(t[0], t[1], t[2], t[3])) leveRefus(r.derniereRaison);
    if (&r == scene_->app().robotCourant) scene_->app().majPanneauRobot();
}

std::vector<std::string> RobotPython::nomsArticulations() const {
    std::vector<std::string> noms;
    if (auto* b = dynamic_cast<BrasChaine*>(entite_.get())) {
        for (int i = 0; i < b->nbArticulations(); ++i) noms.push_back(b->nomArticulation(i));
        return noms;
    }
    const ModeleQuatreAxes modele(bras("deplaceArticulaire"));
    for (int i = 0; i < 4; ++i) noms.push_back(modele.nomArticulation(i));
    return noms;
}

py::array_t<double> RobotPython::limites() const {
    std::vector<double> v;
    if (auto* b = dynamic_cast<BrasChaine*>(entite_.get())) {
        for (int i = 0; i < b->nbArticulations(); ++i) {
            v.push_back(b->bornee(i) ? b->min(i) : -INFINITY);
            v.push_back(b->bornee(i) ? b->max(i) : INFINITY);
        }
    } else {
        const ModeleQuatreAxes modele(bras("deplaceArticulaire"));
        for (int i = 0; i < 4; ++i) {
            const LimitesArticulation l = modele.limites(i);
            v.push_back(l.min * 180 / M_PI);
            v.push_back(l.max * 180 / M_PI);
        }
    }
    return tableau(v).reshape({static_cast<py::ssize_t>(v.size() / 2), py::ssize_t{2}});
}

py::dict RobotPython::outil() const {
    const CMatrice monde = placement(scene_->app().scene, *entite_);
    const auto* b = dynamic_cast<BrasChaine*>(entite_.get());
    const CMatrice t =
        (b ? BrasChaine::matriceDe(b->outil()) : bras("deplaceArticulaire").matricePince) * monde;
    py::dict d;
    d["position"] = tableau({t.m[12], t.m[13], t.m[14]});
    d["rotation"] =
        tableau({t.m[0], t.m[4], t.m[8], t.m[1], t.m[5], t.m[9], t.m[2], t.m[6], t.m[10]})
            .reshape({3, 3});
    return d;
}

py::array_t<double> RobotPython::poignet() const {
    const Robot& r = bras("deplacePoignet");
    return quatre(r.X, r.Y, r.Z, r.THETA);
}

py::array_t<double> RobotPython::mgd(const py::object& q) const {
    const Robot& r = bras("deplaceArticulaire");
    float t[4];
    quatreNombres(q, "mgd", ARTICULATIONS, t);
    float x, y, z, theta;
    CMatrice pince;
    if (!r.MGD(t[0], t[1], t[2], t[3], x, y, z, theta, pince))
        leveRefus(Robot::texteLimites(t[0], t[1], t[2], t[3]));
    return quatre(x, y, z, theta);
}

py::array_t<double> RobotPython::mgi(const py::object& pose) const {
    Robot& r = bras("deplacePoignet");
    float p[4];
    quatreNombres(pose, "mgi", POIGNET, p);
    CibleMouvement c;
    if (const char* raison = r.cibleVers(p[0], p[1], p[2], p[3], c, true)) leveRefus(raison);
    return quatre(c.T1, c.T2, c.T3, c.T5);
}

void RobotPython::appelle(const char* builtin, std::vector<py::object> args) {
    const int indice = indiceBuiltin(builtin);
    // The signature of this arm (a row may depend on the arm it drives: one value a joint).
    const FonctionPredefinie& ligne = fonctions_predefinies[indice];
    const FonctionPredefinie f = ligne.selonBras ? ligne.selonBras(ligne, *entite_) : ligne;
    Script& script = *scene_->app().script;
    std::vector<Valeur> valeurs{Valeur::objetDe<Entite>(T_ENTITE, entite_)};
    bool nonFini = false;
    for (const py::object& a : args) {
        valeurs.push_back(valeurDe(a));
        nonFini = nonFini ||
                  (valeurs.back().type == T_FLOAT && !std::isfinite(valeurs.back().scalaire.f));
    }
    BoitesRecueillies boites;
    const int n = static_cast<int>(valeurs.size());
    if (!script.verifie_nb_parametres(f, n)) throw py::type_error(boites.premiere());
    // The types as the interpreter checks them (the robot is given by itself, not by a
    // variable's name).
    for (int k = 0; k < n; ++k) {
        const int i = f.typesDansLOrdre ? k : n - 1 - k;
        if (i > 0 && !script.verifie_parametre(f, i + 1, f.parametre(i), valeurs[i]))
            throw py::type_error(boites.premiere());
    }
    if (!dynamic_cast<BrasChaine*>(entite_.get())) bras(builtin);
    (script.*f.fonction)(valeurs);
    if (boites.vides()) return;
    if (nonFini) throw py::value_error(boites.premiere());
    leveRefus(boites.premiere());
}

void RobotPython::deplaceArticulaire(const py::args& q) {
    appelle("deplaceArticulaire", arguments(q));
}

void RobotPython::deplacePoignet(const py::args& pose, const py::object& rectiligne) {
    std::vector<py::object> a = arguments(pose);
    a.push_back(rectiligne);
    appelle("deplacePoignet", a);
}

void RobotPython::saisis() { appelle("saisis", {}); }
void RobotPython::lache() { appelle("lache", {}); }
void RobotPython::attends(const py::object& secondes) { appelle("attends", {secondes}); }
void RobotPython::profil(const py::object& nom, const py::object& acceleration) {
    appelle("setRobotProfil", {nom, acceleration});
}

std::size_t RobotPython::commandes() const {
    const auto* r = dynamic_cast<const Robot*>(entite_.get());
    return r ? r->commandes.size() : 0;
}

py::object RobotPython::objetTenu() const {
    auto* r = dynamic_cast<Robot*>(entite_.get());
    Instance* i = r ? r->objetTenu() : nullptr;
    if (!i) return py::none();
    return py::str(scene_->app().nomInstance(i));
}

std::string InstancePython::nom() const { return scene_->app().nomInstance(instance_.get()); }

py::array_t<double> InstancePython::matrice() const {
    std::vector<double> v(16);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) v[r * 4 + c] = instance_->m[c * 4 + r];
    return tableau(v).reshape({4, 4});
}

py::array_t<double> InstancePython::position() const {
    return tableau({instance_->m[12], instance_->m[13], instance_->m[14]});
}

py::array_t<double> InstancePython::boite() const {
    CVecteur min, max;
    instance_->getBoiteEnglobante(min, max);
    return tableau({min.x, min.y, min.z, max.x, max.y, max.z}).reshape({2, 3});
}

bool InstancePython::visible() const { return instance_->visible; }
bool InstancePython::tombe() const { return instance_->tombe; }

py::object InstancePython::tenuPar() const {
    const Entite* e = instance_->getLien();
    return e ? py::object(py::str(e->nom)) : py::object(py::none());
}

int OptionsPython::indice(const std::string& cle) const {
    const int i = cle.find('\0') == std::string::npos ? chercheOption(cle.c_str()) : -1;
    if (i < 0) throw py::key_error("option inconnue : " + cle);
    return i;
}

py::object OptionsPython::lit(const std::string& cle) const {
    const OptionAffichage& o = optionsAffichage[indice(cle)];
    return versPython(o.get(scene_->app().scene, &scene_->app().camera));
}

void OptionsPython::ecrit(const std::string& cle, const py::object& valeur) {
    const OptionAffichage& o = optionsAffichage[indice(cle)];
    Valeur v = valeurDe(valeur);
    if (o.type == T_FLOAT && v.type == T_INT) v = Valeur::reel(static_cast<float>(v.scalaire.i));
    BoitesRecueillies boites;
    if (!scene_->app().script->verifie_affectation(cle, o.type, v.type))
        throw py::type_error(boites.premiere());
    // An infinite or undefined number would spread into every position it touches.
    if (o.type == T_FLOAT && !std::isfinite(v.scalaire.f))
        throw py::value_error("La valeur " + texte_valeur(v) + " donnée à l'option\n\n  '" + cle +
                              "'\n\nn'est pas un nombre fini : l'option garde sa valeur.");
    if (v.type == T_POINT || v.type == T_COULEUR) {
        const auto e = elements(valeur, v.type == T_POINT ? 3 : 4, cle);
        for (const py::object& x : e)
            if (!std::isfinite(py::cast<double>(py::float_(x))))
                throw py::value_error("La valeur " + texte_valeur(v) + " donnée à l'option\n\n  '" +
                                      cle +
                                      "'\n\nn'est pas un nombre fini : l'option garde sa valeur.");
    }
    o.set(scene_->app().scene, &scene_->app().camera, v);
}

std::vector<std::string> OptionsPython::cles() const {
    std::vector<std::string> c;
    for (int i = 0; i < nbOptionsAffichage; ++i) c.push_back(optionsAffichage[i].cle);
    return c;
}

bool OptionsPython::contient(const std::string& cle) const {
    return cle.find('\0') == std::string::npos && chercheOption(cle.c_str()) >= 0;
}

py::dict robotsDe(const std::shared_ptr<ScenePython>& scene) {
    py::dict d;
    for (const auto& e : scene->app().scene.entites)
        if ((dynamic_cast<Robot*>(e.get()) || dynamic_cast<BrasChaine*>(e.get())) &&
            !d.contains(e->nom))
            d[py::str(e->nom)] = RobotPython(scene, e);
    return d;
}

py::dict instancesDe(const std::shared_ptr<ScenePython>& scene) {
    py::dict d;
    for (const auto& i : scene->app().scene.instances) {
        const std::string nom = scene->app().nomInstance(i.get());
        if (!d.contains(nom)) d[py::str(nom)] = InstancePython(scene, i);
    }
    return d;
}
