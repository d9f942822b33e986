// Motion queue and gripper: joint steps, straight lines, fetching, holding, releasing.
#include <gtest/gtest.h>

#include <cmath>

#include "robot/fabrique_robot.h"

namespace {

TEST(AvanceAngle, PasProportionnelSansMinimum) {
    float a = 10;
    Robot::avanceAngle(a, 10.05f, 0.1f);  // closer than its step: arrives
    EXPECT_EQ(a, 10.05f);
    a = 10;
    Robot::avanceAngle(a, 20, 0.1f);
    EXPECT_FLOAT_EQ(a, 10.1f);
    Robot::avanceAngle(a, 0, 3);
    EXPECT_FLOAT_EQ(a, 7.1f);
    // No step moves nothing.
    for (const float pas : {0.0f, -2.0f, NAN}) {
        a = 5;
        Robot::avanceAngle(a, 4, pas);
        EXPECT_EQ(a, 5) << pas;
    }
    // Across +-180 too, a joint closer than its step arrives instead of overshooting.
    a = 179;
    Robot::avanceAngle(a, -179.5f, 5);
    EXPECT_EQ(a, -179.5f);
}

TEST(AvanceAngle, PasseParPlusOuMoins180AuPlusCourt) {
    for (const float depart : {170.0f, -170.0f}) {
        float a = depart;
        const float cible = -depart;
        int pas = 0;
        while (a != cible && pas < 100) {
            Robot::avanceAngle(a, cible, 1);
            EXPECT_GE(std::fabs(a), 170 - 1e-3) << "passé par 0 depuis " << depart;
            ++pas;
        }
        EXPECT_EQ(a, cible);
        EXPECT_EQ(pas, 20);
    }
}

class MouvementTest : public ::testing::Test {
protected:
    CScene scene;
    std::shared_ptr<Robot> robot;
    std::shared_ptr<InstanceEntite> instanceRobot;

    void SetUp() override {
        robot = robotDeTest(&scene.instances);
        instanceRobot = std::make_shared<InstanceEntite>(robot);
        static_cast<CMatrice&>(*instanceRobot) = CMatrice::translation({10, 20, 0});
        instanceRobot->tombe = false;
        scene.ajouteInstance(instanceRobot);
        ASSERT_TRUE(robot->setCoordArticulaires(0, 30, -60, 0));
    }

    Commande commandeArticulaire(float T1, float T2, float T3, float T5) {
        Commande c;
        c.instanceRobot = instanceRobot.get();
        c.T1 = T1;
        c.T2 = T2;
        c.T3 = T3;
        c.T5 = T5;
        CMatrice m;
        EXPECT_TRUE(robot->MGD(T1, T2, T3, T5, c.X, c.Y, c.Z, c.THETA, m));
        return c;
    }

    // Runs the animation step as the application does, until the robot is idle.
    int executeTout(float dt = 0.1f, int maxPas = 20000) {
        int n = 0;
        while (!robot->commandes.empty() && n < maxPas) {
            scene.appliqueGravite(dt);
            robot->avance(dt);
            ++n;
        }
        EXPECT_TRUE(robot->commandes.empty()) << "file jamais vidée";
        return n;
    }

    // World position of the tool point.
    CVecteur outilMonde() {
        return instanceRobot->positionMonde(CVecteur(robot->X, robot->Y, robot->Z));
    }
};

TEST_F(MouvementTest, Avance_ChaqueArticulationTourneASaVitesse) {
    robot->vitesseTheta2 = 10;
    robot->commandes.push(commandeArticulaire(20, 40, -60, 0.5f));
    EXPECT_TRUE(robot->avance(0.5f));
    EXPECT_EQ(robot->THETA1, 15);  // 30 degrees/s for 0.5 s
    EXPECT_EQ(robot->THETA2, 35);  // 10 degrees/s
    EXPECT_EQ(robot->THETA3, -60);
    EXPECT_EQ(robot->THETA5, 0.5f);  // closer than its 15-degree step: arrives at once
    EXPECT_EQ(robot->commandes.size(), 1u);
    EXPECT_TRUE(robot->avance(0.5f));
    EXPECT_EQ(robot->THETA1, 20);
    EXPECT_EQ(robot->THETA2, 40);
    // Arrival removes the command.
    EXPECT_TRUE(robot->avance(0.5f));
    EXPECT_TRUE(robot->commandes.empty());
    EXPECT_FALSE(robot->avance(0.5f));
}

TEST_F(MouvementTest, Avance_VitesseIndependanteDuPas) {
    for (const int parSeconde : {30, 100, 250}) {
        ASSERT_TRUE(robot->setCoordArticulaires(0, 30, -60, 0));
        robot->videCommandes();
        robot->commandes.push(commandeArticulaire(90, 30, -60, 0));
        const float dt = 1.0f / static_cast<float>(parSeconde);
        for (int i = 0; i < parSeconde; ++i) robot->avance(dt);
        EXPECT_NEAR(robot->THETA1, 30, 30 * dt) << parSeconde << " pas par seconde";
    }
    // A step without a valid duration moves nothing.
    const float t1 = robot->THETA1;
    for (const float dt : {0.0f, -0.1f, NAN, INFINITY}) EXPECT_FALSE(robot->avance(dt));
    EXPECT_EQ(robot->THETA1, t1);
}

TEST_F(MouvementTest, CommandeBloqueeAbandonneeAvecSaRaison) {
    // Straight down toward the floor: every step is refused once the tool would go below
    // z = 0. The command is dropped after about a second, saying why.
    robot->commandes.push(commandeArticulaire(0, 0, -90, 0));
    const unsigned long n = robot->numeroRaison;
    int pas = 0;
    while (!robot->commandes.empty() && pas < 200) {
        robot->avance(0.1f);
        ++pas;
    }
    EXPECT_TRUE(robot->commandes.empty());
    EXPECT_LE(pas * 0.1f, 2.0f);
    EXPECT_GE(robot->Z, 0);
    EXPECT_EQ(robot->derniereRaison, "commande abandonnée : sous le sol");
    EXPECT_EQ(robot->numeroRaison, n + 1);

    // A joint that cannot turn at all goes nowhere: dropped too.
    robot->vitesseTheta1 = 0;
    robot->commandes.push(commandeArticulaire(40, 30, -60, 0));
    for (int i = 0; i < 11; ++i) robot->avance(0.1f);
    EXPECT_TRUE(robot->commandes.empty());
    EXPECT_EQ(robot->derniereRaison, "commande abandonnée : aucun progrès");
    robot->vitesseTheta1 = 30;

    // Fetching an object whose top the elbow could only reach beyond -135 degrees: the
    // click-time query refuses it, and a fetch sent anyway is dropped at once instead of
    // missing and trying again for ever.
    auto proche = instanceBoite({10, 10, 5}, {10 + 60, 20, 0});
    proche->tombe = false;
    scene.ajouteInstance(proche);
    EXPECT_FALSE(robot->peutSaisir(proche.get(), instanceRobot.get()));
    EXPECT_EQ(robot->derniereRaison, "THETA3 hors limites");
    Commande c;
    c.instanceRobot = instanceRobot.get();
    c.approche = c.cible = proche.get();
    robot->commandes.push(c);
    EXPECT_FALSE(robot->avance(0.1f));
    EXPECT_TRUE(robot->commandes.empty());
    EXPECT_EQ(robot->derniereRaison, "commande abandonnée : THETA3 hors limites");
    EXPECT_EQ(robot->THETA3, -60);
    // One within reach is accepted and fetched.
    auto loin = instanceBoite({10, 10, 10}, {130, 20, 0});
    scene.ajouteInstance(loin);
    EXPECT_TRUE(robot->peutSaisir(loin.get(), instanceRobot.get()));
}

TEST_F(MouvementTest, Profil_AuPlusCourtSansDureePourRienEtRepriseApresUnGeste) {
    robot->profil = {GenreProfil::Trapeze, 60, {}};
    // 20 degrees across +-180 at 30 degrees/s and 60 degrees/s²: 0.5 s of ramp each side,
    // 20 / 30 s in all between them.
    ASSERT_TRUE(robot->setCoordArticulaires(170, 30, -60, 0));
    robot->ajouteCommande(commandeArticulaire(-170, 30, -60, 0));
    // A move to where the arm already is takes no time: the wait after it starts at once.
    robot->ajouteCommande(commandeArticulaire(-170, 30, -60, 0));
    Commande attente;
    attente.genre = GenreCommande::Attente;
    attente.secondes = 0.5f;
    robot->ajouteCommande(attente);
    int pas = 0;
    while (robot->commandes.size() == 3 && pas < 1000) {
        robot->avance(0.01f);
        EXPECT_GE(std::fabs(robot->THETA1), 170 - 1e-3) << "passé par 0";
        ++pas;
    }
    EXPECT_EQ(pas, 117);  // 1.1667 s
    EXPECT_EQ(robot->THETA1, -170);
    while (!robot->commandes.empty() && pas < 1000) {
        robot->avance(0.01f);
        ++pas;
    }
    EXPECT_EQ(pas, 167);

    // Joints moved by hand during a move: it goes on from there, without jumping back.
    ASSERT_TRUE(robot->setCoordArticulaires(0, 30, -60, 0));
    robot->ajouteCommande(commandeArticulaire(60, 30, -60, 0));
    for (int i = 0; i < 100; ++i) robot->avance(0.01f);
    EXPECT_NEAR(robot->THETA1, 22.5, 1e-3);  // 7.5 degrees of ramp, then 0.5 s at 30
    ASSERT_TRUE(robot->setCoordArticulaires(10, 30, -60, 0));
    float avant = robot->THETA1;
    while (!robot->commandes.empty() && pas < 2000) {
        robot->avance(0.01f);
        EXPECT_LE(std::fabs(robot->THETA1 - avant), 0.3f + 1e-4f);
        avant = robot->THETA1;
        ++pas;
    }
    EXPECT_EQ(robot->THETA1, 60);
}

TEST_F(MouvementTest, Rectiligne_Longueur10DonneNeufPointsPuisLaFin) {
    Commande c;
    c.instanceRobot = instanceRobot.get();
    c.rectiligne = true;
    c.X = robot->X;
    c.Y = robot->Y + 10;
    c.Z = robot->Z;
    c.THETA = 0;
    ASSERT_TRUE(robot->MGI(c.X, c.Y, c.Z, c.THETA, c.T1, c.T2, c.T3, c.T5));
    const float y0 = robot->Y;
    robot->commandes.push(c);
    EXPECT_TRUE(robot->avance(0.01f));
    ASSERT_EQ(robot->commandes.size(), 10u);
    for (int i = 0; i < 9; ++i) {
        const Commande& p = robot->commandes[i];
        EXPECT_FALSE(p.rectiligne);
        EXPECT_EQ(p.cible, nullptr);
        EXPECT_NEAR(p.Y, y0 + (i + 1), 1e-3);
        EXPECT_NEAR(p.X, c.X, 1e-3);
    }
    EXPECT_EQ(robot->commandes.back().Y, c.Y);
    EXPECT_FALSE(robot->commandes.back().rectiligne);
    // The first step already turned along the line.
    EXPECT_GT(robot->THETA1, 0);
    executeTout();
    EXPECT_NEAR(robot->Y, c.Y, 1e-3);
}

TEST_F(MouvementTest, Rectiligne_MemeDureeAToutPasSansArret) {
    // The same line stepped as headless (10 ms) and as a window at 30 and 60 images per
    // second: the tool moves on every step until it arrives, and arrives at the same time
    // within one step.
    double fins[3] = {0, 0, 0};
    const float pas[3] = {0.01f, 1.0f / 30, 1.0f / 60};
    for (int k = 0; k < 3; ++k) {
        robot->videCommandes();
        ASSERT_TRUE(robot->setCoordArticulaires(0, 30, -60, 0));
        Commande c;
        c.instanceRobot = instanceRobot.get();
        c.rectiligne = true;
        c.X = robot->X - 40;
        c.Y = robot->Y + 60;
        c.Z = robot->Z + 20;
        ASSERT_TRUE(robot->MGI(c.X, c.Y, c.Z, 0, c.T1, c.T2, c.T3, c.T5));
        robot->commandes.push(c);
        int n = 0;
        while (!robot->commandes.empty() && n < 100000) {
            const CVecteur avant(robot->X, robot->Y, robot->Z);
            robot->avance(pas[k]);
            ++n;
            ASSERT_GT((CVecteur(robot->X, robot->Y, robot->Z) - avant).norme(), 0)
                << "arrêt au pas " << n << " de " << pas[k] << " s";
        }
        EXPECT_NEAR(robot->Y, c.Y, 1e-3);
        fins[k] = n * static_cast<double>(pas[k]);
    }
    EXPECT_NEAR(fins[1], fins[0], 1.0 / 30) << "à 30 images par seconde";
    EXPECT_NEAR(fins[2], fins[0], 1.0 / 60) << "à 60 images par seconde";
}

TEST_F(MouvementTest, Rectiligne_CourteLigneSansPointIntermediaire) {
    Commande c;
    c.instanceRobot = instanceRobot.get();
    c.rectiligne = true;
    c.X = robot->X + 0.4f;
    c.Y = robot->Y;
    c.Z = robot->Z;
    ASSERT_TRUE(robot->MGI(c.X, c.Y, c.Z, 0, c.T1, c.T2, c.T3, c.T5));
    robot->commandes.push(c);
    robot->avance(0.01f);
    EXPECT_EQ(robot->commandes.size(), 1u);
}

TEST_F(MouvementTest, Rectiligne_DejaAuBoutNeSaisitQuUneFois) {
    // An object right under the tool and a straight-line grip command that needs no motion.
    const CVecteur t = outilMonde();
    auto objet = instanceBoite({10, 10, 5}, {t.x, t.y, t.z - 5});
    objet->tombe = false;
    scene.ajouteInstance(objet);
    Commande c = commandeArticulaire(robot->THETA1, robot->THETA2, robot->THETA3, robot->THETA5);
    c.rectiligne = true;
    c.cible = objet.get();
    robot->commandes.push(c);
    const Commande ailleurs = commandeArticulaire(20, 40, -60, 0);
    robot->commandes.push(ailleurs);
    EXPECT_TRUE(robot->avance(0.1f));
    // The line is replaced by its final piece, queued behind the other command.
    ASSERT_EQ(robot->commandes.size(), 2u);
    EXPECT_EQ(robot->commandes.front().T1, 20);
    EXPECT_EQ(robot->commandes.back().cible, objet.get());
    EXPECT_EQ(robot->objetTenu(), nullptr);
    executeTout();
    EXPECT_EQ(robot->objetTenu(), objet.get());
}

TEST_F(MouvementTest, Saisie_ObjetAuSolSaisiLeveTransporteLachePuisRetombe) {
    auto objet = instanceBoite({10, 10, 10}, {130, 20, 0});
    scene.ajouteInstance(objet);
    Commande c;
    c.instanceRobot = instanceRobot.get();
    c.approche = objet.get();
    c.cible = objet.get();
    robot->commandes.push(c);
    executeTout();

    ASSERT_EQ(robot->objetTenu(), objet.get());
    EXPECT_EQ(objet->getLien(), robot.get());
    EXPECT_FALSE(objet->tombe);
    CVecteur min, max;
    objet->getBoiteEnglobante(min, max);
    EXPECT_NEAR(max.z, 13, 1e-3);  // lifted by 3 units
    EXPECT_NEAR(min.z, 3, 1e-3);
    EXPECT_NEAR((min.x + max.x) / 2, 130, 1e-3);
    EXPECT_NEAR((min.y + max.y) / 2, 20, 1e-3);
    CVecteur t = outilMonde();
    EXPECT_NEAR(t.z, 13, 1e-3);

    // The next move carries it along: its top centre stays at the tool point.
    robot->commandes.push(commandeArticulaire(40, 50, -70, 20));
    executeTout();
    t = outilMonde();
    objet->getBoiteEnglobante(min, max);
    EXPECT_NEAR(max.z, t.z, 1e-3);
    EXPECT_NEAR(max.z - min.z, 10, 1e-3);
    EXPECT_NEAR((min.x + max.x) / 2, t.x, 1e-3);
    EXPECT_NEAR((min.y + max.y) / 2, t.y, 1e-3);
    EXPECT_GT(min.z, 20);

    // Released, it falls back to the floor.
    EXPECT_EQ(robot->lache(), objet.get());
    EXPECT_EQ(robot->objetTenu(), nullptr);
    EXPECT_TRUE(objet->tombe);
    int pas = 0;
    while (objet->tombe && pas < 1000) {
        scene.appliqueGravite(0.05f);
        ++pas;
    }
    EXPECT_FALSE(objet->tombe);
    EXPECT_GT(pas, 5);
    objet->getBoiteEnglobante(min, max);
    EXPECT_NEAR(min.z, 0, 1e-4);
    EXPECT_NEAR((min.x + max.x) / 2, t.x, 1e-3);
}

TEST_F(MouvementTest, Saisie_SansRienDAutreDansLaFileLeveDeTroisUnites) {
    const CVecteur t = outilMonde();
    auto objet = instanceBoite({10, 10, 5}, {t.x, t.y, t.z - 5.5f});
    objet->tombe = false;
    scene.ajouteInstance(objet);
    Commande c = commandeArticulaire(robot->THETA1, robot->THETA2, robot->THETA3, robot->THETA5);
    c.cible = objet.get();
    robot->commandes.push(c);
    // Arrival: grip, then queue the lift, which the rest of this short step only begins.
    EXPECT_TRUE(robot->avance(0.001f));
    ASSERT_EQ(robot->objetTenu(), objet.get());
    ASSERT_EQ(robot->commandes.size(), 1u);
    EXPECT_NEAR(robot->commandes.front().Z, c.Z + 3, 1e-3);

    // A grip with more commands waiting does not lift.
    robot->videCommandes();
    robot->lache();
    objet->tombe = false;
    robot->commandes.push(c);
    const Commande suivante = commandeArticulaire(20, 40, -60, 0);
    robot->commandes.push(suivante);
    EXPECT_TRUE(robot->avance(0.1f));
    ASSERT_EQ(robot->objetTenu(), objet.get());
    ASSERT_EQ(robot->commandes.size(), 1u);
    EXPECT_EQ(robot->commandes.front().Z, suivante.Z);
}

TEST_F(MouvementTest, Saisie_ObjetDisparuDeLaPinceRelanceUneApproche) {
    const CVecteur t = outilMonde();
    auto objet = instanceBoite({10, 10, 5}, {t.x - 30, t.y, 0});
    objet->tombe = false;
    scene.ajouteInstance(objet);
    Commande c = commandeArticulaire(robot->THETA1, robot->THETA2, robot->THETA3, robot->THETA5);
    c.cible = objet.get();
    c.rectiligne = false;
    robot->commandes.push(c);
    EXPECT_TRUE(robot->avance(0.1f));
    ASSERT_EQ(robot->commandes.size(), 1u);
    EXPECT_EQ(robot->commandes.front().approche, objet.get());
    EXPECT_EQ(robot->commandes.front().cible, objet.get());
    EXPECT_EQ(robot->objetTenu(), nullptr);
    executeTout();
    EXPECT_EQ(robot->objetTenu(), objet.get());
}

TEST_F(MouvementTest, Saisie_ClicEnTenantUnObjetLePoseSurLAutre) {
    auto premier = instanceBoite({10, 10, 10}, {130, 20, 0});
    auto second = instanceBoite({20, 20, 15}, {60, 120, 0});
    scene.ajouteInstance(premier);
    scene.ajouteInstance(second);
    Commande c;
    c.instanceRobot = instanceRobot.get();
    c.approche = c.cible = premier.get();
    robot->commandes.push(c);
    executeTout();
    ASSERT_EQ(robot->objetTenu(), premier.get());

    c.approche = c.cible = second.get();
    robot->commandes.push(c);
    executeTout();
    // Tool at 3 units above the second's top plus the held height, then released.
    EXPECT_NEAR(outilMonde().z, 15 + 10 + 3, 1e-3);
    EXPECT_EQ(robot->objetTenu(), nullptr);
    EXPECT_TRUE(premier->tombe);
    for (int i = 0; i < 200; ++i) scene.appliqueGravite(0.05f);
    CVecteur min, max;
    premier->getBoiteEnglobante(min, max);
    EXPECT_NEAR(min.z, 15, 1e-4);  // resting on the second
    EXPECT_NEAR((min.x + max.x) / 2, 60, 1e-3);
}

TEST_F(MouvementTest, CibleInaccessible_CommandeAbandonnee) {
    auto loin = instanceBoite({10, 10, 10}, {500, 0, 0});
    scene.ajouteInstance(loin);
    Commande c;
    c.instanceRobot = instanceRobot.get();
    c.approche = c.cible = loin.get();
    robot->commandes.push(c);
    EXPECT_FALSE(robot->avance(0.1f));
    EXPECT_TRUE(robot->commandes.empty());
    Commande ligne;
    ligne.instanceRobot = instanceRobot.get();
    ligne.rectiligne = true;
    ligne.X = 400;
    robot->commandes.push(ligne);
    EXPECT_FALSE(robot->avance(0.1f));
    EXPECT_TRUE(robot->commandes.empty());
    EXPECT_EQ(robot->THETA2, 30);
}

TEST_F(MouvementTest, SousPince_ToleranceStricte) {
    auto objet = instanceBoite({10, 10, 10}, {100, 0, 0});
    float d;
    CVecteur q;
    EXPECT_FALSE(robot->sousPince(objet.get(), d, q, CVecteur(100, 0, 11)));
    EXPECT_EQ(d, 1);
    ASSERT_TRUE(robot->sousPince(objet.get(), d, q, CVecteur(104, -5, 9.5f)));
    EXPECT_EQ(d, 0.5f);
    EXPECT_TRUE(q == CVecteur(104, -5, 10));
    EXPECT_FALSE(robot->sousPince(objet.get(), d, q, CVecteur(105.1f, 0, 10)));
    EXPECT_FALSE(robot->sousPince(nullptr, d, q, CVecteur(100, 0, 10)));
}

TEST_F(MouvementTest, ChercheObjet_PrendLePlusProcheSaufLeRobot) {
    EXPECT_EQ(robot->chercheObjet(instanceRobot.get()), nullptr);  // nothing there yet
    const CVecteur t = outilMonde();
    auto bas = instanceBoite({10, 10, 5}, {t.x, t.y, t.z - 5.6f});
    auto haut = instanceBoite({4, 4, 5}, {t.x, t.y, t.z - 5.2f});
    auto aCote = instanceBoite({4, 4, 5}, {t.x + 20, t.y, t.z - 5});
    for (auto& i : {bas, haut, aCote}) {
        i->tombe = false;
        scene.ajouteInstance(i);
    }
    EXPECT_EQ(robot->chercheObjet(instanceRobot.get()), haut.get());
    EXPECT_EQ(robot->objetTenu(), haut.get());
    CVecteur min, max;
    haut->getBoiteEnglobante(min, max);
    EXPECT_NEAR(max.z, t.z, 1e-3);  // shifted up to meet the tool point
    // Already holding: returns the held one, grips nothing else.
    EXPECT_EQ(robot->chercheObjet(instanceRobot.get()), haut.get());
    EXPECT_EQ(bas->getLien(), nullptr);
    // Released: the instance keeps naming the robot.
    EXPECT_EQ(robot->lache(), haut.get());
    EXPECT_EQ(haut->getLien(), robot.get());
    EXPECT_EQ(robot->lache(), nullptr);
}

TEST_F(MouvementTest, ObjetTenuSupprimeDeLaScene_OublieSansAccesInvalide) {
    const CVecteur t = outilMonde();
    auto objet = instanceBoite({10, 10, 5}, {t.x, t.y, t.z - 5});
    scene.ajouteInstance(objet);
    ASSERT_EQ(robot->chercheObjet(instanceRobot.get()), objet.get());
    scene.instances.pop_back();
    objet.reset();  // the instance is gone
    EXPECT_EQ(robot->objetTenu(), nullptr);
    EXPECT_TRUE(robot->setCoordArticulaires(10, 30, -60, 0));
    EXPECT_TRUE(robot->positionAccessible(150, 0, 1, 0));
    EXPECT_EQ(robot->lache(), nullptr);
}

TEST_F(MouvementTest, CommandeVersInstanceSupprimee_Abandonnee) {
    auto objet = instanceBoite({10, 10, 10}, {130, 20, 0});
    scene.ajouteInstance(objet);
    Commande c;
    c.instanceRobot = instanceRobot.get();
    c.approche = c.cible = objet.get();
    robot->commandes.push(c);
    scene.instances.pop_back();
    objet.reset();
    EXPECT_FALSE(robot->avance(0.1f));
    EXPECT_TRUE(robot->commandes.empty());
}

TEST_F(MouvementTest, SaisieParUnAutreRobot_LePremierGardeSonNouvelObjet) {
    auto robotB = robotDeTest(&scene.instances);
    auto instB = std::make_shared<InstanceEntite>(robotB);
    instB->tombe = false;
    scene.ajouteInstance(instB);
    auto o1 = instanceBoite({4, 4, 4}, {0, 0, 50});
    auto o2 = instanceBoite({4, 4, 4}, {0, 0, 80});
    scene.ajouteInstance(o1);
    scene.ajouteInstance(o2);

    robot->saisit(o1.get(), CVecteur(0, 0, 0), instanceRobot.get());
    robot->lache();
    robot->saisit(o2.get(), CVecteur(0, 0, 0), instanceRobot.get());
    ASSERT_EQ(o1->getLien(), robot.get());  // left naming its former holder

    robotB->saisit(o1.get(), CVecteur(0, 0, 0), instB.get());
    EXPECT_EQ(robotB->objetTenu(), o1.get());
    EXPECT_EQ(o1->getLien(), robotB.get());
    EXPECT_EQ(robot->objetTenu(), o2.get());

    // Taken straight from a robot's gripper: that robot lets go.
    robot->saisit(o1.get(), CVecteur(0, 0, 0), instanceRobot.get());
    EXPECT_EQ(robotB->objetTenu(), nullptr);
    EXPECT_EQ(robot->objetTenu(), o1.get());
    // The first robot's previous object was put down rather than left hanging.
    EXPECT_TRUE(o2->tombe);
}

TEST_F(MouvementTest, AncienPorteurDetruit_SaisieSansAccesInvalide) {
    auto o = instanceBoite({4, 4, 4}, {0, 0, 50});
    scene.ajouteInstance(o);
    {
        auto robotB = robotDeTest(&scene.instances);
        robotB->saisit(o.get(), CVecteur(0, 0, 0), nullptr);
        robotB->lache();
        ASSERT_EQ(o->getLien(), robotB.get());
    }
    robot->saisit(o.get(), CVecteur(0, 0, 0), instanceRobot.get());
    EXPECT_EQ(o->getLien(), robot.get());
    {
        auto robotC = robotDeTest(&scene.instances);
        robotC->saisit(o.get(), CVecteur(0, 0, 0), nullptr);
        EXPECT_EQ(robot->objetTenu(), nullptr);
    }
    // Destroyed while holding: the instance no longer names it.
    EXPECT_EQ(o->getLien(), nullptr);
}

}  // namespace
