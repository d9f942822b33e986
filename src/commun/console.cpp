#include "commun/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "commun/lieu_lecture.h"

std::ofstream journal;
Console console;

void ouvreJournal() {
    if (!journal.is_open()) journal.open("brakmor.log", std::ios::out | std::ios::app);
}

namespace {
// Flush whenever a line ends so nothing is lost if the program is killed.
void ecrit(const char* s) {
    std::fputs(s, stdout);
    if (std::strchr(s, '\n')) std::fflush(stdout);
}

// What is kept of a box or an error line while a scene loads.
Diagnostic diagnostic(bool boite, const std::string& titre, const std::string& message) {
    Diagnostic d;
    d.boite = boite;
    d.titre = titre;
    d.message = message;
    lieuLecture::Lieu lieu;
    if (lieuLecture::lieuCourant(lieu)) {
        d.fichier = lieu.fichier;
        d.ligne = lieu.ligne;
    }
    return d;
}
}  // namespace

Console& Console::operator<<(const char* s) {
    ecrit(s ? s : "(null)");
    return *this;
}

Console& Console::operator<<(int n) {
    std::printf("%d", n);
    return *this;
}

Console& Console::operator<<(char c) {
    std::putchar(c);
    if (c == '\n') std::fflush(stdout);
    return *this;
}

Console& Console::operator<<(const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), stdout);
    if (s.find('\n') != std::string::npos) std::fflush(stdout);
    return *this;
}

void Console::erreur(const char* message) {
    std::printf("\033[31m%s\n\033[34m\033[0m", message ? message : "");
    std::fflush(stdout);
    signaleLigne(message ? message : "");
}

void Console::avertit(const std::string& message) {
    *this << message << "\n";
    signaleLigne(message);
}

void Console::note(const std::string& message) {
    *this << "note : " << message << "\n";
    lieuLecture::Lieu lieu;
    if (lieuLecture::lieuCourant(lieu)) {
        // Between statements there is none to quote.
        const std::string contexte = lieu.debut.empty() ? "" : " — " + lieu.contexte();
        std::fprintf(stderr, "%s note : %s%s\n", lieu.prefixe().c_str(), message.c_str(),
                     contexte.c_str());
        std::fflush(stderr);
    }
}

void Console::signaleLigne(const std::string& message) {
    lieuLecture::Lieu lieu;
    if (lieuLecture::lieuCourant(lieu)) {
        std::fprintf(stderr, "%s %s — %s\n", lieu.prefixe().c_str(), message.c_str(),
                     lieu.contexte().c_str());
        std::fflush(stderr);
    }
    if (lieuLecture::chargementEnCours()) diagnostics_.push_back(diagnostic(false, "", message));
}

void Console::trace(const char* format, ...) {
    char tampon[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(tampon, sizeof tampon, format, args);
    va_end(args);
    std::fprintf(stderr, "%s\n", tampon);
}

void Console::boiteMessage(const std::string& texte, const std::string& titre) {
    ++nbBoites_;
    std::fflush(stdout);
    bool enTrop = false;
    if (lieuLecture::chargementEnCours()) {
        diagnostics_.push_back(diagnostic(true, titre, texte));
        enTrop = boitesMax_ > 0 && boitesChargement_++ >= boitesMax_;
    }
    if (gestionnaire_ && !enTrop)
        gestionnaire_(texte, titre);
    else
        copieSurErreurStandard(texte, titre);
}

void Console::debutChargement() {
    diagnostics_.clear();
    boitesChargement_ = 0;
}

void Console::finChargement() {
    const long enTrop = boitesMax_ > 0 ? boitesChargement_ - boitesMax_ : 0;
    boitesChargement_ = 0;
    if (enTrop <= 0) return;
    const std::string texte = "... et " + std::to_string(enTrop) +
                              (enTrop > 1 ? " autres messages, écrits" : " autre message, écrit") +
                              " seulement sur la sortie d'erreur (avec leur ligne).";
    if (gestionnaire_)
        gestionnaire_(texte, "chargement de la scène");
    else
        copieSurErreurStandard(texte, "chargement de la scène");
}

std::string Console::texteSitue(const std::string& texte) const {
    lieuLecture::Lieu lieu;
    return lieuLecture::lieuCourant(lieu) ? lieu.enTete() + "\n" + texte : texte;
}

void Console::copieSurErreurStandard(const std::string& texte, const std::string& titre) const {
    lieuLecture::Lieu lieu;
    if (lieuLecture::lieuCourant(lieu))
        std::fprintf(stderr, "%s [%s] %s\n%s\n", lieu.prefixe().c_str(), titre.c_str(),
                     lieu.contexte().c_str(), texte.c_str());
    else
        std::fprintf(stderr, "[%s] %s\n", titre.c_str(), texte.c_str());
    std::fflush(stderr);
}

Console::GestionnaireBoite Console::setGestionnaireBoite(GestionnaireBoite g) {
    GestionnaireBoite ancien = std::move(gestionnaire_);
    gestionnaire_ = std::move(g);
    return ancien;
}
