// Between Python values and the interpreter's: numbers checked as the builtins check them,
// arrays for NumPy, the camera of one image.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "script/valeur.h"

class CApplication;
namespace py = pybind11;

// A number as the messages write it ("2.5", "nan").
std::string texteNombre(double v);
// A one-dimensional float64 array holding these values.
py::array_t<double> tableau(const std::vector<double>& valeurs);
// The interpreter's value for a Python one: bool, int, float (or NumPy scalars), str, a
// sequence of 3 numbers (a point) or of 4 (a colour); anything else as a string holding its
// representation, which every numeric parameter refuses with its own words.
Valeur valeurDe(const py::handle& objet);
// The Python value of an option's value (None for what Python cannot hold).
py::object versPython(const Valeur& v);
// The numbers of a sequence (a list, a tuple, an array) given for `quoi`; TypeError when
// it is not one, ValueError with `quoi` when its length is not `n` (when n >= 0).
std::vector<py::object> elements(const py::handle& objet, long n, const std::string& quoi);
// The camera of one image from {"position": (x, y, z), "rotation": (x, y, z)}, as the
// cameraPos and cameraRot options set it.
void appliqueCamera(CApplication& app, const py::object& camera);
