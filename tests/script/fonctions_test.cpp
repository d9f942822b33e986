// The builtins: results, argument checks (reported position, order), class tests and the
// messages of each row.
#include "script/fonctions.h"

#include <cmath>

#include "metaball/metaballzone.h"
#include "robot/bras_chaine.h"
#include "robot/robot.h"
#include "script/banc_script.h"

namespace {
const char* const BUG = "erreur: c'est plein de bug ton truc...";
const char* const BUG_POINTEUR = "(erreur) c'est plein de bug ton truc...";

std::shared_ptr<Mesh> meshDe(const Valeur& v) {
    return std::dynamic_pointer_cast<Mesh>(v.objet<Entite>());
}
}  // namespace

using Fonctions = BancScript;

TEST_F(Fonctions, CouleursSansBornage) {
    execute("r = rgb(255, 0, 0);\na = rgba(0, 0, 0, 128);\nx = rgb(510, -255, 0);\n");
    auto r = var("r").objet<RGBA>();
    ASSERT_TRUE(r);
    EXPECT_FLOAT_EQ(r->r, 1.0f);
    EXPECT_FLOAT_EQ(r->a, 1.0f);
    EXPECT_NEAR(var("a").objet<RGBA>()->a, 0.50196f, 1e-5);
    EXPECT_NEAR(var("x").objet<RGBA>()->r, 2.0f, 1e-5);
    EXPECT_NEAR(var("x").objet<RGBA>()->g, -1.0f, 1e-5);
}

TEST_F(Fonctions, ControleDeTypeDuDernierAuPremier) {
    execute("c = rgb(1.5, 2, 3.5);\n");
    ASSERT_EQ(nbBoites(), 1);  // the first argument is not examined
    EXPECT_EQ(boite().titre, BUG);
    EXPECT_EQ(boite().texte,
              "La fonction\n\n rgb\n\nattend en paramètre n°3 un élement du type\n\n 'int'\n\nor "
              "ici, 3.50 est du type\n\n  'float'");
    EXPECT_EQ(var("c").type, T_COULEUR);
    EXPECT_FALSE(var("c").adresse());
}

TEST_F(Fonctions, EntierAccepteOuUnReelEstAttendu) {
    execute("m = matrice(1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto m = var("m").objet<CMatrice>();
    ASSERT_TRUE(m);
    // First row, stored column-major.
    EXPECT_FLOAT_EQ(m->m[0], 1);
    EXPECT_FLOAT_EQ(m->m[4], 2);
    EXPECT_FLOAT_EQ(m->m[8], 3);
    EXPECT_FLOAT_EQ(m->m[12], 4);
    EXPECT_FLOAT_EQ(m->m[1], 0);
}

TEST_F(Fonctions, DereferencementEtSesQuatreBoites) {
    execute("m = " + triangle() + ";\nc = rgb(1, 2, 3);\n");
    execute("i = instancieEntite(m);\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, BUG_POINTEUR);
    EXPECT_EQ(boite().texte,
              "La fonction\n\n instancieEntite\n\nattend en paramètre n°1 un élement du type\n\n "
              "'pointeur'\n\nor ici, (entite) est du type\n\n  'entite'");
    EXPECT_EQ(var("i").type, T_INSTANCE);
    EXPECT_FALSE(var("i").adresse());

    boites.efface();
    execute("j = instancieEntite(&absente);\n");
    // The address of an undefined name is refused by evaluation, then the void argument.
    ASSERT_EQ(nbBoites(), 2);
    EXPECT_EQ(boite(0).titre, "pfff... encore une erreur");
    EXPECT_NE(boite(1).texte.find("'pointeur'\n\nor ici, (void) est du type\n\n  'void'"),
              std::string::npos);

    boites.efface();
    execute("p = &c;\ndetruit(c);\nk = instancieEntite(p);\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte,
              "La fonction\n\n instancieEntite\n\nattend en paramètre n°1 un élement du type\n\n "
              "'*entite'\n\nor ici, pointeur sur la variable -> c est du type\n\n  "
              "'*couleur'\n Et le cast est impossible.");

    boites.efface();
    script.variables.erase("c");
    execute("k = instancieEntite(p);\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "La variable\n\n c\n\nn'existe pas !");
}

TEST_F(Fonctions, InstancieUneEntiteNulle) {
    execute("m = (1.5, 0, {}, {});\ni = instancieEntite(&m);\n");
    ASSERT_EQ(nbBoites(), 2);
    EXPECT_EQ(boite(1).titre, "erreur de pointeur");
    EXPECT_EQ(boite(1).texte, "pointeur sur une entité non initialisée");
    EXPECT_EQ(var("i").type, T_VOID);
}

TEST_F(Fonctions, SetMatriceSurUneInstanceOuUneEntite) {
    execute("m = " + triangle() +
            ";\ni = instancieEntite(&m);\n"
            "t = matrice(1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 0, 0, 0, 1);\n"
            "setMatrice(&i, t);\nsetMatrice(&m, t);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto i = var("i").objet<Instance>();
    EXPECT_FLOAT_EQ(i->m[12], 5);
    EXPECT_FLOAT_EQ(i->m[13], 6);
    EXPECT_FLOAT_EQ(i->m[14], 7);
    EXPECT_FLOAT_EQ(var("m").objet<Entite>()->m[14], 7);
}

TEST_F(Fonctions, OperationsSurLesMatrices) {
    execute(
        "t = matrice(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);\n"
        "matriceScale(&t, (2, 3, 4));\nmatriceTranslate(&t, (1, 1, 1));\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto t = var("t").objet<CMatrice>();
    CVecteur p = t->transformePoint(CVecteur(1, 1, 1));
    EXPECT_FLOAT_EQ(p.x, 3);  // scaled first, then moved
    EXPECT_FLOAT_EQ(p.z, 5);

    execute(
        "r = matrice(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);\n"
        "matriceRotate(&r, (0, 0, 1), 90);\n");
    CVecteur q = var("r").objet<CMatrice>()->transformePoint(CVecteur(1, 0, 0));
    EXPECT_NEAR(q.x, 0, 1e-5);
    EXPECT_NEAR(std::fabs(q.y), 1, 1e-5);
}

TEST_F(Fonctions, MatriceCibleNulleMessagesExacts) {
    execute(
        "n = matrice(1);\nt = matrice(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);\n"
        "detruit(t);\n");
    boites.efface();
    execute(
        "setMatrice(&t, t);\nmatriceScale(&t, (1, 1, 1));\n"
        "matriceTranslate(&t, (1, 1, 1));\nmatriceRotate(&t, (0, 0, 1), 3);\n");
    ASSERT_EQ(nbBoites(), 4) << toutesLesBoites();
    EXPECT_EQ(boite(0).texte, "pointeur sur une matrice non initialisé");
    EXPECT_EQ(boite(1).texte, "pointeur sur une matrice non initialisé");
    EXPECT_EQ(boite(2).texte, "pointeur sur une matrice non initialisée");
    EXPECT_EQ(boite(3).texte, "pointeur sur une matrice non initialisée");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(boite(i).titre, "erreur de pointeur");
}

TEST_F(Fonctions, TransformationsDeMesh) {
    execute("m = " + triangle() + ";\nscale(&m, 2);\ntranslate(&m, (0, 0, 1));\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto m = meshDe(var("m"));
    EXPECT_FLOAT_EQ(m->getSomCoord(1).x, 2);
    EXPECT_FLOAT_EQ(m->getSomCoord(1).z, 1);
    // The box follows the vertices.
    EXPECT_FLOAT_EQ(m->boiteMax.x, 2);
    EXPECT_FLOAT_EQ(m->boiteMin.z, 1);

    execute("rotate(&m, (0, 0, 1), 90);\n");
    EXPECT_NEAR(m->getSomCoord(1).x, 0, 1e-5);
    EXPECT_NEAR(std::fabs(m->getSomCoord(1).y), 2, 1e-5);
    EXPECT_NEAR(m->boiteMax.x - m->boiteMin.x, 2, 1e-5);
}

TEST_F(Fonctions, ScaleRefuseCeQuiNEstPasUnMesh) {
    execute("z = metaballzone(10, 4, 1.0);\nr = scale(&z, 2);\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "erreur de type");
    EXPECT_EQ(boite().texte, "La fonction 'scale' ne s'applique qu'à des mesh !");
    EXPECT_EQ(var("r").type, T_POINTEUR);
    auto zone = std::dynamic_pointer_cast<MetaballZone>(var("z").objet<Entite>());
    EXPECT_FLOAT_EQ(zone->taille, 10);

    boites.efface();
    execute("n = (1.5, 1, {}, {});\ns = translate(&n, (1, 1, 1));\nrotate(&z, (1, 0, 0), 3);\n");
    ASSERT_EQ(nbBoites(), 3);
    EXPECT_EQ(boite(1).titre, "erreur de pointeur");
    EXPECT_EQ(boite(1).texte, "pointeur sur mesh non initialisé");
    EXPECT_EQ(var("s").type, T_POINTEUR);
    EXPECT_EQ(boite(2).texte, "La fonction 'scale' ne s'applique qu'à des mesh !");
}

TEST_F(Fonctions, MaterialEtTexture) {
    execute("m = " + triangle() +
            ";\n"
            "mat = creerMaterial(rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 255, "
            "255), 7);\n"
            "setMaterial(&m, mat);\nt = chargeTexture(\"sc_texture.tga\");\nsetTexture(&m, &t);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto mat = var("mat").objet<Material>();
    ASSERT_TRUE(mat);
    EXPECT_FLOAT_EQ(mat->couleur1.r, 1);
    EXPECT_FLOAT_EQ(mat->couleur2.g, 1);
    EXPECT_FLOAT_EQ(mat->couleur3.g, 1);  // the fourth argument
    EXPECT_FLOAT_EQ(mat->couleur4.b, 1);  // the third argument
    EXPECT_FLOAT_EQ(mat->brillance, 7);
    auto m = meshDe(var("m"));
    EXPECT_EQ(m->getFace(0).material, mat.get());
    EXPECT_EQ(m->texture, var("t").objet<Texture>().get());
    EXPECT_EQ(m->texture->fichier, "sc_texture.tga");

    execute("z = metaballzone(1, 1, 1.0);\nsetMaterial(&z, mat);\nsetTexture(&z, &t);\n");
    ASSERT_EQ(nbBoites(), 2);
    EXPECT_EQ(boite(0).texte, "Les materiaux ne s'applique qu'à des mesh !");
    EXPECT_EQ(boite(1).texte, "Les textures ne s'applique qu'à des mesh !");
}

TEST_F(Fonctions, TextureManquanteEtRepliSurLeRepertoireDeLaScene) {
    execute("t = chargeTexture(\"absente.tga\");\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "lecture d'une texture");
    EXPECT_EQ(boite().texte, "impossible de charger la texture absente.tga.");
    EXPECT_EQ(var("t").type, T_TEXTURE);
    EXPECT_FALSE(var("t").adresse());

    boites.efface();
    ecrit("a_cote.tga", "x");
    execute("u = chargeTexture(\"a_cote.tga\");\n");
    EXPECT_EQ(nbBoites(), 0) << toutesLesBoites();
    EXPECT_TRUE(var("u").adresse());
}

TEST_F(Fonctions, ChargeWaveFrontPublieLesMateriaux) {
    execute("c = chargeWaveFront(\"sc_cube.obj\", true);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto m = meshDe(var("c"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->nbFaces(), 6);
    ASSERT_TRUE(existe("sc_cube.objacier"));
    EXPECT_EQ(var("sc_cube.objacier").type, T_MATERIAL);
    EXPECT_TRUE(existe("sc_cube.objbois"));

    // An existing variable of the same name is left as it is.
    execute("d = chargeWaveFront(\"sc_cube.obj\", false);\n");
    EXPECT_NE(meshDe(var("d"))->getFace(0).material,
              var("sc_cube.objacier").objet<Material>().get());
}

TEST_F(Fonctions, ChargeWaveFrontCheminRelatif) {
    // Beside the scene only: found there. In both places: the working directory wins.
    ecrit("sc_seul.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    ecrit("sc_cube.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    execute(
        "s = chargeWaveFront(\"sc_seul.obj\", true);\nc = chargeWaveFront(\"sc_cube.obj\", "
        "true);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    EXPECT_EQ(meshDe(var("s"))->nbFaces(), 1);
    EXPECT_EQ(meshDe(var("c"))->nbFaces(), 6);
}

TEST_F(Fonctions, ChargeWaveFrontEchecEtOrdreDesControles) {
    execute("c = chargeWaveFront(\"absent.obj\", true);\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "lecture de fichier wavefront");
    EXPECT_EQ(boite().texte, "impossible de charger le fichier absent.obj.");
    EXPECT_EQ(var("c").type, T_VOID);

    boites.efface();
    execute("d = chargeWaveFront(1, 2);\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_NE(boite().texte.find("paramètre n°1"), std::string::npos);
    EXPECT_EQ(var("d").type, T_ENTITE);
}

TEST_F(Fonctions, InsertLumiere) {
    execute(
        "insertLumiere(true, (1, 2, 3), 0, (0, 0, -2), rgb(255, 0, 0), rgb(0, 255, 0), "
        "rgb(0, 0, 255), 2, 45, 1, 0.5, 0.25, false);\n"
        "insertLumiere(false, (0, 0, 0), 1, (0, 0, 0), rgb(0, 0, 0), rgb(0, 0, 0), rgb(0, 0, 0), "
        "0, 180, 1, 0, 0, true);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    ASSERT_EQ(scene.nbLumieres(), 2);
    Lumiere* l = scene.getLumiere(0);
    EXPECT_TRUE(l->fixeObservateur);
    EXPECT_FLOAT_EQ(l->position.y, 2);
    EXPECT_FLOAT_EQ(l->position.w, 0);
    EXPECT_FLOAT_EQ(l->direction.z, -1);
    EXPECT_FLOAT_EQ(l->ambiante.r, 1);
    EXPECT_FLOAT_EQ(l->diffuse.g, 1);
    EXPECT_FLOAT_EQ(l->speculaire.b, 1);
    EXPECT_FLOAT_EQ(l->exposant, 2);
    EXPECT_FLOAT_EQ(l->coupure, 45);
    EXPECT_FLOAT_EQ(l->attenuationQuadratique, 0.25f);
    EXPECT_FALSE(l->allumee);
    EXPECT_TRUE(l->porteOmbre);
    EXPECT_FLOAT_EQ(scene.getLumiere(1)->direction.x, 0);
    EXPECT_TRUE(scene.getLumiere(1)->allumee);
}

TEST_F(Fonctions, InsertLumiereAvecUnObjetDetruitRefusee) {
    execute(
        "c = rgb(1, 1, 1);\ndetruit(c);\ninsertLumiere(true, (1, 2, 3), 0, (0, 0, 1), c, c, c, "
        "2, 45, 1, 0, 0, true);\n");
    EXPECT_EQ(scene.nbLumieres(), 0);
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "erreur de pointeur");
    EXPECT_NE(boite().texte.find("paramètre n°5"), std::string::npos);
}

TEST_F(Fonctions, SubitGravite) {
    execute("m = " + triangle() + ";\ni = instancieEntite(&m);\nsubitGravite(&i, false);\n");
    EXPECT_FALSE(var("i").objet<Instance>()->tombe);
    execute("subitGravite(&m, true);\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_NE(boite().texte.find("'*instance'"), std::string::npos);
}

namespace {
std::string robotAvec(const std::string& onzieme) {
    std::string s = "r = robot(10, 20, 30, 30, 5, 5, 5, 5, 5, 90, 90, 90, 90, 2, 1";
    for (int i = 0; i < 10; ++i) s += ", &l" + std::to_string(i);
    return s + ", " + onzieme + ");\n";
}
}  // namespace

TEST_F(Fonctions, RobotConstruitEtReglages) {
    std::string liens;
    for (int i = 0; i < 11; ++i) liens += "l" + std::to_string(i) + " = " + triangle(i) + ";\n";
    execute(liens + robotAvec("&l10") +
            "setRobotReperes(&r, true);\nsetRobotPrecisionProgrammeMGI(&r, 3);\n"
            "setRobotCoordArticulaires(&r, 45, 40, -70, 10);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto r = std::dynamic_pointer_cast<Robot>(var("r").objet<Entite>());
    ASSERT_TRUE(r);
    EXPECT_FLOAT_EQ(r->L0, 10);
    EXPECT_FLOAT_EQ(r->rayonMin, 1);
    EXPECT_EQ(r->bielle, meshDe(var("l10")).get());
    EXPECT_TRUE(r->reperes);
    EXPECT_FLOAT_EQ(r->precisionMGI, 3);
    EXPECT_FLOAT_EQ(r->THETA1, 45);
    EXPECT_FLOAT_EQ(r->THETA3, -70);
    EXPECT_FLOAT_EQ(r->THETA5, 10);

    execute(
        "setRobotReperes(&l0, true);\nsetRobotCoordArticulaires(&l0, 1, 2, 3, 4);\n"
        "setRobotPrecisionProgrammeMGI(&l0, 1);\n");
    ASSERT_EQ(nbBoites(), 3);
    EXPECT_EQ(boite(0).texte, "setRobotReperes ne s'applique qu'à des robot !");
    EXPECT_EQ(boite(1).texte, "setArticulationCoord ne s'applique qu'à des robot !");
    EXPECT_EQ(boite(2).texte, "setRobotPrecisionProgrammeMGI ne s'applique qu'à des robot !");
    EXPECT_EQ(boite(0).titre, "erreur de type");
}

TEST_F(Fonctions, RobotAvecUnLienQuiNEstPasUnMesh) {
    std::string liens;
    for (int i = 0; i < 10; ++i) liens += "l" + std::to_string(i) + " = " + triangle() + ";\n";
    execute(liens + "z = metaballzone(1, 1, 1.0);\n" + robotAvec("&z"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "erreur de type");
    EXPECT_EQ(boite().texte,
              "Les paramètres de la fonction 'robot' de type 'entité' doivent être des mesh !");
    EXPECT_EQ(var("r").type, T_POINTEUR);

    // A failed check on the last argument reports position 26.
    boites.efface();
    execute(robotAvec("z"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_NE(boite().texte.find("paramètre n°26"), std::string::npos);
}

TEST_F(Fonctions, AttenteAbsurdeEtFilePleineRefusees) {
    std::string liens;
    for (int i = 0; i < 11; ++i) liens += "l" + std::to_string(i) + " = " + triangle(i) + ";\n";
    execute(liens + robotAvec("&l10") + "attends(&r, 1000000000000000000000000000000.0);\n");
    ASSERT_EQ(nbBoites(), 1) << toutesLesBoites();
    EXPECT_EQ(boite().titre, "fonction 'attends'");
    EXPECT_EQ(
        boite().texte,
        "attente refusée : 1e+30 s n'est pas une durée entre 0 et 86400 secondes (un jour) !");
    auto r = std::dynamic_pointer_cast<Robot>(var("r").objet<Entite>());
    EXPECT_TRUE(r->commandes.empty());

    // Memory stays bounded: a full queue takes nothing more.
    r->commandes.resize(10000);
    boites.efface();
    // Only the first refusal says so: the next ones would each need a click on OK.
    execute("attends(&r, 1);\nsaisis(&r);\n");
    ASSERT_EQ(nbBoites(), 1) << toutesLesBoites();
    EXPECT_EQ(boite(0).titre, "fonction 'attends'");
    EXPECT_EQ(boite(0).texte,
              "la file de commandes du robot est pleine (10000 commandes) : commande refusée !");
    EXPECT_EQ(r->commandes.size(), 10000u);
}

TEST_F(Fonctions, MetaballsPublieesSousDesNomsDistincts) {
    execute(
        "z = metaballzone(10, 4, 1.0);\n"
        "addMetaballEx(&z, \"sphere\", 1, \"sinY\", (1, 0, 0), 2);\n"
        "addMetaballEx(&z, \"sphere\", 1, \"aucune\", (0, 1, 0), 2);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto zone = std::dynamic_pointer_cast<MetaballZone>(var("z").objet<Entite>());
    ASSERT_EQ(zone->primitives.size(), 2u);
    int nb = 0;
    for (const auto& e : script.variables)
        if (e.first.rfind("#metaball", 0) == 0) {
            ++nb;
            EXPECT_EQ(e.second.type, T_INSTANCE);
        }
    EXPECT_EQ(nb, 2);
    EXPECT_FALSE(zone->primitives[0]->tombe);
    EXPECT_FLOAT_EQ(zone->primitives[1]->m[13], 1);

    execute("m = " + triangle() +
            ";\naddMetaballEx(&m, \"sphere\", 1, \"\", (0, 0, 0), 1);\n"
            "addMetaballEx(&vide, \"sphere\", 1, \"\", (0, 0, 0), 1);\n");
    ASSERT_GE(nbBoites(), 1);
    EXPECT_EQ(boite(0).titre, "erreur de type");
    EXPECT_EQ(boite(0).texte, "addMetaballEx ne s'applique qu'à des objets de type MetaballZone !");
}

// The checks every call goes through, from its row's signature.

TEST_F(Fonctions, SignatureTypeFautifAuMilieu) {
    execute("m = creerMaterial(rgb(1, 2, 3), 5, rgb(1, 2, 3), rgb(1, 2, 3), 7);\n");
    ASSERT_EQ(nbBoites(), 1) << toutesLesBoites();
    EXPECT_EQ(boite().titre, BUG);
    EXPECT_EQ(boite().texte,
              "La fonction\n\n creerMaterial\n\nattend en paramètre n°2 un élement du type\n\n "
              "'couleur'\n\nor ici, 5 est du type\n\n  'int'");
    EXPECT_EQ(var("m").type, T_VOID);

    // A destroyed object in the middle of a call: the common box, with its position.
    boites.efface();
    execute(
        "z = metaballzone(10, 4, 1.0);\np = (1, 0, 0);\ndetruit(p);\n"
        "addMetaballEx(&z, \"sphere\", 1, \"\", p, 2);\n");
    ASSERT_EQ(nbBoites(), 1) << toutesLesBoites();
    EXPECT_EQ(boite().titre, "erreur de pointeur");
    EXPECT_EQ(boite().texte,
              "La fonction\n\n addMetaballEx\n\nreçoit en paramètre n°5 un objet non initialisé "
              "(détruit ou mal construit) !");
    EXPECT_TRUE(
        std::dynamic_pointer_cast<MetaballZone>(var("z").objet<Entite>())->primitives.empty());
}

TEST_F(Fonctions, SignatureObjetsNulsAcceptesIgnoresOuApresLaClasse) {
    // Accepted: the texture and the material of a mesh may be taken away.
    execute("m = " + triangle() + ";\nc = rgb(1, 1, 1);\nmat = creerMaterial(c, c, c, c, 1);\n" +
            "t = chargeTexture(\"sc_texture.tga\");\nsetTexture(&m, &t);\nsetMaterial(&m, mat);\n" +
            "detruit(t);\ndetruit(mat);\nsetTexture(&m, &t);\nsetMaterial(&m, mat);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    EXPECT_EQ(meshDe(var("m"))->texture, nullptr);
    EXPECT_EQ(meshDe(var("m"))->getFace(0).material, nullptr);

    // Ignored: matriceRotate about a destroyed axis does nothing and says nothing.
    execute(
        "r = matrice(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);\na = (0, 0, 1);\n"
        "detruit(a);\nmatriceRotate(&r, a, 90);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    EXPECT_FLOAT_EQ(var("r").objet<CMatrice>()->m[0], 1);

    // The first argument's class is reported before a later argument's null object.
    execute("z = metaballzone(10, 4, 1.0);\nrotate(&z, a, 3);\n");
    ASSERT_EQ(nbBoites(), 1) << toutesLesBoites();
    EXPECT_EQ(boite().titre, "erreur de type");
    EXPECT_EQ(boite().texte, "La fonction 'scale' ne s'applique qu'à des mesh !");
}

namespace {
constexpr std::array<Parametre, 1> NOMBRES{parValeur(T_FLOAT, bitType(T_INT))};
}  // namespace

TEST_F(Fonctions, SignatureDeNombreQuelconque) {
    // One description for every argument, whatever their count.
    const FonctionPredefinie somme =
        FonctionPredefinie("somme", &Script::detruit, NOMBRES, T_VOID).quelconque();
    std::vector<Valeur> a{Valeur::entier(1), Valeur::reel(2.5f), Valeur::entier(4)};
    Valeur echec;
    ASSERT_TRUE(script.verifie_signature(somme, a, echec)) << toutesLesBoites();
    EXPECT_EQ(a[0].type, T_FLOAT);
    EXPECT_EQ(a[2].type, T_FLOAT);
    EXPECT_FLOAT_EQ(a[2].scalaire.f, 4);

    a.insert(a.begin() + 1, Valeur::booleen(true));
    EXPECT_FALSE(script.verifie_signature(somme, a, echec));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_NE(boite().texte.find("somme\n\nattend en paramètre n°2"), std::string::npos);
    EXPECT_EQ(echec.type, T_VOID);
}

TEST_F(Fonctions, RobotURDF_ChargeEtPoseCompteeEtBornee) {
    execute(
        "p = robotURDF(\"urdf/portique.urdf\", 100.0);\n"
        "setRobotCoordArticulaires(&p, 20, 90, 10);\n"
        "i = instancieEntite(&p);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto p = std::dynamic_pointer_cast<BrasChaine>(var("p").objet<Entite>());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->articulations(), (std::vector<double>{20, 90, 10}));
    // Carriage at x = 20, column turned a quarter, arm 10 down.
    EXPECT_LT((p->outil().translation() - Eigen::Vector3d(20, 30, 50)).norm(), 1e-4);

    execute(
        "setRobotCoordArticulaires(&p, 20, 90);\n"
        "setRobotCoordArticulaires(&p, -100, 0, 0);\n"
        "q = robotURDF(\"urdf/absent.urdf\", 100.0);\n"
        "setRobotCoordArticulaires(&p);\n");
    ASSERT_EQ(nbBoites(), 4) << toutesLesBoites();
    EXPECT_EQ(boite(0).texte, "pose refusée : le robot portique a 3 articulations, pas 2 !");
    EXPECT_EQ(boite(1).texte,
              "pose refusée : translation vaut -100, hors de ses limites (de -80 à 80) !");
    EXPECT_NE(boite(2).texte.find("urdf/absent.urdf"), std::string::npos);
    EXPECT_EQ(boite(3).texte,
              "Tu fournis 1 paramètre(s) à la fonction \"setRobotCoordArticulaires\" qui en "
              "attend au moins 2");
    EXPECT_EQ(p->articulations(), (std::vector<double>{20, 90, 10}));
    EXPECT_FALSE(var("q").objet<Entite>());
}

TEST_F(Fonctions, MouvementsDUnBrasDecrit_NombreDeValeursSelonLeBras) {
    std::string liens;
    for (int i = 0; i < 11; ++i) liens += "l" + std::to_string(i) + " = " + triangle(i) + ";\n";
    execute(liens + robotAvec("&l10") + "p = robotURDF(\"urdf/portique.urdf\", 100.0);\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    // The table counts the values against the arm given: three joints, a position and the
    // straight-line flag for the gantry; the four-joint arm's counts as before.
    execute(
        "deplaceArticulaire(&p, 10, 20);\n"
        "deplacePoignet(&p, 30, 0, 45, 0, 0, 0, true);\n"
        "deplaceArticulaire(&r, 10, 20, 30);\n"
        "deplacePoignet(&p, 30.0, 0.0, true, 45.0);\n"
        "deplacePoignet(&p, 500.0, 0.0, 45.0, false);\n"
        "deplaceArticulaire(&p, 10, 20, 50);\n");
    ASSERT_EQ(nbBoites(), 6) << toutesLesBoites();
    EXPECT_EQ(boite(0).texte,
              "Tu fournis 3 paramètre(s) à la fonction \"deplaceArticulaire\" qui en attend 4");
    EXPECT_EQ(boite(1).texte,
              "Tu fournis 8 paramètre(s) à la fonction \"deplacePoignet\" qui en attend 5");
    EXPECT_EQ(boite(2).texte,
              "Tu fournis 4 paramètre(s) à la fonction \"deplaceArticulaire\" qui en attend 5");
    EXPECT_NE(boite(3).texte.find("attend en paramètre n°5"), std::string::npos);
    EXPECT_EQ(boite(4).texte, "mouvement refusé : hors d'atteinte !");
    EXPECT_EQ(boite(5).texte,
              "mouvement refusé : descente vaut 50, hors de ses limites (de 0 à 40) !");
    auto p = std::dynamic_pointer_cast<BrasChaine>(var("p").objet<Entite>());
    EXPECT_TRUE(p->commandes.empty());

    // Taken: in order, the wrist target solved from where the joint move leaves the arm.
    execute(
        "setRobotProfil(&p, \"trapeze\", 50.0);\n"
        "deplaceArticulaire(&p, 10, 90, 5);\n"
        "deplacePoignet(&p, 10.0, 30.0, 40.0, true);\n"
        "saisis(&p);\nlache(&p);\nattends(&p, 1.5);\n");
    ASSERT_EQ(nbBoites(), 6) << toutesLesBoites();
    ASSERT_EQ(p->commandes.size(), 5u);
    EXPECT_EQ(p->commandes[0].cible, (std::vector<double>{10, 90, 5}));
    EXPECT_EQ(p->commandes[0].profil.genre, GenreProfil::Trapeze);
    EXPECT_TRUE(p->commandes[1].rectiligne);
    EXPECT_NEAR(p->commandes[1].cible[1], 90, 1e-3);
    EXPECT_NEAR(p->commandes[1].cible[2], 20, 1e-4);
    EXPECT_EQ(p->commandes[4].genre, GenreCommande::Attente);
    EXPECT_FLOAT_EQ(p->commandes[4].secondes, 1.5f);
}
