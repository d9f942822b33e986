// Meshes: the validating accessors and their messages, the box, face and smoothed normals.
#include "geometrie/mesh.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {
const RGBA rouge(1, 0, 0, 1);

void attendMessage(const std::function<void()>& appel, const char* message) {
    try {
        appel();
        ADD_FAILURE() << "pas d'exception, attendu : " << message;
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

void attendProche(const CVecteur& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

// A mesh with the given vertices and one face per corner list, all in group 0.
std::unique_ptr<Mesh> mesh(std::initializer_list<CVecteur> sommets,
                           std::initializer_list<std::initializer_list<int>> faces) {
    auto m = std::make_unique<Mesh>(0, 0, 0, 0, "");
    for (const CVecteur& s : sommets) m->ajouteSommet(s, rouge);
    for (const auto& coins : faces) {
        const int f = m->ajouteFace(0, 0, nullptr);
        for (int s : coins) m->ajouteSommetFace(f, s, -1, -1);
    }
    return m;
}
}  // namespace

TEST(Mesh, ConstructionRefuseLesComptesNegatifsSaufTexCoords) {
    for (int cas = 0; cas < 3; ++cas) {
        try {
            Mesh m(cas == 0 ? -1 : 0, cas == 1 ? -1 : 0, cas == 2 ? -1 : 0, 0, "x");
            ADD_FAILURE() << "cas " << cas;
        } catch (const char* texte) {
            EXPECT_STREQ(texte, "paramètres incorrects !");
        }
    }
    EXPECT_NO_THROW(Mesh(1, 2, 3, -5, ""));
}

TEST(Mesh, AccesseursRefusentLesIndicesHorsListeAvecLeurMessage) {
    auto m = mesh({{1, 2, 3}}, {{}});
    m->ajouteNormale(CVecteur(0, 0, 1));
    m->ajouteTexCoord(0.5f, 0.25f);
    for (int i : {-1, 1}) {
        attendMessage([&] { m->getFace(i); }, "Mesh::getFace: indice invalide");
        attendMessage([&] { m->getSommet(i); }, "Mesh::getSommet: indice invalide");
        attendMessage([&] { m->getNormale(i); }, "Mesh::getNormale: indice invalide");
        attendMessage([&] { m->getTexCoord(i); },
                      "Mesh::getTexCoord: indice de coordonnées de texture invalide");
        attendMessage([&] { m->getSomCoord(i); }, "Mesh::getSomCoord: indice de sommet invalide");
        attendMessage([&] { m->setSomCoord(i, 0, 0, 0); },
                      "Mesh::setSomCoord: indice de sommet invalide");
        attendMessage([&] { m->getNormaleCoord(i); },
                      "Mesh::getNormaleCoord: indice de normale invalide");
        attendMessage([&] { m->setNormaleCoord(i, 0, 0, 0); },
                      "Mesh::setNormaleCoord: indice de normale invalide");
        attendMessage([&] { m->ajouteSommetFace(i, 0, 0, 0); }, "Mesh::getFace: indice invalide");
        attendMessage([&] { m->calcNormaleFace(i); },
                      "Mesh::calcNormaleFace: indice de face invalide");
    }
    EXPECT_EQ(m->getTexCoord(0).second, 0.25f);
}

TEST(Mesh, SetFaceIndicesVerifieDansLOrdreEtAccepteLesNegatifs) {
    auto m = mesh({{0, 0, 0}, {1, 0, 0}}, {{0}});
    m->ajouteNormale(CVecteur(0, 0, 1));
    m->ajouteTexCoord(0, 0);
    // Everything wrong: the first check in the order wins, and so on.
    attendMessage([&] { m->setFaceIndices(1, 5, 9, 9, 9); },
                  "Mesh::setFaceIndices: indice de face invalide");
    attendMessage([&] { m->setFaceIndices(0, 1, 9, 9, 9); },
                  "Mesh::setFaceIndices: indice de sommet de face invalide");
    attendMessage([&] { m->setFaceIndices(0, 0, 2, 9, 9); },
                  "Mesh::setFaceIndices: indice de sommet invalide");
    attendMessage([&] { m->setFaceIndices(0, 0, 1, 1, 9); },
                  "Mesh::setFaceIndices: indice de normale invalide");
    attendMessage([&] { m->setFaceIndices(0, 0, 1, 0, 1); },
                  "Mesh::setFaceIndices: indice de coordonnées de texture invalide");
    m->setFaceIndices(0, 0, 1, -1, -1);
    EXPECT_EQ(m->getFace(0).sommet(0), 1);
    EXPECT_EQ(m->getFace(0).normaleCoin(0), -1);
    EXPECT_EQ(m->getFace(0).texCoordCoin(0), -1);

    attendMessage([&] { m->setFaceIndiceNormale(1, 9, 9); },
                  "Mesh::setFaceIndiceNormale: indice de face invalide");
    attendMessage([&] { m->setFaceIndiceNormale(0, 1, 9); },
                  "Mesh::setFaceIndiceNormale: indice de sommet de face invalide");
    attendMessage([&] { m->setFaceIndiceNormale(0, 0, 1); },
                  "Mesh::setFaceIndices: indice de normale invalide");
}

TEST(Mesh, BoiteNaitDuPremierSommetEtNeSuitPasLesModifications) {
    auto m = mesh({{1, 2, 3}}, {});
    EXPECT_EQ(m->boiteMin, CVecteur(1, 2, 3));
    EXPECT_EQ(m->boiteMax, CVecteur(1, 2, 3));
    m->ajouteSommet(CVecteur(-1, 5, 3), rouge);
    EXPECT_EQ(m->boiteMin, CVecteur(-1, 2, 3));
    EXPECT_EQ(m->boiteMax, CVecteur(1, 5, 3));
    m->setSomCoord(0, 100, 100, 100);
    m->appliqueMatrice(CMatrice::rotation(CVecteur(0, 0, 1), 90));
    attendProche(m->getSomCoord(1), 5, 1, 3);
    EXPECT_EQ(m->boiteMax, CVecteur(1, 5, 3));

    CVecteur mn, mx;
    m->matrice() = CMatrice::translation(CVecteur(0, 0, 1));
    m->getBoiteEnglobante(mn, mx);
    EXPECT_EQ(mn, CVecteur(-1, 2, 4));
    EXPECT_EQ(mx, CVecteur(1, 5, 4));
}

TEST(Mesh, NormaleDeFaceDesTroisPremiersCoinsSousLePlacement) {
    // The fourth corner is off the plane and does not count.
    auto m = mesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 7}}, {{0, 1, 2, 3}, {0, 1}, {0, 1, 9}});
    EXPECT_EQ(m->calcNormaleFace(0), CVecteur(0, 0, 1));
    m->matrice() = CMatrice::rotation(CVecteur(1, 0, 0), 90);
    attendProche(m->calcNormaleFace(0), 0, 1, 0);
    attendProche(m->getFace(0).normale, 0, 1, 0);

    testing::internal::CaptureStdout();
    attendMessage([&] { m->calcNormaleFace(1); },
                  "Mesh::calcNormaleFace: face ne contenant que 3 sommets");
    EXPECT_NE(
        testing::internal::GetCapturedStdout().find("\033[31mpolygone avec moins de 3 sommets !\n"),
        std::string::npos);
    attendMessage([&] { m->calcNormaleFace(2); }, "Mesh::getSommet: indice invalide");
}

TEST(Mesh, AreteCommuneLisseeDansLeGroupeDureEntreGroupes) {
    for (bool memeGroupe : {true, false}) {
        // Face 0 in the z = 0 plane, face 1 in the y = 0 plane, sharing edge 0-1.
        auto m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {});
        const int a = m->ajouteFace(3, 4, nullptr);
        for (int s : {0, 1, 2}) m->ajouteSommetFace(a, s, -1, -1);
        const int b = m->ajouteFace(3, memeGroupe ? 4 : 9, nullptr);
        for (int s : {1, 0, 3}) m->ajouteSommetFace(b, s, -1, -1);
        m->calcNormalesLissees();
        const Face &f0 = m->faces[0], &f1 = m->faces[1];
        if (memeGroupe) {
            ASSERT_EQ(m->nbNormales(), 4);
            EXPECT_EQ(f0.normales[0], f1.normales[1]);
            EXPECT_EQ(f0.normales[1], f1.normales[0]);
            attendProche(m->normales[f0.normales[0]], 0, 0.5f, 0.5f);  // plain average
        } else {
            ASSERT_EQ(m->nbNormales(), 6);
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(m->normales[f0.normales[k]], CVecteur(0, 0, 1));
                EXPECT_EQ(m->normales[f1.normales[k]], CVecteur(0, 1, 0));
            }
        }
    }
}

TEST(Mesh, LissageRefuseUnCoinInvalideSansToucherAuxNormales) {
    auto m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 42}});
    m->ajouteNormale(CVecteur(1, 2, 3));
    attendMessage([&] { m->calcNormalesLissees(); }, "Mesh::getSommet: indice invalide");
    ASSERT_EQ(m->nbNormales(), 1);
}

TEST(Mesh, CompleteNormalesManquantesNeToucheQueLesCoinsSansNormale) {
    auto m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}, {1, 0, 3}});
    m->ajouteNormale(CVecteur(5, 5, 5));
    m->setFaceIndiceNormale(0, 0, 0);  // vertex 0 of face 0 has a normal of the file
    m->getFace(1).normales[2] = 99;    // beyond the list: repaired as well
    EXPECT_EQ(m->completeNormalesManquantes(), 5);
    EXPECT_EQ(m->normales[0], CVecteur(5, 5, 5));
    // At vertex 0 only face 1 lacked a normal; at vertex 1 both faces did.
    EXPECT_EQ(m->normales[m->faces[1].normales[1]], CVecteur(0, 1, 0));
    attendProche(m->normales[m->faces[1].normales[0]], 0, 0.5f, 0.5f);
    EXPECT_EQ(m->faces[0].normales[1], m->faces[1].normales[0]);
}

TEST(Mesh, TextureEtMaterialRestentEnVieAvecLeMesh) {
    auto m = mesh({{0, 0, 0}}, {{0}, {0}});
    std::weak_ptr<Texture> t;
    std::weak_ptr<Material> mat;
    {
        auto tex = std::make_shared<Texture>();
        auto mt = std::make_shared<Material>();
        t = tex;
        mat = mt;
        m->setTexture(tex);
        m->setMaterial(mt);
    }
    ASSERT_FALSE(t.expired());
    ASSERT_FALSE(mat.expired());
    EXPECT_EQ(m->texture, t.lock().get());
    EXPECT_EQ(m->faces[1].material, mat.lock().get());
    m->setMaterial(nullptr);
    EXPECT_TRUE(mat.expired());
}
