// The command queue of an arm read from a description, on the gantry of tests/data/urdf
// (a carriage sliding along x, a column turning about z, a slide down): a pick and place
// through the queue, and what it refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "robot/bras_chaine.h"
#include "robot/fabrique_robot.h"

namespace {

// At the scale of 100 the tool point is at (30 + x, 0, 60 - descente) for a column at 0°;
// speeds: 50 units/s along x, 57.3°/s about z, 20 units/s down.
class PortiqueTest : public ::testing::Test {
protected:
    CScene scene;
    std::shared_ptr<BrasChaine> bras;
    std::shared_ptr<InstanceEntite> boite;

    void SetUp() override {
        OptionsURDF o;
        o.echelle = 100;
        bras = std::make_shared<BrasChaine>(lisURDF("urdf/portique.urdf", o));
        bras->listeInstances = &scene.instances;
        scene.ajouteInstance(std::make_shared<InstanceEntite>(bras));
        scene.instances.back()->tombe = false;
        // A 10-unit cube standing on something 15 units high: its top at z = 25.
        boite = instanceBoite({10, 10, 10}, {30, 0, 15});
        boite->tombe = false;
        scene.ajouteInstance(boite);
    }

    // Steps of 10 ms until the queue is empty (at most `secondes`), gravity included.
    double joue(double secondes) {
        double t = 0;
        while (bras->nbCommandes() > 0 && t < secondes) {
            bras->avance(0.01f);
            scene.appliqueGravite(0.01f);
            t += 0.01;
        }
        return t;
    }
};

TEST_F(PortiqueTest, PrendPorteEnLigneDroiteEtLache) {
    bras->profil = {GenreProfil::Trapeze, 100, {}};
    // Down onto the cube's top, grip, straight up, across with a quarter turn, release.
    ASSERT_EQ(bras->ajouteDeplacement({0, 0, 35}, false), "");
    bras->ajouteSaisie();
    std::vector<double> haut;
    CibleOutil cible;
    cible.pose.translation() = Eigen::Vector3d(30, 0, 45);
    ASSERT_EQ(bras->articulationsVers(cible, haut), "");
    EXPECT_NEAR(haut[2], 15, 1e-4);  // from the pose the queue leaves: only the slide moves
    ASSERT_EQ(bras->ajouteDeplacement(haut, true), "");
    ASSERT_EQ(bras->ajouteDeplacement({-10, 90, 15}, false), "");
    bras->ajouteLacher();

    // Held after the straight line: the cube hangs under the tool, whose path was straight.
    double t = 0;
    while (bras->nbCommandes() > 2 && t < 20) {
        bras->avance(0.01f);
        scene.appliqueGravite(0.01f);
        t += 0.01;
    }
    ASSERT_EQ(bras->objetTenu(), boite.get());
    EXPECT_EQ(boite->getLien(), bras.get());
    EXPECT_NEAR(boite->m[14], 15 + 20, 1e-3);
    const TrajectoireOutil& trace = bras->trajectoireOutil();
    int rectilignes = 0;
    for (std::size_t i = 0; i < trace.taille(); ++i)
        if (trace.point(i).genre == GenreMouvement::Rectiligne) {
            ++rectilignes;
            EXPECT_NEAR(trace.point(i).x, 30, 1e-3);
            EXPECT_NEAR(trace.point(i).y, 0, 1e-3);
        }
    EXPECT_GT(rectilignes, 10);

    // Carried across, turned with the column, then let go: it falls to the floor there.
    joue(20);
    EXPECT_EQ(bras->objetTenu(), nullptr);
    EXPECT_EQ(boite->getLien(), nullptr);
    EXPECT_NEAR(boite->m[12], -10, 1e-3);
    EXPECT_NEAR(boite->m[13], 30, 1e-3);
    EXPECT_NEAR(boite->m[0], 0, 1e-5);  // a quarter turn about z
    for (int n = 0; n < 300; ++n) scene.appliqueGravite(0.01f);
    EXPECT_NEAR(boite->m[14], 0, 1e-3);

    // No joint ever went faster than its description says, under the trapezoidal law.
    const HistoriqueArticulaire& h = bras->historiqueArticulaire();
    ASSERT_EQ(h.nbArticulations(), 3);
    const double vitesses[3] = {50, 180 / M_PI, 20};
    for (std::size_t i = 1; i < h.taille(); ++i)
        for (int k = 0; k < 3; ++k) {
            const double dt = h.temps(i) - h.temps(i - 1);
            if (dt > 1e-9) {
                EXPECT_LE(std::fabs(h.valeur(i, k) - h.valeur(i - 1, k)) / dt, vitesses[k] * 1.01)
                    << "articulation " << k << ", échantillon " << i;
            }
        }
    EXPECT_EQ(bras->numeroRaison(), 0u);
}

TEST_F(PortiqueTest, VaChercherUnObjetPuisLePoseSurUnAutre) {
    auto socle = instanceBoite({10, 10, 10}, {-20, 0, 10});
    socle->tombe = false;
    scene.ajouteInstance(socle);
    // Held by a four-joint arm: not taken. Released by it (it still names that arm): taken.
    auto robot = robotDeTest(&scene.instances);
    robot->saisit(boite.get(), CVecteur(30, 0, 25), nullptr);
    ASSERT_EQ(boite->getLien(), robot.get());
    EXPECT_EQ(bras->vaChercher(boite.get(), false), "objet tenu par un autre robot");
    robot->lache();
    ASSERT_EQ(boite->getLien(), robot.get());
    boite->tombe = false;
    static_cast<CMatrice&>(*boite) = CMatrice::translation(CVecteur(30, 0, 15));
    // Fetched from above: gripped on its top, lifted.
    ASSERT_EQ(bras->vaChercher(boite.get(), false), "");
    joue(20);
    ASSERT_EQ(bras->objetTenu(), boite.get());
    EXPECT_GT(boite->m[14], 15.5);
    // Put down on the other one: released with its bottom on that one's top.
    ASSERT_EQ(bras->vaChercher(socle.get(), true), "");
    joue(20);
    EXPECT_EQ(bras->objetTenu(), nullptr);
    EXPECT_NEAR(boite->m[12], -20, 1e-3);
    EXPECT_NEAR(boite->m[14], 20, 1e-3);
    // Out of reach: refused at once, the reason recorded.
    auto loin = instanceBoite({10, 10, 10}, {300, 0, 0});
    scene.ajouteInstance(loin);
    EXPECT_EQ(bras->vaChercher(loin.get(), false), "hors d'atteinte");
    EXPECT_EQ(bras->nbCommandes(), 0u);
    EXPECT_EQ(bras->raison(), "hors d'atteinte");
}

TEST_F(PortiqueTest, RefusEtAbandonsDitsAvecLeurRaison) {
    // Out of the limits or unreachable: refused at once, nothing queued.
    EXPECT_EQ(bras->ajouteDeplacement({0, 0, 50}, false),
              "descente vaut 50, hors de ses limites (de 0 à 40)");
    std::vector<double> q;
    CibleOutil loin;
    loin.pose.translation() = Eigen::Vector3d(500, 0, 45);
    EXPECT_EQ(bras->articulationsVers(loin, q), "hors d'atteinte");
    EXPECT_EQ(bras->nbCommandes(), 0u);

    // A grip with nothing at the tool point is given up, said once; the queue goes on.
    bras->ajouteSaisie();
    ASSERT_EQ(bras->ajouteDeplacement({10, 0, 0}, false), "");
    joue(5);
    EXPECT_EQ(bras->numeroRaison(), 1u);
    EXPECT_EQ(bras->raison(), "commande abandonnée : aucun objet sous la pince");
    EXPECT_EQ(bras->valeursArticulations(), (std::vector<double>{10, 0, 0}));
    EXPECT_EQ(bras->objetTenu(), nullptr);
}

}  // namespace
