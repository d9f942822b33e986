// Box meshes and a small test robot shared by the robot and gravity tests.
#pragma once

#include <array>
#include <memory>

#include "geometrie/mesh.h"
#include "robot/robot.h"
#include "scene/scene.h"

// A mesh that is only the eight corners of the box [a, b].
inline std::shared_ptr<Mesh> maillageBoite(CVecteur a, CVecteur b) {
    auto m = std::make_shared<Mesh>(0, 8, 0, 0, "boite");
    for (int i = 0; i < 8; ++i)
        m->ajouteSommet(CVecteur(i & 1 ? b.x : a.x, i & 2 ? b.y : a.y, i & 4 ? b.z : a.z), RGBA());
    return m;
}

// The lengths of the test arm. The links give H0 = 10 + 5 = 15 and D = 4 + 6 = 10.
struct DimensionsRobot {
    float L0 = 10, L1 = 5, L2 = 100, L3 = 80, L4 = 5, L5 = 5, L6 = 5, L7 = 8, L8 = 20;
    float vitesse = 30;  // degrees per second, all four joints
    float toleranceSaisie = 1;
    float rayonMin = 20;
};

inline std::array<std::shared_ptr<Mesh>, 11> liensDeTest() {
    return {
        maillageBoite({-10, -10, 0}, {10, 10, 10}),  // socle
        maillageBoite({-8, -8, -5}, {8, 8, 5}),      // tourelle
        maillageBoite({0, -2, -2}, {100, 2, 2}),     // bras
        maillageBoite({0, -1, -1}, {100, 1, 1}),     // barreEpaule
        maillageBoite({0, -1, -1}, {5, 1, 1}),       // barreCoude
        maillageBoite({0, -2, -2}, {80, 2, 2}),      // avantBras
        maillageBoite({0, -1, -1}, {80, 1, 1}),      // barreAvantBras
        maillageBoite({-2, -2, -4}, {5, 2, 2}),      // poignet
        maillageBoite({-2, -2, -6}, {2, 2, 0}),      // pince
        maillageBoite({0, -1, -1}, {3, 1, 1}),       // barreBras
        maillageBoite({0, -1, -1}, {20, 1, 1}),      // bielle
    };
}

inline std::shared_ptr<Robot> robotDeTest(std::vector<std::shared_ptr<Instance>>* liste,
                                          const DimensionsRobot& d = DimensionsRobot()) {
    const std::array<float, 15> nombres = {
        d.L0,      d.L1, d.L2,      d.L3,      d.L4,      d.L5,      d.L6,
        d.L7,      d.L8, d.vitesse, d.vitesse, d.vitesse, d.vitesse, d.toleranceSaisie,
        d.rayonMin};
    return std::make_shared<Robot>(nombres, liensDeTest(), liste);
}

// An instance of a box mesh whose bottom face lies at local z = 0, placed at (x, y, z).
inline std::shared_ptr<InstanceEntite> instanceBoite(CVecteur taille, CVecteur position) {
    auto e =
        maillageBoite({-taille.x / 2, -taille.y / 2, 0}, {taille.x / 2, taille.y / 2, taille.z});
    auto i = std::make_shared<InstanceEntite>(e);
    static_cast<CMatrice&>(*i) = CMatrice::translation(position);
    return i;
}

inline void boiteDe(Instance& i, CVecteur& min, CVecteur& max) { i.getBoiteEnglobante(min, max); }
