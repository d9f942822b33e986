// A scene as Python sees it: loaded as the headless check loads it, simulated as "-simule"
// steps it, described as "-dump" writes it and drawn off screen. It owns everything it uses
// (the application with its scene and interpreter, its OpenGL context, its simulated clock):
// two scenes in one process share nothing.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "app/application.h"

class ContexteHorsEcran;

namespace py = pybind11;

class ScenePython {
public:
    // Raise OSError for a path that is not a readable file, brakmor.ErreurScene when the
    // scene loads with boxes or error lines.
    static std::shared_ptr<ScenePython> depuisFichier(const std::string& chemin);
    static std::shared_ptr<ScenePython> depuisTexte(const std::string& texte,
                                                    const std::string& dossier);
    ~ScenePython();

    CApplication& app() { return *app_; }

    // The same description as "-dump", as Python values.
    py::object dump();
    // Steps the animation by `secondes` in steps of `pas` seconds (a whole number of
    // milliseconds); with `trace`, the "-trace" columns of every step, else None.
    py::object simule(double secondes, double pas, bool trace);
    // The 3D view alone, `hauteur` rows of `largeur` RGB pixels, top row first. `camera`:
    // None, or a mapping with "position" and / or "rotation" (the cameraPos and cameraRot
    // options) used for this image only.
    py::array_t<unsigned char> image(int largeur, int hauteur, const py::object& camera);

private:
    ScenePython();
    // Runs the load; raises as depuisFichier says.
    void charge(const std::function<int(Script&)>& lecture);

    std::unique_ptr<CApplication> app_;
    std::unique_ptr<ContexteHorsEcran> contexte_;
    long temps_ = 0;  // the simulated clock, milliseconds
    int largeurImage_ = 0, hauteurImage_ = 0;
};

// brakmor.ErreurScene, brakmor.Refus (set up by the module).
extern PyObject* erreurScene;
extern PyObject* refus;
