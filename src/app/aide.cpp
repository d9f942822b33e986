#include "app/aide.h"

#include <iterator>

const LigneAide aideClavier[] = {
    {"a / q", "THETA1 + / - 7°"},
    {"z / s", "THETA2 - / + 7°"},
    {"e / d", "THETA3 - / + 7°"},
    {"r / f", "THETA5 - / + 7°"},
    {"Droite / Gauche", "poignet X + / - 1"},
    {"Haut / Bas", "poignet Y + / - 1"},
    {"Page préc. / Page suiv.", "poignet Z + / - 1"},
    {"Fin / Début", "poignet THETA + / - 7°"},
    {"MAJ + flèche, Page préc. / suiv.", "poignet X, Y ou Z : pas de 10 au lieu de 1"},
    {"MAJ + Fin / Début", "poignet THETA : pas de 15° au lieu de 7°"},
    {"MAJ + lettre", "rien : les lettres ne prennent pas MAJ"},
    {"touches ci-dessus",
     "bras à quatre axes seulement ; un bras décrit (URDF) se pilote par "
     "les lignes de ses articulations dans le panneau"},
    {"espace de travail", "vue des aides au mouvement pour le bras à quatre axes seulement"},
    {"espace", "saisir / lâcher"},
    {"p", "vider la file de commandes du robot"},
    {"w", "mémoriser la pose comme point de passage"},
    {"h", "masquer / montrer les panneaux"},
    {"F1", "cette aide (F1, Echap ou un clic la ferment)"},
    {"F5", "recharger la scène"},
    {"F12", "capture d'écran brakmor-AAAAMMJJ-HHMMSS.png"},
};
const int nbAideClavier = static_cast<int>(std::size(aideClavier));

const LigneAide aideSouris[] = {
    {"clic gauche sur un objet", "le surligner et l'envoyer chercher par le robot"},
    {"clic gauche sur un robot", "le surligner"},
    {"clic droit sur un robot", "le piloter depuis le panneau"},
    {"glisser gauche", "tourner autour de la scène"},
    {"CTRL + glisser gauche", "déplacer la vue"},
    {"glisser droit, molette", "approcher / éloigner"},
    {"CTRL + glisser droit", "tourner librement"},
    {"MAJ + glisser gauche", "lumière 0 : azimut et élévation"},
    {"MAJ + glisser droit ou milieu", "lumière 0 : distance"},
};
const int nbAideSouris = static_cast<int>(std::size(aideSouris));

std::string texteAide() {
    auto table = [](std::string& s, const LigneAide* lignes, int n) {
        for (int i = 0; i < n; ++i) {
            std::string geste = lignes[i].geste;
            s += "  " + geste;
            // Pads to 32 columns, counting characters rather than UTF-8 bytes.
            int largeur = 0;
            for (unsigned char c : geste)
                if ((c & 0xC0) != 0x80) ++largeur;
            s += std::string(largeur < 32 ? 32 - largeur : 1, ' ');
            s += lignes[i].effet;
            s += '\n';
        }
    };
    std::string s = "Touches (dans la vue 3D) :\n";
    table(s, aideClavier, nbAideClavier);
    s += "Souris (dans la vue 3D) :\n";
    table(s, aideSouris, nbAideSouris);
    return s;
}
