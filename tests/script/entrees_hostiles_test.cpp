// Scene files from anywhere: special files, huge files, repeated reloading. Whatever the
// input, loading ends, says what went wrong and keeps what was loaded before (these tests
// also run under the sanitizers, where a leak fails them).
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRAKMOR_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define BRAKMOR_ASAN 1
#endif
#ifdef BRAKMOR_ASAN
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

#include "geometrie/wavefront.h"
#include "script/banc_script.h"

namespace {
// Bytes the program holds on the heap right now.
size_t octetsAlloues() {
#ifdef BRAKMOR_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

std::string cheminDemo() {
    const char* source = std::getenv("BRAKMOR_SOURCE");
    return std::string(source ? source : "../..") + "/scenes/demo.txt";
}
}  // namespace

using EntreesHostiles = BancScript;

// A FIFO or a device named as a scene, an include, a mesh, a material library or a texture
// used to block the loading forever (a FIFO with no writer) or fill the memory (/dev/zero).
TEST_F(EntreesHostiles, FichiersSpeciauxRefusesSansBloquer) {
    for (const char* nom : {"tube.txt", "tube.obj", "tube.mtl", "tube.tga"})
        ASSERT_EQ(mkfifo((dossier + nom).c_str(), 0600), 0) << nom;
    testing::internal::CaptureStdout();
    execute("a = 1;\n#include tube.txt\n#include /dev/zero\nm = chargeWaveFront(\"" + dossier +
            "tube.obj\", true);\nt = chargeTexture(\"" + dossier + "tube.tga\");\nb = 2;\n");
    const std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(existe("a"));
    EXPECT_TRUE(existe("b"));
    EXPECT_EQ(var("m").type, T_VOID);
    EXPECT_NE(sortie.find("impossible d'ouvrir le fichier " + dossier + "tube.txt"),
              std::string::npos)
        << sortie;
    EXPECT_NE(sortie.find("impossible d'ouvrir le fichier /dev/zero"), std::string::npos);
    ASSERT_EQ(nbBoites(), 2) << toutesLesBoites();
    EXPECT_EQ(boite(0).titre, "lecture de fichier wavefront");
    EXPECT_EQ(boite(1).titre, "lecture d'une texture");
    EXPECT_EQ(var("t").objet<Texture>(), nullptr);

    // Libraries that are not regular files are ignored like missing ones.
    TableMateriaux materiaux;
    auto mesh = wfLecture(ecrit("geo.obj", "mtllib /dev/zero\nmtllib " + dossier +
                                               "tube.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n")
                              .c_str(),
                          materiaux);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->nbFaces(), 1);
    EXPECT_TRUE(materiaux.empty());
    EXPECT_EQ(charge("#include /dev/null\n"), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(script.charge("/dev/zero"), 3);
    testing::internal::GetCapturedStdout();
}

TEST_F(EntreesHostiles, ErreurDeLectureGardeLaSceneDejaLue) {
    const int r = charge("o = " + triangle() + ";\ni = instancieEntite(&o);\nc = rgb(1, 2, 3);\n" +
                         "x = \"" + std::string(3000, 'x') + "\";\nperdu = 1;\n");
    EXPECT_EQ(r, 0);
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "t'es vraiment incorrigible");
    EXPECT_EQ(scene.nbInstances(), 1);
    EXPECT_EQ(scene.nbEntites(), 1);
    EXPECT_TRUE(existe("c"));
    EXPECT_FALSE(existe("perdu"));
}

TEST_F(EntreesHostiles, UnMillionDInstructionsLuesEnTempsRaisonnable) {
    std::string texte = "debut = 1;\n";
    const int n = 1000000;
    texte.reserve(texte.size() + 14 * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) texte += i % 2 ? "a = 2; // x\n" : "a = (1, 2, 3);\n";
    texte += "fin = a;\n";
    const auto t0 = std::chrono::steady_clock::now();
    execute(texte);
    const double secondes =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(nbBoites(), 0) << toutesLesBoites();
    ASSERT_TRUE(existe("fin"));
    EXPECT_EQ(var("fin").type, T_INT);
    // A few seconds here, several times that under the sanitizers.
    EXPECT_LT(secondes, 60.0);
    RecordProperty("secondes", std::to_string(secondes));
}

// Emptying and reloading the demo scene a hundred times gives the same scene each time and
// holds no more memory after the hundredth load than after the tenth.
TEST_F(EntreesHostiles, DemoVideeEtRechargeeCentFoisSansFuite) {
    const std::string demo = cheminDemo();
    size_t apresDix = 0;
    int entites = -1, instances = -1, lumieres = -1, textures = -1, variables = -1;
    for (int i = 0; i < 100; ++i) {
        script.vide();
        testing::internal::CaptureStdout();
        const int r = script.charge(demo.c_str());
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(r, 0) << demo;
        ASSERT_EQ(nbBoites(), 0) << toutesLesBoites();
        if (i == 0) {
            entites = scene.nbEntites();
            instances = scene.nbInstances();
            lumieres = scene.nbLumieres();
            textures = scene.nbTextures();
            variables = static_cast<int>(script.variables.size());
            ASSERT_GT(instances, 5);
            ASSERT_EQ(lumieres, 2);
        }
        ASSERT_EQ(scene.nbEntites(), entites) << i;
        ASSERT_EQ(scene.nbInstances(), instances) << i;
        ASSERT_EQ(scene.nbLumieres(), lumieres) << i;
        ASSERT_EQ(scene.nbTextures(), textures) << i;
        ASSERT_EQ(static_cast<int>(script.variables.size()), variables) << i;
        if (i == 9) apresDix = octetsAlloues();
    }
    const size_t apresCent = octetsAlloues();
    // Ninety loads of a scene of some hundred kilobytes: a leak of even one small object
    // per load would show; allocator noise stays well under this.
    EXPECT_LT(apresCent, apresDix + 16 * 1024) << apresDix << " -> " << apresCent;
    script.vide();
    EXPECT_EQ(scene.nbInstances(), 0);
    EXPECT_TRUE(script.variables.empty());
}
