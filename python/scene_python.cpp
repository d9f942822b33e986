#include "scene_python.h"

#include <fcntl.h>
#include <pybind11/stl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <stdexcept>

#include "app/dump.h"
#include "boites.h"
#include "conversions.h"
#include "dessin/contexte_hors_ecran.h"
#include "dessin/lecture_image.h"
#include "robot/bras_pilote.h"
#include "robot/robot.h"
#include "script/options.h"
#include "script/script.h"

PyObject* erreurScene = nullptr;
PyObject* refus = nullptr;

namespace {
// The longest simulated time one call accepts, as "-simule".
constexpr double SIMULATION_MAX = 1e12;
// The largest image side accepted.
constexpr int COTE_MAX = 16384;
// The frames drawn before the one read, on a new surface: what the drawing keeps from one
// frame to the next (the still casters' depths) is then in use, as in the window's capture.
constexpr int IMAGES_PREPARATOIRES = 5;

[[noreturn]] void erreurSysteme(int numero, const std::string& chemin) {
    errno = numero;
    PyErr_SetFromErrnoWithFilename(PyExc_OSError, chemin.c_str());
    throw py::error_already_set();
}

// A path the loader can read: a regular file that opens.
void verifieLisible(const std::string& chemin) {
    struct stat etat {};
    if (stat(chemin.c_str(), &etat) != 0) erreurSysteme(errno, chemin);
    if (S_ISDIR(etat.st_mode)) erreurSysteme(EISDIR, chemin);
    if (!S_ISREG(etat.st_mode)) erreurSysteme(EINVAL, chemin);
    const int fd = open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) erreurSysteme(errno, chemin);
    close(fd);
}

// "fichier:ligne: [titre] message", as standard error places them.
std::string texteDiagnostic(const Diagnostic& d) {
    std::string t = d.fichier.empty() ? "" : d.fichier + ":" + std::to_string(d.ligne) + ": ";
    if (d.boite) t += "[" + d.titre + "] ";
    return t + d.message;
}

[[noreturn]] void leveErreurScene(const std::vector<Diagnostic>& diagnostics) {
    py::list liste;
    std::string message = "la scène n'a pas été chargée sans erreur (" +
                          std::to_string(diagnostics.size()) + " message(s)) :";
    for (const Diagnostic& d : diagnostics) {
        py::dict e;
        e["fichier"] = d.fichier.empty() ? py::object(py::none()) : py::str(d.fichier);
        e["ligne"] = d.fichier.empty() ? py::object(py::none()) : py::int_(d.ligne);
        e["genre"] = d.boite ? "boite" : "console";
        e["titre"] = d.boite ? py::object(py::str(d.titre)) : py::object(py::none());
        e["message"] = d.message;
        liste.append(e);
        message += "\n" + texteDiagnostic(d);
    }
    py::object erreur = py::reinterpret_borrow<py::object>(erreurScene)(message);
    erreur.attr("diagnostics") = liste;
    PyErr_SetObject(erreurScene, erreur.ptr());
    throw py::error_already_set();
}
}  // namespace

ScenePython::ScenePython() : app_(std::make_unique<CApplication>()) {
    // Simulated time only: the clock is this scene's.
    app_->horloge = [this] { return temps_; };
}

ScenePython::~ScenePython() {
    // The scene's textures and buffers are freed in its own context, then the context goes.
    if (contexte_) {
        try {
            contexte_->active(largeurImage_, hauteurImage_);
        } catch (const std::exception&) {
            // Without it, OpenGL's objects go with the context.
        }
        app_.reset();
        contexte_->desactive();
        contexte_.reset();
    }
}

void ScenePython::charge(const std::function<int(Script&)>& lecture) {
    BoitesRecueillies boites;
    const int avant = console.nbBoites();
    app_->chargeSansFenetre(lecture);
    std::vector<Diagnostic> diagnostics = console.diagnostics();
    if (app_->statutChargement != 0 && diagnostics.empty()) {
        Diagnostic d;
        d.message = "Impossible de lire le fichier scène !";
        diagnostics.push_back(d);
    }
    // A box, or an error line printed while the scene loaded, fails the load as the check.
    if (app_->statutChargement != 0 || console.nbBoites() != avant || !diagnostics.empty())
        leveErreurScene(diagnostics);
}

std::shared_ptr<ScenePython> ScenePython::depuisFichier(const std::string& chemin) {
    verifieLisible(chemin);
    std::shared_ptr<ScenePython> s(new ScenePython());
    s->app_->fichierScene = chemin;
    s->charge([&chemin](Script& script) { return script.charge(chemin.c_str()) != 0 ? 3 : 0; });
    return s;
}

std::shared_ptr<ScenePython> ScenePython::depuisTexte(const std::string& texte,
                                                      const std::string& dossier) {
    struct stat etat {};
    const std::string d = dossier.empty() ? "." : dossier;
    if (stat(d.c_str(), &etat) != 0) erreurSysteme(errno, d);
    if (!S_ISDIR(etat.st_mode)) erreurSysteme(ENOTDIR, d);
    std::shared_ptr<ScenePython> s(new ScenePython());
    s->charge([&texte, &dossier](Script& script) {
        return script.chargeTexte(texte, dossier) != 0 ? 3 : 0;
    });
    return s;
}

py::object ScenePython::dump() {
    return py::module_::import("json").attr("loads")(texteDump(*app_));
}

py::object ScenePython::simule(double secondes, double pas, bool trace) {
    if (!(std::isfinite(secondes) && secondes >= 0 && secondes <= SIMULATION_MAX))
        throw py::value_error("simule : valeur « " + texteNombre(secondes) +
                              " » refusée (il faut un nombre de secondes de 0 à 1e12)");
    const double pasMs = pas * 1000.0;
    if (!(std::isfinite(pasMs) && pasMs >= 1 && pasMs <= SIMULATION_MAX * 1000.0 &&
          std::abs(pasMs - std::round(pasMs)) < 1e-6))
        throw py::value_error("simule : pas « " + texteNombre(pas) +
                              " » refusé (il faut un nombre entier de millisecondes, au moins "
                              "0.001 seconde)");
    // The columns of the motion trace, for the driven arm, one row a step, named as the
    // trace's header names them.
    std::vector<double> temps;
    BrasPilote* bras = app_->brasPilote();
    const std::vector<std::string> noms = bras ? bras->colonnesTrace() : std::vector<std::string>();
    std::vector<std::vector<float>> colonnes(noms.size());
    std::vector<std::string> tenus;
    std::vector<long long> commandes;
    std::function<void()> apresPas;
    CApplication& a = *app_;
    if (trace)
        apresPas = [&] {
            BrasPilote* b = a.brasPilote();
            if (!b) return;
            temps.push_back(a.tempsAnimation);
            const std::vector<float> v = b->valeursTrace();
            for (std::size_t k = 0; k < colonnes.size() && k < v.size(); ++k)
                colonnes[k].push_back(v[k]);
            tenus.push_back(a.nomInstance(b->objetTenu()));
            commandes.push_back(static_cast<long long>(b->nbCommandes()));
        };
    if (secondes > 0) {
        // Ctrl-C stops a long run between steps.
        long n = 0;
        bool interrompu = false;
        const auto continuer = [&] {
            if (++n % 4096 == 0 && PyErr_CheckSignals() != 0) interrompu = true;
            return !interrompu;
        };
        a.simule(temps_, temps_ + std::lround(secondes * 1000.0), std::lround(pasMs), continuer,
                 apresPas);
        if (interrompu) throw py::error_already_set();
    }
    if (!trace) return py::none();
    py::dict d;
    d["temps_s"] = tableau(temps);
    for (std::size_t k = 0; k < noms.size(); ++k)
        d[py::str(noms[k])] = tableau(std::vector<double>(colonnes[k].begin(), colonnes[k].end()));
    d["objet_tenu"] = py::module_::import("numpy").attr("array")(py::cast(tenus), "str");
    d["commandes"] =
        py::array_t<long long>(static_cast<py::ssize_t>(commandes.size()), commandes.data());
    return d;
}

py::array_t<unsigned char> ScenePython::image(int largeur, int hauteur, const py::object& camera) {
    if (largeur < 1 || hauteur < 1 || largeur > COTE_MAX || hauteur > COTE_MAX)
        throw py::value_error("image : taille " + std::to_string(largeur) + "x" +
                              std::to_string(hauteur) + " refusée (de 1 à " +
                              std::to_string(COTE_MAX) + " pixels de côté)");
    // The camera of this image only.
    const Camera gardee = app_->camera;
    if (!camera.is_none()) appliqueCamera(*app_, camera);
    struct Restaure {
        CApplication& a;
        Camera c;
        ~Restaure() { a.camera = c; }
    } restaure{*app_, gardee};

    const bool premier = !contexte_;
    if (premier) {
        try {
            contexte_ = std::make_unique<ContexteHorsEcran>();
        } catch (const std::exception& e) {
            throw std::runtime_error(e.what());
        }
    }
    contexte_->active(largeur, hauteur);
    largeurImage_ = largeur;
    hauteurImage_ = hauteur;
    struct Desactive {
        ContexteHorsEcran& c;
        ~Desactive() { c.desactive(); }
    } desactive{*contexte_};
    if (premier) app_->installeGL();
    const int images = contexte_->neuf() ? IMAGES_PREPARATOIRES + 1 : 1;
    for (int i = 0; i < images; ++i) app_->afficheVueSeule(largeur, hauteur);
    const std::vector<unsigned char> pixels = litImageRGB(largeur, hauteur);
    py::array_t<unsigned char> image({hauteur, largeur, 3});
    std::copy(pixels.begin(), pixels.end(), image.mutable_data());
    return image;
}
