// The animation step, the timer tick, light 0's orbit and the choice of the current robot,
// stepped with a replaced clock.
#include "app/application.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/panneau.h"
#include "metaball/metaballzone.h"

namespace {
std::shared_ptr<Mesh> cube() {
    auto m = std::make_shared<Mesh>(1, 4, 0, 0, "");
    m->ajouteSommet(CVecteur(0, 0, 0), RGBA());
    m->ajouteSommet(CVecteur(1, 1, 1), RGBA());
    return m;
}

class ApplicationTest : public testing::Test {
protected:
    CApplication app;
    long maintenant = 0;
    void SetUp() override {
        app.horloge = [this] { return maintenant; };
        app.elevationLumiere = 45;
        app.distanceLumiere = 150;
    }
};
}  // namespace

TEST_F(ApplicationTest, LumiereZeroPlaceeSurSonOrbite) {
    app.placeLumiere();  // no light: nothing happens
    app.scene.ajouteLumiere(std::make_shared<Lumiere>());
    app.scene.getLumiere(0)->porteOmbre = false;
    app.placeLumiere();
    Lumiere* l = app.scene.getLumiere(0);
    EXPECT_NEAR(l->position.x, -106.066f, 1e-3);
    EXPECT_NEAR(l->position.y, 0.0f, 1e-3);
    EXPECT_NEAR(l->position.z, 106.066f, 1e-3);
    EXPECT_EQ(l->position.w, 1.0f);
    EXPECT_NEAR(l->visee.x, -0.7071f, 1e-4);
    EXPECT_NEAR(l->visee.z, 0.7071f, 1e-4);
    EXPECT_NEAR(l->haut.x, 0.7071f, 1e-4);
    EXPECT_NEAR(l->haut.z, 0.7071f, 1e-4);
    EXPECT_TRUE(l->porteOmbre);
}

TEST_F(ApplicationTest, TicTourneLaLumiereSelonLeTempsReel) {
    app.scene.ajouteLumiere(std::make_shared<Lumiere>());
    app.scene.rotation_lumiere = true;
    app.tic(1);  // first tick: dt = 0
    EXPECT_FLOAT_EQ(app.azimutLumiere, 0);
    maintenant = 1000;
    app.tic(1);
    EXPECT_FLOAT_EQ(app.azimutLumiere, 50);
    maintenant = 8000;  // 7 s more: 400 degrees wrap to 40
    app.tic(1);
    EXPECT_NEAR(app.azimutLumiere, 40, 1e-3);
    app.scene.vitesse_rotation_lumiere = -50;
    maintenant = 9000;
    app.tic(1);
    EXPECT_NEAR(app.azimutLumiere, 350, 1e-3);
    maintenant = 10000;
    app.tic(2);  // another value does nothing
    EXPECT_NEAR(app.azimutLumiere, 350, 1e-3);
}

TEST_F(ApplicationTest, AnimeFaitTomberPuisAnimeLesPrimitives) {
    auto m = cube();
    app.scene.ajouteEntite(m);
    auto chute = std::make_shared<InstanceEntite>(m);
    chute->m[14] = 10;
    app.scene.ajouteInstance(chute);

    auto zone = std::make_shared<MetaballZone>(4.0f, 4, 1.0f);
    auto primitive = zone->ajoutePrimitive("sphere", 1.0f, "sinY", CVecteur(1, 0, 0), 2.0f);
    app.scene.ajouteInstance(primitive);

    app.anime();  // first step: dt = 0, nothing falls
    EXPECT_FLOAT_EQ(chute->m[14], 10);
    maintenant = 100;
    app.anime();  // dt = 0.1: the velocity before the step was 0
    EXPECT_FLOAT_EQ(chute->m[14], 10);
    EXPECT_FLOAT_EQ(chute->vitesse.z, -0.98f);
    maintenant = 200;
    app.anime();
    EXPECT_NEAR(chute->m[14], 10 - 0.098f, 1e-5);
    EXPECT_NEAR(primitive->m[13], 2 * std::sin(0.2f), 1e-5);
    EXPECT_FLOAT_EQ(primitive->m[12], 1);
    // A primitive subject to gravity is not animated.
    primitive->tombe = true;
    primitive->m[13] = 0;
    primitive->m[14] = 0;
    maintenant = 300;
    app.anime();
    EXPECT_FLOAT_EQ(primitive->m[13], 0);
}

// What keeps the main loop drawing: an object in the air, a rotating light, an animated
// primitive; an object on the floor or resting on another lets it wait for events.
TEST_F(ApplicationTest, EnMouvementTantQueQuelqueChoseBouge) {
    EXPECT_FALSE(app.enMouvement());
    auto m = cube();
    app.scene.ajouteEntite(m);
    auto socle = std::make_shared<InstanceEntite>(m);
    socle->tombe = false;
    app.scene.ajouteInstance(socle);
    auto dessus = std::make_shared<InstanceEntite>(m);
    dessus->m[14] = 5;  // released in the air, no speed yet
    app.scene.ajouteInstance(dessus);
    EXPECT_TRUE(app.enMouvement());
    dessus->m[14] = 1;  // resting on the other one's top
    EXPECT_FALSE(app.enMouvement());
    app.scene.rotation_lumiere = true;
    EXPECT_TRUE(app.enMouvement());
    app.scene.rotation_lumiere = false;
    auto zone = std::make_shared<MetaballZone>(4.0f, 4, 1.0f);
    app.scene.ajouteInstance(
        zone->ajoutePrimitive("sphere", 1.0f, "sinY", CVecteur(1, 0, 0), 2.0f));
    EXPECT_TRUE(app.enMouvement());
}

TEST_F(ApplicationTest, SansRobotLaLigneRouge) {
    testing::internal::CaptureStdout();
    app.choisitRobotCourant();
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "\033[31mErreur: Aucune robot n'a été défini dans le fichier de scène !\n\033[34m\033[0m");
    EXPECT_EQ(app.robotCourant, nullptr);
    app.clavier('p', 0, false);  // nothing to empty, nothing breaks
    app.controle(IdControle::Atteint);
}
