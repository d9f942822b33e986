// What a scene shows Python: its robots, driven as the scripted builtins drive them; its
// instances; its display options by name. Each keeps its scene alive.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "scene_python.h"

class Entite;
class Instance;
class Robot;

class RobotPython {
public:
    RobotPython(std::shared_ptr<ScenePython> scene, std::shared_ptr<Entite> entite)
        : scene_(std::move(scene)), entite_(std::move(entite)) {}

    std::string nom() const;
    // Degrees, or scene units for sliding joints.
    py::array_t<double> articulations() const;
    // Moves the arm at once, as the panel does; brakmor.Refus when the pose is refused.
    void setArticulations(const py::object& q);
    // One row (min, max) a joint; infinite for a continuous joint.
    py::array_t<double> limites() const;
    std::vector<std::string> nomsArticulations() const;
    // {"position": (3,), "rotation": (3, 3)} in the scene's frame, as the dump gives it.
    py::dict outil() const;
    // The wrist (X, Y, Z, THETA) in the robot's frame (four-joint arm).
    py::array_t<double> poignet() const;
    // The direct model: the wrist (x, y, z, theta) the joints give, without moving.
    py::array_t<double> mgd(const py::object& q) const;
    // The inverse model: the joints that bring the wrist exactly to (x, y, z, theta).
    py::array_t<double> mgi(const py::object& pose) const;

    // Commands queued by the builtins of the same name.
    void deplaceArticulaire(const py::args& q);
    void deplacePoignet(const py::args& pose, const py::object& rectiligne);
    void saisis();
    void lache();
    void attends(const py::object& secondes);
    void profil(const py::object& nom, const py::object& acceleration);
    std::size_t commandes() const;
    py::object objetTenu() const;

private:
    // The four-joint arm, or TypeError with the builtin's own words for another kind.
    Robot& bras(const char* builtin) const;
    // Runs the builtin on this robot with these arguments, as a scene file's call.
    void appelle(const char* builtin, std::vector<py::object> arguments);

    std::shared_ptr<ScenePython> scene_;
    std::shared_ptr<Entite> entite_;
};

class InstancePython {
public:
    InstancePython(std::shared_ptr<ScenePython> scene, std::shared_ptr<Instance> instance)
        : scene_(std::move(scene)), instance_(std::move(instance)) {}
    std::string nom() const;
    // The 4×4 placement, rows of a matrix that multiplies column vectors.
    py::array_t<double> matrice() const;
    py::array_t<double> position() const;
    // Its world box: (2, 3), min then max.
    py::array_t<double> boite() const;
    bool visible() const;
    bool tombe() const;
    // The robot holding it, or None.
    py::object tenuPar() const;

private:
    std::shared_ptr<ScenePython> scene_;
    std::shared_ptr<Instance> instance_;
};

class OptionsPython {
public:
    explicit OptionsPython(std::shared_ptr<ScenePython> scene) : scene_(std::move(scene)) {}
    py::object lit(const std::string& cle) const;
    // As a scene file's assignment: the option's own type (an int for a float too), a
    // finite number; TypeError or ValueError with the interpreter's words otherwise.
    void ecrit(const std::string& cle, const py::object& valeur);
    std::vector<std::string> cles() const;
    bool contient(const std::string& cle) const;

private:
    int indice(const std::string& cle) const;
    std::shared_ptr<ScenePython> scene_;
};

// By name, in registry order, as the dump names them.
py::dict robotsDe(const std::shared_ptr<ScenePython>& scene);
py::dict instancesDe(const std::shared_ptr<ScenePython>& scene);
