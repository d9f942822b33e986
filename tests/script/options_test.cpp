// The display-option table: keys, types, defaults read back through the getters, and what
// assignments write.
#include "script/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "geometrie/mesh.h"
#include "scene/camera.h"
#include "scene/scene.h"

namespace {
const OptionAffichage& option(const char* cle) {
    const int i = chercheOption(cle);
    EXPECT_GE(i, 0) << cle;
    return optionsAffichage[i < 0 ? 0 : i];
}

Valeur point(float x, float y, float z) {
    return Valeur::objetDe(T_POINT, std::make_shared<CVecteur>(x, y, z));
}
}  // namespace

TEST(Options, TableDeTrenteTroisClesTypeesDansLOrdre) {
    struct Attendu {
        const char* cle;
        int32_t type;
    };
    const Attendu attendus[] = {
        {"texturage", T_BOOL},        {"backface_culling", T_BOOL},
        {"points_seuls", T_BOOL},     {"antialiasing", T_BOOL},
        {"bilinear", T_BOOL},         {"dithering", T_BOOL},
        {"couleurfond", T_COULEUR},   {"eclairage", T_BOOL},
        {"filaire", T_BOOL},          {"smoothshading", T_BOOL},
        {"grilleX", T_BOOL},          {"grilleY", T_BOOL},
        {"grilleZ", T_BOOL},          {"grillePos", T_POINT},
        {"grilleTaille", T_INT},      {"grillePas", T_INT},
        {"cameraPos", T_POINT},       {"cameraRot", T_POINT},
        {"timer_interval", T_INT},    {"selection_surlignee", T_BOOL},
        {"gravite", T_FLOAT},         {"boite_englobante", T_BOOL},
        {"ombrage", T_BOOL},          {"material_sol", T_MATERIAL},
        {"afficher_sol", T_BOOL},     {"afficher_lumieres", T_BOOL},
        {"rotation_lumiere", T_BOOL}, {"vitesse_rotation_lumiere", T_FLOAT},
        {"ombrage_ancien", T_BOOL},   {"trajectoire_outil", T_BOOL},
        {"cible_fantome", T_BOOL},    {"espace_travail", T_BOOL},
        {"courbes", T_BOOL},          {"ellipsoide_manipulabilite", T_BOOL},
    };
    ASSERT_EQ(nbOptionsAffichage, 34);
    for (int i = 0; i < 34; ++i) {
        EXPECT_STREQ(optionsAffichage[i].cle, attendus[i].cle);
        EXPECT_EQ(optionsAffichage[i].type, attendus[i].type) << attendus[i].cle;
        EXPECT_LE(std::strlen(optionsAffichage[i].cle), 27u);
        EXPECT_EQ(chercheOption(attendus[i].cle), i);
    }
}

TEST(Options, RechercheParCleExacte) {
    EXPECT_EQ(chercheOption("Texturage"), -1);
    EXPECT_EQ(chercheOption("grille"), -1);
    EXPECT_EQ(chercheOption("grillePas "), -1);
    EXPECT_EQ(chercheOption(""), -1);
    EXPECT_EQ(chercheOption(nullptr), -1);
}

TEST(Options, ValeursParDefautLuesParLesGetters) {
    CScene s;
    Camera c;
    for (int i = 0; i < nbOptionsAffichage; ++i) {
        const Valeur v = optionsAffichage[i].get(s, &c);
        EXPECT_EQ(v.type, optionsAffichage[i].type) << optionsAffichage[i].cle;
        if (v.estObjet()) {
            EXPECT_NE(v.adresse(), nullptr) << optionsAffichage[i].cle;
        }
    }
    const Valeur fond = option("couleurfond").get(s, &c);
    EXPECT_EQ(*fond.objet<RGBA>(), RGBA(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(option("grilleTaille").get(s, &c).scalaire.i, 500);
    EXPECT_EQ(option("grillePas").get(s, &c).scalaire.i, 10);
    EXPECT_EQ(option("timer_interval").get(s, &c).scalaire.i, 100);
    EXPECT_FLOAT_EQ(option("gravite").get(s, &c).scalaire.f, 9.8f);
    EXPECT_FLOAT_EQ(option("vitesse_rotation_lumiere").get(s, &c).scalaire.f, 50.0f);
    EXPECT_EQ(*option("grillePos").get(s, &c).objet<CVecteur>(), CVecteur(0, 0, 0));
    const Valeur sol = option("material_sol").get(s, &c);
    EXPECT_EQ(sol.objet<Material>()->couleur1, Material().couleur1);
    EXPECT_FLOAT_EQ(sol.objet<Material>()->brillance, 100.0f);

    const char* vrais[] = {"texturage",        "backface_culling", "eclairage",
                           "smoothshading",    "grilleZ",          "selection_surlignee",
                           "boite_englobante", "afficher_sol",     "afficher_lumieres"};
    const char* faux[] = {"points_seuls", "antialiasing", "bilinear", "dithering",       "filaire",
                          "grilleX",      "grilleY",      "ombrage",  "rotation_lumiere"};
    for (const char* cle : vrais) EXPECT_TRUE(option(cle).get(s, &c).booleenVal()) << cle;
    for (const char* cle : faux) EXPECT_FALSE(option(cle).get(s, &c).booleenVal()) << cle;
}

TEST(Options, AffectationsEcriventLaScene) {
    CScene s;
    option("filaire").set(s, nullptr, Valeur::booleen(true));
    option("grillePas").set(s, nullptr, Valeur::entier(-4));  // stored as given
    option("gravite").set(s, nullptr, Valeur::reel(1.5f));
    option("grillePos").set(s, nullptr, point(1, 2, 3));
    option("couleurfond")
        .set(s, nullptr, Valeur::objetDe(T_COULEUR, std::make_shared<RGBA>(0, 0.25f, 1, 1)));
    EXPECT_TRUE(s.filaire);
    EXPECT_EQ(s.grillePas, -4);
    EXPECT_FLOAT_EQ(s.gravite, 1.5f);
    EXPECT_EQ(s.grillePos, CVecteur(1, 2, 3));
    EXPECT_EQ(s.couleurfond, RGBA(0, 0.25f, 1, 1));
}

TEST(Options, ValeurDAutreTypeOuObjetDetruitNeChangeRien) {
    CScene s;
    option("gravite").set(s, nullptr, Valeur::entier(1));
    EXPECT_FLOAT_EQ(s.gravite, 9.8f);
    Valeur p = point(7, 7, 7);
    detruit_valeur(p);
    option("grillePos").set(s, nullptr, p);
    EXPECT_EQ(s.grillePos, CVecteur(0, 0, 0));
    option("couleurfond").set(s, nullptr, point(0, 0, 0));  // a point is no colour
    EXPECT_EQ(s.couleurfond, RGBA(0.5f, 0.5f, 0.5f, 1.0f));
}

TEST(Options, CleDeCameraEcriventLaCamera) {
    CScene s;
    Camera c;
    option("cameraPos").set(s, &c, point(1, -2, -300));
    option("cameraRot").set(s, &c, point(30, 45, 60));
    EXPECT_EQ(c.position, CVecteur(1, -2, -300));
    EXPECT_FLOAT_EQ(c.angleX, 30);
    EXPECT_FLOAT_EQ(c.angleY, 45);
    EXPECT_FLOAT_EQ(c.angleZ, 60);
    EXPECT_EQ(*option("cameraRot").get(s, &c).objet<CVecteur>(), CVecteur(30, 45, 60));
    EXPECT_EQ(*option("cameraPos").get(s, &c).objet<CVecteur>(), CVecteur(1, -2, -300));
    // No camera to write: nothing happens.
    option("cameraPos").set(s, nullptr, point(9, 9, 9));
}

TEST(Options, MaterialSolCopieLEnregistrement) {
    CScene s;
    auto m = std::make_shared<Material>();
    m->couleur1 = RGBA(0, 1, 0, 1);
    m->brillance = 7;
    const Valeur v = Valeur::objetDe(T_MATERIAL, m);
    option("material_sol").set(s, nullptr, v);
    m->couleur1 = RGBA(1, 0, 0, 1);  // the script changes its material afterwards
    EXPECT_EQ(s.material_sol.couleur1, RGBA(0, 1, 0, 1));
    EXPECT_FLOAT_EQ(s.material_sol.brillance, 7);
    // Reading gives new objects too: changing them leaves the scene alone.
    option("material_sol").get(s, nullptr).objet<Material>()->brillance = 1;
    option("couleurfond").get(s, nullptr).objet<RGBA>()->r = 1;
    option("grillePos").get(s, nullptr).objet<CVecteur>()->x = 9;
    EXPECT_FLOAT_EQ(s.material_sol.brillance, 7);
    EXPECT_FLOAT_EQ(s.couleurfond.r, 0.5f);
    EXPECT_FLOAT_EQ(s.grillePos.x, 0);
}

TEST(Camera, AnglesRamenesEtInclinaisonBornee) {
    Camera c;
    c.angleY = 5;
    c.tourneY(-10);
    EXPECT_FLOAT_EQ(c.angleY, 355);
    c.tourneY(730);
    EXPECT_FLOAT_EQ(c.angleY, 5);
    c.angleX = 350;
    c.tourneX(20);
    EXPECT_FLOAT_EQ(c.angleX, 10);
    c.inclineX(-20);
    EXPECT_FLOAT_EQ(c.angleX, 0);
    c.angleX = 80;
    c.inclineX(20);
    EXPECT_FLOAT_EQ(c.angleX, 90);
}
