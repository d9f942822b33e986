// The console log shared by every module: standard output with ANSI colours, flushed at
// every line; a diagnostic trace on standard error; and the warning box, shown through one
// replaceable handler (modal in the window, standard error headless, a recorder in tests).
// While a scene file is read, every box and error line is also placed: the handlers can head
// a box with its place (texteSitue), and a placed error line is copied to standard error as
// "fichier:ligne: message" so that editors can jump to it.
#pragma once

#include <fstream>
#include <functional>
#include <string>
#include <vector>

// A box or an error line reported while a scene loaded, for the headless check and the dump.
struct Diagnostic {
    bool boite = false;   // a box; otherwise a console line
    std::string fichier;  // the scene file being read, empty when not placed
    int ligne = 0;        // the line where its statement begins, 0 when not placed
    std::string titre;    // a box's title
    std::string message;
};

class Console {
public:
    using GestionnaireBoite =
        std::function<void(const std::string& texte, const std::string& titre)>;

    Console& operator<<(const char* s);
    Console& operator<<(int n);
    Console& operator<<(char c);
    Console& operator<<(const std::string& s);
    // The message in red on a line of its own, then the terminal back to its defaults.
    void erreur(const char* message);
    void erreur(const std::string& message) { erreur(message.c_str()); }
    // A fault reported on a plain console line (the message and a line end, no colour);
    // placed and kept like an error line.
    void avertit(const std::string& message);
    // Something the author may not expect, though it is no error: "note : " and the message
    // on a plain console line, placed on standard error like an error line, but neither kept
    // among the diagnostics nor counted (a check it appears in still passes).
    void note(const std::string& message);
    void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The warning box; returns once dismissed.
    void boiteMessage(const std::string& texte, const std::string& titre);

    // Replaces the box handler and returns the previous one. A handler receives the
    // message as the program words it; while it runs, the two calls below add the place.
    GestionnaireBoite setGestionnaireBoite(GestionnaireBoite g);
    // The box text as shown: headed by its place in the scene file when there is one.
    std::string texteSitue(const std::string& texte) const;
    // The standard-error copy of a box: "[titre] texte", or, when placed,
    // "fichier:ligne: [titre] « statement », inclus depuis ..." and the text on the next lines.
    void copieSurErreurStandard(const std::string& texte, const std::string& titre) const;
    // Counts the boxes shown since start (used by the headless check's exit status).
    int nbBoites() const { return nbBoites_; }
    // The boxes and error lines of the last scene load, in order.
    const std::vector<Diagnostic>& diagnostics() const { return diagnostics_; }
    void effaceDiagnostics() { diagnostics_.clear(); }

    // At most `n` boxes of one scene load reach the handler (0: no limit). The others are
    // still counted and kept, and go to standard error only; when the load ends, one more box
    // says how many there were.
    void limiteBoitesParChargement(int n) { boitesMax_ = n; }
    // A scene load begins (the record starts afresh) and ends (the closing box, if due).
    void debutChargement();
    void finChargement();

private:
    // Places an error line on standard error and keeps it while a scene loads.
    void signaleLigne(const std::string& message);

    GestionnaireBoite gestionnaire_;
    int nbBoites_ = 0;
    int boitesMax_ = 0;
    long boitesChargement_ = 0;  // boxes of the load under way
    std::vector<Diagnostic> diagnostics_;
};

extern Console console;
// The program's log, "brakmor.log" in the working directory once ouvreJournal has opened it
// for appending; until then what is written to it goes nowhere, so that a library user (the
// Python module, the tests) leaves no such file behind.
extern std::ofstream journal;
void ouvreJournal();
