// A program built from the logic libraries alone, with no OpenGL, GLU or GLUT library given
// to the linker: that it links at all shows the logic needs no drawing. It loads a scene
// file, runs one simulated second of gravity and robot motion, and prints what it holds.
//   brakmor_logique scene.txt
#include <cstdio>

#include "robot/robot.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "script/script.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage : %s scene.txt\n", argv[0]);
        return 2;
    }
    CScene scene;
    Camera camera;
    Script script(&scene, &camera);
    if (script.charge(argv[1]) != 0) return 3;
    for (int pas = 0; pas < 100; ++pas) {
        scene.appliqueGravite(0.01f);
        for (auto& e : scene.entites)
            if (auto* r = dynamic_cast<Robot*>(e.get())) r->avance(0.01f);
    }
    std::printf("%d entités, %d instances, %d lumières, %d textures\n", scene.nbEntites(),
                scene.nbInstances(), scene.nbLumieres(), scene.nbTextures());
    return 0;
}
