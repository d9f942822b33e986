// The console log shared by every module: standard output with ANSI colours, flushed at
// every line; a diagnostic trace on standard error; and the warning box, shown through one
// replaceable handler (modal in the window, standard error headless, a recorder in tests).
#pragma once

#include <fstream>
#include <functional>
#include <string>

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
    void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The warning box; returns once dismissed.
    void boiteMessage(const std::string& texte, const std::string& titre);

    // Replaces the box handler and returns the previous one.
    GestionnaireBoite setGestionnaireBoite(GestionnaireBoite g);
    // Counts the boxes shown since start (used by the headless check's exit status).
    int nbBoites() const { return nbBoites_; }

private:
    GestionnaireBoite gestionnaire_;
    int nbBoites_ = 0;
};

extern Console console;
// "brakmor.log" in the working directory, opened for appending before main runs.
extern std::ofstream journal;
