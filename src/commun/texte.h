// Text encodings: scene files come in UTF-8 or in Latin-1 (Windows-1252), the interpreter and
// every output (messages, the JSON dump) work in UTF-8. These helpers check UTF-8, convert
// Windows-1252 to it and tell which characters are letters for names.
#pragma once

#include <string>
#include <string_view>

namespace texte {

// Reads UTF-8 one byte at a time, refusing overlong forms, surrogates and code points above
// U+10FFFF.
class DecodeurUtf8 {
public:
    enum Resultat { Caractere, Attente, Invalide };
    // Caractere: a character ends with this byte (caractere()); Attente: more bytes are due;
    // Invalide: the byte cannot come here (the sequence under way is dropped).
    Resultat ajoute(unsigned char octet);
    char32_t caractere() const { return point_; }
    bool enCours() const { return reste_ > 0; }
    void reinitialise() { reste_ = 0; }

private:
    char32_t point_ = 0;
    int reste_ = 0;                           // continuation bytes still due
    unsigned char bas_ = 0x80, haut_ = 0xBF;  // the range allowed for the next one
};

bool estUtf8(std::string_view octets);
// The character a Windows-1252 byte stands for (the five unassigned codes keep their value).
char32_t depuisWindows1252(unsigned char octet);
void ajouteUtf8(std::string& sortie, char32_t c);
// The bytes unchanged when they are UTF-8, otherwise read as Windows-1252 and converted.
std::string versUtf8(std::string_view octets);
// A non-ASCII letter that may appear in a name: the letters of Latin-1 (not × or ÷) and of
// the Latin extensions.
bool estLettre(char32_t c);

}  // namespace texte
