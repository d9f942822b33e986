// Console output: exact colour sequences, line flushing, and the replaceable box handler.
#include "commun/console.h"

#include <gtest/gtest.h>

#include "support/enregistreur_boites.h"

TEST(Console, ErreurEnRougePuisCouleursRestaurees) {
    testing::internal::CaptureStdout();
    console.erreur("Erreur: test");
    std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_EQ(sortie, "\033[31mErreur: test\n\033[34m\033[0m");
}

TEST(Console, OperateursEnchaines) {
    testing::internal::CaptureStdout();
    console << "a" << 42 << 'c' << std::string("-d") << "\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "a42c-d\n");
}

TEST(Console, BoiteVersLeGestionnaireCourant) {
    EnregistreurBoites boites;
    int avant = console.nbBoites();
    console.boiteMessage("texte", "titre");
    ASSERT_EQ(boites.boites().size(), 1u);
    EXPECT_EQ(boites.boites()[0].texte, "texte");
    EXPECT_EQ(boites.boites()[0].titre, "titre");
    EXPECT_EQ(console.nbBoites(), avant + 1);
}

TEST(Console, TraceTronqueSansPlanter) {
    std::string long_(5000, 'x');
    testing::internal::CaptureStderr();
    console.trace("%s", long_.c_str());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.size(), 1024u);  // 1023 characters and the line end
}
