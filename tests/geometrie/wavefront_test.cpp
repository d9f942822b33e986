// Wavefront reader: corner syntaxes, smoothing groups, material libraries, damaged files,
// and agreement with the C library's formatted input, which the reader mimics by hand.
#include "geometrie/wavefront.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "commun/console.h"
#include "commun/fichier_projete.h"
#include "geometrie/formats_maillage.h"
#include "geometrie/wavefront_capacites.h"
#include "scene/scene.h"

using namespace lectureWf;
namespace fs = std::filesystem;

namespace {

// A mesh file read as the scenes read them: the reader chosen by the extension.
std::shared_ptr<Mesh> lis(const char* nom) {
    TableMateriaux table;
    return lisMaillage(nom, table);
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
    // Runs of 1 to 12 digits, then each kind of byte, with room for eight bytes or not: the
    // indices are read eight bytes at a time.
    for (size_t n = 1; n <= 12; ++n)
        for (const char* suite : {"", " ", "/", ":", "\xb9", "x", "0", "\x80 1"})
            for (const char* marge : {"", "         "})
                textes.push_back(std::string("907856341234").substr(0, n) + suite + marge);
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
// With a table, "usemtl" reads a name and looks it up there, and "mtllib" reads a name and
// hands it to `bibliotheque`; each face also gets the line of its "f".
ContenuWf lectureParFscanf(const std::string& texte, const TableMateriaux* table = nullptr,
                           const std::function<void(const std::string&)>& bibliotheque = {}) {
    ContenuWf r;
    std::shared_ptr<Material> material;
    long compte = 0;  // lines counted up to this offset
    int ligne = 1;
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
        } else if (table && !std::strcmp(buf, "usemtl")) {
            std::fscanf(f, "%s", buf);
            const auto it = table->find(buf);
            material = it == table->end() ? nullptr : it->second;
        } else if (table && !std::strcmp(buf, "mtllib")) {
            std::fscanf(f, "%s", buf);
            bibliotheque(buf);
        } else if (!std::strcmp(buf, "f")) {
            FaceLue face;
            face.groupe = groupe;
            face.material = material;
            long debut = std::ftell(f);
            while (debut > 0 && !std::isspace(static_cast<unsigned char>(texte[debut - 1])))
                --debut;
            ligne +=
                static_cast<int>(std::count(texte.begin() + compte, texte.begin() + debut, '\n'));
            compte = debut;
            face.ligne = ligne;
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

// Lines of the usual shapes, read whole by the reader, with every variation at their edges:
// numbers of 0 to 17 digits (float rounding midpoints among them), indices of 1 to 11
// digits, 2 to 5 corners of one or mixed forms, trailing blanks, CR LF, and what starts the
// next line (a face goes on over a line end when it starts with a digit or a sign).
TEST(LectureWf, LignesUsuellesLuesCommeFscanf) {
    std::mt19937 alea(31);
    auto chiffres = [&](int n) {
        std::string r;
        for (int i = 0; i < n; ++i) r += static_cast<char>('0' + alea() % 10);
        return r;
    };
    const char* milieux[] = {"16777217",         "-16777219", "33554434.0", "+0.500000029802322",
                             "1.00000005960464", "8388608.5", "0.0000001",  "-0"};
    auto nombre = [&] {
        if (alea() % 8 == 0) return std::string(milieux[alea() % std::size(milieux)]);
        std::string r = alea() % 3 == 0 ? "-" : (alea() % 9 == 0 ? "+" : "");
        r += chiffres(static_cast<int>(alea() % 9));
        if (alea() % 4) r += "." + chiffres(static_cast<int>(alea() % 10));
        return r;
    };
    auto indice = [&] {
        const int n = alea() % 6 == 0 ? 7 + static_cast<int>(alea() % 5) : 1 + alea() % 3;
        return std::to_string(1 + alea() % 9) + chiffres(n - 1);
    };
    const char* formes[] = {"%", "%/%", "%/%/%", "%//%"};
    const char* debuts[] = {"v", "f", "vn", "vt", "1", "-2", "+3", " f", "	v", "# x", "s 1"};
    for (int essai = 0; essai < 300; ++essai) {
        std::string texte;
        for (int ligne = 0; ligne < 40; ++ligne) {
            const unsigned choix = alea() % 10;
            if (choix < 4) {
                texte += choix == 0 ? "vn" : (choix == 1 ? "vt" : "v");
                for (int k = choix == 1 ? 2 : 3; k > 0; --k) texte += " " + nombre();
            } else if (choix < 9) {
                texte += "f";
                const int forme = static_cast<int>(alea() % 4);
                for (int k = 2 + static_cast<int>(alea() % 4); k > 0; --k) {
                    texte += ' ';
                    const int f = alea() % 10 == 0 ? static_cast<int>(alea() % 4) : forme;
                    for (const char* q = formes[f]; *q; ++q)
                        texte += *q == '%' ? indice() : std::string(1, *q);
                }
            } else {
                texte += debuts[alea() % std::size(debuts)];
            }
            const unsigned fin = alea() % 12;
            texte += fin == 0 ? " \n" : (fin == 1 ? "\r\n" : "\n");
        }
        if (alea() % 2) texte.pop_back();
        ContenuWf lu;
        analyse(texte.data(), texte.data() + texte.size(), lu, TableMateriaux(),
                [](const std::string&) {});
        ASSERT_EQ(resume(lu), resume(lectureParFscanf(texte))) << texte;
    }
}

namespace {

// The straightforward reading the fast reader must match: the fscanf stream reader above,
// then the mesh built element by element through the mesh's own operations, the smoothed
// normals by the plain per-group walk and the faces put in material order by a stable sort.
// Its messages are those of the reader, with the same lines.
struct LectureReference {
    TableMateriaux table;
    std::shared_ptr<Mesh> mesh;
};

void lissageReference(Mesh& m) {
    for (int i = 0; i < m.nbFaces(); ++i) m.calcNormaleFace(i);
    m.normales.clear();
    std::vector<int> table(m.sommets.size(), -1);
    std::vector<int> compteurs;
    for (const auto& entree : m.groupes) {
        std::fill(table.begin(), table.end(), -1);
        const size_t premier = m.normales.size();
        for (int indiceFace : entree.second) {
            Face& f = m.getFace(indiceFace);
            for (int k = 0; k < f.nbCoins(); ++k) {
                const int v = f.sommets[k];
                if (table[v] == -1) {
                    m.normales.push_back(f.normale);
                    compteurs.push_back(1);
                    table[v] = m.nbNormales() - 1;
                } else {
                    m.normales[table[v]] += f.normale;
                    ++compteurs[table[v]];
                }
                m.setFaceIndiceNormale(indiceFace, k, table[v]);
            }
        }
        for (size_t n = premier; n < m.normales.size(); ++n)
            m.normales[n] = static_cast<float>(1.0L / compteurs[n]) * m.normales[n];
    }
}

LectureReference lectureReference(const std::string& chemin) {
    LectureReference r;
    std::ifstream flux(chemin, std::ios::binary);
    const std::string texte((std::istreambuf_iterator<char>(flux)),
                            std::istreambuf_iterator<char>());
    const size_t barre = chemin.rfind('/');
    const std::string dossier = barre == std::string::npos ? "" : chemin.substr(0, barre + 1);
    const ContenuWf lu = lectureParFscanf(texte, &r.table, [&](const std::string& nom) {
        if (mtlLecture(r.table, nom.c_str())) return;
        if (!dossier.empty() && !nom.empty() && nom[0] != '/' &&
            mtlLecture(r.table, (dossier + nom).c_str()))
            return;
        console.erreur("bibliothèque de matériaux illisible : " + nom + " (" + chemin + ")");
    });
    auto m = std::make_shared<Mesh>(0, 0, 0, 0, "");
    for (const CVecteur& s : lu.sommets) m->ajouteSommet(s, RGBA(255, 0, 0, 0));
    for (const CVecteur& n : lu.normales) m->ajouteNormale(n);
    for (const auto& t : lu.texCoords) m->ajouteTexCoord(t.first, t.second);
    int messages = 0;
    auto signale = [&](const char* quoi, int ligne, const char* suite) {
        if (++messages <= 20)
            console.erreur(std::string(quoi) + " (" + chemin + ", ligne " + std::to_string(ligne) +
                           ") : " + suite);
    };
    auto valide = [](int i, int n) { return i >= 0 && i < n; };
    for (const FaceLue& face : lu.faces) {
        if (face.coins.size() < 3) {
            signale("polygone avec moins de 3 sommets !", face.ligne, "face ignorée");
            continue;
        }
        bool sommets = true, autres = true;
        for (const CoinLu& c : face.coins) {
            sommets &= valide(c.sommet, m->nbSommets());
            autres &= (c.normale == -1 || valide(c.normale, m->nbNormales())) &&
                      (c.texCoord == -1 || valide(c.texCoord, m->nbTexCoords()));
        }
        if (!sommets) {
            signale("indice de sommet invalide", face.ligne, "face ignorée");
            continue;
        }
        if (!autres)
            signale("indice de normale ou de coordonnées de texture invalide", face.ligne,
                    "indice ignoré");
        const int f =
            m->ajouteFace(static_cast<int>(face.coins.size()), face.groupe, face.material.get());
        for (const CoinLu& c : face.coins)
            m->ajouteSommetFace(f, c.sommet, valide(c.normale, m->nbNormales()) ? c.normale : -1,
                                valide(c.texCoord, m->nbTexCoords()) ? c.texCoord : -1);
        if (face.material && std::find(m->materiauxTenus.begin(), m->materiauxTenus.end(),
                                       face.material) == m->materiauxTenus.end())
            m->materiauxTenus.push_back(face.material);
    }
    if (messages > 20)
        console.erreur(chemin + " : " + std::to_string(messages - 20) +
                       " autres faces incorrectes");
    if (m->nbNormales() > 0) {
        for (int i = 0; i < m->nbFaces(); ++i) m->calcNormaleFace(i);
        m->completeNormalesManquantes();
    } else {
        lissageReference(*m);
    }
    r.mesh = m;  // faces in creation order: sorted against the other reading's materials
    return r;
}

std::string bits(float x) {
    uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return std::to_string(b);
}
std::string bits(const CVecteur& v) { return bits(v.x) + "," + bits(v.y) + "," + bits(v.z); }

std::string nomDe(const Material* m, const TableMateriaux& table) {
    if (!m) return "-";
    for (const auto& [nom, mat] : table)
        if (mat.get() == m) return nom;
    return "?";
}

// Everything a mesh holds, as text, with `faces` for its faces and materials by their name
// in the reading's table.
std::string description(const Mesh& m, const std::vector<Face>& faces,
                        const TableMateriaux& table) {
    std::string r = "boite " + bits(m.boiteMin) + " " + bits(m.boiteMax) + "\nsommets";
    for (int i = 0; i < m.nbSommets(); ++i)
        r += " " + bits(static_cast<const CVecteur&>(m.sommets[i])) + "/" +
             bits(m.couleurSommet(i).r) + bits(m.couleurSommet(i).a);
    r += "\nnormales";
    for (const CVecteur& n : m.normales) r += " " + bits(n);
    r += "\ntex";
    for (const auto& t : m.texCoords) r += " " + bits(t.first) + "," + bits(t.second);
    for (const Face& f : faces) {
        r += "\nf " + std::to_string(f.groupe) + " " + nomDe(f.material, table) + " " +
             bits(f.normale) + " :";
        for (int k = 0; k < f.nbCoins(); ++k)
            r += " " + std::to_string(f.sommets[k]) + "/" + std::to_string(f.texCoords[k]) + "/" +
                 std::to_string(f.normales[k]);
    }
    for (const auto& [g, liste] : m.groupes) {
        r += "\ng " + std::to_string(g) + ":";
        for (int i : liste) r += " " + std::to_string(i);
    }
    r += "\ntenus";
    for (const auto& mat : m.materiauxTenus) r += " " + nomDe(mat.get(), table);
    return r;
}

// Reads a file with the reader and with the reference; the meshes (or the null results), the
// material tables and the messages must all be the same.
void attendMemeLecture(const std::string& chemin) {
    SCOPED_TRACE(chemin);
    testing::internal::CaptureStdout();
    const LectureReference ref = lectureReference(chemin);
    const std::string messagesRef = testing::internal::GetCapturedStdout();
    const bool extensionValide = [&] {
        for (const char* ext : {".obj", ".wf", ".owf"}) {
            const size_t n = std::strlen(ext);
            if (chemin.size() >= n && chemin.compare(chemin.size() - n, n, ext) == 0) return true;
        }
        return false;
    }();
    {
        TableMateriaux table;
        testing::internal::CaptureStdout();
        std::shared_ptr<Mesh> m = lisMaillage(chemin, table);
        const std::string messages = testing::internal::GetCapturedStdout();
        if (!extensionValide) {
            EXPECT_EQ(m, nullptr);
            return;
        }
        ASSERT_NE(m, nullptr);
        // Faces come in the order of their materials' addresses, which differ from one
        // reading to the other: the reference's are put in the order of this reading's.
        auto memeMaterial = [&](const Material* mat) -> const Material* {
            const auto it = table.find(nomDe(mat, ref.table));
            return mat && it != table.end() ? it->second.get() : nullptr;
        };
        std::vector<Face> facesRef = ref.mesh->faces;
        std::stable_sort(facesRef.begin(), facesRef.end(), [&](const Face& a, const Face& b) {
            return std::less<const Material*>()(memeMaterial(a.material), memeMaterial(b.material));
        });
        EXPECT_EQ(description(*m, m->faces, table), description(*ref.mesh, facesRef, ref.table));
        EXPECT_EQ(messages, messagesRef);
        // The lists are reserved from the line count: "v " a vertex, "vt" a texture
        // coordinate, any line starting with "f" a face (and "vn" a normal, but the normals
        // are rebuilt or completed afterwards).
        size_t lignes[4] = {0, 0, 0, 0};
        {
            std::ifstream flux(chemin, std::ios::binary);
            const std::string texte((std::istreambuf_iterator<char>(flux)),
                                    std::istreambuf_iterator<char>());
            for (size_t debut = 0; debut < texte.size();) {
                const char c0 = texte[debut],
                           c1 = debut + 1 < texte.size() ? texte[debut + 1] : '\0';
                lignes[0] += c0 == 'v' && c1 == ' ';
                lignes[1] += c0 == 'v' && c1 == 'n';
                lignes[2] += c0 == 'v' && c1 == 't';
                lignes[3] += c0 == 'f';
                const size_t nl = texte.find('\n', debut);
                if (nl == std::string::npos) break;
                debut = nl + 1;
            }
        }
        // (Unless a list outgrew its count: statements that do not start a line.)
        if (m->sommets.size() <= lignes[0]) {
            EXPECT_EQ(m->sommets.capacity(), lignes[0]);
        }
        if (m->texCoords.size() <= lignes[2]) {
            EXPECT_EQ(m->texCoords.capacity(), lignes[2]);
        }
        if (m->faces.size() <= lignes[3] && messages.empty()) {  // no face read was left out
            EXPECT_EQ(m->faces.capacity(), lignes[3]);
        }
        ASSERT_EQ(table.size(), ref.table.size());
        for (const auto& [nom, mat] : table) EXPECT_EQ(mat->couleur2, ref.table.at(nom)->couleur2);
    }
}

}  // namespace

// Every file of the test data, read as a geometry file: the Wavefront files in place (their
// libraries are found beside them), the others through a copy with the ".obj" extension.
TEST_F(FichiersTemporaires, LecteurRapideIdentiqueALaLectureDeReferenceSurLesDonneesDeTest) {
    int fichiers = 0;
    for (const auto& entree : fs::recursive_directory_iterator(".")) {
        // The log is written by the other tests while this one runs.
        if (!entree.is_regular_file() || entree.path().extension() == ".log") continue;
        const std::string chemin = entree.path().lexically_normal().string();
        attendMemeLecture(chemin);
        std::ifstream flux(chemin, std::ios::binary);
        const std::string texte((std::istreambuf_iterator<char>(flux)),
                                std::istreambuf_iterator<char>());
        attendMemeLecture(ecrit("copie.obj", texte));
        ++fichiers;
    }
    EXPECT_GE(fichiers, 10);
}

// Texts larger than the reading blocks, so that blocks end everywhere: faces going on over
// line ends, numbers and words of every kind, lines longer than a block, comments, groups,
// materials, and faces naming elements defined further on or nowhere.
TEST_F(FichiersTemporaires, LecteurRapideIdentiqueSurDeGrandsFichiersAuHasard) {
    std::ofstream(dossier / "lib.mtl") << "newmtl a\nKd 1 0 0\nnewmtl b\nKd 0 1 0\nnewmtl c\n";
    // "c" is selected first but used only after "b": the mesh keeps them in order of use.
    attendMemeLecture(ecrit("ordre.obj",
                            "mtllib lib.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl c\n"
                            "usemtl b\nf 1 2 3\nusemtl c\nf 3 2 1\nusemtl b\nf 1 3 2\n"));
    std::mt19937 alea(77);
    const std::string morceaux[] = {
        "v ",   "vn ", "vt ", "f ",  "s ", "s off", "usemtl a", "usemtl b", "usemtl z",
        "# c",  "g x", "1",   "-2",  "3/", "/4",    "//",       "0.5",      "7/7/7",
        "2//1", "5/3", "1e",  "nan", "\n", " ",     "\n\n",     "\t"};
    for (int essai = 0; essai < 6; ++essai) {
        std::string texte = "mtllib lib.mtl\n";
        for (int i = 0; i < 300; ++i)
            texte += "v " + std::to_string(i % 17) + " " + std::to_string(i % 5) + ".25 " +
                     std::to_string(i % 3) + "\n";
        while (texte.size() < (essai < 3 ? size_t(1.5e6) : size_t(3e5))) {
            const unsigned choix = alea() % 100;
            if (choix < 40) {
                texte += "f " + std::to_string(alea() % 320) + " " + std::to_string(alea() % 320) +
                         (alea() % 7 == 0 ? "\n" : " ") + std::to_string(1 + alea() % 300) + "\n";
            } else if (choix < 45) {
                texte += "f " + std::to_string(1 + alea() % 300) + "/" +
                         std::to_string(alea() % 9) + "/" + std::to_string(alea() % 9) +
                         " 2/1/1 3/2/2\n";
            } else if (choix < 46 && essai % 2 == 0) {
                texte += "# " + std::string(700000, 'x') + "\n";  // longer than a block
            } else {
                texte += morceaux[alea() % std::size(morceaux)];
                texte += alea() % 3 ? " " : "\n";
            }
        }
        const std::string chemin = ecrit("grand" + std::to_string(essai) + ".obj", texte);
        attendMemeLecture(chemin);
        if (essai < 2) {
            // Once no more file can be mapped, the file is read by blocks: the same mesh.
            std::vector<std::unique_ptr<FichierProjete>> prises;
            while (prises.size() < 10000) {
                prises.push_back(std::make_unique<FichierProjete>(chemin.c_str()));
                if (!prises.back()->valide()) break;
            }
            ASSERT_FALSE(prises.back()->valide());
            attendMemeLecture(chemin);
        }
    }
}

// Files without normals are smoothed while they are read as long as the faces come in the
// order of the smoothing walk; every way out of that order must give the reference's normals.
TEST_F(FichiersTemporaires, LissageEnLisantIdentiqueALaReference) {
    std::mt19937 alea(5);
    enum Cas {
        UN_GROUPE,
        GROUPES_CROISSANTS,
        GROUPES_QUI_REVIENNENT,
        FACE_EN_AVANT,
        NORMALE_A_LA_FIN,
        NORMALE_AU_MILIEU,
        GRANDES_FACES,
        TEXTURES_ABSENTES
    };
    for (int cas = UN_GROUPE; cas <= TEXTURES_ABSENTES; ++cas) {
        SCOPED_TRACE(cas);
        std::string texte;
        for (int i = 0; i < 200; ++i)
            texte += "v " + std::to_string(alea() % 23) + " " + std::to_string(alea() % 19) +
                     ".5 " + std::to_string(alea() % 7) + "\n";
        const int nbFaces = 6000;
        int groupe = 0;
        for (int i = 0; i < nbFaces; ++i) {
            if (i % 500 == 0 && cas == GROUPES_CROISSANTS)
                texte += (groupe += 1 + static_cast<int>(alea() % 3)) % 4 == 0
                             ? "s off\n"
                             : "s " + std::to_string(groupe) + "\n";
            if (i % 500 == 0 && cas == GROUPES_QUI_REVIENNENT)
                texte += "s " + std::to_string(alea() % 3) + "\n";
            if (i == nbFaces / 2 && cas == FACE_EN_AVANT) texte += "f 1 2 201\n";
            if (i == nbFaces / 2 && cas == NORMALE_AU_MILIEU) texte += "vn 0 0 1\n";
            // Faces kept but reported (a texture index beyond the list), in the last quarter:
            // the smoothing goes on for many lots of faces before they come.
            if (i > nbFaces * 3 / 4 && i % 100 == 0 && cas == TEXTURES_ABSENTES)
                texte += "f 1/7 2/7 3/7\n";
            const int coins = cas == GRANDES_FACES ? 3 + static_cast<int>(alea() % 5) : 3;
            texte += "f";
            for (int k = 0; k < coins; ++k) texte += " " + std::to_string(1 + alea() % 200);
            texte += "\n";
        }
        if (cas == FACE_EN_AVANT) texte += "v 1 1 1\n";
        if (cas == NORMALE_A_LA_FIN) texte += "vn 0 1 0\n";
        attendMemeLecture(ecrit("lisse" + std::to_string(cas) + ".obj", texte));
    }
}

// A big text is counted in two halves: every line counted once whatever falls on the
// middle (a line end, a line's first or second byte, a line end at the very end or none).
TEST(LectureWf, ComptesDesDeuxMoitiesCommeLigneParLigne) {
    std::mt19937 alea(9);
    const char* lignes[] = {"v 1 2 3\n", "vn 0 0 1\n", "vt 1 0\n", "f 1 2 3\n", "s 1\n",
                            "v\n",       "f\n",        "\n",       "#v\n",      "vv\n"};
    std::string base;
    while (base.size() < (size_t(9) << 19)) base += lignes[alea() % std::size(lignes)];
    for (int decalage = 0; decalage < 12; ++decalage) {
        const std::string texte =
            std::string(static_cast<size_t>(decalage), 'x') + base + (decalage % 2 ? "f" : "");
        lectureWf::detail::Comptes attendu, lu;
        for (size_t debut = 0; debut < texte.size();) {
            attendu.ajoute(texte[debut], debut + 1 < texte.size() ? texte[debut + 1] : '\0');
            const size_t nl = texte.find('\n', debut);
            if (nl == std::string::npos) break;
            debut = nl + 1;
        }
        // Every text counted in two halves, whatever the size from which the reader does.
        lectureWf::detail::compteTexte(texte.data(), texte.size(), lu, texte.size());
        EXPECT_EQ(lu.faces, attendu.faces) << decalage;
        EXPECT_EQ(lu.sommets, attendu.sommets) << decalage;
        EXPECT_EQ(lu.normales, attendu.normales) << decalage;
        EXPECT_EQ(lu.texCoords, attendu.texCoords) << decalage;
    }
}

// The one chooser of a mesh's reader: an STL file (any case) goes to Assimp; a robot
// description's mesh is scaled and must be STL or COLLADA.
TEST(FormatsMaillage, ChoisitLeLecteurParLExtension) {
    EXPECT_EQ(formatMaillage("a.STL"), FormatMaillage::Stl);
    EXPECT_EQ(formatMaillage("a.dae"), FormatMaillage::Collada);
    EXPECT_EQ(formatMaillage("a.OBJ"), FormatMaillage::Inconnu);
    const std::shared_ptr<Mesh> stl = lis("../urdf-dart/KR5/meshes/base_link.STL");
    ASSERT_NE(stl, nullptr);
    EXPECT_GT(stl->faces.size(), 0u);

    const std::shared_ptr<Mesh> dix =
        lisMaillageMisAEchelle("../urdf-dart/KR5/meshes/base_link.STL", 10.0f);
    ASSERT_EQ(dix->nbSommets(), stl->nbSommets());
    EXPECT_FLOAT_EQ(dix->boiteMax.z, 10.0f * stl->boiteMax.z);
    EXPECT_THROW(lisMaillageMisAEchelle("wf_cube.obj", 1.0f), std::runtime_error);
}
