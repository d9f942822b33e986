// Shared values and the hand-over to the scene: no sequence of assignments, destructions
// or self-assignments may free an object still in use (run under the sanitizers too).
#include "robot/robot.h"
#include "script/banc_script.h"

namespace {
std::shared_ptr<Mesh> meshDe(const Valeur& v) {
    return std::dynamic_pointer_cast<Mesh>(v.objet<Entite>());
}

std::string robotComplet() {
    std::string s;
    for (int i = 0; i < 11; ++i)
        s += "l" + std::to_string(i) + " = " + BancScript::triangle(i) + ";\n";
    s += "r = robot(10, 20, 30, 30, 5, 5, 5, 5, 5, 90, 90, 90, 90, 2, 1";
    for (int i = 0; i < 11; ++i) s += ", &l" + std::to_string(i);
    return s + ");\n";
}
}  // namespace

using Possession = BancScript;

TEST_F(Possession, ReaffecterUneVariableNeLibereRienDePartage) {
    execute("a = " + triangle() + ";\nb = a;\na = 3;\n");
    auto b = meshDe(var("b"));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->nbFaces(), 1);
}

TEST_F(Possession, DetruitVideToutesLesVariablesQuiPartagent) {
    execute("a = " + triangle() + ";\nb = a;\ndetruit(b);\n");
    EXPECT_EQ(var("a").type, T_ENTITE);
    EXPECT_FALSE(var("a").adresse());
    EXPECT_FALSE(var("b").adresse());
    execute("detruit(a);\ndetruit(b);\nn = 4;\ndetruit(n);\ndetruit(&n);\n");
    EXPECT_EQ(var("n").scalaire.i, 4);  // a scalar argument is a copy
    EXPECT_EQ(nbBoites(), 0);
}

TEST_F(Possession, UnNomSeulNeDetruitPasSaVariable) {
    execute("a = " + triangle() + ";\na;\nt = chargeTexture(\"sc_texture.tga\");\nt;\n");
    EXPECT_TRUE(var("a").adresse());
    EXPECT_TRUE(var("t").adresse());
}

TEST_F(Possession, AutoAffectationGardeLObjet) {
    execute(
        "t = chargeTexture(\"sc_texture.tga\");\nt = t;\n"
        "m = matrice(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);\nm = m;\n"
        "e = " +
        triangle() + ";\ni = instancieEntite(&e);\ni = i;\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    EXPECT_EQ(var("t").objet<Texture>()->fichier, "sc_texture.tga");
    EXPECT_FLOAT_EQ(var("m").objet<CMatrice>()->m[0], 1);
    EXPECT_TRUE(var("i").adresse());
    // Handed over once each at the next load.
    ASSERT_EQ(charge(""), 0);
    EXPECT_EQ(scene.nbTextures(), 1);
    EXPECT_EQ(scene.nbEntites(), 1);
    EXPECT_EQ(scene.nbInstances(), 1);
}

TEST_F(Possession, UneInstanceGardeSonEntiteQueLaSceneRecoitAussi) {
    ASSERT_EQ(charge("m = " + triangle() + ";\ni = instancieEntite(&m);\ndetruit(m);\n"), 0);
    ASSERT_EQ(scene.nbInstances(), 1);
    ASSERT_EQ(scene.nbEntites(), 1);
    auto ie = std::dynamic_pointer_cast<InstanceEntite>(scene.instances[0]);
    ASSERT_TRUE(ie);
    EXPECT_EQ(ie->entite, scene.entites[0]);
    // The destroyed variable stays, empty; nothing else is left.
    ASSERT_EQ(script.variables.size(), 1u);
    EXPECT_FALSE(var("m").adresse());
}

TEST_F(Possession, RobotReaffecteResteDansLaScene) {
    ASSERT_EQ(charge(robotComplet() + "i = instancieEntite(&r);\nr = 0;\n"
                                      "detruit(l3);\nl5 = 1;\n"),
              0);
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    int robots = 0;
    for (const auto& e : scene.entites)
        if (dynamic_cast<Robot*>(e.get())) ++robots;
    EXPECT_EQ(robots, 1);
    auto ie = std::dynamic_pointer_cast<InstanceEntite>(scene.instances.at(0));
    auto r = std::dynamic_pointer_cast<Robot>(ie->entite);
    ASSERT_TRUE(r);
    // Its links are kept alive by the robot whatever happened to their variables.
    EXPECT_EQ(r->barreEpaule->nbFaces(), 1);
    EXPECT_EQ(r->avantBras->nbFaces(), 1);
    // 1 robot + 9 link meshes still held by variables.
    EXPECT_EQ(scene.nbEntites(), 10);
}

TEST_F(Possession, OrdreDeRemiseSelonLesNomsEtComptes) {
    ASSERT_EQ(charge("zz = " + triangle(1) + ";\naa = " + triangle(2) +
                     ";\n"
                     "tex = chargeTexture(\"sc_texture.tga\");\n"
                     "i = instancieEntite(&zz);\nn = 5;\nvide = (1.5, 0, {}, {});\n"
                     "mat = creerMaterial(rgb(1,1,1), rgb(1,1,1), rgb(1,1,1), rgb(1,1,1), 1.0);\n"),
              0);
    ASSERT_EQ(scene.nbEntites(), 2);
    EXPECT_FLOAT_EQ(meshDe(Valeur::objetDe<Entite>(T_ENTITE, scene.entites[0]))->boiteMin.z, 2);
    ASSERT_EQ(scene.nbTextures(), 1);
    EXPECT_EQ(scene.textures[0]->nom, "tex");
    EXPECT_EQ(scene.materiaux.size(), 1u);
    EXPECT_EQ(scene.nbInstances(), 1);
    // Scalars and null objects stay; everything handed over is removed.
    EXPECT_TRUE(existe("n"));
    EXPECT_TRUE(existe("vide"));
    EXPECT_FALSE(existe("tex"));
    EXPECT_FALSE(existe("zz"));
    EXPECT_FALSE(existe("mat"));
    EXPECT_EQ(sortie, "\033[34mlecture du fichier " + dossier +
                          "scene.txt\033[49m\n"
                          "  2 entité(s) lue(s)\n  1 textures(s) lue(s)\n  0 lumière(s) lue(s)\n"
                          "  1 instance(s) d'entité ajoutée(s)\n\033[0m");
}

TEST_F(Possession, ObjetPartageRemisUneSeuleFois) {
    ASSERT_EQ(charge("a = " + triangle() +
                     ";\nb = a;\ni = instancieEntite(&a);\nj = i;\n"
                     "t = chargeTexture(\"sc_texture.tga\");\nu = t;\n"),
              0);
    EXPECT_EQ(scene.nbEntites(), 1);
    EXPECT_EQ(scene.nbInstances(), 1);
    ASSERT_EQ(scene.nbTextures(), 1);
    EXPECT_EQ(scene.textures[0]->nom, "t");
    EXPECT_TRUE(script.variables.empty());
}

TEST_F(Possession, TextureDUnMeshInstalleeMemeSansVariable) {
    ASSERT_EQ(charge("m = " + triangle() +
                     ";\nt = chargeTexture(\"sc_texture.tga\");\n"
                     "setTexture(&m, &t);\ndetruit(t);\n"),
              0);
    ASSERT_EQ(scene.nbTextures(), 1);
    EXPECT_EQ(scene.textures[0]->fichier, "sc_texture.tga");
}

TEST_F(Possession, MetaballsRemisesALaScene) {
    ASSERT_EQ(charge("z = metaballzone(10, 4, 1.0);\ni = instancieEntite(&z);\n"
                     "addMetaballEx(&z, \"sphere\", 1, \"\", (1, 0, 0), 2);\n"
                     "addMetaballEx(&z, \"cylindreX\", 1, \"sinX\", (0, 1, 0), 2);\n"),
              0);
    EXPECT_EQ(scene.nbInstances(), 3);
    EXPECT_EQ(scene.nbEntites(), 1);
    EXPECT_TRUE(script.variables.empty());
}

TEST_F(Possession, ScriptOuToutEchoueRendZeroEtQuatreZeros) {
    ASSERT_EQ(charge("a = inconnue;\nb = rgb(1);\n"), 0);
    EXPECT_EQ(nbBoites(), 2);
    EXPECT_NE(sortie.find("  0 entité(s) lue(s)\n  0 textures(s) lue(s)\n  0 lumière(s) lue(s)\n"
                          "  0 instance(s) d'entité ajoutée(s)\n"),
              std::string::npos);
}

TEST_F(Possession, FichierDeSceneAbsent) {
    execute("a = " + triangle() + ";\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(script.charge((dossier + "absent.txt").c_str()), 3);
    std::string s = testing::internal::GetCapturedStdout();
    EXPECT_NE(s.find("\033[31m(Script::aux_lit_fichier) impossible d'ouvrir le fichier "),
              std::string::npos);
    EXPECT_TRUE(script.variables.empty());
    EXPECT_THROW(script.charge(nullptr), pointeur_null);
}

TEST_F(Possession, SequencesDeReaffectationsEtDeDestructions) {
    // Everything mixed; the sanitizer build checks that no freed object is touched.
    ASSERT_EQ(
        charge(robotComplet() +
               "i = instancieEntite(&r);\nj = i;\ni = j;\ndetruit(j);\nk = instancieEntite(&r);\n"
               "r2 = r;\nr = r2;\ndetruit(r);\nr2 = 5;\nsetMatrice(&k, matrice(1, 0, 0, 1, 0, 1, "
               "0, 2, 0, 0, 1, 3, 0, 0, 0, 1));\nm = l0;\nl0 = m;\ndetruit(l0);\nl0 = l1;\n"
               "t = chargeTexture(\"sc_texture.tga\");\nsetTexture(&l1, &t);\nt = t;\ndetruit(t);\n"
               "c = rgb(1, 2, 3);\nd = c;\nc = c;\ndetruit(d);\np = &c;\nl = {1 2 3};\nl;\nl = l;\n"
               "detruit(l);\ni;\nk;\n"),
        0);
    EXPECT_EQ(nbBoites(), 0) << toutesLesBoites();
    ASSERT_EQ(scene.nbInstances(), 1);
    auto k = std::dynamic_pointer_cast<InstanceEntite>(scene.instances[0]);
    EXPECT_TRUE(dynamic_cast<Robot*>(k->entite.get()));
    EXPECT_FLOAT_EQ(k->m[12], 1);
    scene.vider();
    script.vide();
}
