// Images read by the scene: the shadow projector's spot and texture files; and how the
// floor and grids cut their extent.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "scene/scene.h"

namespace {
const size_t TAILLE_IMAGE_SPOT = 256 * 256 * 3;

std::string fichierTemporaire(const std::string& nom, const std::vector<unsigned char>& octets) {
    const std::string chemin = testing::TempDir() + nom;
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
        if (!octets.empty()) std::fwrite(octets.data(), 1, octets.size(), f);
        std::fclose(f);
    }
    return chemin;
}
}  // namespace

TEST(Spot, FichierAbsentDonneUneImageBlanche) {
    const auto image = lireSpotTga("spot_qui_n_existe_pas.tga");
    ASSERT_EQ(image.size(), TAILLE_IMAGE_SPOT);
    for (unsigned char o : image) ASSERT_EQ(o, 255);
    EXPECT_EQ(lireSpotTga(nullptr).size(), TAILLE_IMAGE_SPOT);
}

TEST(Spot, EnTeteSauteEtOctetsPrisTelsQuels) {
    std::vector<unsigned char> octets(18 + TAILLE_IMAGE_SPOT);
    for (size_t i = 0; i < 18; ++i) octets[i] = 0xEE;
    for (size_t i = 0; i < TAILLE_IMAGE_SPOT; ++i)
        octets[18 + i] = static_cast<unsigned char>(i % 251);
    octets.push_back(0x42);  // trailing bytes are ignored
    const auto image = lireSpotTga(fichierTemporaire("spot_complet.tga", octets).c_str());
    ASSERT_EQ(image.size(), TAILLE_IMAGE_SPOT);
    for (size_t i = 0; i < TAILLE_IMAGE_SPOT; ++i)
        ASSERT_EQ(image[i], static_cast<unsigned char>(i % 251)) << i;
}

TEST(Spot, FichierCourtCompleteEnBlanc) {
    std::vector<unsigned char> octets(18 + 1000, 0);
    auto image = lireSpotTga(fichierTemporaire("spot_court.tga", octets).c_str());
    ASSERT_EQ(image.size(), TAILLE_IMAGE_SPOT);
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[999], 0);
    EXPECT_EQ(image[1000], 255);
    EXPECT_EQ(image.back(), 255);

    // Shorter than the header: nothing to read at all.
    image = lireSpotTga(
        fichierTemporaire("spot_en_tete.tga", std::vector<unsigned char>(5, 0)).c_str());
    for (unsigned char o : image) ASSERT_EQ(o, 255);
}

TEST(ImageTexture, DecodeEnRGBALigneDuBasDAbord) {
    // A 2 x 2 binary PPM: red, green on top; blue, white below.
    const std::string ppm = "P6\n2 2\n255\n";
    std::vector<unsigned char> octets(ppm.begin(), ppm.end());
    const unsigned char pixels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    octets.insert(octets.end(), pixels, pixels + sizeof pixels);
    ImageRGBA image;
    ASSERT_TRUE(decodeImageRGBA(fichierTemporaire("petite.ppm", octets), image));
    EXPECT_EQ(image.largeur, 2);
    EXPECT_EQ(image.hauteur, 2);
    const std::vector<unsigned char> attendu = {0,   0, 255, 255, 255, 255, 255, 255,
                                                255, 0, 0,   255, 0,   255, 0,   255};
    EXPECT_EQ(image.pixels, attendu);
}

TEST(ImageTexture, FichierIlisibleOuAbsentEchoue) {
    ImageRGBA image;
    image.largeur = 3;
    EXPECT_FALSE(decodeImageRGBA("pas_une_image.txt", image));
    EXPECT_EQ(image.largeur, 0);
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_FALSE(decodeImageRGBA("absente.png", image));
}

TEST(DecoupageGrille, PasOrdinaire) {
    const DecoupageGrille d = decoupeGrille(500, 10);
    EXPECT_TRUE(d.valide);
    EXPECT_FALSE(d.elargi);
    EXPECT_EQ(d.n, 100);  // 101 lines each way, 100 floor strips of 101 pairs
    EXPECT_DOUBLE_EQ(d.pas, 10);
    EXPECT_EQ(decoupeGrille(500, 300).n, 3);  // v = -500, -200, 100, 400
    EXPECT_EQ(decoupeGrille(0, 10).n, 0);     // one line through the origin, no strip
}

TEST(DecoupageGrille, PasNulOuNegatifInutilisable) {
    EXPECT_FALSE(decoupeGrille(500, 0).valide);
    EXPECT_FALSE(decoupeGrille(500, -10).valide);
}

TEST(DecoupageGrille, TailleNegativeNeDessineRien) {
    const DecoupageGrille d = decoupeGrille(-5, 10);
    EXPECT_TRUE(d.valide);
    EXPECT_LT(d.n, 0);
}

TEST(DecoupageGrille, TailleEnormeElargitLePasSansDebordement) {
    DecoupageGrille d = decoupeGrille(2147483647, 1);
    EXPECT_TRUE(d.elargi);
    EXPECT_EQ(d.n, SUBDIVISIONS_GRILLE_MAX);
    EXPECT_NEAR(d.pas * static_cast<double>(d.n), 2.0 * 2147483647.0, 1.0);
    d = decoupeGrille(250, 1);
    EXPECT_FALSE(d.elargi);
    EXPECT_EQ(d.n, 500);
    EXPECT_TRUE(decoupeGrille(251, 1).elargi);
}
