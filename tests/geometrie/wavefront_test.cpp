// Wavefront reader: corner syntaxes, smoothing groups, material libraries, damaged files,
// and agreement with the C library's formatted input, which the reader mimics by hand.
#include "geometrie/wavefront.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "scene/scene.h"

using namespace lectureWf;
namespace fs = std::filesystem;

namespace {

std::shared_ptr<Mesh> lis(const char* nom) {
    TableMateriaux table;
    return wfLecture(nom, table);
}

// Indices of one corner: vertex, texture coordinate, normal.
void attendCoin(const Face& f, int k, int s, int t, int n) {
    EXPECT_EQ(f.sommets[k], s) << "coin " << k;
    EXPECT_EQ(f.texCoords[k], t) << "coin " << k;
    EXPECT_EQ(f.normales[k], n) << "coin " << k;
}

// Files written by a test, in a directory of their own.
class FichiersTemporaires : public testing::Test {
protected:
    fs::path dossier = fs::temp_directory_path() / ("brakmor_wf_" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dossier); }
    void TearDown() override { fs::remove_all(dossier); }
    std::string ecrit(const std::string& nom, const std::string& contenu) {
        const fs::path p = dossier / nom;
        std::ofstream(p, std::ios::binary) << contenu;
        return p.string();
    }
};

}  // namespace

TEST(WfLecture, NomNulLevePointeurNull) {
    TableMateriaux table;
    try {
        wfLecture(nullptr, table);
        FAIL();
    } catch (const pointeur_null& e) {
        EXPECT_STREQ(e.what(), "wfLecture: nomFichier est un pointeur null");
    }
}

TEST_F(FichiersTemporaires, ExtensionsSensiblesALaCasseNomTropCourtAbsentOuDossier) {
    EXPECT_EQ(lis("wf_majuscule.OBJ"), nullptr);  // the file exists
    EXPECT_EQ(lis(".wf"), nullptr);
    EXPECT_EQ(lis("absent.obj"), nullptr);
    for (const char* nom : {"a.wf", "a.obj", "a.owf"})
        EXPECT_NE(lis(ecrit(nom, "v 0 0 0\n").c_str()), nullptr) << nom;
    fs::create_directories(dossier / "dossier.obj");
    EXPECT_EQ(lis((dossier / "dossier.obj").c_str()), nullptr);
}

TEST(WfLecture, CubeDonneHuitNormalesCourtesOuVingtQuatreUnitairesAvecUnGroupeParFace) {
    for (bool groupes : {false, true}) {
        auto m = lis(groupes ? "wf_cube_groupes.obj" : "wf_cube.obj");
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->nbSommets(), 8);
        ASSERT_EQ(m->nbFaces(), 6);
        ASSERT_EQ(m->nbNormales(), groupes ? 24 : 8);
        for (const Face& f : m->faces) {
            EXPECT_EQ(f.nbCoins(), 4);
            for (int n : f.normales)
                EXPECT_NEAR(m->normales.at(n).norme(), groupes ? 1 : 1 / std::sqrt(3.0f), 1e-5f);
        }
        EXPECT_EQ(m->groupes.size(), groupes ? 6u : 1u);
        EXPECT_EQ(m->boiteMax, CVecteur(1, 1, 1));
    }
}

TEST(WfLecture, QuatreSyntaxesDeCoinEtNormalesManquantesReparees) {
    auto m = lis("wf_syntaxes.obj");
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->nbFaces(), 4);
    const std::vector<Face>& f = m->faces;  // one material: the order is kept
    for (int k = 0; k < 3; ++k) {
        attendCoin(f[0], k, k, k, k);
        attendCoin(f[1], k, k, -1, 3 + k);
        EXPECT_EQ(f[2].texCoords[k], 6 + k);
        EXPECT_EQ(f[3].texCoords[k], -1);
    }
    EXPECT_EQ(m->getTexCoord(8).first, 0.9f);
    // The file has normals, but faces 2 and 3 name none: they get smoothed ones (one per
    // vertex, shared by both faces of group 0), so every corner can be drawn.
    ASSERT_EQ(m->nbNormales(), 9);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(f[2].normales[k], f[3].normales[k]);
        EXPECT_GE(f[2].normales[k], 6);
        EXPECT_EQ(m->normales[f[2].normales[k]], CVecteur(0, 0, 1));
    }
    EXPECT_EQ(f[0].normale, CVecteur(0, 0, 1));    // face normals computed too
    EXPECT_EQ(m->normales[0], CVecteur(1, 0, 0));  // the file's normals are kept
}

TEST(WfLecture, FaceSurDeuxLignesEtGroupeOffSansEffet) {
    auto m = lis("wf_suite.obj");
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->nbFaces(), 2);
    EXPECT_EQ(m->faces[0].nbCoins(), 4);
    EXPECT_EQ(m->faces[1].nbCoins(), 3);
    EXPECT_EQ(m->faces[1].groupe, 2);
    ASSERT_EQ(m->groupes.size(), 1u);
    EXPECT_EQ(m->groupes[2].size(), 2u);
}

TEST(MtlLecture, MateriauxHeritentEtNsEstMisALEchelle) {
    TableMateriaux table;
    ASSERT_TRUE(mtlLecture(table, "wf_materiaux.mtl"));
    ASSERT_EQ(table.size(), 3u);  // "faux" is in a comment
    const Material& rouge = *table.at("rouge");
    const Material& bleu = *table.at("bleu");
    EXPECT_EQ(rouge.couleur1, RGBA(0.1f, 0.2f, 0.3f, 0.5f));
    EXPECT_EQ(rouge.couleur2, RGBA(1, 0, 0, 0.5f));
    EXPECT_EQ(rouge.couleur3, RGBA(0.5f, 0.5f, 0.5f, 1));
    EXPECT_EQ(rouge.couleur4, RGBA(0, 0, 0, 1));
    EXPECT_FLOAT_EQ(rouge.brillance, 6.4f);
    EXPECT_EQ(bleu.couleur1, rouge.couleur1);
    EXPECT_EQ(bleu.couleur2, RGBA(0, 0, 1, 0.5f));
    EXPECT_EQ(bleu.couleur3, rouge.couleur3);
    EXPECT_EQ(bleu.brillance, rouge.brillance);
    EXPECT_FLOAT_EQ(table.at("vert")->brillance, 12.8f);
}

TEST(MtlLecture, BibliothequeSansNewmtlNeStockeRienEtAbsenteEchoue) {
    TableMateriaux table;
    EXPECT_TRUE(mtlLecture(table, "wf_sans_nom.mtl"));
    EXPECT_TRUE(table.empty());
    EXPECT_FALSE(mtlLecture(table, "absent.mtl"));
    EXPECT_FALSE(mtlLecture(table, nullptr));
}

TEST(WfLecture, UsemtlChoisitLeMateriauOuLeDefautEtLesFacesSontGroupees) {
    TableMateriaux table;
    auto m = wfLecture("wf_materiaux.obj", table);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(table.size(), 3u);
    ASSERT_EQ(m->nbFaces(), 4);
    int bleues = 0, rouges = 0, defaut = 0, changements = 0;
    for (int i = 0; i < 4; ++i) {
        const Material* mat = m->faces[i].material;
        bleues += mat == table["bleu"].get();
        rouges += mat == table["rouge"].get();
        defaut += mat == nullptr;
        if (i > 0) changements += mat != m->faces[i - 1].material;
    }
    EXPECT_EQ(bleues, 2);
    EXPECT_EQ(rouges, 1);
    EXPECT_EQ(defaut, 1);  // "inconnu" was never defined
    EXPECT_EQ(changements, 2);

    // The mesh keeps alive exactly the materials its faces use.
    const Material* bleu = table["bleu"].get();
    table.clear();
    ASSERT_EQ(m->materiauxTenus.size(), 2u);
    for (const Face& f : m->faces) {
        if (f.material == bleu) {
            EXPECT_EQ(f.material->couleur2, RGBA(0, 0, 1, 0.5f));
        }
    }
}

TEST(WfLecture, MtllibEssaieLeNomTelQuelPuisLeDossierDuFichier) {
    TableMateriaux table;
    auto m = wfLecture("wf_sous/wf_rel.obj", table);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(table.count("m"), 1u);  // only beside the geometry file
    EXPECT_EQ(table["m"]->couleur2.r, 0.25f);
    ASSERT_EQ(table.count("prio"), 1u);  // in both places: the working directory wins
    EXPECT_EQ(table["prio"]->couleur2.r, 1.0f);
    for (const Face& f : m->faces) EXPECT_NE(f.material, nullptr);
}

TEST(WfLecture, FacesInutilisablesEcarteesAvecLeurLigne) {
    testing::internal::CaptureStdout();
    std::shared_ptr<Mesh> m;
    EXPECT_NO_THROW(m = lis("wf_defauts.obj"));
    const std::string sortie = testing::internal::GetCapturedStdout();
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->nbFaces(), 3);  // lines 4, 10 and 11
    for (const Face& f : m->faces) {
        for (int s : f.sommets) EXPECT_TRUE(s >= 0 && s < 3);
        for (int n : f.normales) EXPECT_TRUE(n >= 0 && n < m->nbNormales());
        for (int t : f.texCoords) EXPECT_EQ(t, -1);
    }
    for (int ligne : {5, 6, 7, 9})
        EXPECT_NE(sortie.find("indice de sommet invalide (wf_defauts.obj, ligne " +
                              std::to_string(ligne) + ")"),
                  std::string::npos)
            << ligne;
    EXPECT_NE(sortie.find("polygone avec moins de 3 sommets ! (wf_defauts.obj, ligne 8)"),
              std::string::npos);
    EXPECT_NE(sortie.find("ligne 10"), std::string::npos);
    EXPECT_NE(sortie.find("\033[31m"), std::string::npos);
}

TEST_F(FichiersTemporaires, LignesLonguesSauteesEnEntier) {
    const std::string longue(5000, 'x');
    // Past the first 1024 bytes of a comment or of an unknown statement, nothing is read.
    auto m =
        lis(ecrit("long.obj", "#" + longue + " v 9 9 9\ng " + longue + " f 1 2 3\n" +
                                  "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nusemtl " + longue + "\n")
                .c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->nbSommets(), 3);
    EXPECT_EQ(m->nbFaces(), 1);
    EXPECT_EQ(m->faces[0].material, nullptr);
}

TEST_F(FichiersTemporaires, FichiersTronquesOctetsNulsEtBruitNeCassentRien) {
    std::vector<std::string> textes = {"v 1 2",
                                       "vn",
                                       "vt 0.5",
                                       "f",
                                       "f 1/",
                                       "f 1//",
                                       "s",
                                       "usemtl",
                                       "mtllib",
                                       "#",
                                       "v 0 0 0\nv 1 0 0\nf 1 2 2 4/"};
    std::mt19937 alea(1234);
    const std::string morceaux[] = {
        "v ",   "vn ", "vt ", "f ", "s ",  "usemtl ", "# ", "1",
        "-2",   "3/",  "/4",  "//", "0.5", "\n",      " ",  std::string(1, '\0'),
        "\xff", "nan", "g "};
    for (int essai = 0; essai < 100; ++essai) {
        std::string texte;
        for (int i = static_cast<int>(alea() % 200); i >= 0; --i)
            texte += alea() % 4 ? morceaux[alea() % std::size(morceaux)]
                                : std::string(1, static_cast<char>(alea()));
        textes.push_back(texte);
    }
    testing::internal::CaptureStdout();
    for (const std::string& texte : textes) {
        std::shared_ptr<Mesh> m;
        ASSERT_NO_THROW(m = lis(ecrit("bruit.obj", texte).c_str())) << texte;
        ASSERT_NE(m, nullptr);
        for (const Face& f : m->faces) {
            ASSERT_TRUE(m->faceValide(f)) << texte;
            for (int k = 0; k < f.nbCoins(); ++k) {
                ASSERT_TRUE(f.normales[k] >= 0 && f.normales[k] < m->nbNormales()) << texte;
                ASSERT_TRUE(f.texCoords[k] == -1 || f.texCoords[k] < m->nbTexCoords()) << texte;
            }
        }
        TableMateriaux table;
        ASSERT_TRUE(mtlLecture(table, ecrit("bruit.mtl", texte).c_str()));
    }
    testing::internal::GetCapturedStdout();
    // A vertex cut short keeps what was read; what is missing is 0.
    EXPECT_EQ(lis(ecrit("v.obj", "v 1 2").c_str())->getSomCoord(0), CVecteur(1, 2, 0));
}

namespace {

// Runs fscanf on the text through a memory stream; gives the count, the position reached.
template <typename... T>
std::pair<int, long> parFscanf(const std::string& texte, const char* format, T*... valeurs) {
    std::FILE* f = fmemopen(const_cast<char*>(texte.data()), texte.size(), "r");
    const int r = std::fscanf(f, format, valeurs...);
    const long position = std::ftell(f);
    std::fclose(f);
    return {r, position};
}

// Same value to the bit, any NaN being equal to any other.
bool memeFlottant(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

}  // namespace

TEST(LectureWf, NombresLusCommeFscanf) {
    std::mt19937 alea(42);
    std::vector<std::string> textes = {"1ex",
                                       "ix 5",
                                       "infinx",
                                       "infinity",
                                       "inf5",
                                       "-x",
                                       "- 5",
                                       "0x",
                                       "0xg",
                                       "0x1p3",
                                       "nan(1)",
                                       "NaNx",
                                       ".e5",
                                       ".5e+",
                                       "1e+x",
                                       "5.",
                                       "+.5",
                                       "1.2.3",
                                       "0x1.8",
                                       "1e5e",
                                       "99999999999999999999",
                                       "-99999999999999999999",
                                       "4294967297",
                                       "2147483648",
                                       "1e40",
                                       "1e-50",
                                       "1e-40",
                                       " \n 7",
                                       "  ",
                                       "na",
                                       "n",
                                       "i",
                                       "+",
                                       "3.4028235e38",
                                       std::string("12\0"
                                                   "3",
                                                   4),
                                       "\xff"
                                       "1",
                                       "0.1",
                                       "123456789.123456789e-3"};
    const char alphabet[] = "0123456789+-.eExXpPnNaAiIfFtTyY \n/";
    for (int i = 0; i < 20000; ++i) {
        std::string t;
        for (int n = static_cast<int>(alea() % 10); n >= 0; --n)
            t += alphabet[alea() % (sizeof alphabet - 1)];
        textes.push_back(t);
    }
    for (const std::string& t : textes) {
        float attendu = -777, lu = -777;
        auto [r, pos] = parFscanf(t, "%f", &attendu);
        Curseur c{t.data(), t.data() + t.size()};
        ASSERT_EQ(flottant(c, lu), r) << "\"" << t << "\"";
        ASSERT_EQ(c.p - t.data(), pos) << "\"" << t << "\"";
        ASSERT_TRUE(memeFlottant(lu, attendu)) << "\"" << t << "\" " << lu << " / " << attendu;

        int entierAttendu = -777, entierLu = -777;
        std::tie(r, pos) = parFscanf(t, "%d", &entierAttendu);
        c = Curseur{t.data(), t.data() + t.size()};
        ASSERT_EQ(entier(c, entierLu), r) << "\"" << t << "\"";
        ASSERT_EQ(c.p - t.data(), pos) << "\"" << t << "\"";
        ASSERT_EQ(entierLu, entierAttendu) << "\"" << t << "\"";
    }
}

namespace {

// The stream reader the hand-written one replaces, written with fscanf and sscanf on a
// memory stream; unread values count as 0, and comments and unknown statements are skipped
// to the true line end, as the hand-written reader does.
ContenuWf lectureParFscanf(const std::string& texte) {
    ContenuWf r;
    std::FILE* f = fmemopen(const_cast<char*>(texte.data()), texte.size(), "r");
    std::vector<char> tampon(texte.size() + 8);
    char* buf = tampon.data();
    auto sauteLigne = [f] {
        int ch;
        while ((ch = std::fgetc(f)) != EOF && ch != '\n') {
        }
    };
    int groupe = 0;
    while (std::fscanf(f, "%s", buf) == 1) {
        if (buf[0] == '#') {
            sauteLigne();
        } else if (!std::strcmp(buf, "v") || (buf[0] == 'v' && (buf[1] == 'n'))) {
            float x = 0, y = 0, z = 0;
            std::fscanf(f, "%f %f %f\n", &x, &y, &z);
            (buf[1] == 'n' ? r.normales : r.sommets).emplace_back(x, y, z);
        } else if (buf[0] == 'v' && buf[1] == 't') {
            float u = 0, v = 0;
            std::fscanf(f, "%f %f\n", &u, &v);
            r.texCoords.emplace_back(u, v);
        } else if (!std::strcmp(buf, "s")) {
            std::fscanf(f, "%d\n", &groupe);
        } else if (!std::strcmp(buf, "f")) {
            FaceLue face;
            face.groupe = groupe;
            std::fscanf(f, "%s", buf);
            int a = 0, b = 0, c = 0;
            int syntaxe;
            if (std::strstr(buf, "//"))
                syntaxe = 0;
            else if (std::sscanf(buf, "%d/%d/%d", &a, &b, &c) == 3)
                syntaxe = 1;
            else if (std::sscanf(buf, "%d/%d", &a, &b) == 2)
                syntaxe = 2;
            else
                syntaxe = 3;
            const char* formats[] = {"%d//%d", "%d/%d/%d", "%d/%d", "%d"};
            auto coin = [&] {
                const int s = a, t = syntaxe == 1 || syntaxe == 2 ? b : 0,
                          n = syntaxe == 0 ? b : (syntaxe == 1 ? c : 0);
                auto moins1 = [](int i) { return i == INT_MIN ? INT_MIN : i - 1; };
                face.coins.push_back(CoinLu{moins1(s), moins1(t), moins1(n)});
            };
            a = b = c = 0;
            std::sscanf(buf, formats[syntaxe], &a, &b, &c);
            coin();
            while (a = b = c = 0, std::fscanf(f, formats[syntaxe], &a, &b, &c) > 0) coin();
            r.faces.push_back(std::move(face));
        } else {
            sauteLigne();
        }
    }
    std::fclose(f);
    return r;
}

// Everything the pass read, as text: values to the bit, NaN written once for all.
std::string resume(const ContenuWf& c) {
    std::string r;
    auto f = [&r](float x) {
        uint32_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        r += std::isnan(x) ? "nan " : std::to_string(bits) + " ";
    };
    for (const CVecteur& v : c.sommets) f(v.x), f(v.y), f(v.z);
    r += "| ";
    for (const CVecteur& v : c.normales) f(v.x), f(v.y), f(v.z);
    r += "| ";
    for (const auto& t : c.texCoords) f(t.first), f(t.second);
    for (const FaceLue& face : c.faces) {
        r += "\nf" + std::to_string(face.groupe) + ":";
        for (const CoinLu& k : face.coins)
            r += " " + std::to_string(k.sommet) + "/" + std::to_string(k.texCoord) + "/" +
                 std::to_string(k.normale);
    }
    return r;
}

}  // namespace

TEST(LectureWf, AnalyseDonneLesMemesDonneesQueLeLecteurFscanf) {
    std::mt19937 alea(2024);
    const std::string morceaux[] = {
        "v",   "vn",  "vt", "vnx",   "f",    "s",   "off", "#",  "#x", "g",    "fx",  "1",    "2",
        "-3",  "0",   "12", "1/2/3", "1//2", "1/2", "1/",  "/2", "//", "2/x",  "0.5", "-1e3", "1e",
        "nan", "inf", ".",  "-",     " ",    " ",   "  ",  "\n", "\n", "\r\n", "\t"};
    for (int essai = 0; essai < 3000; ++essai) {
        std::string texte;
        for (int i = static_cast<int>(alea() % 60); i >= 0; --i) {
            const unsigned choix = alea() % 100;
            texte += choix == 0   ? std::string(1, '\0')
                     : choix == 1 ? std::string("\xff")
                                  : morceaux[alea() % std::size(morceaux)];
            if (alea() % 2) texte += ' ';
        }
        ContenuWf lu;
        analyse(texte.data(), texte.data() + texte.size(), lu, TableMateriaux(),
                [](const std::string&) {});
        ASSERT_EQ(resume(lu), resume(lectureParFscanf(texte))) << texte;
    }
}
