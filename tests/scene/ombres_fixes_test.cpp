// What light 0's depth pass keeps from frame to frame.
#include "scene/ombres_fixes.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "geometrie/mesh.h"
#include "scene/scene.h"

namespace {
using Action = OmbresFixes::Action;

std::shared_ptr<Mesh> triangles(int n) {
    auto m = std::make_shared<Mesh>(0, 0, 0, 0, "t");
    for (int s = 0; s < 3; ++s) m->ajouteSommet(CVecteur(s, s * s, 1), RGBA(1, 1, 1, 1));
    for (int k = 0; k < n; ++k) {
        const int f = m->ajouteFace(3, 0, nullptr);
        for (int s = 0; s < 3; ++s) m->ajouteSommetFace(f, s, -1, -1);
    }
    return m;
}
}  // namespace

// One scene's life: still meshes are kept once still for two frames and only while they,
// the light and the rest stay as they were; a mesh that moves is drawn at each frame until
// it has settled long enough to join them.
TEST(OmbresFixes, GardeCeQuiResteImmobileEtRefaitLaCarteAuBonMoment) {
    OmbresFixes o;
    o.seuilTriangles = 100;
    o.delaiAjout = 5;
    std::vector<std::shared_ptr<Instance>> instances;
    auto gros = triangles(150);
    auto immobile = std::make_shared<InstanceEntite>(gros);
    auto mobile = std::make_shared<InstanceEntite>(triangles(10));
    auto petit = std::make_shared<InstanceEntite>(triangles(10));
    instances = {immobile, mobile, petit};
    float x = 0;
    auto image = [&](const std::vector<double>& cle = {1, 2, 3}) {
        x += 1;
        mobile->matrice() = CMatrice::translation(CVecteur(x, 0, 0));
        return o.prepare(cle, instances);
    };

    EXPECT_EQ(image(), Action::ToutDessiner);  // nothing known yet
    EXPECT_EQ(image(), Action::ToutDessiner);  // still for one frame only
    EXPECT_EQ(image(), Action::Reconstruire);
    EXPECT_TRUE(o.fixe(immobile.get()));
    EXPECT_TRUE(o.fixe(petit.get()));
    EXPECT_FALSE(o.fixe(mobile.get()));
    EXPECT_EQ(image(), Action::Restaurer);

    // Whatever a kept mesh's depths depend on makes the map useless at once.
    gros->marqueModifie();
    EXPECT_EQ(image(), Action::ToutDessiner);  // the rest is below the threshold
    EXPECT_FALSE(o.fixe(immobile.get()));
    image();
    EXPECT_EQ(image(), Action::Reconstruire);
    petit->visible = false;
    EXPECT_EQ(image(), Action::Reconstruire);  // the big one is still, the small one left
    EXPECT_FALSE(o.fixe(petit.get()));
    EXPECT_EQ(image({1, 2, 4}), Action::ToutDessiner);  // the light moved
    EXPECT_EQ(image({1, 2, 4}), Action::Reconstruire);
    instances.erase(instances.begin() + 1);
    EXPECT_EQ(image({1, 2, 4}), Action::Restaurer);  // the one gone was not kept
    instances.erase(instances.begin());
    EXPECT_EQ(image({1, 2, 4}), Action::ToutDessiner);  // the kept one is gone
    EXPECT_FALSE(o.fixe(immobile.get()));

    // The moving mesh stops: it joins a new map after delaiAjout still frames, once.
    instances = {immobile, mobile};
    for (int k = 0; k < 3; ++k) image({1, 2, 4});
    ASSERT_EQ(image({1, 2, 4}), Action::Restaurer);
    int reconstructions = 0;
    for (int k = 0; k < 12; ++k) {
        x -= 1;  // cancels the move of each frame
        reconstructions += image({1, 2, 4}) == Action::Reconstruire;
    }
    EXPECT_EQ(reconstructions, 1);
    EXPECT_TRUE(o.fixe(mobile.get()));
}
