#include "app/ligne_commande.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <utility>

#include "app/aide.h"
#include "commun/console.h"

namespace {
// The longest simulated time accepted, in seconds (its milliseconds stay exact integers).
constexpr double SIMULATION_MAX = 1e12;
constexpr long long BENCH_MAX = 1000000;

// An integer written whole: an optional sign and digits, nothing else. Values beyond the
// range of long long saturate, so that the caller's range check refuses (or clamps) them.
std::optional<long long> entier(const std::string& texte) {
    size_t debut = texte.size() > 1 && (texte[0] == '+' || texte[0] == '-') ? 1 : 0;
    if (debut == texte.size()) return std::nullopt;
    for (size_t i = debut; i < texte.size(); ++i)
        if (texte[i] < '0' || texte[i] > '9') return std::nullopt;
    const bool negatif = texte[0] == '-';
    const std::string chiffres = (negatif ? "-" : "") + texte.substr(debut);
    long long n = 0;
    const auto [fin, erreur] =
        std::from_chars(chiffres.data(), chiffres.data() + chiffres.size(), n);
    (void)fin;
    if (erreur == std::errc::result_out_of_range) return negatif ? LLONG_MIN : LLONG_MAX;
    return n;
}

// A finite decimal number written whole ("2.5", "1e3"); not "nan", "inf" or "0x10".
std::optional<double> reel(const std::string& texte) {
    if (texte.empty()) return std::nullopt;
    const char* d = texte.data() + (texte[0] == '+' && texte.size() > 1 ? 1 : 0);
    double x = 0;
    const auto [fin, erreur] = std::from_chars(d, texte.data() + texte.size(), x);
    if (erreur != std::errc() || fin != texte.data() + texte.size() || !std::isfinite(x))
        return std::nullopt;
    return x;
}

class Lecteur {
public:
    Lecteur(int argc, char** argv, LigneCommande& lc) : argc_(argc), argv_(argv), lc_(lc) {}

    void lit() {
        for (i_ = 1; i_ < argc_; ++i_) option(argv_[i_] ? argv_[i_] : "");
    }

private:
    // `arg` is `nom` alone, or `nom` with its value joined by "=" or inside "( )".
    bool est(const std::string& arg, const char* nom) {
        joint_.reset();
        const size_t n = std::char_traits<char>::length(nom);
        if (arg.compare(0, n, nom) != 0) return false;
        if (arg.size() == n) return true;
        if (arg[n] == '=') {
            joint_ = arg.substr(n + 1);
        } else if (arg[n] == '(') {
            joint_ = arg.substr(n + 1);
            if (!joint_->empty() && joint_->back() == ')') joint_->pop_back();
        } else {
            return false;
        }
        return true;
    }

    // The option's value: joined to it, or the next argument taken whole.
    std::optional<std::string> valeur() {
        if (joint_) return std::exchange(joint_, std::nullopt);
        if (i_ + 1 < argc_) return std::string(argv_[++i_] ? argv_[i_] : "");
        return std::nullopt;
    }
    // A path: a missing one reads as empty, as it always did.
    std::string chemin() { return valeur().value_or(""); }

    void refuse(const char* option, const std::optional<std::string>& v, const char* attendu) {
        lc_.erreurs.push_back(
            v ? std::string(option) + " : valeur « " + *v + " » refusée (il faut " + attendu + ")"
              : std::string(option) + " : valeur manquante (il faut " + attendu + ")");
    }

    // An integer in [min, max], or a message and nothing.
    std::optional<int> entierBorne(const char* option, const std::optional<std::string>& v,
                                   long long min, long long max, const char* attendu) {
        const auto n = v ? entier(*v) : std::nullopt;
        if (n && *n >= min && *n <= max) return static_cast<int>(*n);
        refuse(option, v, attendu);
        return std::nullopt;
    }

    // "-res 1024x768", "-res 1024 768", "-res 1024 x 768", "-res=1024x768".
    void resolution() {
        const auto v = valeur();
        if (!v) return refuse("-res", v, "une taille LxH");
        std::optional<std::string> l = *v, h;
        const size_t x = v->find('x');
        if (x != std::string::npos) {
            l = v->substr(0, x);
            if (x + 1 < v->size()) h = v->substr(x + 1);
        }
        if (!h) {
            h = valeur();
            if (h && *h == "x") h = valeur();
            if (x == std::string::npos && h && !h->empty() && (*h)[0] == 'x') h->erase(0, 1);
        }
        const auto largeur = entierBorne("-res", l, 1, INT_MAX, "une largeur entière positive");
        const auto hauteur = entierBorne("-res", h, 1, INT_MAX, "une hauteur entière positive");
        if (!largeur || !hauteur) return;
        lc_.redimensionne = true;
        lc_.largeur = *largeur;
        lc_.hauteur = *hauteur;
    }

    void option(const std::string& arg) {
        if (est(arg, "-f")) {
            lc_.fichier = chemin();
        } else if (arg == "-fullscreen") {
            lc_.pleinEcran = true;
        } else if (est(arg, "-res")) {
            resolution();
        } else if (est(arg, "-shadowmap")) {
            // Any integer, clamped to [4, 10].
            const auto v = valeur();
            if (const auto n = v ? entier(*v) : std::nullopt) {
                lc_.carteOmbre = true;
                lc_.tailleCarteOmbre = 1 << std::clamp<long long>(*n, 4, 10);
            } else {
                refuse("-shadowmap", v, "un nombre entier");
            }
        } else if (arg == "-check") {
            lc_.verification = true;
        } else if (est(arg, "-dump")) {
            lc_.fichierDump = chemin();
        } else if (est(arg, "-simule")) {
            const auto v = valeur();
            const auto s = v ? reel(*v) : std::nullopt;
            if (s && *s >= 0 && *s <= SIMULATION_MAX)
                lc_.simulation = static_cast<float>(*s);
            else
                refuse("-simule", v, "un nombre de secondes de 0 à 1e12");
        } else if (est(arg, "-capture")) {
            lc_.fichierCapture = chemin();
        } else if (est(arg, "-bench")) {
            if (const auto n = entierBorne("-bench", valeur(), 1, BENCH_MAX,
                                           "un nombre entier d'images de 1 à 1000000"))
                lc_.imagesBench = *n;
        } else if (est(arg, "-fps")) {
            // 0 or less lifts the limit.
            if (const auto n = entierBorne("-fps", valeur(), INT_MIN, INT_MAX, "un nombre entier"))
                lc_.imagesParSeconde = std::max(0, *n);
        } else if (arg == "-immediat") {
            lc_.immediat = true;
        } else if (arg == "-listes") {
            lc_.listes = true;
        } else if (est(arg, "-trace")) {
            lc_.fichierTrace = chemin();
        } else if (arg == "-sanspanneaux") {
            lc_.sansPanneaux = true;
        } else if (arg == "-surveille") {
            lc_.surveille = true;
        } else if (arg == "-h" || arg == "--help") {
            lc_.aide = true;
        }
        // Anything else is skipped without a message.
    }

    int argc_;
    char** argv_;
    LigneCommande& lc_;
    int i_ = 0;
    std::optional<std::string> joint_;
};
}  // namespace

LigneCommande analyseLigneCommande(int argc, char** argv) {
    LigneCommande lc;
    Lecteur(argc, argv, lc).lit();
    return lc;
}

void afficheUsage() {
    console << "usage : brakmor [-f scene.txt] [-fullscreen] [-res LxH] [-shadowmap n]\n"
            << "                [-check] [-dump fichier.json] [-simule secondes]\n"
            << "                [-capture image.png] [-bench images] [-immediat] [-listes]\n"
            << "                [-fps n] [-surveille] [-trace fichier.csv] [-sanspanneaux] [-h]\n"
            << "  -f scene.txt       fichier de scène à charger\n"
            << "  -fullscreen        plein écran\n"
            << "  -res LxH           taille de la fenêtre (aussi -res L H)\n"
            << "  -shadowmap n       carte d'ombre de 2^n texels, n de 4 à 10 (défaut 9)\n"
            << "  -check             charge la scène sans fenêtre ; statut 0 si aucune erreur,\n"
            << "                     1 si une boîte d'erreur a été levée, 3 si le fichier est "
               "illisible,\n"
            << "                     4 si le dump n'a pas pu être écrit\n"
            << "  -dump f.json       écrit la description JSON de la scène à la sortie\n"
            << "  -simule s          avec -check ou -capture : anime s secondes (pas de 10 ms)\n"
            << "  -capture f.png     affiche la scène une fois, l'enregistre en PNG et quitte\n"
            << "  -bench n           affiche n images et donne les temps moyen et médian\n"
            << "  -immediat          dessine tout en mode immédiat, sans listes d'affichage\n"
            << "  -listes            dessine les meshes par listes d'affichage, sans tampons\n"
            << "                     de sommets\n"
            << "  -fps n             au plus n images par seconde quand la scène bouge\n"
            << "                     (défaut 60, 0 : sans limite)\n"
            << "  -surveille         recharge la scène quand son fichier, un fichier inclus,\n"
            << "                     un mesh ou une texture change (F5 la recharge toujours)\n"
            << "  -trace f.csv       écrit une ligne CSV par pas d'animation pour le robot piloté\n"
            << "                     (temps, articulations, poignet, objet tenu, commandes)\n"
            << "  -sanspanneaux      cache les deux panneaux dès le départ (comme la touche h),\n"
            << "                     la vue 3D prend toute la fenêtre (et toute la capture)\n"
            << "\n"
            << texteAide();
}
