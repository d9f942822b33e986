#include "commun/texte.h"

namespace texte {

DecodeurUtf8::Resultat DecodeurUtf8::ajoute(unsigned char o) {
    if (reste_ == 0) {
        bas_ = 0x80;
        haut_ = 0xBF;
        if (o < 0x80) {
            point_ = o;
            return Caractere;
        }
        if (o >= 0xC2 && o <= 0xDF) {
            reste_ = 1;
            point_ = o & 0x1Fu;
        } else if (o >= 0xE0 && o <= 0xEF) {
            reste_ = 2;
            point_ = o & 0x0Fu;
            if (o == 0xE0) bas_ = 0xA0;   // overlong
            if (o == 0xED) haut_ = 0x9F;  // surrogates
        } else if (o >= 0xF0 && o <= 0xF4) {
            reste_ = 3;
            point_ = o & 0x07u;
            if (o == 0xF0) bas_ = 0x90;   // overlong
            if (o == 0xF4) haut_ = 0x8F;  // above U+10FFFF
        } else {
            return Invalide;
        }
        return Attente;
    }
    if (o < bas_ || o > haut_) {
        reste_ = 0;
        return Invalide;
    }
    bas_ = 0x80;
    haut_ = 0xBF;
    point_ = (point_ << 6) | (o & 0x3Fu);
    return --reste_ == 0 ? Caractere : Attente;
}

bool estUtf8(std::string_view octets) {
    DecodeurUtf8 d;
    for (char c : octets)
        if (d.ajoute(static_cast<unsigned char>(c)) == DecodeurUtf8::Invalide) return false;
    return !d.enCours();
}

char32_t depuisWindows1252(unsigned char o) {
    static const char16_t de80a9F[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return o >= 0x80 && o <= 0x9F ? de80a9F[o - 0x80] : o;
}

void ajouteUtf8(std::string& sortie, char32_t c) {
    if (c < 0x80) {
        sortie += static_cast<char>(c);
    } else if (c < 0x800) {
        sortie += static_cast<char>(0xC0 | (c >> 6));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        sortie += static_cast<char>(0xE0 | (c >> 12));
        sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        sortie += static_cast<char>(0xF0 | (c >> 18));
        sortie += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string versUtf8(std::string_view octets) {
    if (estUtf8(octets)) return std::string(octets);
    std::string sortie;
    sortie.reserve(octets.size() + octets.size() / 2);
    for (char c : octets) ajouteUtf8(sortie, depuisWindows1252(static_cast<unsigned char>(c)));
    return sortie;
}

Utf16 detecteUtf16(std::string_view debut, std::size_t& marque) {
    marque = 0;
    if (debut.size() >= 2) {
        const auto a = static_cast<unsigned char>(debut[0]),
                   b = static_cast<unsigned char>(debut[1]);
        marque = 2;
        if (a == 0xFF && b == 0xFE) return Utf16::PetitBoutiste;
        if (a == 0xFE && b == 0xFF) return Utf16::GrandBoutiste;
        marque = 0;
    }
    // Without a mark: three units in four with a zero byte on the same side and only there.
    // Nothing else is read so: a zero byte is no character of a scene file, and a run of
    // zero bytes has them on both sides.
    std::size_t unites = 0, zeroPair = 0, zeroImpair = 0;
    for (std::size_t i = 0; i + 1 < debut.size(); i += 2, ++unites) {
        const bool pair = debut[i] == 0, impair = debut[i + 1] == 0;
        if (pair && !impair) ++zeroPair;
        if (impair && !pair) ++zeroImpair;
    }
    if (unites == 0) return Utf16::Non;
    if (zeroImpair * 4 >= unites * 3) return Utf16::PetitBoutiste;
    if (zeroPair * 4 >= unites * 3) return Utf16::GrandBoutiste;
    return Utf16::Non;
}

const char* nomUtf16(Utf16 sens) {
    return sens == Utf16::GrandBoutiste ? "UTF-16 grand-boutiste" : "UTF-16 petit-boutiste";
}

void DecodeurUtf16::ajoute(std::string_view octets, std::string& sortie) {
    for (const char c : octets) {
        const auto o = static_cast<unsigned char>(c);
        if (octet_ < 0) {
            octet_ = o;
            continue;
        }
        const auto unite =
            static_cast<char16_t>(grandBoutiste_ ? (octet_ << 8) | o : (o << 8) | octet_);
        octet_ = -1;
        if (haut_ != 0) {
            if (unite >= 0xDC00 && unite <= 0xDFFF) {
                ajouteUtf8(sortie, 0x10000 + ((char32_t(haut_) - 0xD800) << 10) + (unite - 0xDC00));
                haut_ = 0;
                continue;
            }
            ajouteUtf8(sortie, 0xFFFD);
            haut_ = 0;
        }
        if (unite >= 0xD800 && unite <= 0xDBFF)
            haut_ = unite;
        else
            ajouteUtf8(sortie, unite >= 0xDC00 && unite <= 0xDFFF ? 0xFFFD : unite);
    }
}

void DecodeurUtf16::termine(std::string& sortie) {
    if (haut_ != 0 || octet_ >= 0) ajouteUtf8(sortie, 0xFFFD);
    haut_ = 0;
    octet_ = -1;
}

std::string depuisUtf16(std::string_view octets, Utf16 sens) {
    std::string sortie;
    sortie.reserve(octets.size());
    DecodeurUtf16 decodeur(sens);
    decodeur.ajoute(octets, sortie);
    decodeur.termine(sortie);
    return sortie;
}

bool estLettre(char32_t c) {
    if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;  // ª µ º
    if (c >= 0xC0 && c <= 0xFF) return c != 0xD7 && c != 0xF7;
    // Latin Extended-A and -B, Latin Extended Additional: letters only.
    return (c >= 0x100 && c <= 0x24F) || (c >= 0x1E00 && c <= 0x1EFF);
}

}  // namespace texte
