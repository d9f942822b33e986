// The shadow extensions check, with the extension list and entry-point lookup supplied.
#include "dessin/extensions_gl.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {
void fausseActiveTexture(unsigned int) {}
void* trouve(const char*) { return reinterpret_cast<void*>(&fausseActiveTexture); }
void* introuvable(const char*) { return nullptr; }

// The result and what was printed (expected: at most one line).
std::pair<bool, std::string> verifie(const char* liste, void* (*cherche)(const char*) = trouve) {
    definitActiveTexture(nullptr);
    testing::internal::CaptureStdout();
    const bool ok = verifieExtensionsAvec([liste] { return liste; }, cherche);
    return {ok, testing::internal::GetCapturedStdout()};
}

const char* const TOUTES = "GL_ARB_multitexture GL_ARB_depth_texture GL_ARB_shadow";
}  // namespace

TEST(Extensions, LesTroisPresentesDonnentLePointDEntree) {
    EXPECT_EQ(verifie(TOUTES), std::make_pair(true, std::string()));
    EXPECT_TRUE(activeTextureDisponible());
    oublieActiveTexture();
    EXPECT_FALSE(activeTextureDisponible());
    // Substring test: GL_ARB_shadow_ambient counts as GL_ARB_shadow.
    EXPECT_TRUE(verifie("GL_ARB_multitexture GL_ARB_depth_texture GL_ARB_shadow_ambient").first);
    oublieActiveTexture();
}

TEST(Extensions, SeuleLaPremiereManquanteEstSignalee) {
    const std::pair<const char*, const char*> cas[] = {
        {"GL_ARB_depth_texture GL_ARB_shadow",
         "L'extension OpenGL 'GL_ARB_multitexture' est manquante !"},
        {"GL_ARB_multitexture GL_ARB_shadow",
         "L'extension OpenGL 'GL_ARB_depth_texture' est manquante !"},
        {"GL_ARB_multitexture GL_ARB_depth_texture",
         "L'extension OpenGL 'GL_ARB_shadow' est manquante !"},
        {nullptr, "L'extension OpenGL 'GL_ARB_multitexture' est manquante !"},
    };
    for (const auto& [liste, message] : cas) {
        const auto r = verifie(liste);
        EXPECT_FALSE(r.first);
        EXPECT_FALSE(activeTextureDisponible());  // looked up, then dropped
        EXPECT_EQ(r.second, "\033[31m" + std::string(message) + "\n\033[34m\033[0m");
    }
    const auto r = verifie(TOUTES, introuvable);
    EXPECT_FALSE(r.first);
    EXPECT_NE(
        r.second.find("Erreur lors du chargement de l'extension OpenGL 'GL_ARB_multitexture' !"),
        std::string::npos);
}
