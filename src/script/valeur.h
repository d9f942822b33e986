// Script values: a type code and a payload. Object payloads are shared through reference
// counting: copies of a value share one cell, so destroying the object through one copy
// (detruit) leaves every copy holding a null payload of its type, never a dangling one.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "geometrie/vecteur.h"

enum TypeValeur : int32_t {
    T_VOID = 0,
    T_INT = 1,
    T_FLOAT = 2,
    T_BOOL = 3,
    T_ENTITE = 4,
    T_STRING = 5,
    T_POINT = 6,
    T_LISTEPOINT = 7,
    T_COULEUR = 8,
    T_TEXTURE = 9,
    T_MATRICE = 10,
    T_POINTEUR = 11,
    T_INSTANCE = 12,
    T_MATERIAL = 13,
};

// Holds the shared object; every copy of a value points at the same cell.
struct CelluleValeur {
    std::shared_ptr<void> objet;
};

using ListePoints = std::list<CHomoVecteur>;

struct Valeur {
    int32_t type = T_VOID;
    union {
        int32_t i;
        float f;
        uint32_t bits;
    } scalaire{0};
    std::shared_ptr<CelluleValeur> cellule;  // object types only

    static Valeur entier(int32_t v) {
        Valeur r;
        r.type = T_INT;
        r.scalaire.i = v;
        return r;
    }
    static Valeur reel(float v) {
        Valeur r;
        r.type = T_FLOAT;
        r.scalaire.f = v;
        return r;
    }
    static Valeur booleen(bool v) {
        Valeur r;
        r.type = T_BOOL;
        r.scalaire.bits = v ? 1u : 0u;
        return r;
    }
    // An object value of the given type; `objet` may be null. For T_ENTITE the pointer must
    // be a shared_ptr<Entite>, for T_INSTANCE a shared_ptr<Instance> (base types), so that
    // objet<T>() reads it back with the same type.
    template <class T>
    static Valeur objetDe(int32_t type, std::shared_ptr<T> objet) {
        Valeur v;
        v.type = type;
        v.cellule = std::make_shared<CelluleValeur>();
        v.cellule->objet = std::static_pointer_cast<void>(std::move(objet));
        return v;
    }

    bool estObjet() const { return type >= T_ENTITE && type <= T_MATERIAL; }
    bool booleenVal() const { return (scalaire.bits & 0xff) != 0; }
    // The shared object (null when none or when destroyed).
    template <class T>
    std::shared_ptr<T> objet() const {
        if (!cellule) return nullptr;
        return std::static_pointer_cast<T>(cellule->objet);
    }
    const void* adresse() const { return cellule ? cellule->objet.get() : nullptr; }
};

// Type keyword, or "type inconnu !".
std::string nom_type(int32_t type);
// Text of a value for messages.
std::string texte_valeur(const Valeur& v);
bool valeurs_egales(const Valeur& a, const Valeur& b);
// Releases the shared object for every holder of this value; the type stays.
void detruit_valeur(Valeur& v);
