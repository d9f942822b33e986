// The JSON dump's strings.
#include "app/dump.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"
#include "commun/texte.h"
#include "script/script.h"

TEST(Dump, ChaineEnLatin1EcriteEnUtf8) {
    CApplication app;
    app.script = new Script(&app.scene, &app.camera);
    app.script->variables.emplace(
        "s", Valeur::objetDe(T_STRING, std::make_shared<std::string>("caf\xe9")));
    const std::string d = texteDump(app);
    EXPECT_TRUE(texte::estUtf8(d) && d.find("\"caf\xc3\xa9\"") != std::string::npos) << d;
}
