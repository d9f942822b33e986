#include "robot/points_passage.h"

#include "robot/bras_pilote.h"
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
    points_.push_back(PointPassage{r.pose(), r.lien != nullptr, {}});
    return true;
}

std::vector<double> PointPassage::valeurs() const {
    if (!articulations.empty()) return articulations;
    return {T1, T2, T3, T5};
}

bool PointsPassage::ajoute(const BrasPilote& bras, bool tenu) {
    if (points_.size() >= MAX) return false;
    PointPassage p;
    p.articulations = bras.valeursArticulations();
    p.tenu = tenu;
    points_.push_back(p);
    return true;
}

std::size_t PointsPassage::rejoue(BrasPilote& bras, bool tenu, bool rectiligne,
                                  std::string& raison) const {
    std::size_t n = 0;
    raison.clear();
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const PointPassage& p = points_[i];
        const std::vector<double> v = p.valeurs();
        const std::string numero = "point " + std::to_string(i + 1) + " : ";
        if (static_cast<int>(v.size()) != bras.nbArticulations()) {
            raison = numero + std::to_string(v.size()) + " articulations, le robot en a " +
                     std::to_string(bras.nbArticulations());
            break;
        }
        if (bras.nbCommandes() + (p.tenu != tenu ? 2 : 1) > COMMANDES_MAX) {
            raison = "file de commandes pleine";
            break;
        }
        const std::string refus = bras.ajouteDeplacement(v, rectiligne);
        if (!refus.empty()) {
            raison = numero + refus;
            break;
        }
        ++n;
        if (p.tenu != tenu) {
            if (p.tenu)
                bras.ajouteSaisie();
            else
                bras.ajouteLacher();
            ++n;
        }
        tenu = p.tenu;
    }
    return n;
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
