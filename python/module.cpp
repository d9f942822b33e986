// The Python module `brakmor`: load a scene, look at it, drive its robots, simulate it and
// draw it into an array, without a window or a display server.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "objets_python.h"
#include "scene_python.h"

PYBIND11_MODULE(brakmor, m) {
    m.doc() = "Brakmor : simulateur de bras robot articulé, sans fenêtre.";
    // Raised exceptions keep a reference to their type: the module holds them.
    static py::exception<std::runtime_error> typeErreurScene(m, "ErreurScene");
    static py::exception<std::runtime_error> typeRefus(m, "Refus", PyExc_ValueError);
    erreurScene = typeErreurScene.ptr();
    refus = typeRefus.ptr();
    typeErreurScene.doc() =
        "La scène s'est chargée avec des erreurs ; `diagnostics` les donne, placées.";
    typeRefus.doc() = "Le robot refuse la commande ; le message en donne la raison.";

    py::class_<ScenePython, std::shared_ptr<ScenePython>>(m, "Scene")
        .def(py::init(&ScenePython::depuisFichier), py::arg("chemin"),
             "Charge un fichier de scène comme -check.")
        .def_static("depuis_texte", &ScenePython::depuisTexte, py::arg("texte"),
                    py::arg("dossier") = ".",
                    "Charge une scène écrite dans une chaîne, lue comme un fichier du dossier.")
        .def_property_readonly("robots", &robotsDe)
        .def_property_readonly("instances", &instancesDe)
        .def_property_readonly(
            "options", [](const std::shared_ptr<ScenePython>& s) { return OptionsPython(s); })
        .def("dump", &ScenePython::dump, "La description de -dump.")
        .def("simule", &ScenePython::simule, py::arg("secondes"), py::arg("pas") = 0.01,
             py::arg("trace") = false, "Anime la scène comme -simule.")
        .def("image", &ScenePython::image, py::arg("largeur"), py::arg("hauteur"),
             py::arg("camera") = py::none(), "La vue 3D en tableau (hauteur, largeur, 3) uint8.");

    py::class_<RobotPython>(m, "Robot")
        .def_property_readonly("nom", &RobotPython::nom)
        .def_property("articulations", &RobotPython::articulations, &RobotPython::setArticulations)
        .def_property_readonly("noms_articulations", &RobotPython::nomsArticulations)
        .def_property_readonly("limites", &RobotPython::limites)
        .def_property_readonly("outil", &RobotPython::outil)
        .def_property_readonly("poignet", &RobotPython::poignet)
        .def_property_readonly("commandes", &RobotPython::commandes)
        .def_property_readonly("objet_tenu", &RobotPython::objetTenu)
        .def("mgd", &RobotPython::mgd, py::arg("q"))
        .def("mgi", &RobotPython::mgi, py::arg("pose"))
        .def("deplace_articulaire", &RobotPython::deplaceArticulaire)
        .def("deplace_poignet", &RobotPython::deplacePoignet, py::kw_only(),
             py::arg("rectiligne") = false)
        .def("saisis", &RobotPython::saisis)
        .def("lache", &RobotPython::lache)
        .def("attends", &RobotPython::attends, py::arg("secondes"))
        .def("profil", &RobotPython::profil, py::arg("nom"), py::arg("acceleration"))
        .def("__repr__", [](const RobotPython& r) { return "<brakmor.Robot " + r.nom() + ">"; });

    py::class_<InstancePython>(m, "Instance")
        .def_property_readonly("nom", &InstancePython::nom)
        .def_property_readonly("matrice", &InstancePython::matrice)
        .def_property_readonly("position", &InstancePython::position)
        .def_property_readonly("boite", &InstancePython::boite)
        .def_property_readonly("visible", &InstancePython::visible)
        .def_property_readonly("tombe", &InstancePython::tombe)
        .def_property_readonly("tenu_par", &InstancePython::tenuPar)
        .def("__repr__",
             [](const InstancePython& i) { return "<brakmor.Instance " + i.nom() + ">"; });

    py::class_<OptionsPython>(m, "Options")
        .def("__getitem__", &OptionsPython::lit)
        .def("__setitem__", &OptionsPython::ecrit)
        .def("__contains__", &OptionsPython::contient)
        .def("__len__", [](const OptionsPython& o) { return o.cles().size(); })
        .def("__iter__", [](const OptionsPython& o) { return py::iter(py::cast(o.cles())); })
        .def("keys", &OptionsPython::cles);
}
