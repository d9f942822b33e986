#include "commun/fichier_projete.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// A file another program cuts short while it is mapped: reading its lost pages must neither
// kill the program nor go unnoticed; they read as zeros and the mapping says so, as it does
// for a file cut within its last page (no fault). Another mapping of the same file made
// afterwards sees the short file, whole.
TEST(FichierProjete, FichierRaccourciPendantLaLectureLuEnZerosEtSignale) {
    char nom[] = "/tmp/brakmor_projete_XXXXXX";
    const int fd = mkstemp(nom);
    ASSERT_GE(fd, 0);
    const long page = sysconf(_SC_PAGESIZE);
    const std::string texte(static_cast<size_t>(3 * page), 'v');
    ASSERT_EQ(write(fd, texte.data(), texte.size()), static_cast<ssize_t>(texte.size()));

    {
        FichierProjete projete(nom);
        ASSERT_TRUE(projete.valide());
        ASSERT_EQ(projete.taille(), texte.size());
        EXPECT_FALSE(projete.change());
        ASSERT_EQ(ftruncate(fd, 100), 0);
        long somme = 0;
        for (size_t i = 0; i < projete.taille(); ++i) somme += projete.donnees()[i];
        // The first page keeps its 100 bytes ('v') and zeros after them; the others are zeros.
        EXPECT_EQ(somme, 100L * 'v');
        EXPECT_TRUE(projete.change());
    }
    FichierProjete apres(nom);
    ASSERT_TRUE(apres.valide());
    EXPECT_EQ(apres.taille(), 100u);
    EXPECT_FALSE(apres.change());
    ASSERT_EQ(ftruncate(fd, 60), 0);
    EXPECT_EQ(apres.donnees()[80], 0);
    EXPECT_TRUE(apres.change());

    FichierProjete dossier("/tmp");
    EXPECT_FALSE(dossier.valide());
    close(fd);
    std::remove(nom);
}
