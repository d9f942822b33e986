#include "robot/points_passage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "robot/robot.h"

namespace {
// Queue limit shared with the scripted commands.
constexpr std::size_t COMMANDES_MAX = 10000;

// Fixed notation: the scene language reads it back whatever the magnitude.
std::string nombre(float v) {
    char t[64];
    std::snprintf(t, sizeof t, "%.4f", static_cast<double>(v));
    return t;
}

Commande action(GenreCommande genre) {
    Commande c;
    c.genre = genre;
    c.enOrdre = true;
    return c;
}
}  // namespace

bool PointsPassage::ajoute(const Robot& r) {
    if (points_.size() >= MAX) return false;
    points_.push_back(PointPassage{r.pose(), r.lien != nullptr});
    return true;
}

std::size_t PointsPassage::rejoue(Robot& r, Instance* instanceRobot, bool rectiligne) const {
    std::size_t n = 0;
    auto file = [&](Commande c) {
        if (r.commandes.size() >= COMMANDES_MAX) return false;
        c.instanceRobot = instanceRobot;
        r.ajouteCommande(c);
        ++n;
        return true;
    };
    bool tenu = r.lien != nullptr;
    for (const PointPassage& p : points_) {
        Commande c = action(GenreCommande::Mouvement);
        static_cast<CibleMouvement&>(c) = p;
        c.rectiligne = rectiligne;
        if (!file(c)) break;
        if (p.tenu != tenu && !file(action(p.tenu ? GenreCommande::Saisie : GenreCommande::Lacher)))
            break;
        tenu = p.tenu;
    }
    return n;
}

std::string PointsPassage::fragment(const std::string& v, bool rectiligne) const {
    std::string s =
        "// Points de passage enregistrés par Brakmor (" + std::to_string(points_.size()) + ")\n";
    bool tenu = false;
    for (const PointPassage& p : points_) {
        if (rectiligne)
            s += "deplacePoignet(&" + v + ", " + nombre(p.X) + ", " + nombre(p.Y) + ", " +
                 nombre(p.Z) + ", " + nombre(p.THETA) + ", true);\n";
        else
            s += "deplaceArticulaire(&" + v + ", " + nombre(p.T1) + ", " + nombre(p.T2) + ", " +
                 nombre(p.T3) + ", " + nombre(p.T5) + ");\n";
        if (p.tenu != tenu) s += (p.tenu ? "saisis(&" : "lache(&") + v + ");\n";
        tenu = p.tenu;
    }
    return s;
}

std::string PointsPassage::enregistre(const std::string& chemin, const std::string& variable,
                                      bool rectiligne) const {
    namespace fs = std::filesystem;
    std::error_code e;
    if (fs::is_directory(chemin, e)) return chemin + " est un dossier";
    const std::string temporaire = chemin + ".tmp";
    std::FILE* f = std::fopen(temporaire.c_str(), "w");
    if (!f) return "impossible d'écrire " + temporaire + " (" + std::strerror(errno) + ")";
    const std::string texte = fragment(variable, rectiligne);
    const bool ecrit = std::fwrite(texte.data(), 1, texte.size(), f) == texte.size();
    const int erreurEcriture = errno;
    if (std::fclose(f) != 0 || !ecrit) {
        const int code = ecrit ? errno : erreurEcriture;
        fs::remove(temporaire, e);
        return "écriture impossible dans " + temporaire + " (" + std::strerror(code) + ")";
    }
    if (fs::exists(chemin, e)) {
        fs::rename(chemin, chemin + ".bak", e);
        if (e) {
            fs::remove(temporaire, e);
            return "impossible de garder l'ancien fichier en " + chemin + ".bak";
        }
    }
    fs::rename(temporaire, chemin, e);
    if (e)
        return "impossible de renommer " + temporaire + " en " + chemin + " (" + e.message() + ")";
    return "";
}
