// The whole scene language: each input is a scene file loaded with Script::charge into one
// interpreter and scene, both emptied afterwards. Relative names reach the test data and
// the demo meshes; "inclus.txt" is a small scene to include and "scene.txt" the input
// itself (a self-include).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "commun.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "script/script.h"

namespace {
CScene* scene;
Camera* camera;
Script* script;

// Loading must leave no statement half-evaluated, and hand over only real objects.
void verifie() {
    if (!script->pile_param.empty() || script->tampon) std::abort();
    for (const auto& i : scene->instances)
        if (!i) std::abort();
    for (const auto& e : scene->entites)
        if (!e) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepare();
    std::ofstream(fuzz::dossier() + "inclus.txt")
        << "c = rgb(10, 20, 30);\nm = chargeWaveFront(\"wf_cube.obj\", true);\n"
           "i = instancieEntite(&m);\nmatriceTranslate(&i, (1, 2, 3));\n";
    scene = new CScene;
    camera = new Camera;
    script = new Script(scene, camera);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    const std::string& fichier = fuzz::ecrit("scene.txt", data, taille);
    script->charge(fichier.c_str());
    verifie();
    script->vide();
    if (!script->variables.empty() || scene->nbInstances() || scene->nbEntites()) std::abort();
    return 0;
}
