// OpenGL extension check: the shadows need a second texture unit, depth textures and the
// depth comparison; without all three the program runs on without shadows.
#include "dessin/extensions_gl.h"

#include <GL/gl.h>

#include <cstring>

#include "commun/console.h"
#include "dessin/contexte_gl.h"

namespace extensions {
FonctionActiveTexture glActiveTextureARB = nullptr;
}

bool activeTextureDisponible() { return extensions::glActiveTextureARB != nullptr; }

void oublieActiveTexture() { extensions::glActiveTextureARB = nullptr; }

void definitActiveTexture(extensions::FonctionActiveTexture f) {
    extensions::glActiveTextureARB = f;
}

bool verifieExtensionsAvec(const std::function<const char*()>& lireExtensions,
                           const std::function<void*(const char*)>& chercheFonction) {
    // A context that reports no list (none current, or a core profile) has none of them.
    auto liste = [&]() -> const char* {
        const char* s = lireExtensions ? lireExtensions() : nullptr;
        return s ? s : "";
    };
    auto presente = [&](const char* nom) { return std::strstr(liste(), nom) != nullptr; };

    journal << "Extensions supportées :" << liste() << "\n";

    if (!presente("GL_ARB_multitexture")) {
        console.erreur("L'extension OpenGL 'GL_ARB_multitexture' est manquante !");
        extensions::glActiveTextureARB = nullptr;
        return false;
    }
    void* f = chercheFonction ? chercheFonction("glActiveTextureARB") : nullptr;
    extensions::glActiveTextureARB = reinterpret_cast<extensions::FonctionActiveTexture>(f);
    if (!extensions::glActiveTextureARB) {
        console.erreur("Erreur lors du chargement de l'extension OpenGL 'GL_ARB_multitexture' !");
        return false;
    }
    if (!presente("GL_ARB_depth_texture")) {
        console.erreur("L'extension OpenGL 'GL_ARB_depth_texture' est manquante !");
        extensions::glActiveTextureARB = nullptr;
        return false;
    }
    if (!presente("GL_ARB_shadow")) {
        console.erreur("L'extension OpenGL 'GL_ARB_shadow' est manquante !");
        extensions::glActiveTextureARB = nullptr;
        return false;
    }
    return true;
}

bool verifieExtensions() {
    return verifieExtensionsAvec(
        [] { return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)); },
        [](const char* nom) { return contexteGL::fonction(nom); });
}
