// The scene registry: ownership, lookups, pick-name mapping and reset.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "dessin/dessinateur.h"
#include "geometrie/mesh.h"
#include "scene/scene.h"

namespace {
// An entity that records its destruction.
struct EntiteTemoin : Entite {
    bool* detruite = nullptr;
    ~EntiteTemoin() override {
        if (detruite) *detruite = true;
    }
    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override {
        min = max = CVecteur(0, 0, 0);
    }
};

std::shared_ptr<InstanceEntite> instanceAvecNoms(int premier, int dernier) {
    auto i = std::make_shared<InstanceEntite>(std::make_shared<EntiteTemoin>());
    i->premierNom = premier;
    i->dernierNom = dernier;
    return i;
}

template <class F>
std::string messageDe(F f) {
    try {
        f();
    } catch (const std::out_of_range& e) {
        return e.what();
    }
    return "(rien)";
}
}  // namespace

TEST(Registre, AjoutsRendentLIndiceEtAccesseursNulsAuDela) {
    CScene s;
    EXPECT_EQ(s.ajouteEntite(nullptr), -1);
    EXPECT_EQ(s.ajouteLumiere(nullptr), -1);
    EXPECT_EQ(s.ajouteTexture(nullptr), -1);
    EXPECT_EQ(s.ajouteMaterial(nullptr), -1);
    EXPECT_EQ(s.nbEntites() + s.nbLumieres() + s.nbTextures() + s.materiaux.size(), 0u);
    EXPECT_EQ(s.ajouteEntite(std::make_shared<EntiteTemoin>()), 0);
    EXPECT_EQ(s.ajouteEntite(std::make_shared<EntiteTemoin>()), 1);
    EXPECT_EQ(s.ajouteLumiere(std::make_shared<Lumiere>()), 0);
    EXPECT_EQ(s.ajouteMaterial(std::make_shared<Material>()), 0);
    EXPECT_NE(s.getLumiere(0), nullptr);
    EXPECT_EQ(s.getLumiere(1), nullptr);
    EXPECT_EQ(s.getEntite(2), nullptr);
    EXPECT_EQ(s.getInstance(0), nullptr);
    EXPECT_EQ(s.getLumiere(0xFFFFFFFFu), nullptr);
}

TEST(Registre, NomsDeSelectionVersInstances) {
    CScene s;
    s.ajouteInstance(instanceAvecNoms(0, 3));
    s.ajouteInstance(instanceAvecNoms(2, 5));  // overlaps the first on name 2
    EXPECT_EQ(s.indiceInstanceDuNom(2), 0);    // first match wins
    EXPECT_EQ(s.indiceInstanceDuNom(3), 1);
    EXPECT_EQ(s.indiceInstanceDuNom(5), -1);  // upper bound excluded
    EXPECT_EQ(s.indiceInstanceDuNom(-1), -1);

    EXPECT_EQ(s.instanceSelectionnee(), nullptr);
    EXPECT_EQ(s.selectionneInstance(4), s.getInstance(1));
    EXPECT_EQ(s.selectionneInstance(-1), nullptr);  // a click on the background
    EXPECT_EQ(s.selectionCourante, 1);              // keeps the previous selection
    EXPECT_EQ(s.instanceSelectionnee(), s.getInstance(1));
}

TEST(Registre, InstallationsHorsLimitesEtTextureIlisible) {
    CScene s;
    Dessinateur d{s};  // installing is drawing
    EXPECT_EQ(messageDe([&] { d.installTexture(0); }),
              "CScene::installTexture: indice de texture invalide");
    EXPECT_EQ(messageDe([&] { d.installLumiere(-1); }),
              "CScene::installLumiere: indice de lumière invalide");
    EXPECT_EQ(messageDe([&] { d.installLumiere(0); }),
              "CScene::installLumiere: indice de lumière invalide");

    auto t = std::make_shared<Texture>();
    t->fichier = "pas_une_image.txt";  // exists, but is no image: the mesh goes untextured
    s.ajouteTexture(t);
    testing::internal::CaptureStdout();
    d.installTexture(0);
    const std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_EQ(t->glTexture, 0);
    EXPECT_NE(sortie.find("pas_une_image.txt"), std::string::npos) << sortie;
}

TEST(Registre, ViderGardeOmbrageEtRotationEtRemetLeReste) {
    CScene s;
    bool detruite = false;
    auto e = std::make_shared<EntiteTemoin>();
    e->detruite = &detruite;
    s.ajouteEntite(e);
    s.ajouteInstance(std::make_shared<InstanceEntite>(e));
    e.reset();
    s.ajouteLumiere(std::make_shared<Lumiere>());
    s.ajouteTexture(std::make_shared<Texture>());
    s.ajouteMaterial(std::make_shared<Material>());
    s.ombrage = s.rotation_lumiere = s.filaire = true;
    s.texturage = false;
    s.grillePas = s.timer_interval = s.tailleCarteOmbre = s.selectionCourante = 0;
    s.couleurfond = RGBA(1, 0, 0, 0);
    s.grillePos = CVecteur(1, 2, 3);
    s.gravite = s.vitesse_rotation_lumiere = 1;

    // Through the base class: the reset is virtual and the application extends it.
    static_cast<CScene&>(s).vider();

    EXPECT_TRUE(detruite);  // the instance no longer keeps its entity alive
    EXPECT_EQ(s.nbEntites() + s.nbInstances() + s.nbLumieres() + s.nbTextures(), 0);
    EXPECT_TRUE(s.materiaux.empty());
    EXPECT_TRUE(s.ombrage);
    EXPECT_TRUE(s.rotation_lumiere);
    EXPECT_FALSE(s.filaire);
    EXPECT_TRUE(s.texturage);
    EXPECT_EQ(s.grillePas, 10);
    EXPECT_EQ(s.timer_interval, 100);
    EXPECT_EQ(s.tailleCarteOmbre, 512);
    EXPECT_EQ(s.selectionCourante, -1);
    EXPECT_EQ(s.couleurfond, RGBA(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(s.grillePos, CVecteur(0, 0, 0));
    EXPECT_FLOAT_EQ(s.gravite, 9.8f);
    EXPECT_FLOAT_EQ(s.vitesse_rotation_lumiere, 50.0f);
}

TEST(InstanceEntite, BoiteHauteurEtPositionMonde) {
    auto m = std::make_shared<Mesh>(0, 2, 0, 0, "boite");
    m->ajouteSommet(CVecteur(0, 0, 0), RGBA());
    m->ajouteSommet(CVecteur(1, 2, 3), RGBA());
    m->matrice() = CMatrice::echelle(2, 1, 1);
    InstanceEntite inst(m);
    inst.matrice() = CMatrice::translation(CVecteur(10, 0, -1));
    CVecteur a, b;
    inst.getBoiteEnglobante(a, b);
    EXPECT_EQ(a, CVecteur(10, 0, -1));
    EXPECT_EQ(b, CVecteur(12, 2, 2));
    EXPECT_FLOAT_EQ(inst.hauteur(), 3.0f);
    inst.matrice() = CMatrice::rotation(CVecteur(1, 0, 0), 90);  // laid down: depth is height
    EXPECT_NEAR(inst.hauteur(), 2.0f, 1e-5f);

    // The instance matrix is applied first: (1, 0, 0) moved to (11, 0, 0), then turned.
    m->matrice() = CMatrice::rotation(CVecteur(0, 0, 1), 90);
    inst.matrice() = CMatrice::translation(CVecteur(10, 0, 0));
    const CVecteur p = inst.positionMonde(CVecteur(1, 0, 0));
    EXPECT_NEAR(p.x, 0, 1e-4f);
    EXPECT_NEAR(p.y, -11, 1e-4f);

    InstanceEntite sansEntite(nullptr);  // a point at its origin, never a crash
    sansEntite.matrice() = CMatrice::translation(CVecteur(1, 2, 3));
    EXPECT_EQ(sansEntite.positionMonde(CVecteur(1, 1, 1)), CVecteur(2, 3, 4));
    sansEntite.getBoiteEnglobante(a, b);
    EXPECT_EQ(b, CVecteur(1, 2, 3));
}
