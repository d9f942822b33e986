// The control panel's model, keyboard bindings and mouse handlers, driven without a window.
#include "app/panneau.h"

#include <GL/glut.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/panneaux_imgui.h"
#include "robot/bras_chaine.h"
#include "robot/robot.h"

namespace {
std::shared_ptr<Mesh> boite(CVecteur mn, CVecteur mx) {
    auto m = std::make_shared<Mesh>(6, 8, 0, 0, "");
    for (int i = 0; i < 8; ++i)
        m->ajouteSommet(CVecteur(i & 1 ? mx.x : mn.x, i & 2 ? mx.y : mn.y, i & 4 ? mx.z : mn.z),
                        RGBA());
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (auto& f : faces) {
        int n = m->ajouteFace(4, 0, nullptr);
        for (int k : f) m->ajouteSommetFace(n, k, -1, -1);
    }
    m->calcNormalesLissees();
    return m;
}

class PanneauTest : public testing::Test {
protected:
    CApplication app;
    Robot* robot = nullptr;
    std::shared_ptr<InstanceEntite> instanceRobot;
    std::shared_ptr<InstanceEntite> objet;

    void SetUp() override {
        std::array<std::shared_ptr<Mesh>, 11> liens;
        liens[0] = boite(CVecteur(-5, -5, 0), CVecteur(5, 5, 10));  // socle: H0 = 10
        for (int i = 1; i < 11; ++i) liens[i] = boite(CVecteur(-1, -1, 0), CVecteur(1, 1, 1));
        liens[7] = boite(CVecteur(-1, -1, -2), CVecteur(1, 1, 1));  // poignet
        liens[8] = boite(CVecteur(-1, -1, -5), CVecteur(1, 1, 0));  // pince: D = 7
        std::array<float, 15> nombres = {2, 3, 20, 20, -3, 3, 3, 4, 5, 90, 90, 90, 90, 1, 5};
        auto r = std::make_shared<Robot>(nombres, liens, &app.scene.instances);
        robot = r.get();
        app.scene.ajouteEntite(r);
        instanceRobot = std::make_shared<InstanceEntite>(r);
        instanceRobot->tombe = false;
        app.scene.ajouteInstance(instanceRobot);
        auto cube = boite(CVecteur(-1, -1, 0), CVecteur(1, 1, 2));
        app.scene.ajouteEntite(cube);
        objet = std::make_shared<InstanceEntite>(cube);
        objet->m[12] = 30;
        app.scene.ajouteInstance(objet);
        app.choisitRobotCourant();
        ASSERT_TRUE(robot->setCoordArticulaires(90, 0, 0, 0));
        remetPanneau();
        app.majPanneau();
    }

    void remetPanneau() {
        Panneau& p = app.panneau;
        p.cibleTheta1 = 90;
        p.cibleTheta2 = p.cibleTheta3 = p.cibleTheta5 = 0;
        p.cibleArticulaireValide[0] = 90;
        p.cibleArticulaireValide[1] = p.cibleArticulaireValide[2] = p.cibleArticulaireValide[3] = 0;
        p.deplacementRectiligne = 0;
        p.libelleSaisie = "SAISIS";
    }
};
}  // namespace

TEST_F(PanneauTest, MajPanneauRemplitLaCibleDuPoignetEnNombresEntiers) {
    Panneau& p = app.panneau;
    EXPECT_EQ(p.theta1, 90);
    EXPECT_FLOAT_EQ(p.ciblePoignetX, 0.0f);
    EXPECT_FLOAT_EQ(p.ciblePoignetY, 45.0f);  // L0 + L1 + L2 + L3
    EXPECT_FLOAT_EQ(p.ciblePoignetZ, 3.0f);   // H0 - D
    EXPECT_EQ(p.ciblePoignetTheta, -90);
    EXPECT_EQ(p.ciblePoignetValide[1], p.ciblePoignetY);
    EXPECT_FLOAT_EQ(p.poignetY, robot->Y);
}

TEST_F(PanneauTest, ArticulationRefuseeRevientALaValeurDuRobot) {
    app.panneau.theta2 = 150;
    app.controle(IdControle::Articulations);
    EXPECT_EQ(app.panneau.theta2, 0);
    EXPECT_FLOAT_EQ(robot->THETA2, 0);
    // The same through the keyboard: 's' raises THETA2 by 7 within the limits.
    app.clavier('s', 0, false);
    EXPECT_EQ(app.panneau.theta2, 7);
    EXPECT_FLOAT_EQ(robot->THETA2, 7);
    EXPECT_FLOAT_EQ(app.panneau.poignetZ, robot->Z);
}

TEST_F(PanneauTest, CibleRefuseeRestaureLaDerniereAcceptee) {
    Panneau& p = app.panneau;
    p.cibleTheta2 = 30;
    app.controle(IdControle::CibleArticulaire);
    EXPECT_EQ(p.cibleArticulaireValide[1], 30);
    const float y = p.ciblePoignetY;
    p.cibleTheta2 = 150;
    app.controle(IdControle::CibleArticulaire);
    EXPECT_EQ(p.cibleTheta2, 30);
    EXPECT_EQ(p.ciblePoignetY, y);  // the wrist target is left as it was
    // A wrist target the arm cannot reach goes back to the last accepted wrist target,
    // which is the one majPanneau recorded, not the one of the joint edit.
    p.ciblePoignetZ = -50;
    app.controle(IdControle::CiblePoignet);
    EXPECT_FLOAT_EQ(p.ciblePoignetZ, 3.0f);
}

TEST_F(PanneauTest, AtteintDeuxFoisPuisPVideLaFile) {
    app.controle(IdControle::Atteint);
    app.controle(IdControle::Atteint);
    ASSERT_EQ(robot->commandes.size(), 2u);
    EXPECT_EQ(robot->commandes.front().instanceRobot, instanceRobot.get());
    EXPECT_EQ(robot->commandes.front().approche, nullptr);
    EXPECT_FLOAT_EQ(robot->commandes.front().T1, 90);
    app.clavier('p', 0, false);
    EXPECT_TRUE(robot->commandes.empty());
}

TEST_F(PanneauTest, SaisieSansObjetSousLaPinceGardeSaisis) {
    app.controle(IdControle::Saisie);
    EXPECT_EQ(app.panneau.libelleSaisie, "SAISIS");
    app.panneau.libelleSaisie = "LACHE";
    app.clavier(' ', 0, false);
    EXPECT_EQ(app.panneau.libelleSaisie, "SAISIS");
}

TEST_F(PanneauTest, CouleurBorneeEtAnglesBouclent) {
    Controle* r = app.panneau.controleDe(&app.panneau.fondR);
    ASSERT_NE(r, nullptr);
    r->fixeValeur(300);
    EXPECT_EQ(app.panneau.fondR, 255);
    r->fixeValeur(-4);
    EXPECT_EQ(app.panneau.fondR, 0);
    app.controle(IdControle::CouleurFond);
    EXPECT_FLOAT_EQ(app.scene.couleurfond.r, 0.0f);
    Controle* t1 = app.panneau.controleDe(&app.panneau.theta1);
    t1->fixeValeur(186);
    EXPECT_EQ(app.panneau.theta1, -174);
    t1->fixeValeur(-181);
    EXPECT_EQ(app.panneau.theta1, 179);
}

TEST_F(PanneauTest, ToucheEtPasAvecShift) {
    app.clavier('a', 0, false);
    EXPECT_FLOAT_EQ(robot->THETA1, 97);
    app.clavier('q', GLUT_ACTIVE_SHIFT, false);
    EXPECT_FLOAT_EQ(robot->THETA1, 82);
    app.clavier('A', 0, false);  // upper case does nothing
    EXPECT_FLOAT_EQ(robot->THETA1, 82);
    app.clavier('e', 0, false);  // upper-row key lowers THETA3
    EXPECT_FLOAT_EQ(robot->THETA3, -7);
    ASSERT_TRUE(robot->setCoordArticulaires(90, 40, -70, 0));  // room to move the wrist
    app.majPanneauRobot();
    const float z = robot->Z;
    app.clavier(GLUT_KEY_PAGE_UP, GLUT_ACTIVE_SHIFT, true);
    EXPECT_NEAR(robot->Z, z + 10, 1e-3);
    app.clavier(GLUT_KEY_PAGE_DOWN, 0, true);
    EXPECT_NEAR(robot->Z, z + 9, 1e-3);
    // Below the floor is refused: the wrist spinner shows the robot's Z again.
    for (int i = 0; i < 5; ++i) app.clavier(GLUT_KEY_PAGE_DOWN, GLUT_ACTIVE_SHIFT, true);
    EXPECT_GE(robot->Z, 0.0f);
    EXPECT_FLOAT_EQ(app.panneau.poignetZ, robot->Z);
    EXPECT_EQ(app.panneau.theta1, 90);
}

TEST_F(PanneauTest, GrillesDesactiveesQuandLaCaseEstVide) {
    app.panneau.grilleX = 0;
    app.panneau.grilleZ = 1;
    app.controle(IdControle::Grilles);
    EXPECT_FALSE(app.panneau.spinnerGrille(0)->actif);
    EXPECT_TRUE(app.panneau.spinnerGrille(2)->actif);
    app.panneau.grilleX = 1;
    app.panneau.grillePosX = 7;
    app.controle(IdControle::Grilles);
    EXPECT_TRUE(app.panneau.spinnerGrille(0)->actif);
    EXPECT_TRUE(app.scene.grilleX);
    EXPECT_FLOAT_EQ(app.scene.grillePos.x, 7);
}

TEST_F(PanneauTest, ModeAffichageParLeGroupeRadio) {
    app.panneau.modeAffichage = 1;
    app.controle(IdControle::ModeAffichage);
    EXPECT_TRUE(app.scene.filaire);
    EXPECT_FALSE(app.scene.points_seuls);
    app.panneau.modeAffichage = 0;
    app.controle(IdControle::ModeAffichage);
    EXPECT_TRUE(app.scene.points_seuls);
    app.panneau.modeAffichage = 7;
    app.controle(IdControle::ModeAffichage);
    EXPECT_TRUE(app.scene.points_seuls);
}

TEST_F(PanneauTest, ClicGaucheSurObjetEnvoieLeRobotLeChercher) {
    objet->premierNom = 11;
    objet->dernierNom = 12;
    instanceRobot->premierNom = 0;
    instanceRobot->dernierNom = 11;
    int nom = -1;
    app.selectionneur = [&nom](int, int) { return nom; };
    nom = 11;
    app.panneau.deplacementRectiligne = 1;
    app.appuiGauche(10, 10, 0);
    EXPECT_EQ(app.instanceCliquee, objet.get());
    ASSERT_EQ(robot->commandes.size(), 1u);
    EXPECT_EQ(robot->commandes.front().cible, objet.get());
    EXPECT_TRUE(robot->commandes.front().rectiligne);
    // Background: no selection, highlight kept, no command.
    const int surligne = app.scene.selectionCourante;
    nom = -1;
    app.appuiGauche(10, 10, 0);
    EXPECT_EQ(app.instanceCliquee, nullptr);
    EXPECT_EQ(app.scene.selectionCourante, surligne);
    // A robot is only highlighted.
    nom = 3;
    app.appuiGauche(10, 10, 0);
    EXPECT_EQ(app.instanceCliquee, instanceRobot.get());
    EXPECT_EQ(robot->commandes.size(), 1u);
    // CTRL never picks.
    nom = 11;
    app.appuiGauche(10, 10, GLUT_ACTIVE_CTRL);
    EXPECT_EQ(app.instanceCliquee, instanceRobot.get());
    EXPECT_EQ(robot->commandes.size(), 1u);
}

TEST_F(PanneauTest, ClicDansLeVideGardeLInstanceSurlignee) {
    objet->premierNom = 11;
    objet->dernierNom = 12;
    instanceRobot->premierNom = 0;
    instanceRobot->dernierNom = 11;
    int nom = -1;
    app.selectionneur = [&nom](int, int) { return nom; };
    app.appuiGauche(10, 10, 0);  // nothing highlighted yet, nothing picked
    EXPECT_EQ(app.scene.instanceSelectionnee(), nullptr);
    nom = 11;
    app.appuiGauche(10, 10, 0);
    ASSERT_EQ(app.scene.instanceSelectionnee(), objet.get());
    robot->videCommandes();
    // The background: the scene's selection, which the drawing highlights, is still the
    // object; the click picked nothing and sends the robot nowhere.
    nom = -1;
    app.appuiGauche(10, 10, 0);
    EXPECT_EQ(app.scene.instanceSelectionnee(), objet.get());
    EXPECT_EQ(app.instanceCliquee, nullptr);
    EXPECT_TRUE(robot->commandes.empty());
}

TEST_F(PanneauTest, ClicDroitChoisitLeRobot) {
    objet->premierNom = 11;
    objet->dernierNom = 12;
    instanceRobot->premierNom = 0;
    instanceRobot->dernierNom = 11;
    app.robotCourant = nullptr;
    robot->selectionne = false;
    app.selectionneur = [](int, int) { return 11; };
    app.appuiDroit(0, 0, 0);
    EXPECT_EQ(app.robotCourant, nullptr);
    app.selectionneur = [](int, int) { return 4; };
    app.appuiDroit(0, 0, 0);
    EXPECT_EQ(app.robotCourant, robot);
    EXPECT_TRUE(robot->selectionne);
    EXPECT_TRUE(app.boutonDroit);
    app.relacheDroit(0, 0, 0);
    EXPECT_FALSE(app.boutonDroit);
}

TEST_F(PanneauTest, GlissementsEtLeursBornes) {
    app.selectionneur = [](int, int) { return -1; };
    app.elevationLumiere = 45;
    app.distanceLumiere = 150;
    app.appuiGauche(100, 100, GLUT_ACTIVE_SHIFT);
    app.deplaceSouris(100, 200);  // down: elevation 45 - 50 stops at 20
    EXPECT_FLOAT_EQ(app.elevationLumiere, 20);
    app.deplaceSouris(100, -200);
    EXPECT_FLOAT_EQ(app.elevationLumiere, 90);
    app.deplaceSouris(-700, -200);  // azimuth wraps into [0, 360)
    EXPECT_FLOAT_EQ(app.azimutLumiere, 320);
    app.relacheGauche(0, 0, 0);
    app.appuiDroit(0, 0, GLUT_ACTIVE_SHIFT);
    app.deplaceSouris(0, 2000);
    EXPECT_FLOAT_EQ(app.distanceLumiere, 5000);
    app.relacheDroit(0, 0, 0);
    // SHIFT + middle moves the light too; the middle button alone does nothing.
    app.appuiMilieu(0, 0, GLUT_ACTIVE_SHIFT);
    app.deplaceSouris(0, -10);
    EXPECT_FLOAT_EQ(app.distanceLumiere, 4950);
    app.relacheMilieu(0, 0, 0);
    EXPECT_FALSE(app.boutonMilieu);
    const CVecteur camera = app.camera.position;
    app.appuiMilieu(0, 0, 0);
    app.deplaceSouris(30, 30);
    EXPECT_FLOAT_EQ(app.camera.position.z, camera.z);
    EXPECT_FLOAT_EQ(app.distanceLumiere, 4950);
    app.relacheMilieu(0, 0, 0);
    // Plain left drag orbits the camera, pitch within [0, 90].
    app.camera.angleX = 10;
    app.camera.angleY = 5;
    app.appuiGauche(0, 0, 0);
    app.deplaceSouris(-20, -40);
    EXPECT_FLOAT_EQ(app.camera.angleY, 355);
    EXPECT_FLOAT_EQ(app.camera.angleX, 0);
    // CTRL + left pans; the same position changes nothing.
    app.relacheGauche(0, 0, 0);
    app.appuiGauche(0, 0, GLUT_ACTIVE_CTRL);
    const CVecteur avant = app.camera.position;
    app.deplaceSouris(10, 4);
    EXPECT_FLOAT_EQ(app.camera.position.x, avant.x + 5);
    EXPECT_FLOAT_EQ(app.camera.position.y, avant.y - 2);
    app.deplaceSouris(10, 4);
    EXPECT_FLOAT_EQ(app.camera.position.x, avant.x + 5);
    app.relacheGauche(0, 0, 0);
    // Right drag dollies.
    app.appuiDroit(0, 0, 0);
    const float z = app.camera.position.z;
    app.deplaceSouris(0, 10);
    EXPECT_FLOAT_EQ(app.camera.position.z, z - 5);
}

TEST_F(PanneauTest, ValeurTapeeValideeEnQuittantLeChamp) {
    Panneau& p = app.panneau;
    Controle* t2 = p.controleDe(&p.cibleTheta2);
    ASSERT_NE(t2, nullptr);
    // Keystrokes are held: "3", then "30".
    app.saisie(*t2, 3, EvenementSaisie::Frappe);
    app.saisie(*t2, 30, EvenementSaisie::Frappe);
    EXPECT_EQ(p.cibleTheta2, 0);
    EXPECT_FLOAT_EQ(t2->valeurAffichee(), 30);
    // Clicking "Atteint" first takes the focus from the field: the value is committed, the
    // wrist target follows, and the move uses it.
    app.saisie(*t2, 30, EvenementSaisie::Sortie);
    EXPECT_EQ(p.cibleTheta2, 30);
    EXPECT_EQ(p.cibleArticulaireValide[1], 30);
    app.controle(IdControle::Atteint);
    ASSERT_EQ(robot->commandes.size(), 1u);
    EXPECT_FLOAT_EQ(robot->commandes.back().T2, 30);
    // Leaving a field without typing commits nothing; a step button commits at once.
    EXPECT_FALSE(t2->saisit(12, EvenementSaisie::Sortie));
    EXPECT_TRUE(t2->saisit(35, EvenementSaisie::Pas));
    EXPECT_EQ(p.cibleTheta2, 35);
    // What the fields show: the target wrist in whole numbers, never a negative zero.
    EXPECT_EQ(p.controleDe(&p.ciblePoignetX)->decimales, 0);
    p.poignetX = -0.004f;
    EXPECT_FALSE(std::signbit(p.controleDe(&p.poignetX)->valeurAffichee()));
}

TEST_F(PanneauTest, CiblePoignetBorneeRefuseeAvecSaRaison) {
    Panneau& p = app.panneau;
    // Folded this close to the shoulder, THETA3 would have to pass its -135 limit: the arm
    // would stop elsewhere, so the target goes back to the last accepted one.
    p.ciblePoignetX = 0;
    p.ciblePoignetY = 10;
    p.ciblePoignetZ = 3;
    app.controle(IdControle::CiblePoignet);
    EXPECT_FLOAT_EQ(p.ciblePoignetY, 45.0f);
    EXPECT_FLOAT_EQ(p.ciblePoignetZ, 3.0f);
    EXPECT_EQ(p.cibleTheta3, 0);
    EXPECT_EQ(p.ligneEtat.message, "cible refusée : THETA3 hors limites");
    // The current wrist, by contrast, goes as far as the limit lets it and shows where.
    p.poignetX = 0;
    p.poignetY = 10;
    p.poignetZ = 3;
    app.controle(IdControle::Poignet);
    EXPECT_EQ(p.theta3, -135);
    EXPECT_FLOAT_EQ(p.poignetY, robot->Y);
    EXPECT_NE(p.poignetY, 10.0f);
    EXPECT_EQ(p.ligneEtat.message, "THETA3 hors limites");
}

// A wrist target typed whole is taken whole when reachable, though its first field alone
// would be refused; an unreachable or malformed one is refused with its reason, the spinners
// left as they were.
TEST_F(PanneauTest, CiblePoignetEntiereAccepteeOuRefuseeEnBloc) {
    testing::internal::CaptureStderr();
    Panneau& p = app.panneau;
    p.ciblePoignetZ = 25;  // with Y' still 45: the stretched arm cannot rise
    app.controle(IdControle::CiblePoignet);
    EXPECT_FLOAT_EQ(p.ciblePoignetZ, 3.0f);
    EXPECT_FALSE(p.ligneEtat.message.empty());

    p.ciblePoignetEntiere = "0 30 25 -90";
    app.controle(IdControle::CiblePoignetEntiere);
    EXPECT_EQ(p.ligneEtat.message, "");
    EXPECT_FLOAT_EQ(p.ciblePoignetY, 30.0f);
    EXPECT_FLOAT_EQ(p.ciblePoignetZ, 25.0f);
    EXPECT_EQ(p.ciblePoignetValide[2], 25.0f);
    app.controle(IdControle::Atteint);
    ASSERT_EQ(robot->commandes.size(), 1u);
    EXPECT_NEAR(robot->commandes.back().Z, 25.0f, 1e-3);

    for (const char* refusee : {"0 200 25 -90", "0 30", "0 30 25 -90 7", "0 x 25 -90"}) {
        p.ciblePoignetEntiere = refusee;
        app.controle(IdControle::CiblePoignetEntiere);
        EXPECT_EQ(p.ligneEtat.message.rfind("cible refusée : ", 0), 0u) << refusee;
        EXPECT_FLOAT_EQ(p.ciblePoignetY, 30.0f) << refusee;
        EXPECT_FLOAT_EQ(p.ciblePoignetZ, 25.0f) << refusee;
        EXPECT_EQ(p.ciblePoignetTheta, -90) << refusee;
    }
    testing::internal::GetCapturedStderr();
}

TEST_F(PanneauTest, ClicSurObjetHorsDAtteinteRefuseAvecSaRaison) {
    long maintenant = 0;
    app.horloge = [&maintenant] { return maintenant; };
    objet->entite->nom = "cube";
    objet->premierNom = 11;
    objet->dernierNom = 12;
    app.selectionneur = [](int, int) { return 11; };
    objet->m[12] = 100;  // the arm reaches 45 units
    testing::internal::CaptureStdout();
    app.appuiGauche(10, 10, 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("#1 cube : position hors d'atteinte"),
              std::string::npos);
    EXPECT_TRUE(robot->commandes.empty());
    app.majLigneEtat();
    const LigneEtat& l = app.panneau.ligneEtat;
    EXPECT_EQ(l.message, "#1 cube : position hors d'atteinte");
    EXPECT_EQ(l.robot, "#0");
    EXPECT_EQ(l.selection, "#1 cube");
    EXPECT_EQ(l.commandes, 0u);
    // Within reach the fetch is queued; moved away before the robot sets off, it is given up
    // at the animation step, which says so once.
    objet->m[12] = 30;
    app.appuiGauche(10, 10, 0);
    app.majLigneEtat();
    EXPECT_EQ(l.commandes, 1u);
    objet->m[12] = 100;
    app.anime();
    maintenant = 100;
    testing::internal::CaptureStdout();
    app.anime();
    app.anime();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(robot->commandes.empty());
    EXPECT_EQ(l.message, "commande abandonnée : position hors d'atteinte");
    EXPECT_EQ(console.find(l.message), console.rfind(l.message));
    EXPECT_NE(console.find(l.message), std::string::npos);
}

// -trace: a header, then a row per animation step for the driven robot, timed from the start;
// a folder is refused with its reason on the status line.
TEST_F(PanneauTest, LaTraceEcritUneLigneParPasDAnimation) {
    long maintenant = 0;
    app.horloge = [&maintenant] { return maintenant; };
    const std::string chemin =
        (std::filesystem::temp_directory_path() / "brakmor_trace_app.csv").string();
    app.ouvreTrace(chemin);
    ASSERT_TRUE(app.trace.ouverte());
    app.anime();
    maintenant = 10;
    app.anime();
    app.trace.ferme();
    std::ifstream f(chemin);
    std::string entete, premiere, seconde, fin;
    std::getline(f, entete);
    std::getline(f, premiere);
    std::getline(f, seconde);
    EXPECT_EQ(entete + "\n", TraceCsv::ENTETE);
    EXPECT_EQ(premiere.rfind("0.000,90,0,0,0,", 0), 0u) << premiere;
    EXPECT_EQ(seconde.rfind("0.010,90,", 0), 0u) << seconde;
    EXPECT_EQ(seconde.substr(seconde.size() - 3), ",,0");  // nothing held, nothing queued
    EXPECT_FALSE(std::getline(f, fin));
    std::filesystem::remove(chemin);

    // Another arm driven meanwhile, with other columns: no row of it under this header,
    // said once; the rows resume when the arm is driven again.
    OptionsURDF o;
    o.echelle = 100;
    auto bras = std::make_shared<BrasChaine>(lisURDF("urdf/portique.urdf", o));
    app.scene.ajouteEntite(bras);
    auto porteur = std::make_shared<InstanceEntite>(bras);
    app.scene.ajouteInstance(porteur);
    app.ouvreTrace(chemin);
    ASSERT_TRUE(app.choisitBras(porteur.get()));
    testing::internal::CaptureStdout();
    for (int i = 0; i < 3; ++i, maintenant += 10) app.anime();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.find("trace :"), console.rfind("trace :")) << console;
    EXPECT_NE(console.find("trace :"), std::string::npos);
    ASSERT_TRUE(app.choisitBras(instanceRobot.get()));
    app.anime();
    app.trace.ferme();
    std::ifstream g(chemin);
    std::string ligne;
    int lignes = 0;
    while (std::getline(g, ligne)) ++lignes;
    EXPECT_EQ(lignes, 2);  // the header and the one row of the four-joint arm
    std::filesystem::remove(chemin);
    std::filesystem::remove(chemin + ".bak");

    testing::internal::CaptureStdout();
    app.ouvreTrace(std::filesystem::temp_directory_path().string());
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(app.trace.ouverte());
    EXPECT_NE(app.panneau.ligneEtat.message.find("est un dossier"), std::string::npos);
}

// `w` stores the pose with its grip state, "Rejouer" queues a move to each stored pose, and
// saving to a folder says why in red.
TEST_F(PanneauTest, LaToucheWMemoriseLaPoseEtRejouerLaMetEnFile) {
    testing::internal::CaptureStdout();
    app.clavier('w', 0, false);
    app.clavier('a', 0, false);  // THETA1 97
    app.clavier('w', 0, false);
    const auto& points = app.pointsPassage.points();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_FLOAT_EQ(points[0].T1, 90);
    EXPECT_FLOAT_EQ(points[1].T1, 97);
    EXPECT_FALSE(points[1].tenu);
    EXPECT_EQ(app.panneau.ligneEtat.information, "point de passage 2 mémorisé");

    app.controle(IdControle::RejouePoints);
    ASSERT_EQ(robot->commandes.size(), 2u);
    EXPECT_EQ(robot->commandes[0].genre, GenreCommande::Mouvement);
    EXPECT_FLOAT_EQ(robot->commandes[0].T1, 90);
    EXPECT_FLOAT_EQ(robot->commandes[1].T1, 97);
    EXPECT_EQ(robot->commandes[1].instanceRobot, instanceRobot.get());

    app.panneau.cheminPointsPassage = std::filesystem::temp_directory_path().string();
    app.controle(IdControle::SauvePoints);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(app.panneau.ligneEtat.message.find("est un dossier"), std::string::npos);
    EXPECT_TRUE(app.panneau.ligneEtat.information.empty());
    app.panneau.cheminPointsPassage = "points_de_passage.txt";
}

// A refusal stays red only until the next command taken; poses taught and not saved outlive
// the program's end in the recovery file, which the next start reads into the list.
TEST_F(PanneauTest, RefusEffaceParLaCommandeSuivanteEtPointsNonSauvesRecuperes) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Panneau& p = app.panneau;
    p.cibleTheta2 = 150;
    app.controle(IdControle::CibleArticulaire);
    EXPECT_EQ(p.ligneEtat.message, "cible refusée : THETA2 hors limites");
    p.cibleTheta2 = 30;
    app.controle(IdControle::CibleArticulaire);
    EXPECT_EQ(p.ligneEtat.message, "");

    const std::string chemin =
        (std::filesystem::temp_directory_path() / "brakmor-test-recuperation.txt").string();
    std::filesystem::remove(chemin);
    app.cheminRecuperation = chemin;
    app.clavier('w', 0, false);
    app.clavier('a', 0, false);  // THETA1 97
    app.clavier('w', 0, false);
    EXPECT_EQ(app.gardePointsNonEnregistres(), "");
    {
        CApplication suivante;
        suivante.cheminRecuperation = chemin;
        ASSERT_EQ(suivante.recuperePoints(), 2u);
        const auto& points = suivante.pointsPassage.points();
        EXPECT_FLOAT_EQ(points[1].T1, 97);
        EXPECT_FLOAT_EQ(points[1].X, app.pointsPassage.points()[1].X);
        EXPECT_NE(suivante.panneau.ligneEtat.information.find("2 points de passage"),
                  std::string::npos);
        // Saved this time: nothing left to keep, and the recovery file goes.
        suivante.panneau.cheminPointsPassage =
            (std::filesystem::temp_directory_path() / "brakmor-test-recupere.txt").string();
        suivante.controle(IdControle::SauvePoints);
        EXPECT_EQ(suivante.gardePointsNonEnregistres(), "");
        EXPECT_FALSE(std::filesystem::exists(chemin));
        std::filesystem::remove(suivante.panneau.cheminPointsPassage);
    }
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
}

// "Sauver" over a named pipe, a device node or the scene's own file: refused in red, naming
// the path asked for, and the file left in place (nothing renamed to .bak). A file of the
// user's named like a temporary one is never touched by a save beside it.
TEST_F(PanneauTest, SauverRefuseTubePeripheriqueEtSceneSansRienRenommer) {
    namespace fs = std::filesystem;
    const fs::path dossier = fs::temp_directory_path() / "brakmor_sauver_speciaux";
    fs::remove_all(dossier);
    fs::create_directories(dossier);
    const std::string tube = (dossier / "tube").string(), noeud = (dossier / "plein").string();
    ASSERT_EQ(mkfifo(tube.c_str(), 0600), 0);
    // A node of the "full" device, private to this folder (made as root, as the tests run).
    const bool peripherique = mknod(noeud.c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0;
    app.fichierScene = (dossier / "scene.txt").string();
    std::ofstream(app.fichierScene) << "a = 1;\n";
    testing::internal::CaptureStdout();
    app.clavier('w', 0, false);
    std::vector<std::string> refuses = {tube, app.fichierScene};
    if (peripherique) refuses.push_back(noeud);
    for (const std::string& chemin : refuses) {
        app.panneau.cheminPointsPassage = chemin;
        app.controle(IdControle::SauvePoints);
        const std::string& message = app.panneau.ligneEtat.message;
        EXPECT_EQ(message.rfind("points de passage non enregistrés : " + chemin + " est ", 0), 0u)
            << message;
        EXPECT_TRUE(app.panneau.ligneEtat.information.empty()) << chemin;
        EXPECT_FALSE(fs::exists(chemin + ".bak")) << chemin;
    }
    EXPECT_TRUE(fs::is_fifo(tube));
    if (peripherique) {
        EXPECT_TRUE(fs::is_character_file(noeud));
    }
    EXPECT_EQ(fs::file_size(app.fichierScene), 7u);

    const std::string points = (dossier / "wp.txt").string();
    std::ofstream(points + ".tmp") << "à moi\n";
    app.panneau.cheminPointsPassage = points;
    app.controle(IdControle::SauvePoints);
    app.controle(IdControle::SauvePoints);
    EXPECT_EQ(app.panneau.ligneEtat.information, "1 point de passage enregistré dans " + points);
    EXPECT_TRUE(fs::exists(points + ".bak"));
    std::ifstream autre(points + ".tmp");
    std::string ligne;
    EXPECT_TRUE(std::getline(autre, ligne) && ligne == "à moi");
    EXPECT_FALSE(std::getline(autre, ligne));
    // Only the files named above: no temporary file left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dossier), fs::directory_iterator()),
              peripherique ? 6 : 5);
    testing::internal::GetCapturedStdout();
    app.fichierScene.clear();
    app.panneau.cheminPointsPassage = "points_de_passage.txt";
    fs::remove_all(dossier);
}

// The panels' font has the characters of Latin-1 only: the others our messages use are
// spelled with those, instead of showing as '?'.
TEST(PolicePanneaux, EllipseEtGuillemetsAnglaisEcritsAvecLesCaracteresDeLaPolice) {
    EXPECT_EQ(interface::pourPolice("scène.txt:3: « a = rgb(1, 2) … » — l’objet “x”"),
              "scène.txt:3: « a = rgb(1, 2) ... » - l'objet \"x\"");
    EXPECT_EQ(interface::pourPolice("flèche → ici"), "flèche → ici");  // none: ImGui's '?'
}

// An arm read from a description, alone in its scene, is the driven arm: a row per joint
// with its limits, the tool pose, targets sent by "Atteint", the grip button through its
// queue, and the status line naming it.
TEST(PanneauBrasDecrit, LignesCiblesSaisieEtLigneDEtat) {
    CApplication app;
    OptionsURDF o;
    o.echelle = 100;
    auto bras = std::make_shared<BrasChaine>(lisURDF("urdf/portique.urdf", o));
    bras->listeInstances = &app.scene.instances;
    app.scene.ajouteEntite(bras);
    auto instance = std::make_shared<InstanceEntite>(bras);
    instance->tombe = false;
    app.scene.ajouteInstance(instance);
    app.choisitRobotCourant();
    app.majPanneau();
    Panneau& p = app.panneau;
    ASSERT_TRUE(p.brasDecrit);
    EXPECT_EQ(app.robotCourant, nullptr);
    ASSERT_EQ(p.articulations.size(), 3u);
    EXPECT_EQ(p.articulations[2].nom, "descente");
    EXPECT_TRUE(p.articulations[2].prismatique);
    EXPECT_DOUBLE_EQ(p.articulations[0].min, -80);
    EXPECT_NEAR(p.articulations[1].max, 3 * 180 / M_PI, 1e-9);
    EXPECT_NEAR(p.outil[0], 30, 1e-9);
    EXPECT_NEAR(p.outil[2], 60, 1e-9);
    app.majLigneEtat();
    EXPECT_EQ(p.ligneEtat.robot, "portique");

    // A target beyond a limit is refused with the joint named; within, it is queued and
    // reached, the rows following the arm and keeping the targets typed.
    p.articulations[2].cible = 55;
    app.controle(IdControle::Atteint);
    EXPECT_EQ(p.ligneEtat.message,
              "cible refusée : descente vaut 55, hors de ses limites (de 0 à 40)");
    EXPECT_EQ(bras->nbCommandes(), 0u);
    p.articulations[0].cible = 20;
    p.articulations[1].cible = 90;
    p.articulations[2].cible = 10;
    app.controle(IdControle::Atteint);
    EXPECT_EQ(bras->nbCommandes(), 1u);
    EXPECT_TRUE(p.ligneEtat.message.empty());
    long t = 0;
    app.horloge = [&t] { return t; };
    for (int i = 0; i < 400 && bras->nbCommandes() > 0; ++i, t += 10) app.anime();
    EXPECT_EQ(bras->valeursArticulations(), (std::vector<double>{20, 90, 10}));
    EXPECT_DOUBLE_EQ(p.articulations[1].valeur, 90);
    EXPECT_FLOAT_EQ(p.articulations[2].cible, 10);
    EXPECT_NEAR(p.outil[1], 30, 1e-6);  // the column turned a quarter
    EXPECT_NEAR(p.outil[5], 90, 1e-6);  // yaw

    // Nothing at the tool: the queued grip is given up and the status line says why.
    app.controle(IdControle::Saisie);
    app.anime();
    EXPECT_EQ(p.ligneEtat.message, "commande abandonnée : aucun objet sous la pince");
}
