// Value texts, identity comparison, destruction through shared cells, the variable table.
#include <gtest/gtest.h>

#include "geometrie/entite.h"
#include "scene/scene.h"
#include "script/script.h"

TEST(Valeur, TextesDesValeurs) {
    EXPECT_EQ(texte_valeur(Valeur::reel(1.5f)), "1.50");
    EXPECT_EQ(texte_valeur(Valeur::entier(-3)), "-3");
    EXPECT_EQ(texte_valeur(Valeur::booleen(true)), "true");
    EXPECT_EQ(texte_valeur(Valeur()), "(void)");
    EXPECT_EQ(texte_valeur(Valeur::objetDe(T_COULEUR, std::make_shared<RGBA>(1, 0.5f, 0, 1))),
              "RGB(1.00,0.50,0.00,1.00)");
    EXPECT_EQ(texte_valeur(Valeur::objetDe(T_STRING, std::make_shared<std::string>("abc"))), "abc");
    // A pointer names its variable whether or not it still exists.
    EXPECT_EQ(texte_valeur(Valeur::objetDe(T_POINTEUR, std::make_shared<std::string>("x"))),
              "pointeur sur la variable -> x");
    Valeur m = Valeur::objetDe(T_MATRICE, std::make_shared<CMatrice>());
    EXPECT_EQ(texte_valeur(m), "type inconnu");
    // Destroyed objects print without being read.
    Valeur c = Valeur::objetDe(T_COULEUR, std::make_shared<RGBA>());
    detruit_valeur(c);
    EXPECT_EQ(texte_valeur(c), "RGB(null)");
    EXPECT_EQ(nom_type(13), "material");
    EXPECT_EQ(nom_type(14), "type inconnu !");
}

TEST(Valeur, EgaliteParIdentite) {
    Valeur p = Valeur::objetDe(T_POINT, std::make_shared<CVecteur>(1, 2, 3));
    Valeur q = Valeur::objetDe(T_POINT, std::make_shared<CVecteur>(1, 2, 3));
    Valeur copie = p;
    EXPECT_FALSE(valeurs_egales(p, q));
    EXPECT_TRUE(valeurs_egales(p, copie));
    Valeur t = Valeur::objetDe(T_TEXTURE, std::make_shared<Texture>());
    EXPECT_FALSE(valeurs_egales(t, t));
    EXPECT_TRUE(valeurs_egales(Valeur::reel(2.0f), Valeur::reel(2.0f)));
    EXPECT_FALSE(valeurs_egales(Valeur::entier(2), Valeur::reel(2.0f)));
    EXPECT_TRUE(valeurs_egales(Valeur(), Valeur()));
}

TEST(Valeur, DetruireVideToutesLesCopiesSansToucherAuxAutresDetenteurs) {
    auto objet = std::make_shared<RGBA>(1, 1, 1, 1);
    Valeur a = Valeur::objetDe(T_COULEUR, objet);
    Valeur b = a;
    detruit_valeur(b);
    EXPECT_EQ(a.type, T_COULEUR);
    EXPECT_EQ(a.objet<RGBA>(), nullptr);
    EXPECT_EQ(b.objet<RGBA>(), nullptr);
    EXPECT_EQ(objet.use_count(), 1);  // only the test holds it now
    detruit_valeur(a);                // twice: nothing
}

TEST(Valeur, VariablesEnOrdreDesOctets) {
    CScene scene;
    Script script(&scene, nullptr);
    EXPECT_TRUE(script.definit_variable("b", Valeur::entier(1)));
    EXPECT_TRUE(script.definit_variable("A", Valeur::entier(2)));
    EXPECT_TRUE(script.definit_variable("a", Valeur::entier(3)));
    EXPECT_TRUE(script.definit_variable("\xe9t\xe9", Valeur::entier(4)));
    EXPECT_FALSE(script.definit_variable("a", Valeur::entier(9)));
    EXPECT_EQ(script.variables.at("a").scalaire.i, 3);
    std::string ordre;
    for (const auto& e : script.variables) ordre += e.first.substr(0, 1);
    EXPECT_EQ(ordre, "Aab\xe9");
}

TEST(Valeur, PileDesParametres) {
    CScene scene;
    Script script(&scene, nullptr);
    script.empile(Valeur::entier(1));
    script.empile(Valeur::entier(2));
    EXPECT_EQ(script.depile().scalaire.i, 2);
    EXPECT_EQ(script.depile().scalaire.i, 1);
    EXPECT_EQ(script.depile().type, T_VOID);  // empty: the null value, no crash
}
