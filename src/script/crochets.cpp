#include "script/crochets.h"

#include "commun/console.h"

namespace {
bool ferme(int& profondeur, const char* texteEnTrop) {
    if (profondeur == 0) {
        console.boiteMessage(texteEnTrop, "erreur");
        return false;
    }
    --profondeur;
    return true;
}
}  // namespace

bool CompteurCrochets::compte(char c) {
    switch (c) {
        case '(': ++parentheses_; return true;
        case ')': return ferme(parentheses_, "parenthèse ')' en trop");
        case '{': ++accolades_; return true;
        case '}': return ferme(accolades_, "accolade '}' en trop");
        default: return true;
    }
}

bool CompteurCrochets::fermes() const {
    if (aZero()) return true;
    console.boiteMessage("';' inattendu : vous oubliez de fermer des parenthèse ou des accolades.",
                         "erreur");
    return false;
}
