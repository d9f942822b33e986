// The scene-script interpreter: reads a scene file statement by statement, evaluates
// assignments and builtin calls into script values, and hands the objects left in its
// variables over to the scene once the file has been read.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <istream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "script/chaine_curseur.h"
#include "script/valeur.h"

class CScene;
struct Camera;
struct FonctionPredefinie;
struct Parametre;

class Script {
public:
    std::deque<Valeur> pile_param;
    std::map<std::string, Valeur> variables;
    // The variables whose entity the load handed to the scene (and took out of `variables`),
    // with the entity's address: the names the scene file gives them.
    std::map<std::string, const void*> entitesRemises;
    char* tampon = nullptr;  // statement buffer, present while a file is read
    const Valeur valeur_nulle;
    std::string repertoire;  // directory of the scene file, for include and relative paths
    CScene* scene;
    Camera* camera;

    static constexpr int TAILLE_TAMPON = 1024;
    // Includes nested deeper than this are refused.
    static constexpr int PROFONDEUR_INCLUSION_MAX = 16;
    // Expressions nested deeper than this (brackets, calls) are refused.
    static constexpr int PROFONDEUR_EXPRESSION_MAX = 64;

    Script(CScene* scene, Camera* camera);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // Loads a scene file: 0 loaded, 2 no statement buffer, 3 unreadable file.
    int charge(const char* nomFichier);
    // Loads a scene from a text, read as a file of `dossier` would be (its includes, meshes
    // and textures are looked for there) and named NOM_TEXTE in messages: 0 or 2.
    int chargeTexte(const std::string& texte, const std::string& dossier);
    static constexpr const char* NOM_TEXTE = "<texte>";
    // Reads the program's command line and loads the scene it names (0, or 3 on failure).
    int lireLigneCommande(int argc, char** argv);
    // The files the last load depends on, each once, in the order it met them: the scene
    // file, the files it includes (read or not), the mesh files and the material libraries
    // read, the texture files found. What a reload watches and what no output may replace.
    const std::vector<std::string>& fichiersLus() const { return fichiersLus_; }
    // Records a file the load depends on (nothing when already recorded).
    void noteFichier(const std::string& chemin);

    // Resets the scene and releases every variable.
    void vide();
    // Adds the variable when the name is free; false (nothing changed) otherwise.
    bool definit_variable(const std::string& nom, const Valeur& valeur);

    void empile(const Valeur& v) { pile_param.push_back(v); }
    Valeur depile();

    // Reader.
    bool aux_lit_fichier(const std::string& nomFichier);
    void execute_flux(std::istream& flux);
    bool lit_instruction(std::istream& flux, ChaineCurseur& instruction);
    // Where a statement likely lacks its ';': the line that could have ended it and the
    // line where it went on with what begins another statement; 0 when it does not.
    struct SansPointVirgule {
        int ligne = 0, suite = 0;
    };
    // The placed hint that a ';' is likely missing (none when s.ligne is 0).
    static void noteSansPointVirgule(const SansPointVirgule& s);
    void inclure(ChaineCurseur& instruction);

    // Evaluation.
    void execute_instruction(ChaineCurseur& instruction);
    Valeur evalue(ChaineCurseur& c);
    bool lit_arguments(const ChaineCurseur& c, std::vector<std::string>& arguments);
    std::vector<Valeur> evalue_liste(const std::vector<std::string>& textes);
    bool verifie_nb_parametres(int fonction, int nb);
    // The same against a row's own counts (a row chosen for the call's arm).
    bool verifie_nb_parametres(const FonctionPredefinie& f, int nb);
    bool verifie_affectation(const std::string& nom, int32_t typeOption, int32_t typeValeur);
    bool verifie_expression(const std::string& texte, int32_t attendu, int32_t reel);

    // Argument checks of the builtins against their row; `position` is 1-based. An accepted
    // value is converted in place to the expected type.
    bool verifie_parametre(const FonctionPredefinie& f, int position, const Parametre& p,
                           Valeur& v);
    bool dereference_parametre(const FonctionPredefinie& f, int position, const Parametre& p,
                               Valeur& v);
    // Checks a call's arguments against the row's signature: every type first (from the
    // last argument, or from the first where the row says so), then, from the first, null
    // and wrongly classed objects. On the first failure its box is shown (none for a null
    // the row ignores), `echec` receives the row's failure result, and false is returned.
    bool verifie_signature(const FonctionPredefinie& f, std::vector<Valeur>& arguments,
                           Valeur& echec);

    // The builtins, in table order. Each receives its arguments checked against its row.
    Valeur instancieEntite(const std::vector<Valeur>& a);
    Valeur chargeWaveFront(const std::vector<Valeur>& a);
    Valeur insertLumiere(const std::vector<Valeur>& a);
    Valeur detruit(const std::vector<Valeur>& a);
    Valeur rgb(const std::vector<Valeur>& a);
    Valeur rgba(const std::vector<Valeur>& a);
    Valeur matrice(const std::vector<Valeur>& a);
    Valeur chargeTexture(const std::vector<Valeur>& a);
    Valeur setMatrice(const std::vector<Valeur>& a);
    Valeur scale(const std::vector<Valeur>& a);
    Valeur rotate(const std::vector<Valeur>& a);
    Valeur translate(const std::vector<Valeur>& a);
    Valeur matriceScale(const std::vector<Valeur>& a);
    Valeur matriceTranslate(const std::vector<Valeur>& a);
    Valeur matriceRotate(const std::vector<Valeur>& a);
    Valeur setTexture(const std::vector<Valeur>& a);
    Valeur creerMaterial(const std::vector<Valeur>& a);
    Valeur setMaterial(const std::vector<Valeur>& a);
    Valeur robot(const std::vector<Valeur>& a);
    Valeur setRobotReperes(const std::vector<Valeur>& a);
    Valeur setRobotCoordArticulaires(const std::vector<Valeur>& a);
    Valeur robotURDF(const std::vector<Valeur>& a);
    Valeur setRobotPrecisionProgrammeMGI(const std::vector<Valeur>& a);
    Valeur metaballzone(const std::vector<Valeur>& a);
    Valeur addMetaballEx(const std::vector<Valeur>& a);
    Valeur subitGravite(const std::vector<Valeur>& a);
    // Robot commands queued in order, run by the robot's motion steps (fonctions_mouvement.cpp).
    Valeur deplaceArticulaire(const std::vector<Valeur>& a);
    Valeur deplacePoignet(const std::vector<Valeur>& a);
    Valeur saisis(const std::vector<Valeur>& a);
    Valeur lache(const std::vector<Valeur>& a);
    Valeur attends(const std::vector<Valeur>& a);
    // The profile of the robot's moves queued after it: "constant", "trapeze", "quintique".
    Valeur setRobotProfil(const std::vector<Valeur>& a);

private:
    std::vector<std::string> fichiersLus_;
    std::set<std::string> fichiersNotes_;       // fichiersLus_, for the look-up
    std::vector<std::string> fichiersEnCours_;  // include chain, canonical names
    std::string instructionCourante_;           // for messages about empty expressions
    int profondeurExpression_ = 0;
    bool abandon_ = false;  // the statement went too deep: the rest of it is skipped
    int compteurMetaball_ = 0;
    SansPointVirgule sansPointVirgule_;  // of the statement just read

    // Runs the scene file with a statement buffer made for it: 0, 2 when the buffer
    // cannot be had, 3 when the file cannot be read (the variables are then released).
    int litAvecTampon(const std::function<bool()>& lecture);
    // A load: the record of its files and reports, the scene's folder, the reading, then
    // the objects handed over to the scene.
    int chargeDepuis(const std::string& nom, const std::string& dossier,
                     const std::function<bool()>& lecture);
    // Reads one source already opened, named `nom` in messages and `canonique` in the
    // include chain, in its own encoding.
    bool litSource(std::streambuf& source, const std::string& canonique, const std::string& nom);
    Valeur appelle(int fonction, ChaineCurseur& c);
    // Pops the call's arguments, checks them against the row and runs its handler. A failed
    // check gives the row's failure result; an exception of the handler, a box and void.
    Valeur executeFonction(const FonctionPredefinie& f, int nb);
    Valeur evalueLitteral(ChaineCurseur& c);
    Valeur evalueObjet(const std::vector<std::string>& textes);
    Valeur evalueNom(ChaineCurseur& c);
    // After the box of an unknown name: the known name nearest to it, if one is near.
    void suggereNom(const std::string& nom) const;
    void signaleExpressionVide();
    // Pops a call's arguments, last first, into a vector in argument order.
    std::vector<Valeur> depileArguments(int nb);
    // The box for a null object the row refuses.
    void signaleObjetNul(const FonctionPredefinie& f, int position, const Parametre& p);
};
