// The shadow extensions check, with the extension list and entry-point lookup supplied.
#include "app/extensions.h"

#include <gtest/gtest.h>

#include <string>

namespace {
void fausseActiveTexture(unsigned int) {}
void* trouve(const char*) { return reinterpret_cast<void*>(&fausseActiveTexture); }
void* introuvable(const char*) { return nullptr; }

struct Resultat {
    bool ok;
    std::string sortie;
};

Resultat verifie(const char* liste, void* (*cherche)(const char*) = trouve) {
    definitActiveTexture(nullptr);
    testing::internal::CaptureStdout();
    const bool ok = verifieExtensionsAvec([liste] { return liste; }, cherche);
    return {ok, testing::internal::GetCapturedStdout()};
}

int nbLignes(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}
}  // namespace

TEST(Extensions, LesTroisPresentesDonnentLePointDEntree) {
    const Resultat r = verifie("GL_ARB_multitexture GL_ARB_depth_texture GL_ARB_shadow");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(activeTextureDisponible());
    EXPECT_EQ(r.sortie, "");
    oublieActiveTexture();
    EXPECT_FALSE(activeTextureDisponible());
}

TEST(Extensions, PremiereManquanteSeuleSignalee) {
    Resultat r = verifie("GL_ARB_depth_texture");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(activeTextureDisponible());
    EXPECT_NE(r.sortie.find("L'extension OpenGL 'GL_ARB_multitexture' est manquante !"),
              std::string::npos);
    EXPECT_EQ(nbLignes(r.sortie), 1);

    r = verifie("GL_ARB_multitexture GL_ARB_depth_texture");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(activeTextureDisponible());  // looked up, then dropped
    EXPECT_NE(r.sortie.find("\033[31mL'extension OpenGL 'GL_ARB_shadow' est manquante !\n"),
              std::string::npos);
    EXPECT_EQ(nbLignes(r.sortie), 1);

    r = verifie("GL_ARB_multitexture GL_ARB_shadow");
    EXPECT_NE(r.sortie.find("'GL_ARB_depth_texture' est manquante"), std::string::npos);
}

TEST(Extensions, PointDEntreeIntrouvable) {
    const Resultat r =
        verifie("GL_ARB_multitexture GL_ARB_depth_texture GL_ARB_shadow", introuvable);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(activeTextureDisponible());
    EXPECT_NE(
        r.sortie.find("Erreur lors du chargement de l'extension OpenGL 'GL_ARB_multitexture' !"),
        std::string::npos);
}

TEST(Extensions, RechercheParSousChaine) {
    // GL_ARB_shadow_ambient contains GL_ARB_shadow.
    EXPECT_TRUE(verifie("GL_ARB_multitexture GL_ARB_depth_texture GL_ARB_shadow_ambient").ok);
    oublieActiveTexture();
}

TEST(Extensions, ListeAbsenteCommeListeVide) {
    const Resultat r = verifie(nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.sortie.find("'GL_ARB_multitexture' est manquante"), std::string::npos);
}
