// Statement execution and expression evaluation of the scene language: assignments,
// builtin calls, literals (numbers, strings, points, point lists, object literals),
// names and addresses, with every error reported in a warning box.
#include "script/script.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "commun/console.h"
#include "geometrie/mesh.h"
#include "scene/scene.h"
#include "script/conseils.h"
#include "script/crochets.h"
#include "script/fonctions.h"
#include "script/options.h"

namespace {
// Separators of the token that follows an assignment's target: SEPARATEURS without '='.
const char* const SEPARATEURS_SANS_EGAL = " ,(){}\t\n";

// Object literals only reserve room; a larger count just grows the lists as faces come.
constexpr int RESERVATION_MAX = 4096;

const char* const TITRE_BOURDE = "(erreur) encore une bourde...";
const char* const TITRE_INATTENTION = "(erreur) tu fais vraiment pas attention !";
const char* const TITRE_NOM_INCONNU = "pfff... encore une erreur";
const char* const TITRE_OBJET = "Je peux plus rien pour toi !";

// A number literal is read as far as it is a number, as it always has been: "1e3" is 1,
// "5abc" is 5. What that drops is told in a note (the value is seldom the one meant); the
// comma that may end a number of a point list is no loss.
void noteNombreTronque(const std::string& litteral, std::size_t lus, const std::string& valeur) {
    const std::string reste = litteral.substr(lus);
    if (reste.empty() || reste == ",") return;
    console.note("« " + litteral + " » est lu comme le nombre " + valeur + " : « " + reste +
                 " » est ignoré.");
}

int32_t entierDe(const std::string& texte) {
    char* fin = nullptr;
    long v = std::strtol(texte.c_str(), &fin, 10);
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    noteNombreTronque(texte, static_cast<std::size_t>(fin - texte.c_str()), std::to_string(v));
    return static_cast<int32_t>(v);
}

float reelDe(const std::string& texte) {
    char* fin = nullptr;
    const auto v = static_cast<float>(std::strtod(texte.c_str(), &fin));
    char valeur[32];
    std::snprintf(valeur, sizeof valeur, "%g", static_cast<double>(v));
    noteNombreTronque(texte, static_cast<std::size_t>(fin - texte.c_str()), valeur);
    return v;
}

// Restores a depth counter when an evaluation level ends.
struct Niveau {
    int& profondeur;
    explicit Niveau(int& p) : profondeur(p) { ++profondeur; }
    ~Niveau() { --profondeur; }
};
}  // namespace

Script::Script(CScene* scene_, Camera* camera_) : scene(scene_), camera(camera_) {}

Script::~Script() { vide(); }

void Script::vide() {
    if (scene) scene->vider();
    for (auto& entree : variables) detruit_valeur(entree.second);
    variables.clear();
}

bool Script::definit_variable(const std::string& nom, const Valeur& valeur) {
    return variables.emplace(nom, valeur).second;
}

Valeur Script::depile() {
    if (pile_param.empty()) {
        console.trace("Erreur assertion !pile_param.empty()");
        return valeur_nulle;
    }
    Valeur v = pile_param.back();
    pile_param.pop_back();
    return v;
}

// instruction = nom "=" expression | expression ;
//
// The "=" is one only when a blank, a comma, a bracket or a line end follows it.
void Script::execute_instruction(ChaineCurseur& instruction) {
    instructionCourante_ = instruction.texte;
    abandon_ = false;
    instruction.position = 0;
    std::string cible = instruction.jeton(SEPARATEURS, SEPARATEURS);
    std::string second = instruction.jeton(SEPARATEURS_SANS_EGAL, SEPARATEURS_SANS_EGAL);

    if (second != "=") {
        // An expression statement: evaluated for its effect. The result is only dropped,
        // so a statement naming a variable leaves that variable's object alone.
        instruction.position = 0;
        evalue(instruction);
        return;
    }

    Valeur valeur = evalue(instruction);
    if (abandon_) valeur = valeur_nulle;

    int option = cible.find('\0') == std::string::npos ? chercheOption(cible.c_str()) : -1;
    if (option >= 0) {
        const OptionAffichage& o = optionsAffichage[option];
        if (!verifie_affectation(cible, o.type, valeur.type)) return;
        if (valeur.estObjet() && !valeur.adresse()) {
            console.boiteMessage(
                "Tentative d'affectation d'un objet non initialisé à la variable\n\n  '" + cible +
                    "'",
                "erreur de pointeur");
            return;
        }
        // An infinite or undefined number would spread into every position it touches
        // (gravity makes each falling object's height NaN for good): the option keeps its value.
        if (o.type == T_FLOAT && !std::isfinite(valeur.scalaire.f)) {
            console.boiteMessage("La valeur " + texte_valeur(valeur) + " donnée à l'option\n\n  '" +
                                     cible +
                                     "'\n\nn'est pas un nombre fini : l'option garde sa valeur.",
                                 "erreur de valeur");
            return;
        }
        if (scene) o.set(*scene, camera, valeur);
        return;
    }

    auto it = variables.find(cible);
    if (it == variables.end()) {
        variables.emplace(cible, valeur);
    } else if (!valeurs_egales(it->second, valeur)) {
        // The old object is only let go: whatever else shares it keeps it.
        it->second = valeur;
    }
}

void Script::signaleExpressionVide() {
    console.boiteMessage(
        "Il manque une expression dans l'instruction :\n\n\t'" + instructionCourante_ + "'\n",
        TITRE_NOM_INCONNU);
}

// expression = appel | chaine | nombre | litteral | nom ;
// chaine     = '"' { any character but '"' } '"' ;
// nombre     = ( chiffre | "." | "-" ) { any character but a separator } ;
//
// A number holding a "." is a float, any other an int (read as far as it is one). Text
// after a complete expression is ignored.
Valeur Script::evalue(ChaineCurseur& c) {
    if (abandon_) return valeur_nulle;
    if (profondeurExpression_ >= PROFONDEUR_EXPRESSION_MAX) {
        console.boiteMessage("Expression trop imbriquée : pas plus de " +
                                 std::to_string(PROFONDEUR_EXPRESSION_MAX) +
                                 " niveaux de parenthèses, d'accolades ou d'appels !\n\n\t'" +
                                 instructionCourante_ + "'\n",
                             "erreur");
        abandon_ = true;
        return valeur_nulle;
    }
    Niveau niveau(profondeurExpression_);

    std::string tete = c.jeton(" \t\n", SEPARATEURS, false);
    int fonction = chercheFonction(tete);
    if (fonction >= 0) return appelle(fonction, c);

    c.sauteBlancs();
    if (c.fini()) {
        signaleExpressionVide();
        return valeur_nulle;
    }
    char ch = c.courant();
    if (ch == '"') {
        // The text up to the next double quote; no escapes.
        ++c.position;
        std::string texte = c.jeton("", "\"");
        if (!c.fini()) ++c.position;
        return Valeur::objetDe(T_STRING, std::make_shared<std::string>(texte));
    }
    if ((ch >= '0' && ch <= '9') || ch == '.' || ch == '-') {
        std::string nombre = c.jeton(SEPARATEURS, SEPARATEURS);
        if (nombre.find('.') != std::string::npos) return Valeur::reel(reelDe(nombre));
        return Valeur::entier(entierDe(nombre));
    }
    if (ch == '(' || ch == '{') return evalueLitteral(c);
    return evalueNom(c);
}

// appel = fonction "(" expression { "," expression } ")" ;   (fonction: a row of the table)
Valeur Script::appelle(int fonction, ChaineCurseur& c) {
    const FonctionPredefinie& f = fonctions_predefinies[fonction];
    c.jeton(SEPARATEURS, SEPARATEURS);
    std::vector<std::string> arguments;
    if (!lit_arguments(c, arguments)) return valeur_nulle;
    int nb = static_cast<int>(arguments.size());
    if (!verifie_nb_parametres(fonction, nb)) return valeur_nulle;
    // Without parentheses the argument is the whole expression, which names the same
    // function again: refused instead of recursing.
    if (nb == 1 && arguments[0] == c.texte) {
        console.boiteMessage(std::string("La fonction \"") + f.nom +
                                 "\" s'écrit avec ses paramètres entre parenthèses :\n\n\t" +
                                 f.nom + "(...)\n",
                             TITRE_INATTENTION);
        return valeur_nulle;
    }

    const std::size_t base = pile_param.size();
    for (const std::string& texte : arguments) {
        ChaineCurseur argument(texte);
        empile(evalue(argument));
    }
    Valeur resultat = valeur_nulle;
    if (!abandon_) resultat = executeFonction(f, nb);
    while (pile_param.size() > base) pile_param.pop_back();
    return resultat;
}

Valeur Script::executeFonction(const FonctionPredefinie& f, int nb) {
    std::string raison;
    try {
        std::vector<Valeur> valeurs = depileArguments(nb);
        Valeur echec;
        if (!verifie_signature(f, valeurs, echec)) return echec;
        return (this->*f.fonction)(valeurs);
    } catch (const std::exception& e) {
        raison = e.what();
    } catch (const char* message) {
        if (message) raison = message;
    }
    console.boiteMessage(std::string("La fonction ") + f.nom + " a échoué :\n\n" + raison,
                         "erreur");
    return valeur_nulle;
}

// The arguments of a call or of a composite literal: the text between the first "(" and
// the last ")" (or all of it when it has neither), cut at its top-level commas:
//
//   arguments = argument { "," argument } ;
//   argument  = { caractere-sauf-virgule | chaine | "(" texte ")" | "{" texte "}" } ;
//
// with chaine and texte (which may hold commas) as in the statement syntax. The pieces are
// kept untrimmed; an empty text is one empty argument.
bool Script::lit_arguments(const ChaineCurseur& c, std::vector<std::string>& arguments) {
    arguments.clear();
    const std::string& t = c.texte;
    std::size_t ouvrante = t.find('('), fermante = t.rfind(')');
    std::string texte;
    if (ouvrante == std::string::npos && fermante == std::string::npos)
        texte = t;
    else if (ouvrante != std::string::npos && fermante != std::string::npos && fermante > ouvrante)
        texte = t.substr(ouvrante + 1, fermante - ouvrante - 1);

    CompteurCrochets crochets;
    bool chaine = false;
    std::string courant;
    for (char ch : texte) {
        if (ch == '"') {
            chaine = !chaine;
        } else if (!chaine) {
            if (!crochets.compte(ch)) return false;
            if (ch == ',' && crochets.aZero()) {
                arguments.push_back(courant);
                courant.clear();
                continue;
            }
        }
        courant += ch;
    }
    if (!crochets.fermes()) return false;
    arguments.push_back(courant);
    return true;
}

std::vector<Valeur> Script::evalue_liste(const std::vector<std::string>& textes) {
    std::vector<Valeur> valeurs;
    valeurs.reserve(textes.size());
    for (const std::string& texte : textes) {
        ChaineCurseur c(texte);
        valeurs.push_back(evalue(c));
    }
    return valeurs;
}

bool Script::verifie_nb_parametres(int fonction, int nb) {
    const FonctionPredefinie& f = fonctions_predefinies[fonction];
    return f.accepteNombreAvantBras(nb) || verifie_nb_parametres(f, nb);
}

bool Script::verifie_nb_parametres(const FonctionPredefinie& f, int nb) {
    if (f.accepteNombre(nb)) return true;
    std::string attendus = std::to_string(f.nb_parametres);
    if (f.dernierRepete)
        attendus = "au moins " + std::to_string(f.nb_parametres);
    else if (f.nb_minimum < f.nb_parametres)
        attendus = std::to_string(f.nb_minimum) + " à " + attendus;
    console.boiteMessage("Tu fournis " + std::to_string(nb) + " paramètre(s) à la fonction \"" +
                             f.nom + "\" qui en attend " + attendus,
                         TITRE_INATTENTION);
    return false;
}

bool Script::verifie_affectation(const std::string& nom, int32_t typeOption, int32_t typeValeur) {
    if (typeOption == typeValeur) return true;
    console.boiteMessage("Tentative d'affectation d'un objet de type\n\n  '" +
                             nom_type(typeValeur) + "'\n\nà la variable\n\n  '" + nom +
                             "'\n\nqui est du type\n\n  '" + nom_type(typeOption) + "'",
                         TITRE_BOURDE);
    return false;
}

bool Script::verifie_expression(const std::string& texte, int32_t attendu, int32_t reel) {
    if (attendu == reel) return true;
    console.boiteMessage("L'expression\n\n  '" + texte + "' de type " + nom_type(reel) +
                             "'\n\nest utilisé avec le type\n\n   '" + nom_type(attendu) + "'",
                         TITRE_BOURDE);
    return false;
}

// litteral = point | objet | liste ;
// point    = "(" expression "," expression "," expression ")" ;     (three numbers)
// liste    = "{" { nombre } "}" ;                                    (three numbers a point)
Valeur Script::evalueLitteral(ChaineCurseur& c) {
    const char ouvrant = c.courant();
    std::string mot = c.jeton(SEPARATEURS, SEPARATEURS, false);
    std::vector<std::string> arguments;
    if (!lit_arguments(c, arguments)) return valeur_nulle;

    if (ouvrant == '(') {
        if (arguments.size() != 3) return evalueObjet(arguments);
        std::vector<Valeur> valeurs = evalue_liste(arguments);
        if (abandon_) return valeur_nulle;
        float composantes[3];
        for (int i = 0; i < 3; ++i) {
            if (valeurs[i].type == T_INT)
                composantes[i] = static_cast<float>(valeurs[i].scalaire.i);
            else if (valeurs[i].type == T_FLOAT)
                composantes[i] = valeurs[i].scalaire.f;
            else {
                verifie_expression(arguments[i], T_FLOAT, valeurs[i].type);
                return valeur_nulle;
            }
        }
        return Valeur::objetDe(
            T_POINT, std::make_shared<CVecteur>(composantes[0], composantes[1], composantes[2]));
    }

    if (arguments.size() != 1) {
        console.boiteMessage("Bravo tu viens d'inventer la commande :\n\n" + mot +
                                 "\n\n Le problème c'est qu'elle n'est pas encore reconnue !",
                             "T'es un génie !");
        return valeur_nulle;
    }
    // A point list: numbers separated by blanks; every third one completes a point.
    ++c.position;
    auto liste = std::make_shared<ListePoints>();
    float xyz[3];
    int n = 0;
    for (std::string jeton = c.jeton(" \t\n", "} \t\n"); !jeton.empty();
         jeton = c.jeton(" \t\n", "} \t\n")) {
        xyz[n++] = reelDe(jeton);
        if (n == 3) {
            liste->push_back(CHomoVecteur(xyz[0], xyz[1], xyz[2], 1.0f));
            n = 0;
        }
    }
    return Valeur::objetDe(T_LISTEPOINT, liste);
}

// objet   = "(" expression "," expression { "," element } ")" ;   (not three expressions)
// element = expression ;
//
// The first two are the int vertex and face counts; each element is a listepoint (a face)
// or a couleur (the colour of the faces after it).
Valeur Script::evalueObjet(const std::vector<std::string>& textes) {
    std::vector<Valeur> valeurs = evalue_liste(textes);
    const Valeur objetNul = Valeur::objetDe<Entite>(T_ENTITE, nullptr);
    if (abandon_) return objetNul;
    if (valeurs.size() < 2 || valeurs[0].type != T_INT || valeurs[1].type != T_INT) {
        console.boiteMessage("Ton objet a un format fantaisiste !\n\n", TITRE_OBJET);
        return objetNul;
    }
    const int nbSommets = valeurs[0].scalaire.i, nbFaces = valeurs[1].scalaire.i;
    if (nbSommets < 0 || nbFaces < 0) {
        console.boiteMessage("Ton objet a un format fantaisiste !\n\n Le nombre de sommets (" +
                                 std::to_string(nbSommets) + ") et le nombre de faces (" +
                                 std::to_string(nbFaces) + ") ne peuvent pas être négatifs.",
                             TITRE_OBJET);
        return objetNul;
    }

    std::shared_ptr<Mesh> mesh;
    try {
        mesh = std::make_shared<Mesh>(std::min(nbFaces, RESERVATION_MAX), 0,
                                      std::min(nbSommets, RESERVATION_MAX), 0, "");
    } catch (const std::bad_alloc&) {
        console.boiteMessage(
            "Impossible de créer l'objet !\n\n Peut-être que tu as été gourmand en nombre de "
            "sommets ou de face ?",
            "Manque de mémoire !");
        return objetNul;
    } catch (...) {
        console.boiteMessage("Ton objet a un format fantaisiste !\n\n", TITRE_OBJET);
        return objetNul;
    }

    RGBA couleur(255.0f, 0.0f, 0.0f, 0.0f);
    for (std::size_t k = 2; k < valeurs.size(); ++k) {
        const Valeur& v = valeurs[k];
        if (v.type == T_COULEUR) {
            if (auto c = v.objet<RGBA>())
                couleur = RGBA(c->r, c->g, c->b, c->a);
            else
                console.boiteMessage(
                    "L'expression\n\n  '" + textes[k] + "'\n\nest une couleur non initialisée.",
                    "erreur de pointeur");
        } else if (v.type == T_LISTEPOINT) {
            auto points = v.objet<ListePoints>();
            if (!points) {
                console.boiteMessage("L'expression\n\n  '" + textes[k] +
                                         "'\n\nest une liste de points non initialisée.",
                                     "erreur de pointeur");
                continue;
            }
            if (points->empty()) continue;
            if (points->size() < 3) {
                // A face needs three corners for its normal; it would not draw either.
                console.boiteMessage("Une face de ton objet n'a que " +
                                         std::to_string(points->size()) + " sommet(s) :\n\n  '" +
                                         textes[k] +
                                         "'\n\nIl en faut au moins 3, elle est ignorée.",
                                     TITRE_OBJET);
                continue;
            }
            int face = mesh->ajouteFace(static_cast<int>(points->size()), 0, nullptr);
            for (const CHomoVecteur& p : *points) {
                int sommet = mesh->ajouteSommet(CVecteur(p.x, p.y, p.z), couleur);
                int normale = mesh->ajouteNormale(CVecteur(0, 0, 0));
                mesh->ajouteSommetFace(face, sommet, normale, -1);
            }
            mesh->calcNormaleFace(face);
        } else {
            verifie_expression(textes[k], T_LISTEPOINT, v.type);
        }
    }
    return Valeur::objetDe<Entite>(T_ENTITE, mesh);
}

// nom = "true" | "false" | [ "&" ] identifiant ;
//
// The identifiant is a display option's or a variable's name; with "&" the value is a
// pointeur to it.
Valeur Script::evalueNom(ChaineCurseur& c) {
    std::string nom = c.jeton(SEPARATEURS, SEPARATEURS, false);
    if (nom.empty()) {
        signaleExpressionVide();
        return valeur_nulle;
    }
    if (nom == "false") return Valeur::booleen(false);
    if (nom == "true") return Valeur::booleen(true);
    bool adresse = false;
    if (nom[0] == '&') {
        adresse = true;
        nom.erase(0, 1);
    }
    int option = nom.find('\0') == std::string::npos ? chercheOption(nom.c_str()) : -1;
    if (option >= 0) {
        if (adresse) return Valeur::objetDe(T_POINTEUR, std::make_shared<std::string>(nom));
        if (!scene) return valeur_nulle;
        return optionsAffichage[option].get(*scene, camera);
    }
    auto it = variables.find(nom);
    if (it != variables.end()) {
        if (adresse) return Valeur::objetDe(T_POINTEUR, std::make_shared<std::string>(nom));
        return it->second;
    }
    console.boiteMessage(
        "Tu te serais pas endormi sur le clavier à tout hazard ?\n\tC'est quoi çà :\n\n\t'" + nom +
            "'\n",
        TITRE_NOM_INCONNU);
    suggereNom(nom);
    return valeur_nulle;
}

void Script::suggereNom(const std::string& nom) const {
    std::vector<std::string> connus = {"true", "false"};
    for (int i = 0; i < nb_fonctions_predefinies; ++i)
        connus.emplace_back(fonctions_predefinies[i].nom);
    for (int i = 0; i < nbOptionsAffichage; ++i) connus.emplace_back(optionsAffichage[i].cle);
    for (const auto& variable : variables) connus.push_back(variable.first);
    const std::string proche = conseils::nomProche(nom, connus);
    if (!proche.empty()) conseils::note(nom + " : vouliez-vous dire " + proche + " ?");
}
