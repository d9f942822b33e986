// The scene-script interpreter: reads a scene file statement by statement, evaluates
// assignments and builtin calls into script values, and hands the objects left in its
// variables over to the scene once the file has been read.
#pragma once

#include <cstdint>
#include <deque>
#include <istream>
#include <map>
#include <string>
#include <vector>

#include "script/chaine_curseur.h"
#include "script/valeur.h"

class CScene;
struct Camera;

class Script {
public:
    std::deque<Valeur> pile_param;
    std::map<std::string, Valeur> variables;
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
    // Reads the program's command line and loads the scene it names (0, or 3 on failure).
    int lireLigneCommande(int argc, char** argv);

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
    void inclure(ChaineCurseur& instruction);

    // Evaluation.
    void execute_instruction(ChaineCurseur& instruction);
    Valeur evalue(ChaineCurseur& c);
    bool lit_arguments(const ChaineCurseur& c, std::vector<std::string>& arguments);
    std::vector<Valeur> evalue_liste(const std::vector<std::string>& textes);
    bool verifie_nb_parametres(int fonction, int nb);
    bool verifie_affectation(const std::string& nom, int32_t typeOption, int32_t typeValeur);
    bool verifie_expression(const std::string& texte, int32_t attendu, int32_t reel);

    // Argument checks of the builtins; `position` is 1-based.
    bool verifie_parametre(int fonction, int position, int32_t attendu, Valeur& v);
    bool dereference_parametre(int fonction, int position, int32_t attendu, Valeur& v);

    // The builtins, in table order (handlers take the row index and the argument count).
    Valeur instancieEntite(int fonction, int nb);
    Valeur chargeWaveFront(int fonction, int nb);
    Valeur insertLumiere(int fonction, int nb);
    Valeur detruit(int fonction, int nb);
    Valeur rgb(int fonction, int nb);
    Valeur rgba(int fonction, int nb);
    Valeur matrice(int fonction, int nb);
    Valeur chargeTexture(int fonction, int nb);
    Valeur setMatrice(int fonction, int nb);
    Valeur scale(int fonction, int nb);
    Valeur rotate(int fonction, int nb);
    Valeur translate(int fonction, int nb);
    Valeur matriceScale(int fonction, int nb);
    Valeur matriceTranslate(int fonction, int nb);
    Valeur matriceRotate(int fonction, int nb);
    Valeur setTexture(int fonction, int nb);
    Valeur creerMaterial(int fonction, int nb);
    Valeur setMaterial(int fonction, int nb);
    Valeur robot(int fonction, int nb);
    Valeur setRobotReperes(int fonction, int nb);
    Valeur setRobotCoordArticulaires(int fonction, int nb);
    Valeur setRobotPrecisionProgrammeMGI(int fonction, int nb);
    Valeur metaballzone(int fonction, int nb);
    Valeur addMetaballEx(int fonction, int nb);
    Valeur subitGravite(int fonction, int nb);

private:
    std::vector<std::string> fichiersEnCours_;  // include chain, canonical names
    std::string instructionCourante_;           // for messages about empty expressions
    int profondeurExpression_ = 0;
    bool abandon_ = false;  // the statement went too deep: the rest of it is skipped
    int compteurMetaball_ = 0;

    Valeur appelle(int fonction, ChaineCurseur& c);
    Valeur evalueLitteral(ChaineCurseur& c);
    Valeur evalueObjet(const std::vector<std::string>& textes);
    Valeur evalueNom(ChaineCurseur& c);
    void signaleExpressionVide();
    // Pops the handler's arguments, last first, into a vector in argument order.
    std::vector<Valeur> depileArguments(int nb);
    // One expected argument: a value of `type`, or with `adresse` a pointer to a variable
    // of that type.
    struct Attendu {
        int32_t type;
        bool adresse;
    };
    // Checks the arguments against the expected list, from the last to the first (from the
    // first with `dansLOrdre`), stopping at the first failure.
    bool verifieArguments(int fonction, std::vector<Valeur>& arguments,
                          const std::vector<Attendu>& attendus, bool dansLOrdre = false);
    // A null object where the handler needs one: reported, false.
    bool exigeObjet(int fonction, int position, const Valeur& v);
};
