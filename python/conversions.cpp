#include "conversions.h"

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>

#include "app/application.h"
#include "geometrie/entite.h"
#include "geometrie/vecteur.h"
#include "script/options.h"

std::string texteNombre(double v) {
    std::ostringstream o;
    o << v;
    return o.str();
}

py::array_t<double> tableau(const std::vector<double>& valeurs) {
    return py::array_t<double>(static_cast<py::ssize_t>(valeurs.size()), valeurs.data());
}

std::vector<py::object> elements(const py::handle& objet, long n, const std::string& quoi) {
    if (py::isinstance<py::str>(objet) || py::isinstance<py::bytes>(objet) ||
        !PySequence_Check(objet.ptr()))
        throw py::type_error(quoi + " : il faut une suite de nombres, pas « " +
                             std::string(py::str(py::repr(objet))) + " »");
    std::vector<py::object> v;
    for (const py::handle& e : py::reinterpret_borrow<py::sequence>(objet))
        v.push_back(py::reinterpret_borrow<py::object>(e));
    if (n >= 0 && static_cast<long>(v.size()) != n)
        throw py::value_error(quoi + " : " + std::to_string(v.size()) + " valeur(s) au lieu de " +
                              std::to_string(n));
    return v;
}

namespace {
bool estNombre(const py::handle& o) {
    return !py::isinstance<py::str>(o) && !py::isinstance<py::bytes>(o) &&
           (PyFloat_Check(o.ptr()) || PyLong_Check(o.ptr()) || PyIndex_Check(o.ptr()) ||
            py::hasattr(o, "__float__"));
}

float reelDe(const py::handle& o) {
    return static_cast<float>(py::cast<double>(py::float_(py::reinterpret_borrow<py::object>(o))));
}
}  // namespace

Valeur valeurDe(const py::handle& o) {
    const py::module_ numpy = py::module_::import("numpy");
    if (PyBool_Check(o.ptr()) || py::isinstance(o, numpy.attr("bool_")))
        return Valeur::booleen(PyObject_IsTrue(o.ptr()) == 1);
    if (PyLong_Check(o.ptr()) || (PyIndex_Check(o.ptr()) && !PyFloat_Check(o.ptr()))) {
        const long long n = py::cast<long long>(py::int_(py::reinterpret_borrow<py::object>(o)));
        if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
            return Valeur::entier(static_cast<int32_t>(n));
        return Valeur::reel(static_cast<float>(n));
    }
    if (estNombre(o)) return Valeur::reel(reelDe(o));
    if (py::isinstance<py::str>(o))
        return Valeur::objetDe(T_STRING, std::make_shared<std::string>(py::cast<std::string>(o)));
    if (PySequence_Check(o.ptr()) && !py::isinstance<py::bytes>(o)) {
        const auto s = py::reinterpret_borrow<py::sequence>(o);
        bool nombres = true;
        for (const py::handle& e : s) nombres = nombres && estNombre(e);
        if (nombres && s.size() == 3)
            return Valeur::objetDe(
                T_POINT, std::make_shared<CVecteur>(reelDe(s[0]), reelDe(s[1]), reelDe(s[2])));
        if (nombres && s.size() == 4)
            return Valeur::objetDe(T_COULEUR, std::make_shared<RGBA>(reelDe(s[0]), reelDe(s[1]),
                                                                     reelDe(s[2]), reelDe(s[3])));
    }
    return Valeur::objetDe(T_STRING,
                           std::make_shared<std::string>(std::string(py::str(py::repr(o)))));
}

py::object versPython(const Valeur& v) {
    switch (v.type) {
        case T_BOOL: return py::bool_(v.booleenVal());
        case T_INT: return py::int_(v.scalaire.i);
        case T_FLOAT: return py::float_(v.scalaire.f);
        case T_POINT:
            if (auto p = v.objet<CVecteur>()) return tableau({p->x, p->y, p->z});
            return py::none();
        case T_COULEUR:
            if (auto c = v.objet<RGBA>()) return tableau({c->r, c->g, c->b, c->a});
            return py::none();
        case T_STRING:
            if (auto s = v.objet<std::string>()) return py::str(*s);
            return py::none();
        default: return py::none();
    }
}

void appliqueCamera(CApplication& app, const py::object& camera) {
    if (!PyMapping_Check(camera.ptr()) || py::isinstance<py::str>(camera))
        throw py::type_error(
            "camera : il faut None ou un dictionnaire {\"position\": (x, y, z), \"rotation\": "
            "(x, y, z)}");
    const auto m = py::reinterpret_borrow<py::object>(camera);
    for (const char* cle : {"position", "rotation"}) {
        if (!py::cast<bool>(m.attr("__contains__")(cle))) continue;
        const auto v = elements(m[cle], 3, std::string("camera ") + cle);
        float x[3];
        for (int k = 0; k < 3; ++k) {
            if (!estNombre(v[k]))
                throw py::type_error(std::string("camera ") + cle + " : « " +
                                     std::string(py::str(py::repr(v[k]))) +
                                     " » n'est pas un nombre");
            x[k] = reelDe(v[k]);
            if (!std::isfinite(x[k]))
                throw py::value_error(std::string("camera ") + cle + " : " + texteNombre(x[k]) +
                                      " n'est pas un nombre fini");
        }
        const int option = chercheOption(cle[0] == 'p' ? "cameraPos" : "cameraRot");
        optionsAffichage[option].set(
            app.scene, &app.camera,
            Valeur::objetDe(T_POINT, std::make_shared<CVecteur>(x[0], x[1], x[2])));
    }
}
