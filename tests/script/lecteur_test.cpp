// Cutting scene files into statements, comments, reading errors and include.
#include "script/banc_script.h"

namespace {
std::string chaineDe(const Valeur& v) {
    auto s = v.objet<std::string>();
    return s ? *s : "<null>";
}
}  // namespace

using Lecteur = BancScript;

TEST_F(Lecteur, InstructionVideAuMilieuArreteLeFichier) {
    execute("a = 1;\n;\nb = 2;\n");
    EXPECT_TRUE(existe("a"));
    EXPECT_FALSE(existe("b"));
    EXPECT_EQ(nbBoites(), 0);
}

TEST_F(Lecteur, UnBlancAvantLePointVirguleFaitUneInstructionDeBlancs) {
    execute("a = 1;\n ;\nb = 2;\n");
    EXPECT_TRUE(existe("b"));
    // The statement of blanks is an empty expression, reported.
    ASSERT_EQ(nbBoites(), 1);
}

TEST_F(Lecteur, LimiteDuTampon_1022CaracteresPassent_1023Debordent) {
    // s = "…": 5 characters before the text, 1 after.
    std::string juste = "s = \"" + std::string(1016, 'x') + "\"";
    ASSERT_EQ(juste.size(), 1022u);
    execute(juste + ";\nt = 1;\n");
    ASSERT_TRUE(existe("s")) << toutesLesBoites();
    EXPECT_EQ(chaineDe(var("s")).size(), 1016u);
    EXPECT_TRUE(existe("t"));
    EXPECT_EQ(nbBoites(), 0);

    script.variables.clear();
    std::string trop = "s = \"" + std::string(1017, 'x') + "\"";
    ASSERT_EQ(trop.size(), 1023u);
    execute(trop + ";\nt = 1;\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "t'es vraiment incorrigible");
    EXPECT_EQ(
        boite().texte,
        "Soit c'est ta phrase qu'est trop longue, soit c'est mon buffer qu'est trop petit !\n");
    EXPECT_FALSE(existe("s"));
    EXPECT_FALSE(existe("t"));  // a reading error ends the file
}

TEST_F(Lecteur, InstructionTresLongueSignaleeSansPlantage) {
    execute("a = 1;\nb = " + std::string(5000, '7') + ";\nc = 3;\n");
    EXPECT_TRUE(existe("a"));
    EXPECT_FALSE(existe("b"));
    EXPECT_FALSE(existe("c"));
    EXPECT_EQ(nbBoites(), 1);
}

TEST_F(Lecteur, PointVirguleEtCrochetsDansUneChaineSansEffet) {
    execute("s = \"a;b(}//c\";\nt = 2;\n");
    EXPECT_EQ(chaineDe(var("s")), "a;b(}//c");
    EXPECT_TRUE(existe("t"));
    EXPECT_EQ(nbBoites(), 0);
}

TEST_F(Lecteur, CommentairesEntreLesJetonsNeLaissentRien) {
    execute("// tête\na // la cible\n = // le signe\n 5; // fin\nb = 7/2;\n");
    ASSERT_TRUE(existe("a"));
    EXPECT_EQ(var("a").scalaire.i, 5);
    // A lone slash stays in the text: the number reads up to it.
    EXPECT_EQ(var("b").type, T_INT);
    EXPECT_EQ(var("b").scalaire.i, 7);
    EXPECT_EQ(nbBoites(), 0);
}

TEST_F(Lecteur, PointVirguleFinalManquant) {
    execute("a = 1;\nb = 2");
    EXPECT_TRUE(existe("a"));
    EXPECT_FALSE(existe("b"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "Y manquerais pas un point virgule quelque part ?");
    EXPECT_EQ(boite().titre, "erreur");
}

TEST_F(Lecteur, ErreursDeCrochetsArretentLeFichier) {
    execute("a = rgb(1, 2, 3));\nb = 1;\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "parenthèse ')' en trop");
    EXPECT_EQ(boite().titre, "erreur");
    EXPECT_FALSE(existe("b"));

    boites.efface();
    execute("a = rgb(1, 2, 3;\nb = 1;\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte,
              "';' inattendu : vous oubliez de fermer des parenthèse ou des accolades.");
    EXPECT_FALSE(existe("a"));

    boites.efface();
    execute("a = {1 2 3}};\n");
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "accolade '}' en trop");
}

TEST_F(Lecteur, ChaineNonFermeeSignaleeEnFinDeFichier) {
    execute("s = \"abc;\nt = 1;\n");
    EXPECT_FALSE(existe("s"));
    EXPECT_FALSE(existe("t"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "Y manquerais pas un point virgule quelque part ?");
}

TEST_F(Lecteur, CaractereRefuseSignaleMaisGarde) {
    execute("a = 12$;\n");
    ASSERT_GE(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "Explique moi qu'est-ce que ce caractère fait là :36");
    EXPECT_EQ(boite().titre, "erreur");
    ASSERT_TRUE(existe("a"));  // the statement still runs
    EXPECT_EQ(var("a").scalaire.i, 12);
}

TEST_F(Lecteur, OctetNulSignaleEtLaSuiteContinue) {
    execute(std::string("a = x\0y;\nb = 2;\n", 16));
    ASSERT_GE(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "Explique moi qu'est-ce que ce caractère fait là :0");
    EXPECT_TRUE(existe("b"));
}

TEST_F(Lecteur, Octet255TermineLeFichier) {
    execute(
        "a = 1;\n\xff"
        "b = 2;\n");
    EXPECT_TRUE(existe("a"));
    EXPECT_FALSE(existe("b"));
    EXPECT_EQ(nbBoites(), 0);

    execute("c = 3\xff;\n");
    EXPECT_FALSE(existe("c"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().texte, "Y manquerais pas un point virgule quelque part ?");
}

TEST_F(Lecteur, IncludeLitLeFichierRelatifAuRepertoireDeLaScene) {
    ecrit("inclus.txt", "b = a;\n");
    execute("a = 4;\n#include inclus.txt\nc = b;\n");
    ASSERT_TRUE(existe("c")) << toutesLesBoites();
    EXPECT_EQ(var("c").scalaire.i, 4);
    EXPECT_EQ(nbBoites(), 0);
}

TEST_F(Lecteur, IncludePrecedeDUnBlancEstUneExpression) {
    ecrit("inclus.txt", "b = 1;\n");
    execute("a = 1; #include inclus.txt\nc = 2;\n");
    EXPECT_FALSE(existe("b"));
    EXPECT_TRUE(existe("c"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_EQ(boite().titre, "pfff... encore une erreur");
    EXPECT_EQ(boite().texte,
              "Tu te serais pas endormi sur le clavier à tout hazard ?\n\tC'est quoi çà :\n\n\t'"
              "#include'\n");
}

TEST_F(Lecteur, IncludeManquantAfficheUneLigneEtLaSuiteContinue) {
    testing::internal::CaptureStdout();
    execute("#include absent.txt\nb = 1;\n");
    std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_NE(sortie.find("\033[31m(Script::aux_lit_fichier) impossible d'ouvrir le fichier " +
                          dossier + "absent.txt\n"),
              std::string::npos)
        << sortie;
    EXPECT_TRUE(existe("b"));
    EXPECT_EQ(nbBoites(), 0);
}

TEST_F(Lecteur, ErreurDansUnIncludeNArreteQueLuiMeme) {
    ecrit("inclus.txt", "x = 1;\ny = 2\n");
    execute("#include inclus.txt\nz = 3;\n");
    EXPECT_TRUE(existe("x"));
    EXPECT_FALSE(existe("y"));
    EXPECT_TRUE(existe("z"));
    EXPECT_EQ(nbBoites(), 1);
}

TEST_F(Lecteur, FichierQuiSInclutLuiMemeRefuseUneFois) {
    ecrit("a.txt", "a = 1;\n#include b.txt\napres_a = 1;\n");
    ecrit("b.txt", "b = 1;\n#include a.txt\napres_b = 1;\n");
    std::string chemin = dossier + "a.txt";
    script.repertoire = dossier;
    ASSERT_TRUE(script.aux_lit_fichier(chemin));
    EXPECT_TRUE(existe("apres_a"));
    EXPECT_TRUE(existe("apres_b"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_NE(boite().texte.find("s'inclut lui-même"), std::string::npos);

    // A file including itself twice is refused twice, not 2^16 times.
    boites.efface();
    ecrit("soi.txt", "#include soi.txt\n#include soi.txt\nfin = 1;\n");
    ASSERT_TRUE(script.aux_lit_fichier(dossier + "soi.txt"));
    EXPECT_TRUE(existe("fin"));
    EXPECT_EQ(nbBoites(), 2);
}

TEST_F(Lecteur, ChaineDIncludesTropProfondeArreteeParUneBoite) {
    for (int i = 0; i < 20; ++i)
        ecrit("n" + std::to_string(i) + ".txt", "#include n" + std::to_string(i + 1) +
                                                    ".txt\nniveau" + std::to_string(i) + " = 1;\n");
    ecrit("n20.txt", "fond = 1;\n");
    script.repertoire = dossier;
    ASSERT_TRUE(script.aux_lit_fichier(dossier + "n0.txt"));
    ASSERT_EQ(nbBoites(), 1);
    EXPECT_NE(boite().texte.find("16 niveaux"), std::string::npos) << boite().texte;
    EXPECT_FALSE(existe("fond"));
    // Every file that was opened still runs its own statements after the refused include.
    for (int i = 0; i < Script::PROFONDEUR_INCLUSION_MAX; ++i)
        EXPECT_TRUE(existe("niveau" + std::to_string(i))) << i;
}

TEST_F(Lecteur, MetaCommandeInconnueSignaleeSurLaConsole) {
    testing::internal::CaptureStdout();
    execute("#inclure x.txt\na = 1;\n");
    std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_EQ(sortie, "la meta commande 'inclure' est inconnue !\n");
    EXPECT_TRUE(existe("a"));
}

TEST_F(Lecteur, FichierIllisibleOuNomVide) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(script.aux_lit_fichier(""));
    EXPECT_FALSE(script.aux_lit_fichier(dossier));  // a directory is not a scene file
    std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_NE(sortie.find("(Script::aux_lit_fichier) nom de fichier vide !"), std::string::npos);
    EXPECT_NE(sortie.find("impossible d'ouvrir le fichier " + dossier + "\n"), std::string::npos);
}

TEST_F(Lecteur, BoiteDansUnIncludeImbriqueNommeFichierLigneEtChaine) {
    ecrit("pieces.txt", "p = 1;\n\nx = rgb(1,\n\t 2);\n");
    ecrit("sous.txt", "// les pièces\n#include pieces.txt\n");
    std::vector<std::string> textes;
    auto ancien = console.setGestionnaireBoite([&](const std::string& texte, const std::string&) {
        textes.push_back(console.texteSitue(texte));
    });
    execute("a = 1;\n#include sous.txt\n");
    console.setGestionnaireBoite(std::move(ancien));
    ASSERT_EQ(textes.size(), 1u);
    // The statement began on line 3; its line ends are gone and its blanks run together.
    EXPECT_EQ(textes[0],
              "pieces.txt:3: « x = rgb(1, 2) », inclus depuis sous.txt:2, inclus depuis "
              "scene.txt:2\nTu fournis 2 paramètre(s) à la fonction \"rgb\" qui en attend 3");
    EXPECT_EQ(console.texteSitue("t"), "t");  // nothing is placed once reading is over
}

TEST_F(Lecteur, ErreurDeLectureNommeLaLigneOuCommenceLInstruction) {
    auto ancien = console.setGestionnaireBoite(nullptr);  // the headless copy on standard error
    testing::internal::CaptureStderr();
    execute("a = 1;\n// b\nb = rgb(1,\n2,\n3));\nc = 2;\n");
    const std::string erreurs = testing::internal::GetCapturedStderr();
    console.setGestionnaireBoite(std::move(ancien));
    EXPECT_EQ(erreurs, "scene.txt:3: [erreur] « b = rgb(1,2,3)) »\nparenthèse ')' en trop\n");
}

TEST_F(Lecteur, LigneSitueeProposeLeNomProcheEtLePointVirguleOublie) {
    // The boxes keep their texts; the placed lines on standard error add the likely fix.
    auto ancien = console.setGestionnaireBoite(nullptr);
    testing::internal::CaptureStderr();
    execute(
        "largeur = 2;\ndeplacePoignee(&r, 1.0, 2.0, 3.0, 0, false);\nx = Largeur;\n"
        "saisis(&r)\n// puis\nlache(&r);\nb = rgb(1,\n2,\n3));\n");
    const std::string erreurs = testing::internal::GetCapturedStderr();
    console.setGestionnaireBoite(std::move(ancien));
    EXPECT_NE(erreurs.find("\n\tC'est quoi çà :\n\n\t'deplacePoignee'\n\nscene.txt:2: "
                           "deplacePoignee : vouliez-vous dire deplacePoignet ?\n"),
              std::string::npos)
        << erreurs;
    EXPECT_NE(erreurs.find("scene.txt:3: Largeur : vouliez-vous dire largeur ?\n"),
              std::string::npos)
        << erreurs;
    EXPECT_NE(erreurs.find("scene.txt:4: [erreur] « saisis(&r)lache(&r) »\nparenthèse ')' en "
                           "trop\nscene.txt:4: il manque sans doute un ';' à la fin de cette "
                           "ligne : l'instruction commencée ici continue ligne 6\n"),
              std::string::npos)
        << erreurs;
    // A statement cut over lines inside brackets lacks no ';'.
    EXPECT_EQ(erreurs.find("scene.txt:7: il manque"), std::string::npos) << erreurs;
}

TEST_F(Lecteur, FichiersUtf8EtLatin1NommentLesMemesVariables) {
    // A Latin-1 file included by a UTF-8 file that starts with a byte-order mark.
    ecrit("latin1.txt",
          "// r\xe9glages\nvitesse_\xe9lev\xe9"
          "e = 2.0;\nnom = \"\xe9t\xe9 \x80\";\nx = inconnue_\xe9;\n");
    std::vector<std::string> textes;
    auto ancien = console.setGestionnaireBoite([&](const std::string& texte, const std::string&) {
        textes.push_back(console.texteSitue(texte));
    });
    execute("\xEF\xBB\xBF#include latin1.txt\nv = vitesse_élevée;\ns = \"Noël\";\ny = a§b;\n");
    console.setGestionnaireBoite(std::move(ancien));
    ASSERT_TRUE(existe("v"));
    EXPECT_EQ(var("v").type, T_FLOAT);
    EXPECT_FLOAT_EQ(var("v").scalaire.f, 2.0f);
    EXPECT_EQ(chaineDe(var("nom")), "été €");
    EXPECT_EQ(chaineDe(var("s")), "Noël");
    // Lines are those of the file; names are quoted in UTF-8; § has no place in a name
    // (reported as soon as it is read).
    ASSERT_EQ(textes.size(), 3u);
    EXPECT_EQ(textes[0],
              "latin1.txt:4: « x = inconnue_é », inclus depuis scene.txt:1\nTu te serais pas "
              "endormi sur le clavier à tout hazard ?\n\tC'est quoi çà :\n\n\t'inconnue_é'\n");
    EXPECT_EQ(textes[1],
              "scene.txt:4: « y = a§ »\nExplique moi qu'est-ce que ce caractère fait là :167");
}

TEST_F(Lecteur, CaracteresDesNomsSelonLaTableDesCodes) {
    // In a Latin-1 file, bytes 128 to 166 and 192 to 254 are accepted and 167 to 191 refused,
    // each reported by the byte's own code; a UTF-8 file follows the same table up to 255 and
    // takes the letters beyond.
    ecrit("latin1.txt", "a\x80\x8a\x96\xa6\xc0\xd7\xfe = 1;\nb\xa7\xaa\xb5\xba\xbf = 2;\n");
    execute("#include latin1.txt\nc€ = 3;\ndŝ¦À×þ = 4;\neªµ = 5;\n");
    std::vector<std::string> codes;
    for (const auto& b : boites.boites()) codes.push_back(b.texte.substr(b.texte.rfind(':') + 1));
    EXPECT_EQ(codes,
              (std::vector<std::string>{"167", "170", "181", "186", "191", "8364", "170", "181"}))
        << toutesLesBoites();
    EXPECT_TRUE(existe("b\u00a7\u00aa\u00b5\u00ba\u00bf"));  // kept and run all the same
}
