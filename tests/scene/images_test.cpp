// Images read by the scene (the shadow projector's spot, texture files) and how the floor
// and grids cut their extent.
#include <gtest/gtest.h>

#include <algorithm>
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
        std::fwrite(octets.data(), 1, octets.size(), f);
        std::fclose(f);
    }
    return chemin;
}

size_t nbBlancs(const std::vector<unsigned char>& image) {
    size_t n = 0;
    for (unsigned char o : image) n += o == 255;
    return n;
}
}  // namespace

TEST(Spot, EnTeteSauteEtOctetsPrisTelsQuels) {
    std::vector<unsigned char> octets(18, 0xEE);
    for (size_t i = 0; i < TAILLE_IMAGE_SPOT; ++i)
        octets.push_back(static_cast<unsigned char>(i % 251));
    octets.push_back(0x42);  // trailing bytes are ignored
    const auto image = lireSpotTga(fichierTemporaire("spot_complet.tga", octets).c_str());
    ASSERT_EQ(image.size(), TAILLE_IMAGE_SPOT);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), octets.begin() + 18));
}

TEST(Spot, FichierAbsentOuCourtCompleteEnBlanc) {
    EXPECT_EQ(nbBlancs(lireSpotTga("spot_qui_n_existe_pas.tga")), TAILLE_IMAGE_SPOT);
    EXPECT_EQ(nbBlancs(lireSpotTga(nullptr)), TAILLE_IMAGE_SPOT);
    const auto enTete = fichierTemporaire("spot_en_tete.tga", std::vector<unsigned char>(5, 0));
    EXPECT_EQ(nbBlancs(lireSpotTga(enTete.c_str())), TAILLE_IMAGE_SPOT);

    const auto court =
        fichierTemporaire("spot_court.tga", std::vector<unsigned char>(18 + 1000, 0));
    const auto image = lireSpotTga(court.c_str());
    ASSERT_EQ(image.size(), TAILLE_IMAGE_SPOT);
    EXPECT_EQ(image[999], 0);
    EXPECT_EQ(nbBlancs(image), TAILLE_IMAGE_SPOT - 1000);
}

TEST(ImageTexture, DecodeEnRGBALigneDuBasDAbord) {
    // A 2 x 2 binary PPM: red, green on top; blue, white below.
    std::vector<unsigned char> octets = {'P', '6', '\n', '2', ' ', '2', '\n', '2', '5', '5', '\n'};
    for (int o : {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255})
        octets.push_back(static_cast<unsigned char>(o));
    ImageRGBA image;
    ASSERT_TRUE(decodeImageRGBA(fichierTemporaire("petite.ppm", octets), image));
    EXPECT_EQ(image.largeur, 2);
    EXPECT_EQ(image.hauteur, 2);
    const std::vector<unsigned char> attendu = {0,   0, 255, 255, 255, 255, 255, 255,
                                                255, 0, 0,   255, 0,   255, 0,   255};
    EXPECT_EQ(image.pixels, attendu);

    EXPECT_FALSE(decodeImageRGBA("pas_une_image.txt", image));
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_FALSE(decodeImageRGBA("absente.png", image));
}

TEST(DecoupageGrille, PasOrdinaireNulNegatifOuTaillesExtremes) {
    DecoupageGrille d = decoupeGrille(500, 10);
    EXPECT_TRUE(d.valide && !d.elargi);
    EXPECT_EQ(d.n, 100);                      // 101 lines each way, 100 floor strips
    EXPECT_EQ(decoupeGrille(500, 300).n, 3);  // v = -500, -200, 100, 400
    EXPECT_EQ(decoupeGrille(0, 10).n, 0);     // one line through the origin, no strip
    EXPECT_LT(decoupeGrille(-5, 10).n, 0);    // nothing drawn
    EXPECT_FALSE(decoupeGrille(500, 0).valide);
    EXPECT_FALSE(decoupeGrille(500, -10).valide);

    d = decoupeGrille(2147483647, 1);  // no overflow, and a bounded frame
    EXPECT_TRUE(d.elargi);
    EXPECT_EQ(d.n, SUBDIVISIONS_GRILLE_MAX);
    EXPECT_NEAR(d.pas * static_cast<double>(d.n), 2.0 * 2147483647.0, 1.0);
    EXPECT_FALSE(decoupeGrille(250, 1).elargi);
    EXPECT_TRUE(decoupeGrille(251, 1).elargi);
}
