// Loading a scene file: run it, then hand the instances, entities, textures and materials
// left in the variables over to the scene.
#include <memory>
#include <new>
#include <unordered_set>

#include "commun/console.h"
#include "geometrie/mesh.h"
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
}  // namespace

int Script::charge(const char* nomFichier) {
    if (!nomFichier) throw pointeur_null("Script::charge: pointeur null");
    const std::string nom = nomFichier;
    console << "\033[34m"
            << "lecture du fichier " << nom << "\033[49m"
            << "\n";

    const std::size_t separateur = nom.find_last_of("/:\\");
    repertoire = separateur == std::string::npos ? std::string() : nom.substr(0, separateur + 1);

    std::unique_ptr<char[]> bloc(new (std::nothrow) char[TAILLE_TAMPON]);
    if (!bloc) return 2;
    tampon = bloc.get();
    bool lu = false;
    try {
        lu = aux_lit_fichier(nom);
    } catch (...) {
        tampon = nullptr;
        throw;
    }
    tampon = nullptr;
    bloc.reset();
    if (!pile_param.empty()) {
        console.trace("Erreur assertion pile_param.size() == 0");
        pile_param.clear();
    }

    if (!lu) {
        vide();
        return 3;
    }

    if (scene) {
        DejaVus instances(scene->instances), entites(scene->entites), textures(scene->textures),
            materiaux(scene->materiaux);
        // In name order. An object shared by several variables is registered once.
        for (auto it = variables.begin(); it != variables.end();) {
            Valeur& v = it->second;
            bool retire = false;
            switch (v.type) {
                case T_INSTANCE:
                    if (auto o = v.objet<Instance>()) {
                        if (instances.nouveau(o.get())) scene->ajouteInstance(o);
                        retire = true;
                    }
                    break;
                case T_ENTITE:
                    if (auto o = v.objet<Entite>()) {
                        if (entites.nouveau(o.get())) scene->ajouteEntite(o);
                        retire = true;
                    }
                    break;
                case T_TEXTURE:
                    if (auto o = v.objet<Texture>()) {
                        if (textures.nouveau(o.get())) {
                            o->nom = it->first;
                            scene->ajouteTexture(o);
                        }
                        retire = true;
                    }
                    break;
                case T_MATERIAL:
                    if (auto o = v.objet<Material>())
                        if (materiaux.nouveau(o.get())) scene->ajouteMaterial(o);
                    retire = true;
                    break;
                default:
                    break;
            }
            it = retire ? variables.erase(it) : std::next(it);
        }

        // An instance keeps its entity alive even when no variable holds it any more (it was
        // destroyed or reassigned): the scene takes it too, so that robots are found and
        // animated like any other.
        for (const auto& instance : scene->instances) {
            auto ie = std::dynamic_pointer_cast<InstanceEntite>(instance);
            if (ie && ie->entite && entites.nouveau(ie->entite.get()))
                scene->ajouteEntite(ie->entite);
        }
        // Likewise a texture that only a registered mesh still holds must be installed.
        for (const auto& entite : scene->entites) {
            auto mesh = std::dynamic_pointer_cast<Mesh>(entite);
            if (mesh && mesh->textureTenue && textures.nouveau(mesh->textureTenue.get()))
                scene->ajouteTexture(mesh->textureTenue);
        }

        console << "  " << scene->nbEntites() << " entité(s) lue(s)\n";
        console << "  " << scene->nbTextures() << " textures(s) lue(s)\n";
        console << "  " << scene->nbLumieres() << " lumière(s) lue(s)\n";
        console << "  " << scene->nbInstances() << " instance(s) d'entité ajoutée(s)\n";
    }
    console << "\033[0m";
    return 0;
}
