// A text with a read position, cut into tokens by skip and stop character sets.
#pragma once

#include <cstddef>
#include <string>

// Blank, comma, equals sign, parentheses, braces, tab and line feed.
extern const char* const SEPARATEURS;

class ChaineCurseur {
public:
    std::string texte;
    std::size_t position = 0;

    ChaineCurseur() = default;
    explicit ChaineCurseur(std::string t) : texte(std::move(t)) {}

    // Skips characters of `saut`, then returns the text up to (not including) the first
    // character of `arret` or the end. With `consomme`, the position moves past the token.
    std::string jeton(const char* saut, const char* arret, bool consomme = true);
    // Moves the position over spaces and tabs.
    void sauteBlancs();
    bool fini() const { return position >= texte.size(); }
    char courant() const { return fini() ? '\0' : texte[position]; }
};
