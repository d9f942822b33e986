// Statements and expressions: assignments, options, literals, names, calls and their
// error boxes.
#include <cmath>

#include "script/banc_script.h"

namespace {
const char* const BOURDE = "(erreur) encore une bourde...";
const char* const ENDORMI =
    "Tu te serais pas endormi sur le clavier à tout hazard ?\n\tC'est quoi çà :\n\n\t'";
}  // namespace

using Evaluation = BancScript;

TEST_F(Evaluation, UneVariableChangeDeTypeALaReaffectation) {
    execute("a = 3;\na = \"texte\";\n");
    ASSERT_EQ(var("a").type, T_STRING);
    EXPECT_EQ(*var("a").objet<std::string>(), "texte");
    EXPECT_EQ(nbBoites(), 0);
}

TEST_F(Evaluation, OptionExigeLeTypeExact) {
    execute("gravite = 1;\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, BOURDE);
    EXPECT_EQ(boite().texte,
              "Tentative d'affectation d'un objet de type\n\n  'int'\n\nà la variable\n\n  "
              "'gravite'\n\nqui est du type\n\n  'float'");
    EXPECT_FLOAT_EQ(scene.gravite, 9.8f);
    EXPECT_FALSE(existe("gravite"));

    execute("gravite = 1.0;\ncouleurfond = rgb(255, 0, 0);\ncameraPos = (1, 2, 3);\n");
    EXPECT_EQ(nbBoites(), 1);
    EXPECT_FLOAT_EQ(scene.gravite, 1.0f);
    EXPECT_FLOAT_EQ(scene.couleurfond.r, 1.0f);
    EXPECT_FLOAT_EQ(scene.couleurfond.g, 0.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 2.0f);
}

TEST_F(Evaluation, OptionRefuseUnNombreNonFini) {
    execute("gravite = 1.0e39;\n");
    ASSERT_EQ(nbBoites(), 1) << toutesLesBoites();
    EXPECT_EQ(boite().titre, "erreur de valeur");
    EXPECT_NE(boite().texte.find("'gravite'"), std::string::npos) << boite().texte;
    EXPECT_NE(boite().texte.find("inf"), std::string::npos) << boite().texte;
    EXPECT_FLOAT_EQ(scene.gravite, 9.8f);
}

TEST_F(Evaluation, OptionLueDonneSaValeurCourante) {
    execute("c = couleurfond;\ng = grilleTaille;\np = &gravite;\n");
    auto c = var("c").objet<RGBA>();
    ASSERT_TRUE(c);
    EXPECT_FLOAT_EQ(c->r, 0.5f);
    EXPECT_FLOAT_EQ(c->a, 1.0f);
    EXPECT_EQ(var("g").scalaire.i, 500);
    EXPECT_EQ(texte_valeur(var("p")), "pointeur sur la variable -> gravite");
}

TEST_F(Evaluation, OptionRefuseUnObjetDetruit) {
    execute("c = rgb(0, 0, 0);\ndetruit(c);\ncouleurfond = c;\n");
    ASSERT_EQ(nbBoites(), 1) << toutesLesBoites();
    EXPECT_EQ(boite().titre, "erreur de pointeur");
    EXPECT_FLOAT_EQ(scene.couleurfond.r, 0.5f);
}

TEST_F(Evaluation, LeSigneEgalDoitEtreSuiviDUnSeparateur) {
    execute("a= 1;\nb =(1, 2, 3);\nc =1;\n");
    EXPECT_EQ(var("a").scalaire.i, 1);
    EXPECT_EQ(var("b").type, T_POINT);
    EXPECT_FALSE(existe("c"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte, std::string(ENDORMI) + "c'\n");
}

TEST_F(Evaluation, TexteApresUneExpressionCompleteIgnore) {
    execute("a = 1 2;\nb = 5;\nc = b a;\n");
    EXPECT_EQ(var("a").scalaire.i, 1);
    EXPECT_EQ(var("c").scalaire.i, 5);
}

TEST_F(Evaluation, Nombres) {
    execute("a = -;\nb = 1e3;\nc = 2.5abc;\nd = -7;\ne = .5;\nf = 99999999999;\n");
    EXPECT_EQ(var("a").type, T_INT);
    EXPECT_EQ(var("a").scalaire.i, 0);
    EXPECT_EQ(var("b").type, T_INT);
    EXPECT_EQ(var("b").scalaire.i, 1);
    EXPECT_EQ(var("c").type, T_FLOAT);
    EXPECT_FLOAT_EQ(var("c").scalaire.f, 2.5f);
    EXPECT_EQ(var("d").scalaire.i, -7);
    EXPECT_FLOAT_EQ(var("e").scalaire.f, 0.5f);
    EXPECT_EQ(var("f").scalaire.i, 2147483647);  // out of range: held at the limit
}

TEST_F(Evaluation, ChainesEtBooleens) {
    execute("s = \"a b, c\";\nv = \"\" ;\nt = true;\nf = false;\n");
    EXPECT_EQ(*var("s").objet<std::string>(), "a b, c");
    EXPECT_EQ(*var("v").objet<std::string>(), "");
    EXPECT_EQ(var("t").type, T_BOOL);
    EXPECT_TRUE(var("t").booleenVal());
    EXPECT_FALSE(var("f").booleenVal());
}

TEST_F(Evaluation, PointConvertitLesEntiers) {
    execute("p = (1, 2.5, 3);\n");
    auto p = var("p").objet<CVecteur>();
    ASSERT_TRUE(p);
    EXPECT_FLOAT_EQ(p->x, 1.0f);
    EXPECT_FLOAT_EQ(p->y, 2.5f);
    EXPECT_FLOAT_EQ(p->z, 3.0f);
}

TEST_F(Evaluation, PointAvecUneChaineSignaleLElement) {
    execute("p = (1, \"a\", 3);\n");
    EXPECT_EQ(var("p").type, T_VOID);
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, BOURDE);
    EXPECT_EQ(
        boite().texte,
        "L'expression\n\n  ' \"a\"' de type string'\n\nest utilisé avec le type\n\n   'float'");
}

TEST_F(Evaluation, ListeDePointsIgnoreLesNombresEnTrop) {
    execute("l = {1 2 3 4 5 6 7 8};\nv = {};\nw = {1, 2, 3};\n");
    auto l = var("l").objet<ListePoints>();
    ASSERT_TRUE(l);
    ASSERT_EQ(l->size(), 2u);
    EXPECT_FLOAT_EQ(l->back().x, 4.0f);
    EXPECT_FLOAT_EQ(l->back().w, 1.0f);
    EXPECT_TRUE(var("v").objet<ListePoints>()->empty());
    EXPECT_EQ(var("w").objet<ListePoints>()->size(), 1u);
}

TEST_F(Evaluation, AccoladesAvecPlusieursArgumentsInconnues) {
    execute("l = {1 2 3}, {4};\n");
    EXPECT_EQ(var("l").type, T_VOID);
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "T'es un génie !");
    EXPECT_EQ(boite().texte,
              "Bravo tu viens d'inventer la commande :\n\n1\n\n Le problème c'est qu'elle n'est "
              "pas encore reconnue !");
}

TEST_F(Evaluation, ObjetLitteralAvecCouleur) {
    // Exactly three elements would make a point: the colour makes it an object.
    execute("m = (3, 1, rgb(0, 0, 255), {0 0 0  1 0 0  0 1 0});\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto mesh = std::dynamic_pointer_cast<Mesh>(var("m").objet<Entite>());
    ASSERT_TRUE(mesh);
    ASSERT_EQ(mesh->nbFaces(), 1);
    EXPECT_EQ(mesh->getFace(0).nbCoins(), 3);
    EXPECT_EQ(mesh->nbSommets(), 3);
    EXPECT_EQ(mesh->nbNormales(), 3);
    EXPECT_EQ(mesh->getFace(0).texCoordCoin(2), -1);
    EXPECT_FLOAT_EQ(mesh->getSommet(1).b, 1.0f);
    EXPECT_FLOAT_EQ(mesh->getSommet(1).r, 0.0f);
    EXPECT_FLOAT_EQ(mesh->getFace(0).normale.z, 1.0f);
}

TEST_F(Evaluation, ObjetLitteralCouleurParDefautEtSommetsNonPartages) {
    execute("m = (6, 2, {0 0 0 1 0 0 0 1 0}, {0 0 0 1 0 0 0 1 0});\n");
    auto mesh = std::dynamic_pointer_cast<Mesh>(var("m").objet<Entite>());
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->nbSommets(), 6);
    EXPECT_FLOAT_EQ(mesh->getSommet(0).r, 255.0f);
    EXPECT_FLOAT_EQ(mesh->getSommet(0).a, 0.0f);
}

TEST_F(Evaluation, ObjetLitteralMalForme) {
    execute("m = (1.5, 1, {0 0 0 1 0 0 0 1 0}, {});\n");
    EXPECT_EQ(var("m").type, T_ENTITE);
    EXPECT_FALSE(var("m").adresse());
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "Je peux plus rien pour toi !");
    EXPECT_EQ(boite().texte, "Ton objet a un format fantaisiste !\n\n");
}

TEST_F(Evaluation, ObjetLitteralAvecDesNombresNegatifsRefuse) {
    execute("m = (-3, 1, {0 0 0 1 0 0 0 1 0}, {});\n");
    EXPECT_EQ(var("m").type, T_ENTITE);
    EXPECT_FALSE(var("m").adresse());
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "Je peux plus rien pour toi !");
}

TEST_F(Evaluation, ObjetLitteralAvecDesNombresEnormesNEpuisePasLaMemoire) {
    execute("m = (2147483647, 2147483647, {0 0 0 1 0 0 0 1 0}, {});\n");
    ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
    auto mesh = std::dynamic_pointer_cast<Mesh>(var("m").objet<Entite>());
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->nbFaces(), 1);
    EXPECT_LT(mesh->faces.capacity(), 100000u);
}

TEST_F(Evaluation, ObjetLitteralElementsFautifsIgnores) {
    execute("m = (3, 2, 5, {0 0 0 1 0 0}, {0 0 0 1 0 0 0 1 0});\n");
    auto mesh = std::dynamic_pointer_cast<Mesh>(var("m").objet<Entite>());
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->nbFaces(), 1);
    ASSERT_EQ(nbBoites(), 2) << toutesLesBoites();
    EXPECT_EQ(boite(0).texte,
              "L'expression\n\n  ' 5' de type int'\n\nest utilisé avec le type\n\n   'listepoint'");
    EXPECT_NE(boite(1).texte.find("au moins 3"), std::string::npos);
}

TEST_F(Evaluation, AdresseDUneVariable) {
    execute("a = 1;\np = &a;\nq = &inconnue;\n");
    EXPECT_EQ(var("p").type, T_POINTEUR);
    EXPECT_EQ(texte_valeur(var("p")), "pointeur sur la variable -> a");
    EXPECT_EQ(var("q").type, T_VOID);
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "pfff... encore une erreur");
    EXPECT_EQ(boite().texte, std::string(ENDORMI) + "inconnue'\n");
}

TEST_F(Evaluation, MauvaisNombreDArgumentsNEvalueRien) {
    execute("c = rgb(inconnue, 2);\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "(erreur) tu fais vraiment pas attention !");
    EXPECT_EQ(boite().texte, "Tu fournis 2 paramètre(s) à la fonction \"rgb\" qui en attend 3");
    EXPECT_EQ(var("c").type, T_VOID);

    boites.efface();
    execute("d = rgb();\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "Tu fournis 1 paramètre(s) à la fonction \"rgb\" qui en attend 3");
}

TEST_F(Evaluation, ExpressionVideSignalee) {
    execute("a = ;\n");
    EXPECT_EQ(var("a").type, T_VOID);
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "pfff... encore une erreur");
    EXPECT_NE(boite().texte.find("Il manque une expression"), std::string::npos);

    boites.efface();
    execute("detruit();\n");
    EXPECT_EQ(nbBoites(), 1);

    // A trailing comma: the empty third argument, then its type check.
    boites.efface();
    execute("c = rgb(1, 2,);\n");
    ASSERT_EQ(nbBoites(), 2);
    EXPECT_NE(boite(0).texte.find("Il manque une expression"), std::string::npos);
    EXPECT_NE(boite(1).texte.find("paramètre n°3"), std::string::npos);
}

TEST_F(Evaluation, FonctionSansParenthesesNeBouclePas) {
    execute("a = 1;\ndetruit;\ninstancieEntite a;\nb = 2;\n");
    EXPECT_EQ(nbBoites(), 2) << toutesLesBoites();
    EXPECT_EQ(boite().titre, "(erreur) tu fais vraiment pas attention !");
    EXPECT_TRUE(existe("b"));
}

TEST_F(Evaluation, ParenthesesTresImbriqueesLimitees) {
    std::string profonde = std::string(400, '(') + "1" + std::string(400, ')');
    execute("a = " + profonde + ";\nb = 2;\n");
    ASSERT_EQ(nbBoites(), 1) << toutesLesBoites();
    EXPECT_EQ(boite().titre, "erreur");
    EXPECT_NE(boite().texte.find("trop imbriquée"), std::string::npos);
    EXPECT_TRUE(existe("b"));

    // Nesting within the limit is evaluated level by level.
    boites.efface();
    execute("q = " + std::string(30, '(') + "1, 2, 3" + std::string(30, ')') + ";\n");
    EXPECT_EQ(nbBoites(), 29);  // each object level around the point is malformed
    for (const auto& b : boites.boites())
        EXPECT_EQ(b.texte.find("trop imbriquée"), std::string::npos);
}

TEST_F(Evaluation, ErreurDansUneInstructionNArretePasLeFichier) {
    execute("a = inconnue;\nb = rgb(1);\nc = 3;\n");
    EXPECT_EQ(var("a").type, T_VOID);
    EXPECT_EQ(var("b").type, T_VOID);
    EXPECT_EQ(var("c").scalaire.i, 3);
    EXPECT_EQ(nbBoites(), 2);
    EXPECT_TRUE(script.pile_param.empty());
}
