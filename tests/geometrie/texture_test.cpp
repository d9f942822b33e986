// Texture records: the existence check and the warning box.
#include "geometrie/texture.h"

#include <gtest/gtest.h>

#include "support/enregistreur_boites.h"

TEST(ChargeTexture, FichierExistantQuelconqueDonneUnEnregistrement) {
    EnregistreurBoites boites;
    auto t = chargeTexture("wf_texture.txt");  // not an image: only existence counts
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->fichier, "wf_texture.txt");
    EXPECT_EQ(t->glTexture, -1);
    EXPECT_EQ(t->nom, "");
    EXPECT_TRUE(boites.boites().empty());
}

TEST(ChargeTexture, FichierAbsentMontreLaBoiteEtDonneNull) {
    EnregistreurBoites boites;
    EXPECT_EQ(chargeTexture("wf_absente.tga"), nullptr);
    ASSERT_EQ(boites.boites().size(), 1u);
    EXPECT_EQ(boites.boites()[0].texte, "impossible de charger la texture wf_absente.tga.");
    EXPECT_EQ(boites.boites()[0].titre, "lecture d'une texture");
}

TEST(ChargeTexture, NomRelatifChercheEnsuiteDansLeDossierDeSecours) {
    EnregistreurBoites boites;
    auto t = chargeTexture("wf_texture_sous.txt", "wf_sous");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->fichier, "wf_texture_sous.txt");  // as written in the scene file
    EXPECT_EQ(t->chemin, "wf_sous/wf_texture_sous.txt");
    // Found where it is named: the fallback directory is not used.
    auto u = chargeTexture("wf_texture.txt", "wf_sous");
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->chemin, "wf_texture.txt");
    EXPECT_TRUE(boites.boites().empty());

    // Missing in both places: one box naming the file as written.
    EXPECT_EQ(chargeTexture("wf_nulle_part.tga", "wf_sous"), nullptr);
    // An absolute name is not looked for in the fallback directory.
    EXPECT_EQ(chargeTexture("/wf_texture_sous.txt", "wf_sous"), nullptr);
    ASSERT_EQ(boites.boites().size(), 2u);
    EXPECT_EQ(boites.boites()[0].texte, "impossible de charger la texture wf_nulle_part.tga.");
}
