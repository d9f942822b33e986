// The table of the scene language's builtin functions, each row with its whole signature:
// the evaluator checks a call against it before the handler runs.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "script/valeur.h"

class Script;
class Entite;

// The set bit of one type code, for the sets of accepted types.
constexpr uint32_t bitType(int32_t type) { return 1u << type; }
constexpr uint32_t TOUS_LES_TYPES = (1u << (T_MATERIAL + 1)) - 1;

// What a null object in an argument does to the call.
enum class Nul : uint8_t {
    Refuse,   // a box ("erreur de pointeur"), and the call fails
    Accepte,  // handed to the builtin as it is
    Ignore,   // the call does nothing and says nothing
};

// The class an entity argument must be of.
// Bras: any arm, the four-joint one or one read from a robot description.
enum class Classe : uint8_t { Toute, Mesh, Robot, Bras, ZoneMetaball };

// One argument of a builtin.
struct Parametre {
    int32_t type = T_VOID;  // the expected type, named in the messages
    uint32_t acceptes = 0;  // the accepted types: others than `type` are converted to it where a
                            // conversion exists (int to float, an object to its matrix)
    bool adresse = false;   // written &variable: checked against the variable
    Nul nul = Nul::Refuse;  // for object types only
    const char* texteNul = nullptr;     // the box for a null object; null: the common text
    Classe classe = Classe::Toute;      // for entities only
    const char* texteClasse = nullptr;  // the box ("erreur de type") for another class

    constexpr Parametre siNul(Nul regle, const char* texte = nullptr) const {
        Parametre p = *this;
        p.nul = regle;
        p.texteNul = texte;
        return p;
    }
    constexpr Parametre deClasse(Classe c, const char* texte) const {
        Parametre p = *this;
        p.classe = c;
        p.texteClasse = texte;
        return p;
    }
};

// An argument passed as a value, of `type` or of one of `autres` (converted).
constexpr Parametre parValeur(int32_t type, uint32_t autres = 0) {
    return Parametre{type, bitType(type) | autres};
}
// An argument written &variable, the variable holding a `type` or one of `autres`.
constexpr Parametre parAdresse(int32_t type, uint32_t autres = 0) {
    Parametre p = parValeur(type, autres);
    p.adresse = true;
    return p;
}

// One builtin: its name, its handler and its signature. Rows are written as
// {name, handler, parameters, failure result type}, with the modifiers below where needed.
struct FonctionPredefinie {
    using Gestionnaire = Valeur (Script::*)(const std::vector<Valeur>& arguments);
    // The row a call on this arm is checked against (count and types), built from `ligne`.
    using SelonBras = FonctionPredefinie (*)(const FonctionPredefinie& ligne, const Entite& bras);

    char nom[32] = {};
    Gestionnaire fonction = nullptr;
    int32_t nb_parametres = 0;   // -1: any count, every argument described by parametres[0]
    int32_t nb_minimum = 0;      // fewer arguments than nb_parametres: the last ones left out
    bool dernierRepete = false;  // the last parameter may be given any number of times (≥ 1)
    const Parametre* parametres = nullptr;
    int32_t echec = T_VOID;        // type of the null result of a failed type check
    int32_t echecObjet = T_VOID;   // the same for a refused null object or class
    bool typesDansLOrdre = false;  // types checked from the first argument (else the last)
    // Non-null: the first argument is an arm whose joints set the signature of the rest.
    SelonBras selonBras = nullptr;

    template <std::size_t N, std::size_t M>
    constexpr FonctionPredefinie(const char (&nom_)[N], Gestionnaire f,
                                 const std::array<Parametre, M>& p, int32_t echec_)
        : fonction(f),
          nb_parametres(static_cast<int32_t>(std::size(p))),
          nb_minimum(nb_parametres),
          parametres(p.data()),
          echec(echec_),
          echecObjet(echec_) {
        static_assert(N <= sizeof(nom), "builtin name too long");
        for (std::size_t i = 0; i < N; ++i) nom[i] = nom_[i];
    }
    // Any number of arguments, all described by the one parameter.
    constexpr FonctionPredefinie quelconque() const {
        FonctionPredefinie r = *this;
        r.nb_parametres = -1;
        return r;
    }
    // The last k parameters may be left out.
    constexpr FonctionPredefinie facultatifs(int32_t k) const {
        FonctionPredefinie r = *this;
        r.nb_minimum = nb_parametres - k;
        return r;
    }
    // The last parameter describes every argument from its position on, at least one.
    constexpr FonctionPredefinie repeteDernier() const {
        FonctionPredefinie r = *this;
        r.dernierRepete = true;
        return r;
    }
    // Whether a call may give n arguments.
    constexpr bool accepteNombre(int32_t n) const {
        if (nb_parametres < 0) return true;
        return n >= nb_minimum && (n <= nb_parametres || dernierRepete);
    }
    // Another failure result for a refused null object or class.
    constexpr FonctionPredefinie siObjetRefuse(int32_t type) const {
        FonctionPredefinie r = *this;
        r.echecObjet = type;
        return r;
    }
    // Types checked from the first argument.
    constexpr FonctionPredefinie dansLOrdre() const {
        FonctionPredefinie r = *this;
        r.typesDansLOrdre = true;
        return r;
    }
    // The signature depends on the arm given first: `s` gives it. Until the arm is known,
    // any count from one on passes.
    constexpr FonctionPredefinie selon(SelonBras s) const {
        FonctionPredefinie r = *this;
        r.selonBras = s;
        return r;
    }
    // Whether a call may give n arguments before its arm is known.
    constexpr bool accepteNombreAvantBras(int32_t n) const {
        return selonBras ? n >= 1 : accepteNombre(n);
    }
    // The description of argument i (0-based).
    const Parametre& parametre(int i) const {
        return parametres[nb_parametres < 0 ? 0 : std::min(i, nb_parametres - 1)];
    }
};

extern const FonctionPredefinie fonctions_predefinies[];
extern const int nb_fonctions_predefinies;

// Row index of the builtin with exactly this name, or -1.
int chercheFonction(const std::string& nom);
