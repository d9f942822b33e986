#include "commun/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

std::ofstream journal("brakmor.log", std::ios::out | std::ios::app);
Console console;

namespace {
// Flush whenever a line ends so nothing is lost if the program is killed.
void ecrit(const char* s) {
    std::fputs(s, stdout);
    if (std::strchr(s, '\n')) std::fflush(stdout);
}

void boiteSurErreurStandard(const std::string& texte, const std::string& titre) {
    std::fprintf(stderr, "[%s] %s\n", titre.c_str(), texte.c_str());
    std::fflush(stderr);
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
    if (gestionnaire_)
        gestionnaire_(texte, titre);
    else
        boiteSurErreurStandard(texte, titre);
}

Console::GestionnaireBoite Console::setGestionnaireBoite(GestionnaireBoite g) {
    GestionnaireBoite ancien = std::move(gestionnaire_);
    gestionnaire_ = std::move(g);
    return ancien;
}
