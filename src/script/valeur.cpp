// Script values: type keywords, message texts, identity comparison and destruction.
#include "script/valeur.h"

#include <cstdio>

#include "geometrie/entite.h"

namespace {
std::string formate(const char* format, double v) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, format, v);
    return tampon;
}
}  // namespace

std::string nom_type(int32_t type) {
    switch (type) {
        case T_VOID: return "void";
        case T_INT: return "int";
        case T_FLOAT: return "float";
        case T_BOOL: return "bool";
        case T_ENTITE: return "entite";
        case T_STRING: return "string";
        case T_POINT: return "point";
        case T_LISTEPOINT: return "listepoint";
        case T_COULEUR: return "couleur";
        case T_TEXTURE: return "texture";
        case T_MATRICE: return "matrice";
        case T_POINTEUR: return "pointeur";
        case T_INSTANCE: return "instance";
        case T_MATERIAL: return "material";
        default: return "type inconnu !";
    }
}

std::string texte_valeur(const Valeur& v) {
    switch (v.type) {
        case T_VOID: return "(void)";
        case T_INT: return std::to_string(v.scalaire.i);
        case T_FLOAT: return formate("%.2f", v.scalaire.f);
        case T_BOOL: return v.booleenVal() ? "true" : "false";
        case T_ENTITE: return "(entite)";
        case T_STRING: {
            auto s = v.objet<std::string>();
            return s ? *s : "(null)";
        }
        case T_POINT: return "(point)";
        case T_LISTEPOINT: return "(listepoint)";
        case T_TEXTURE: return "(texture)";
        case T_MATERIAL: return "(material)";
        case T_COULEUR: {
            auto c = v.objet<RGBA>();
            if (!c) return "RGB(null)";
            return "RGB(" + formate("%.2f", c->r) + "," + formate("%.2f", c->g) + "," +
                   formate("%.2f", c->b) + "," + formate("%.2f", c->a) + ")";
        }
        case T_POINTEUR: {
            auto s = v.objet<std::string>();
            return "pointeur sur la variable -> " + (s ? *s : std::string());
        }
        default: return "type inconnu";
    }
}

bool valeurs_egales(const Valeur& a, const Valeur& b) {
    if (a.type != b.type) return false;
    switch (a.type) {
        case T_VOID: return true;
        case T_INT: return a.scalaire.i == b.scalaire.i;
        case T_FLOAT: return a.scalaire.f == b.scalaire.f;
        case T_BOOL: return (a.scalaire.bits & 0xff) == (b.scalaire.bits & 0xff);
        case T_ENTITE:
        case T_STRING:
        case T_POINT:
        case T_LISTEPOINT:
        case T_COULEUR:
        case T_POINTEUR:
        case T_MATERIAL: return a.adresse() == b.adresse();
        default: return false;  // texture, matrice, instance: never equal
    }
}

void detruit_valeur(Valeur& v) {
    // Resetting the shared cell empties every copy of the value at once; objects that
    // something else still holds (an instance's entity, a robot's links) stay alive there.
    if (v.cellule) v.cellule->objet.reset();
    v.scalaire.bits = 0;
}
