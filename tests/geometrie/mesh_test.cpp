// Meshes: the validating accessors and their messages, the box, face and smoothed normals.
#include "geometrie/mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

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

TEST(Mesh, LissageArreteParUnGroupeNommantUneFaceAbsenteLaisseDesIndicesValides) {
    auto m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}, {1, 0, 3}});
    m->groupes[0] = {0, 1, 7};
    m->groupes[3] = {0};
    attendMessage([&] { m->calcNormalesLissees(); }, "Mesh::getFace: indice invalide");
    // The faces walked share vertices 0 and 1: their normals are averaged, not left as sums.
    ASSERT_EQ(m->nbNormales(), 4);
    const Face &f0 = m->faces[0], &f1 = m->faces[1];
    attendProche(m->normales[f0.normales[0]], 0, 0.5f, 0.5f);
    EXPECT_EQ(f1.normales[1], f0.normales[0]);
    EXPECT_EQ(m->normales[f0.normales[2]], CVecteur(0, 0, 1));
    EXPECT_EQ(m->normales[f1.normales[2]], CVecteur(0, 1, 0));
}

// Stopped in a later group, after the faces of the first were walked again: the first
// group's normals, given up when their vertices got new ones, are averaged once, as are
// the normals in use when the walk stopped.
TEST(Mesh, LissageArreteDansUnGroupeSuivantMoyenneChaqueNormaleUneFois) {
    auto m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}, {1, 0, 3}});
    m->groupes[0] = {0, 1};
    m->groupes[3] = {0, 1, 7};
    attendMessage([&] { m->calcNormalesLissees(); }, "Mesh::getFace: indice invalide");
    ASSERT_EQ(m->nbNormales(), 8);
    for (int debut : {0, 4}) {
        SCOPED_TRACE(debut);
        const CVecteur attendues[] = {{0, 0.5f, 0.5f}, {0, 0.5f, 0.5f}, {0, 0, 1}, {0, 1, 0}};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(m->normales[debut + i], attendues[i]) << i;
    }
    EXPECT_EQ(m->faces[0].normales, ListeIndices({4, 5, 6}));
    EXPECT_EQ(m->faces[1].normales, ListeIndices({5, 4, 7}));
}

TEST(Mesh, LissageDUneFaceConstruiteALaMainSansListeDeNormales) {
    auto m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {});
    Face f;
    f.sommets = {0, 1, 2};  // no normal nor texture index given
    m->faces.push_back(f);
    m->groupes[0] = {0};
    m->calcNormalesLissees();
    ASSERT_EQ(m->faces[0].normales.size(), 3u);
    for (int n : m->faces[0].normales) EXPECT_EQ(m->normales.at(n), CVecteur(0, 0, 1));
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

TEST(ListeIndices, GardeQuatreIndicesEnPlacePuisPasseAuTasSansRienPerdre) {
    ListeIndices l;
    EXPECT_TRUE(l.empty());
    EXPECT_EQ(l.capacity(), 4u);
    for (int i = 0; i < 4; ++i) l.push_back(10 * i);
    const int* enPlace = l.data();
    EXPECT_EQ(l.capacity(), 4u);
    l.push_back(40);  // the fifth goes to the heap
    EXPECT_NE(l.data(), enPlace);
    EXPECT_GE(l.capacity(), 5u);
    EXPECT_EQ(std::vector<int>(l), (std::vector<int>{0, 10, 20, 30, 40}));
    l[2] = -1;
    EXPECT_EQ(l.at(2), -1);
    EXPECT_THROW(l.at(5), std::out_of_range);

    ListeIndices copie = l, deplacee = std::move(copie);
    EXPECT_EQ(deplacee, l);
    EXPECT_TRUE(copie.empty());  // a moved-from list is empty and usable
    copie.push_back(7);
    EXPECT_EQ(copie, (ListeIndices{7}));
    ListeIndices courte{1, 2};
    courte = l;  // from the heap into a list in place
    EXPECT_EQ(courte, l);
    l = {5, 6};
    EXPECT_EQ(std::vector<int>(l), (std::vector<int>{5, 6}));
    l.resize(6, 9);
    EXPECT_EQ(std::vector<int>(l), (std::vector<int>{5, 6, 9, 9, 9, 9}));
    l.shrink_to_fit();
    EXPECT_EQ(l.capacity(), 6u);
    EXPECT_NE(l, courte);
}

// Every operation that can change what a mesh draws moves its modification counter, so that
// a display list made from an earlier state is never drawn again.
TEST(Mesh, ToutChangementAvanceLeCompteurDeModifications) {
    auto m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    m->ajouteNormale(CVecteur(0, 0, 1));
    m->ajouteTexCoord(0, 0);
    auto mat = std::make_shared<Material>();
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"ajouteSommet", [&] { m->ajouteSommet(CVecteur(0, 0, 1), rouge); }},
        {"ajouteNormale", [&] { m->ajouteNormale(CVecteur(1, 0, 0)); }},
        {"ajouteTexCoord", [&] { m->ajouteTexCoord(1, 1); }},
        {"ajouteFace", [&] { m->ajouteFace(3, 0, nullptr); }},
        {"ajouteSommetFace",
         [&] {
             for (int s : {0, 1, 2}) m->ajouteSommetFace(1, s, -1, -1);
         }},
        {"getFace", [&] { m->getFace(0).groupe = 3; }},
        {"getSommet", [&] { m->getSommet(0).x = 2; }},
        {"getNormale", [&] { m->getNormale(0).x = 2; }},
        {"getTexCoord", [&] { m->getTexCoord(0).first = 2; }},
        {"setSomCoord", [&] { m->setSomCoord(0, 1, 1, 1); }},
        {"setNormaleCoord", [&] { m->setNormaleCoord(0, 0, 1, 0); }},
        {"setFaceIndices", [&] { m->setFaceIndices(0, 0, 1, 0, 0); }},
        {"setFaceIndiceNormale", [&] { m->setFaceIndiceNormale(0, 1, 0); }},
        {"calcNormaleFace", [&] { m->calcNormaleFace(0); }},
        {"calcNormalesFaces", [&] { m->calcNormalesFaces(); }},
        {"completeNormalesManquantes", [&] { m->completeNormalesManquantes(); }},
        {"trieFacesParMaterial", [&] { m->trieFacesParMaterial(); }},
        {"appliqueMatrice", [&] { m->appliqueMatrice(CMatrice::translation(CVecteur(1, 0, 0))); }},
        {"setTexture", [&] { m->setTexture(std::make_shared<Texture>()); }},
        {"setMaterial", [&] { m->setMaterial(mat); }},
        {"marqueModifie", [&] { m->marqueModifie(); }},
    };
    for (const auto& [nom, operation] : operations) {
        const uint64_t avant = m->revision();
        operation();
        EXPECT_GT(m->revision(), avant) << nom;
    }
    // Reading through the const interface changes nothing.
    const uint64_t avant = m->revision();
    const Mesh& lecture = *m;
    lecture.getSomCoord(0);
    lecture.getNormaleCoord(0);
    EXPECT_EQ(m->revision(), avant);
}

TEST(Mesh, TriParMaterialStableEtEnPlace) {
    auto m = std::make_unique<Mesh>(0, 0, 0, 0, "");
    m->ajouteSommet(CVecteur(0, 0, 0), rouge);
    Material a, b;
    Material* suite[] = {&b, nullptr, &a, &b, &a, nullptr, &b, &a};
    for (int i = 0; i < 8; ++i) {
        const int f = m->ajouteFace(3, i, suite[i]);  // the group numbers the faces
        m->ajouteSommetFace(f, 0, -1, -1);
    }
    std::vector<Face> attendu = m->faces;
    std::stable_sort(attendu.begin(), attendu.end(), [](const Face& x, const Face& y) {
        return std::less<const Material*>()(x.material, y.material);
    });
    const Face* avant = m->faces.data();
    m->trieFacesParMaterial();
    EXPECT_EQ(m->faces.data(), avant);  // no second copy of the faces
    ASSERT_EQ(m->faces.size(), attendu.size());
    for (size_t i = 0; i < attendu.size(); ++i) {
        EXPECT_EQ(m->faces[i].groupe, attendu[i].groupe) << i;
        EXPECT_EQ(m->faces[i].material, attendu[i].material) << i;
    }
}

// The smoothed normals of a mesh with several groups, shared vertices and a degenerate face
// are, to the bit, those of the plain walk over the groups; the face normals are those of
// calcNormaleFace one face at a time, and a bad face throws the same way.
TEST(Mesh, NormalesLisseesEtNormalesDesFacesCommeLeCalculFaceParFace) {
    std::mt19937 alea(5);
    std::uniform_real_distribution<float> coord(-3, 3);
    auto construit = [&] {
        alea.seed(5);
        auto m = std::make_unique<Mesh>(0, 0, 0, 0, "");
        m->matrice() = CMatrice::rotation(CVecteur(1, 2, 3), 0.7f);
        for (int i = 0; i < 60; ++i)
            m->ajouteSommet(CVecteur(coord(alea), coord(alea), coord(alea)), rouge);
        for (int i = 0; i < 150; ++i) {
            const int n = 3 + static_cast<int>(alea() % 3);
            const int f = m->ajouteFace(n, static_cast<int>(alea() % 4) * 7, nullptr);
            for (int k = 0; k < n; ++k)
                m->ajouteSommetFace(f, static_cast<int>(alea() % 60), -1, -1);
        }
        const int f = m->ajouteFace(3, 0, nullptr);  // degenerate: a zero normal
        for (int k = 0; k < 3; ++k) m->ajouteSommetFace(f, 4, -1, -1);
        return m;
    };
    auto rapide = construit(), reference = construit();
    rapide->calcNormalesLissees();
    for (int i = 0; i < reference->nbFaces(); ++i) reference->calcNormaleFace(i);
    reference->normales.clear();
    std::vector<int> table(60, -1), compteurs;
    for (const auto& entree : reference->groupes) {
        std::fill(table.begin(), table.end(), -1);
        const size_t premier = reference->normales.size();
        for (int i : entree.second)
            for (int k = 0; k < reference->faces[i].nbCoins(); ++k) {
                Face& f = reference->faces[i];
                int& n = table[f.sommets[k]];
                if (n == -1) {
                    reference->normales.push_back(f.normale);
                    compteurs.push_back(1);
                    n = reference->nbNormales() - 1;
                } else {
                    reference->normales[n] += f.normale;
                    ++compteurs[n];
                }
                f.normales[k] = n;
            }
        for (size_t n = premier; n < reference->normales.size(); ++n)
            reference->normales[n] =
                static_cast<float>(1.0L / compteurs[n]) * reference->normales[n];
    }
    ASSERT_EQ(rapide->nbNormales(), reference->nbNormales());
    for (int i = 0; i < rapide->nbNormales(); ++i)
        EXPECT_EQ(std::memcmp(&rapide->normales[i].x, &reference->normales[i].x, 3 * sizeof(float)),
                  0)
            << i;
    for (int i = 0; i < rapide->nbFaces(); ++i) {
        EXPECT_EQ(std::memcmp(&rapide->faces[i].normale.x, &reference->faces[i].normale.x,
                              3 * sizeof(float)),
                  0)
            << i;
        EXPECT_EQ(rapide->faces[i].normales, reference->faces[i].normales) << i;
    }

    // A two-corner face further on: the faces before it get their normal, then it throws.
    auto m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 1}, {2, 1, 0}});
    testing::internal::CaptureStdout();
    attendMessage([&] { m->calcNormalesFaces(); },
                  "Mesh::calcNormaleFace: face ne contenant que 3 sommets");
    EXPECT_NE(testing::internal::GetCapturedStdout().find("polygone avec moins de 3 sommets !"),
              std::string::npos);
    EXPECT_EQ(m->faces[0].normale, CVecteur(0, 0, 1));
    EXPECT_EQ(m->faces[2].normale, CVecteur(0, 0, 0));
}

// With the identity placement the face normals skip the matrix: zeros of either sign,
// infinities and coordinates whose sum overflows give the bits of the product by it.
TEST(Mesh, NormalesDesFacesSansPlacementAuBitPresCommeParLaMatrice) {
    const float valeurs[] = {0.0f, -0.0f, 1.0f,   -2.5f,  7e-3f, INFINITY, -INFINITY,
                             NAN,  3e38f, -3e38f, 1e-30f, 0.1f,  -0.0f,    2.0f};
    auto construit = [&] {
        std::mt19937 alea(11);
        auto tire = [&] { return valeurs[alea() % std::size(valeurs)]; };
        auto m = std::make_unique<Mesh>(0, 0, 0, 0, "");
        for (int i = 0; i < 40; ++i) m->ajouteSommet(CVecteur(tire(), tire(), tire()), rouge);
        for (int i = 0; i < 400; ++i) {
            const int f = m->ajouteFace(3, 0, nullptr);
            for (int k = 0; k < 3; ++k)
                m->ajouteSommetFace(f, static_cast<int>(alea() % 40), -1, -1);
        }
        return m;
    };
    auto court = construit(), reference = construit();
    ASSERT_TRUE(court->placementIdentite());
    court->calcNormalesFaces();
    for (int i = 0; i < reference->nbFaces(); ++i) reference->calcNormaleFace(i);
    // (A NaN's sign and payload follow the order of the operands, which the compiler may
    // change: any NaN stands for any other.)
    auto meme = [](float a, float b) {
        return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
    };
    for (int i = 0; i < court->nbFaces(); ++i) {
        const CVecteur &a = court->faces[i].normale, &b = reference->faces[i].normale;
        EXPECT_TRUE(meme(a.x, b.x) && meme(a.y, b.y) && meme(a.z, b.z))
            << i << ": " << a.x << " " << a.y << " " << a.z << " / " << b.x << " " << b.y << " "
            << b.z;
    }
    reference->matrice() = CMatrice::rotation(CVecteur(0, 0, 1), 0.1f);
    EXPECT_FALSE(reference->placementIdentite());
}

// A normal's length is compared with 0.0001 in double precision: the float nearest 0.0001
// is below it (a zero normal), the next one above. Faces by four and a last one alone.
TEST(Mesh, NormalesDesFacesAuSeuilDeLongueurCommeFaceParFace) {
    const float seuil = 0.0001f, apres = std::nextafter(seuil, 1.0f);
    auto construit = [&] {
        auto m = std::make_unique<Mesh>(0, 0, 0, 0, "");
        for (int i = 0; i < 9; ++i) {
            const float cote = i % 3 == 0 ? seuil : i % 3 == 1 ? apres : 1.0f;
            const int s = m->ajouteSommet(CVecteur(0, 0, 0), rouge);
            m->ajouteSommet(CVecteur(1, 0, 0), rouge);
            m->ajouteSommet(CVecteur(1, cote, 0), rouge);
            const int f = m->ajouteFace(3, 0, nullptr);
            for (int k = 0; k < 3; ++k) m->ajouteSommetFace(f, s + k, -1, -1);
        }
        return m;
    };
    auto court = construit(), reference = construit();
    court->calcNormalesFaces();
    for (int i = 0; i < reference->nbFaces(); ++i) {
        reference->calcNormaleFace(i);
        EXPECT_EQ(
            std::memcmp(&court->faces[i].normale, &reference->faces[i].normale, sizeof(CVecteur)),
            0)
            << i;
        if (i % 3 == 0)
            EXPECT_EQ(court->faces[i].normale, CVecteur(0, 0, 0)) << i;
        else
            EXPECT_NEAR(court->faces[i].normale.z, 1.0f, 1e-6f) << i;
    }
}

// Vertex colours are kept one by one, whether all vertices share one or they differ, and
// through the references getSommet hands out.
TEST(Mesh, CouleursDesSommetsGardeesCommunesOuUneParUne) {
    const RGBA bleu(0, 0, 1, 1);
    auto m = mesh({{0, 0, 0}, {1, 0, 0}}, {});
    EXPECT_EQ(m->couleurSommet(1), rouge);
    m->ajouteSommet(CVecteur(0, 1, 0), bleu);
    m->ajouteSommet(CVecteur(0, 0, 1), rouge);
    EXPECT_EQ(m->couleurSommet(0), rouge);
    EXPECT_EQ(m->couleurSommet(2), bleu);
    EXPECT_EQ(m->couleurSommet(3), rouge);
    m->getSommet(3).g = 0.5f;
    m->getSommet(3).x = 4;
    EXPECT_EQ(m->couleurSommet(3), RGBA(rouge.r, 0.5f, rouge.b, rouge.a));
    EXPECT_EQ(m->getSomCoord(3), CVecteur(4, 0, 1));
    EXPECT_EQ(m->getSommet(2).b, 1.0f);
    m->couleurDesSommets(bleu);
    EXPECT_EQ(m->couleurSommet(0), bleu);
    EXPECT_EQ(m->couleurSommet(3), bleu);
}
