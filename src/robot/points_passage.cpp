#include "robot/points_passage.h"

#include <cstdio>

#include "commun/ecriture_sure.h"
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
                                      bool rectiligne,
                                      const std::vector<std::string>& protegees) const {
    return ecriture::ecritFichier(chemin, fragment(variable, rectiligne), protegees);
}
