// Loading a scene file: run it, then hand the instances, entities, textures and materials
// left in the variables over to the scene.
#include <memory>
#include <new>
#include <sstream>
#include <unordered_set>

#include "commun/console.h"
#include "commun/lieu_lecture.h"
#include "geometrie/mesh.h"
#include "robot/bras_chaine.h"
#include "robot/robot.h"
#include "scene/scene.h"
#include "script/script.h"

namespace {
// The objects already in one of the scene's lists, so that each is registered once.
class DejaVus {
public:
    template <class T>
    explicit DejaVus(const std::vector<std::shared_ptr<T>>& liste) {
        for (const auto& p : liste) vus_.insert(p.get());
    }
    // True the first time an object is offered.
    bool nouveau(const void* objet) { return vus_.insert(objet).second; }

private:
    std::unordered_set<const void*> vus_;
};

// The scene's four lists, each with the objects it holds already.
struct Remise {
    CScene& scene;
    DejaVus instances, entites, textures, materiaux;
    explicit Remise(CScene& s)
        : scene(s),
          instances(s.instances),
          entites(s.entites),
          textures(s.textures),
          materiaux(s.materiaux) {}

    // Registers the variable's object when it is a scene object: true when the variable
    // must then leave the script.
    bool prend(const std::string& nom, const Valeur& v) {
        switch (v.type) {
            case T_INSTANCE:
                if (auto o = v.objet<Instance>()) {
                    if (instances.nouveau(o.get())) {
                        // Its name for the user, whatever order gravity gives the list.
                        if (o->nom.empty()) o->nom = nom;
                        scene.ajouteInstance(o);
                    }
                    return true;
                }
                return false;
            case T_ENTITE:
                if (auto o = v.objet<Entite>()) {
                    if (entites.nouveau(o.get())) {
                        // A robot is named by its variable (an arm read from a description
                        // too, rather than by the description's name); a mesh keeps its
                        // file's name.
                        if ((o->nom.empty() && dynamic_cast<Robot*>(o.get())) ||
                            dynamic_cast<BrasChaine*>(o.get()))
                            o->nom = nom;
                        scene.ajouteEntite(o);
                    }
                    return true;
                }
                return false;
            case T_TEXTURE:
                if (auto o = v.objet<Texture>()) {
                    if (textures.nouveau(o.get())) {
                        o->nom = nom;
                        scene.ajouteTexture(o);
                    }
                    return true;
                }
                return false;
            case T_MATERIAL:
                if (auto o = v.objet<Material>())
                    if (materiaux.nouveau(o.get())) scene.ajouteMaterial(o);
                return true;
            default: return false;
        }
    }

    // An instance keeps its entity alive even when no variable holds it any more (it was
    // destroyed or reassigned): the scene takes it too, so that robots are found and
    // animated like any other. Likewise a texture that only a registered mesh still holds
    // must be installed.
    void prendObjetsTenus() {
        for (const auto& instance : scene.instances) {
            auto ie = std::dynamic_pointer_cast<InstanceEntite>(instance);
            if (ie && ie->entite && entites.nouveau(ie->entite.get()))
                scene.ajouteEntite(ie->entite);
        }
        for (const auto& entite : scene.entites) {
            auto mesh = std::dynamic_pointer_cast<Mesh>(entite);
            if (mesh && mesh->textureTenue && textures.nouveau(mesh->textureTenue.get()))
                scene.ajouteTexture(mesh->textureTenue);
        }
    }
};
}  // namespace

int Script::charge(const char* nomFichier) {
    if (!nomFichier) throw pointeur_null("Script::charge: pointeur null");
    const std::string nom = nomFichier;
    const std::size_t separateur = nom.find_last_of("/:\\");
    return chargeDepuis(
        nom, separateur == std::string::npos ? std::string() : nom.substr(0, separateur + 1),
        [this, &nom] { return aux_lit_fichier(nom); });
}

int Script::chargeTexte(const std::string& texte, const std::string& dossier) {
    const std::string repertoireTexte =
        dossier.empty() || dossier.back() == '/' ? dossier : dossier + "/";
    return chargeDepuis(NOM_TEXTE, repertoireTexte, [this, &texte, &repertoireTexte] {
        std::stringbuf source(texte, std::ios::in | std::ios::binary);
        // Its includes are read beside it, as those of a file of that folder.
        return litSource(source, repertoireTexte + NOM_TEXTE, NOM_TEXTE);
    });
}

int Script::chargeDepuis(const std::string& nom, const std::string& dossier,
                         const std::function<bool()>& lecture) {
    // The console keeps what this load reports (the headless check and the dump read it).
    lieuLecture::Chargement chargement;
    fichiersLus_.clear();
    fichiersNotes_.clear();
    console << "\033[34m"
            << "lecture du fichier " << nom << "\033[49m"
            << "\n";
    repertoire = dossier;

    // 1. Run the file with a statement buffer of its own.
    const int lecture_ = litAvecTampon(lecture);
    if (lecture_ != 0) return lecture_;
    // 2. Hand the scene objects over, in name order; an object shared by several variables
    // is registered once, under the first of their names. 3. Then the objects only they hold.
    if (scene) {
        Remise remise(*scene);
        for (auto it = variables.begin(); it != variables.end();) {
            const bool prise = remise.prend(it->first, it->second);
            if (prise && it->second.type == T_ENTITE)
                entitesRemises[it->first] = it->second.adresse();
            it = prise ? variables.erase(it) : std::next(it);
        }
        remise.prendObjetsTenus();

        // 4. The counts.
        console << "  " << scene->nbEntites() << " entité(s) lue(s)\n";
        console << "  " << scene->nbTextures() << " textures(s) lue(s)\n";
        console << "  " << scene->nbLumieres() << " lumière(s) lue(s)\n";
        console << "  " << scene->nbInstances() << " instance(s) d'entité ajoutée(s)\n";
    }
    console << "\033[0m";
    return 0;
}

void Script::noteFichier(const std::string& chemin) {
    if (fichiersNotes_.insert(chemin).second) fichiersLus_.push_back(chemin);
}

int Script::litAvecTampon(const std::function<bool()>& lecture) {
    std::unique_ptr<char[]> bloc(new (std::nothrow) char[TAILLE_TAMPON]);
    if (!bloc) return 2;
    tampon = bloc.get();
    bool lu = false;
    try {
        lu = lecture();
    } catch (...) {
        tampon = nullptr;
        throw;
    }
    tampon = nullptr;
    if (!pile_param.empty()) {
        console.trace("Erreur assertion pile_param.size() == 0");
        pile_param.clear();
    }
    if (!lu) {
        vide();
        return 3;
    }
    return 0;
}
