#include "app/panneaux_imgui.h"

#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <string>
#include <tuple>

#include "app/aide.h"
#include "app/application.h"
#include "app/interface.h"
#include "app/panneau.h"
#include "commun/texte.h"
#include "dessin/aides_gl.h"
#include "robot/bras_pilote.h"
#include "robot/robot.h"

namespace interface {
namespace {
// A spinner's field and its step buttons. The model holds what is typed until the field is
// left (Enter, Tab or a click elsewhere); a step button (CTRL: the large step) commits at once.
void dessineSpinner(Controle& c, const char* id, float largeur) {
    const ImGuiStyle& style = ImGui::GetStyle();
    const float bouton = ImGui::GetFrameHeight();
    ImGui::SetNextItemWidth(largeur - 2 * (bouton + style.ItemInnerSpacing.x));
    const std::string champ = std::string("##s") + id;
    float v = c.valeurAffichee();
    bool frappe;
    if (c.genre == GenreControle::SpinnerEntier) {
        int n = static_cast<int>(v);
        frappe = ImGui::InputInt(champ.c_str(), &n, 0, 0);
        v = static_cast<float>(n);
    } else {
        char format[16];
        std::snprintf(format, sizeof format, "%%.%df", c.decimales);
        frappe = ImGui::InputFloat(champ.c_str(), &v, 0, 0, format);
    }
    if (frappe) application().saisie(c, v, EvenementSaisie::Frappe);
    if (ImGui::IsItemDeactivated()) application().saisie(c, v, EvenementSaisie::Sortie);
    const float pas = ImGui::GetIO().KeyCtrl ? c.vitesse : 1.0f;
    ImGui::PushButtonRepeat(true);
    for (const char* signe : {"-", "+"}) {
        ImGui::SameLine(0, style.ItemInnerSpacing.x);
        if (ImGui::Button((signe + std::string(id)).c_str(), ImVec2(bouton, bouton)))
            application().saisie(c, c.valeurAffichee() + (*signe == '-' ? -pas : pas),
                                 EvenementSaisie::Pas);
    }
    ImGui::PopButtonRepeat();
}

// The plots' time axis, in seconds before now: a tick each second, labelled every other one
// and at both ends.
void axeTemps(float etendue, float largeur) {
    ImDrawList* dessin = ImGui::GetWindowDrawList();
    const ImVec2 origine = ImGui::GetCursorScreenPos();
    const ImU32 couleur = ImGui::GetColorU32(ImGuiCol_TextDisabled);
    dessin->AddLine(origine, ImVec2(origine.x + largeur, origine.y), couleur);
    const int secondes = static_cast<int>(etendue);
    float dernierTexte = -1e9f;
    for (int s = 0; s <= secondes + 1; ++s) {
        const float t = s <= secondes ? static_cast<float>(s) : etendue;
        if (etendue <= 0 || (s > secondes && etendue - secondes < 0.05f)) break;
        const float x = origine.x + largeur * (1.0f - t / etendue);
        dessin->AddLine(ImVec2(x, origine.y), ImVec2(x, origine.y + 4), couleur);
        char libelle[16];
        std::snprintf(libelle, sizeof libelle, s <= secondes ? "-%.0f" : "-%.1f", t);
        if (s == 0) std::snprintf(libelle, sizeof libelle, "0 s");
        const float l = ImGui::CalcTextSize(libelle).x;
        const float gauche = std::clamp(x - 0.5f * l, origine.x, origine.x + largeur - l);
        if (gauche + l + 4 > dernierTexte && dernierTexte > -1e9f) continue;
        dessin->AddText(ImVec2(gauche, origine.y + 4), couleur, libelle);
        dernierTexte = gauche;
    }
    ImGui::Dummy(ImVec2(largeur, ImGui::GetTextLineHeight() + 6));
}

// A plot scaled to what it shows, at least `ecartMin` high around its middle (or from 0 for
// a quantity that never goes below), with its text over it.
void courbe(const std::string& id, const std::vector<float>& v, float ecartMin, const char* texte,
            float largeur, bool depuisZero = false) {
    const auto [mini, maxi] = std::minmax_element(v.begin(), v.end());
    float bas = *mini, haut = *maxi;
    if (depuisZero) {
        bas = 0;
        haut = std::max(haut, ecartMin) * 1.1f;
    } else if (haut - bas < ecartMin) {
        const float milieu = 0.5f * (bas + haut);
        bas = milieu - 0.5f * ecartMin;
        haut = milieu + 0.5f * ecartMin;
    }
    ImGui::PlotLines(id.c_str(), v.data(), static_cast<int>(v.size()), 0, texte, bas, haut,
                     ImVec2(largeur, 30));
}

// The driven robot's joints over its last seconds of motion (the clock of the tool trail,
// which stops while the robot has no command): for each joint its position, speed and
// acceleration side by side, each scaled to what it shows, then the tool point's speed; a
// time axis in seconds under each column.
void dessineCourbes() {
    const BrasPilote* r = application().brasPilote();
    if (!r || r->historiqueArticulaire().taille() == 0) {
        ImGui::TextDisabled("pas encore de mouvement");
        return;
    }
    const HistoriqueArticulaire& h = r->historiqueArticulaire();
    constexpr int POINTS = 120;
    ImGui::TextDisabled("%.1f dernieres s de mouvement", h.etendue());
    const float largeur = ImGui::GetContentRegionAvail().x;
    const float ecart = ImGui::GetStyle().ItemSpacing.x;
    const float colonne = (largeur - 2 * ecart) / 3;
    ImGui::TextDisabled("position");
    ImGui::SameLine(colonne + ecart);
    ImGui::TextDisabled("vitesse");
    ImGui::SameLine(2 * (colonne + ecart));
    ImGui::TextDisabled("accel.");
    for (int g = 0; g < h.nbArticulations() && g < r->nbArticulations(); ++g) {
        const bool prismatique = r->prismatique(g);
        const std::vector<float> q = h.serie(g, POINTS);
        const std::vector<float> v = h.serieDerivee(g, 1, POINTS, !prismatique);
        const std::vector<float> a = h.serieDerivee(g, 2, POINTS, !prismatique);
        const auto [mini, maxi] = std::minmax_element(q.begin(), q.end());
        char texte[96];
        std::snprintf(texte, sizeof texte,
                      prismatique ? "%s %.1f (%.1f..%.1f)" : "%s %.0f° (%.0f..%.0f)",
                      pourPolice(r->nomArticulation(g)).c_str(), q.back(), *mini, *maxi);
        ImGui::TextUnformatted(texte);
        const std::string id = "##courbe" + std::to_string(g);
        courbe(id, q, prismatique ? 1.0f : 10.0f, nullptr, colonne);
        ImGui::SameLine();
        std::snprintf(texte, sizeof texte, "%.0f", v.back());
        courbe(id + "v", v, prismatique ? 1.0f : 10.0f, texte, colonne);
        ImGui::SameLine();
        std::snprintf(texte, sizeof texte, "%.0f", a.back());
        courbe(id + "a", a, prismatique ? 1.0f : 10.0f, texte, colonne);
    }
    for (int k = 0; k < 3; ++k) {
        if (k > 0) ImGui::SameLine(k * (colonne + ecart));
        axeTemps(h.etendue(), colonne);
    }
    const std::vector<float> v = h.serie(h.grandeurVitesse(), POINTS);
    char texte[96];
    std::snprintf(texte, sizeof texte, "vitesse outil %.1f u/s (max %.1f)", v.back(),
                  *std::max_element(v.begin(), v.end()));
    courbe("##courbeOutil", v, 1.0f, texte, largeur, true);
    axeTemps(h.etendue(), largeur);
}

// An arm read from a description: a row per joint (its name, value and limits, and the
// target "Atteint" sends), then the tool pose in the arm's frame.
void dessineLignesArticulations() {
    Panneau& p = application().panneau;
    if (!p.brasDecrit) return;
    ImGui::TextUnformatted("Articulations, limites, cibles :");
    const float largeurChamp = 64;
    for (std::size_t i = 0; i < p.articulations.size(); ++i) {
        LigneArticulation& l = p.articulations[i];
        const char* unite = l.prismatique ? "" : "°";
        char texte[160];
        if (l.bornee)
            std::snprintf(texte, sizeof texte, " %.1f%s [%.0f..%.0f]", l.valeur, unite, l.min,
                          l.max);
        else
            std::snprintf(texte, sizeof texte, " %.1f%s", l.valeur, unite);
        ImGui::TextUnformatted(pourPolice(l.nom).c_str());
        ImGui::TextUnformatted(pourPolice(texte).c_str());
        ImGui::SameLine(ImGui::GetWindowContentRegionMax().x - largeurChamp);
        ImGui::SetNextItemWidth(largeurChamp);
        // The ghost follows what is typed.
        if (ImGui::InputFloat(("##cible" + std::to_string(i)).c_str(), &l.cible, 0, 0, "%.1f"))
            application().controle(IdControle::Aucun);
    }
    ImGui::TextUnformatted("Outil (repere du bras) :");
    ImGui::Text("x %.2f y %.2f z %.2f", p.outil[0], p.outil[1], p.outil[2]);
    ImGui::Text("roulis %.1f tangage %.1f", p.outil[3], p.outil[4]);
    ImGui::Text("lacet %.1f", p.outil[5]);
}

// The workspace view's colours and what each means, while the view is shown.
void dessineLegendeEspace() {
    if (!application().scene.espace_travail) return;
    // A short line each, fit for the panel's width; the hover says it in full.
    const std::tuple<EtatCellule, const char*, const char*> lignes[] = {
        {EtatCellule::Atteinte, "atteint exactement", "l'outil y va exactement"},
        {EtatCellule::Limite, "THETA2/3 hors limites",
         "il faudrait THETA2 ou THETA3 au-dela de ses limites"},
        {EtatCellule::Collision, "axe / objet touche",
         "trop pres de l'axe de la base, ou la pince toucherait un objet"},
    };
    ImGui::TextDisabled("Couleurs :");
    for (const auto& [etat, sens, detail] : lignes) {
        const CouleurCellule c = couleurCellule(etat);
        const float cote = ImGui::GetTextLineHeight();
        ImGui::ColorButton(sens, ImVec4(c.r, c.g, c.b, 1.0f),
                           ImGuiColorEditFlags_NoTooltip | ImGuiColorEditFlags_NoDragDrop,
                           ImVec2(cote, cote));
        ImGui::SameLine();
        ImGui::TextUnformatted(sens);
        if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", detail);
    }
}

// The stored waypoints, one line each with the grip state, the wrist on hover; only the
// visible lines are laid out, so thousands stay cheap. A new point scrolls to the end.
void dessineListePoints() {
    const std::vector<PointPassage>& points = application().pointsPassage.points();
    ImGui::Text("%zu point(s) de passage", points.size());
    static std::size_t dejaVus = 0;
    ImGui::BeginChild("##points", ImVec2(0, 110), true);
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(points.size()));
    while (clipper.Step())
        for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
            const PointPassage& p = points[static_cast<std::size_t>(i)];
            if (!p.articulations.empty()) {
                std::string texte = std::to_string(i + 1) + ":";
                char v[32];
                for (double a : p.articulations) {
                    std::snprintf(v, sizeof v, " %.0f", a);
                    texte += v;
                }
                ImGui::TextUnformatted((texte + (p.tenu ? " tenu" : "")).c_str());
                continue;
            }
            ImGui::Text("%d: %.0f %.0f %.0f %.0f%s", i + 1, p.T1, p.T2, p.T3, p.T5,
                        p.tenu ? " tenu" : "");
            if (ImGui::IsItemHovered())
                ImGui::SetTooltip("poignet X %.2f  Y %.2f  Z %.2f  THETA %.0f", p.X, p.Y, p.Z,
                                  p.THETA);
        }
    clipper.End();
    if (points.size() > dejaVus) ImGui::SetScrollHereY(1.0f);
    dejaVus = points.size();
    ImGui::EndChild();
}

void dessineControle(Controle& c, int indice) {
    char id[64];
    std::snprintf(id, sizeof id, "##c%d", indice);
    const std::string etiquette = c.libelle + id;
    const float largeurChamp = 100.0f;
    switch (c.genre) {
        case GenreControle::Rollout:
        case GenreControle::Colonne: break;
        case GenreControle::Groupe:
            ImGui::Spacing();
            ImGui::Separator();
            if (!c.libelle.empty()) ImGui::TextDisabled("%s", c.libelle.c_str());
            break;
        case GenreControle::Texte: ImGui::TextUnformatted(c.libelle.c_str()); break;
        case GenreControle::Case: {
            bool b = *c.entier != 0;
            if (ImGui::Checkbox(etiquette.c_str(), &b)) {
                *c.entier = b ? 1 : 0;
                application().controle(c.id);
            }
            break;
        }
        case GenreControle::SpinnerEntier:
        case GenreControle::SpinnerReel: {
            if (!c.actif) ImGui::BeginDisabled();
            ImGui::TextUnformatted(c.libelle.c_str());
            ImGui::SameLine(ImGui::GetWindowContentRegionMax().x - largeurChamp);
            dessineSpinner(c, id, largeurChamp);
            if (!c.actif) ImGui::EndDisabled();
            break;
        }
        case GenreControle::Radio: {
            for (size_t i = 0; i < c.options.size(); ++i) {
                std::string l = c.options[i] + id + std::to_string(i);
                if (ImGui::RadioButton(l.c_str(), c.entier, static_cast<int>(i)))
                    application().controle(c.id);
            }
            break;
        }
        case GenreControle::Bouton: {
            const std::string& texte =
                c.id == IdControle::Saisie ? application().panneau.libelleSaisie : c.libelle;
            if (ImGui::Button((texte + id).c_str(), ImVec2(c.largeur, 0)))
                application().controle(c.id);
            break;
        }
        case GenreControle::ChampTexte: {
            char tampon[1024];
            std::snprintf(tampon, sizeof tampon, "%s", c.texte->c_str());
            ImGui::SetNextItemWidth(c.largeur);
            // A field bound to an action commits with Enter; the others take every keystroke.
            if (c.id != IdControle::Aucun) {
                if (ImGui::InputText(id, tampon, sizeof tampon,
                                     ImGuiInputTextFlags_EnterReturnsTrue)) {
                    *c.texte = tampon;
                    application().controle(c.id);
                }
            } else if (ImGui::InputText(id, tampon, sizeof tampon))
                *c.texte = tampon;
            if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s : %s", c.libelle.c_str(), tampon);
            break;
        }
        case GenreControle::Courbes: dessineCourbes(); break;
        case GenreControle::LignesArticulations: dessineLignesArticulations(); break;
        case GenreControle::ListePoints: dessineListePoints(); break;
        case GenreControle::LegendeEspace: dessineLegendeEspace(); break;
    }
}

void dessineListe(std::vector<Controle>& liste) {
    bool ouvert = true;
    for (size_t i = 0; i < liste.size(); ++i) {
        Controle& c = liste[i];
        if (c.genre == GenreControle::Rollout) {
            // A rollout bound to an option shows it, and its header sets it.
            if (c.entier) ImGui::SetNextItemOpen(*c.entier != 0);
            ouvert = ImGui::CollapsingHeader(c.libelle.c_str(),
                                             c.ouvert ? ImGuiTreeNodeFlags_DefaultOpen : 0);
            if (c.entier && ouvert != (*c.entier != 0)) {
                *c.entier = ouvert ? 1 : 0;
                application().controle(c.id);
            }
            continue;
        }
        if (!ouvert) continue;
        if (c.quatreAxes && application().panneau.brasDecrit) continue;
        if (c.genre == GenreControle::Colonne) {
            ImGui::SameLine();
            continue;
        }
        dessineControle(c, static_cast<int>(i));
    }
}

// The status messages take this many lines at most: a longer one scrolls in its own area, so
// that it never pushes the robot panel's controls out of view.
constexpr float LIGNES_MESSAGES_MAX = 6;

// The status line under the robot panel; the last thing done in green, the last refusal or
// stall in red, both in an area `hauteurMessages` high.
void dessineLigneEtat(const std::string& information, const std::string& message,
                      float hauteurMessages) {
    const LigneEtat& l = application().panneau.ligneEtat;
    ImGui::Separator();
    ImGui::Text("Robot : %s", l.robot.empty() ? "aucun" : l.robot.c_str());
    ImGui::Text("Commandes en attente : %zu", l.commandes);
    ImGui::Text("Selection : %s", l.selection.empty() ? "aucune" : l.selection.c_str());
    ImGui::Text("Objet tenu : %s", l.tenu.empty() ? "aucun" : l.tenu.c_str());
    if (!l.manipulabilite.empty()) {
        ImGui::Text("Manipulabilite : %s", l.manipulabilite.c_str());
        ImGui::Text("Conditionnement : %s", l.conditionnement.c_str());
    }
    if (!l.singularite.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.65f, 0.2f, 1.0f));
        ImGui::TextWrapped("%s", pourPolice(l.singularite).c_str());
        ImGui::PopStyleColor();
    }
    if (hauteurMessages <= 0) return;
    ImGui::BeginChild("##messages", ImVec2(0, hauteurMessages));
    if (!information.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.55f, 0.9f, 0.55f, 1.0f));
        ImGui::TextWrapped("%s", information.c_str());
        ImGui::PopStyleColor();
    }
    if (!message.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.4f, 0.35f, 1.0f));
        ImGui::TextWrapped("%s", message.c_str());
        ImGui::PopStyleColor();
    }
    ImGui::EndChild();
}

}  // namespace

std::string pourPolice(const std::string& texte) {
    std::string r;
    r.reserve(texte.size());
    texte::DecodeurUtf8 decodeur;
    std::size_t debut = 0;  // where the character being decoded begins
    for (std::size_t i = 0; i < texte.size(); ++i) {
        switch (decodeur.ajoute(static_cast<unsigned char>(texte[i]))) {
            case texte::DecodeurUtf8::Attente: continue;
            case texte::DecodeurUtf8::Invalide: r += '?'; break;
            case texte::DecodeurUtf8::Caractere:
                switch (decodeur.caractere()) {
                    case U'\u2026': r += "..."; break;
                    case U'\u2013':
                    case U'\u2014': r += '-'; break;
                    case U'\u2018':
                    case U'\u2019': r += '\''; break;
                    case U'\u201C':
                    case U'\u201D': r += '"'; break;
                    default: r.append(texte, debut, i + 1 - debut); break;
                }
                break;
        }
        debut = i + 1;
    }
    return r;
}

void dessinePanneau(const char* nom, float x, float largeur, std::vector<Controle>& liste) {
    const float h = ImGui::GetIO().DisplaySize.y;
    ImGui::SetNextWindowPos(ImVec2(x, 0));
    ImGui::SetNextWindowSize(ImVec2(largeur, h));
    ImGui::Begin(nom, nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoBringToFrontOnFocus);
    if (&liste != &application().panneau.panneauRobot) {
        dessineListe(liste);
        ImGui::End();
        return;
    }
    // The robot panel keeps its status line at the bottom, under the controls, which scroll
    // above it when the open sections need more room than the window has.
    application().majLigneEtat();
    const LigneEtat& l = application().panneau.ligneEtat;
    const std::string information = pourPolice(l.information), message = pourPolice(l.message);
    const ImGuiStyle& style = ImGui::GetStyle();
    const float ligne = ImGui::GetTextLineHeightWithSpacing();
    const float largeurTexte = ImGui::GetContentRegionAvail().x;
    float hauteurMessages = 0;
    for (const std::string* m : {&information, &message})
        if (!m->empty())
            hauteurMessages += (hauteurMessages > 0 ? style.ItemSpacing.y : 0) +
                               ImGui::CalcTextSize(m->c_str(), nullptr, false, largeurTexte).y;
    hauteurMessages = std::min(hauteurMessages, LIGNES_MESSAGES_MAX * ligne);
    float lignesEtat = 4;
    if (!l.manipulabilite.empty()) lignesEtat += 2;
    if (!l.singularite.empty())
        lignesEtat +=
            ImGui::CalcTextSize(pourPolice(l.singularite).c_str(), nullptr, false, largeurTexte).y /
            ImGui::GetTextLineHeight();
    const float hauteurEtat = lignesEtat * ligne + style.ItemSpacing.y + 1 +
                              (hauteurMessages > 0 ? hauteurMessages + style.ItemSpacing.y : 0);
    ImGui::BeginChild("##controles", ImVec2(0, -hauteurEtat));
    dessineListe(liste);
    ImGui::EndChild();
    dessineLigneEtat(information, message, hauteurMessages);
    ImGui::End();
}

namespace {
// One table of the help: the gesture, then what it does, wrapped to the column.
void tableAide(const char* id, const LigneAide* lignes, int n) {
    if (!ImGui::BeginTable(id, 2, ImGuiTableFlags_RowBg)) return;
    ImGui::TableSetupColumn("geste", ImGuiTableColumnFlags_WidthFixed);
    ImGui::TableSetupColumn("effet", ImGuiTableColumnFlags_WidthStretch);
    for (int i = 0; i < n; ++i) {
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(lignes[i].geste);
        ImGui::TableNextColumn();
        ImGui::TextWrapped("%s", lignes[i].effet);
    }
    ImGui::EndTable();
}

}  // namespace

// The keys and mouse actions over the 3D view, centred on it; F1, Escape or a click closes it.
void dessineAide() {
    if (!application().panneau.aideAffichee) return;
    int x, y, w, h;
    zoneVue(x, y, w, h);
    const ImVec2 fenetre = ImGui::GetIO().DisplaySize;
    const float largeur = std::min(560.0f, fenetre.x - 20);
    ImGui::SetNextWindowPos(ImVec2(x + 0.5f * w, fenetre.y - (y + 0.5f * h)), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(largeur, 0), ImVec2(largeur, fenetre.y - 20));
    ImGui::SetNextWindowBgAlpha(1.0f);  // the panels it covers must not show through
    ImGui::Begin("Aide : touches et souris (F1, Echap ou un clic pour fermer)##aide", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings);
    ImGui::TextDisabled("Touches (dans la vue 3D)");
    tableAide("##clavier", aideClavier, nbAideClavier);
    ImGui::Spacing();
    ImGui::TextDisabled("Souris (dans la vue 3D)");
    tableAide("##souris", aideSouris, nbAideSouris);
    ImGui::End();
}

}  // namespace interface
