#include "robot/points_passage.h"

#include "robot/robot.h"

namespace {
// Queue limit shared with the scripted commands.
constexpr std::size_t COMMANDES_MAX = 10000;

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

bool PointsPassage::ajoute(const PointPassage& p) {
    if (points_.size() >= MAX) return false;
    points_.push_back(p);
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
