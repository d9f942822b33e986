// Reporting failures that happen again and again (every frame, every callback) without
// flooding the console: each distinct message goes out once, in red. The guard runs a piece
// of work and turns whatever it throws (a standard exception, a C string, anything else)
// into such a report, so nothing escapes to the event loop.
#pragma once

#include <set>
#include <string>
#include <utility>

class SignaleurUneFois {
public:
    // Writes the message through console.erreur the first time it is seen; true if written.
    bool signale(const std::string& message);
    // Forgets what was reported (a new scene may fail the same way again).
    void oublie() { vus_.clear(); }

private:
    std::set<std::string> vus_;
};

// The report of the exception being handled: `prefixe` followed by what() of a standard
// exception or by a thrown C string; `inconnu` alone for anything else. Call it only inside a
// catch block.
std::string texteExceptionCourante(const std::string& prefixe, const std::string& inconnu);

// Runs f; a failure is reported once, worded as texteExceptionCourante says. Returns false
// when f threw.
template <class F>
bool protege(SignaleurUneFois& signaleur, const std::string& prefixe, const std::string& inconnu,
             F&& f) {
    try {
        std::forward<F>(f)();
        return true;
    } catch (...) {
        signaleur.signale(texteExceptionCourante(prefixe, inconnu));
        return false;
    }
}

// The reports of the window's callbacks, shared by all of them.
SignaleurUneFois& signaleurRappels();

// Guards a window callback: a failure is reported once as "<ou> : <text>" and the program
// runs on.
template <class F>
void protegeRappel(const char* ou, F&& f) {
    const std::string prefixe = std::string(ou) + " : ";
    protege(signaleurRappels(), prefixe, prefixe + "erreur inconnue", std::forward<F>(f));
}
