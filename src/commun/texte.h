// Text encodings: scene files come in UTF-8, in Latin-1 (Windows-1252) or in UTF-16, the
// interpreter and every output (messages, the JSON dump) work in UTF-8. These helpers check
// UTF-8, recognise UTF-16, convert both others to UTF-8 and tell which characters are letters
// for names.
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
// UTF-16 in either byte order, recognised by its byte-order mark or, without one, by the
// zero byte that most characters of a text in a Latin script have on the same side.
enum class Utf16 { Non, PetitBoutiste, GrandBoutiste };
// What the first bytes of a file (a few kilobytes are enough) say; `marque` receives the
// length of the byte-order mark (2, or 0 without one).
Utf16 detecteUtf16(std::string_view debut, std::size_t& marque);
// "UTF-16 petit-boutiste" or "UTF-16 grand-boutiste", for messages.
const char* nomUtf16(Utf16 sens);

// Reads UTF-16 a block at a time (a character may straddle two blocks), writing UTF-8. A lone
// surrogate, and an odd byte at the end, become U+FFFD.
class DecodeurUtf16 {
public:
    explicit DecodeurUtf16(Utf16 sens) : grandBoutiste_(sens == Utf16::GrandBoutiste) {}
    void ajoute(std::string_view octets, std::string& sortie);
    // The end of the text: whatever is left half-read.
    void termine(std::string& sortie);

private:
    bool grandBoutiste_;
    int octet_ = -1;     // the first byte of a unit, while the second is due
    char16_t haut_ = 0;  // a high surrogate, while its low one is due
};

// A whole UTF-16 text (without its byte-order mark) as UTF-8.
std::string depuisUtf16(std::string_view octets, Utf16 sens);

// A non-ASCII letter that may appear in a name: the letters of Latin-1 (not × or ÷) and of
// the Latin extensions.
bool estLettre(char32_t c);

}  // namespace texte
