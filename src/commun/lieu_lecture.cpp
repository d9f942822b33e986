#include "commun/lieu_lecture.h"

#include "commun/console.h"

namespace lieuLecture {

namespace {
std::vector<Fichier*> fichiers;  // outermost first
int chargements = 0;

// A byte that continues a UTF-8 character.
bool suite(unsigned char c) { return (c & 0xC0) == 0x80; }
}  // namespace

FichierLu::FichierLu(std::string nom) {
    fichier_.nom = std::move(nom);
    fichiers.push_back(&fichier_);
}

FichierLu::~FichierLu() { fichiers.pop_back(); }

Fichier* fichierCourant() { return fichiers.empty() ? nullptr : fichiers.back(); }

InstructionLue::InstructionLue(Fichier& fichier, std::function<std::string()> texte)
    : fichier_(fichier), precedent_(std::move(fichier.texteInstruction)) {
    fichier_.texteInstruction = std::move(texte);
}

InstructionLue::~InstructionLue() { fichier_.texteInstruction = std::move(precedent_); }

std::string Lieu::prefixe() const { return fichier + ":" + std::to_string(ligne) + ":"; }

std::string Lieu::contexte() const {
    std::string c = "« " + debut + " »";
    for (const auto& [nom, l] : inclusDepuis)
        c += ", inclus depuis " + nom + ":" + std::to_string(l);
    return c;
}

bool lieuCourant(Lieu& lieu) {
    const Fichier* f = fichierCourant();
    if (!f || !f->texteInstruction) return false;
    lieu.fichier = f->nom;
    lieu.ligne = f->ligneInstruction;
    lieu.debut = debutInstruction(f->texteInstruction());
    lieu.inclusDepuis.clear();
    for (std::size_t i = fichiers.size() - 1; i-- > 0;)
        lieu.inclusDepuis.emplace_back(fichiers[i]->nom, fichiers[i]->ligneInstruction);
    return true;
}

std::string debutInstruction(const std::string& texte, std::size_t max) {
    std::string r;
    std::size_t caracteres = 0;
    bool blanc = false;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(texte[i]);
        if (c <= ' ' || c == 127) {
            blanc = !r.empty();
            continue;
        }
        if (!suite(c)) {
            if (caracteres + (blanc ? 1 : 0) >= max) return r + "…";
            if (blanc) {
                r += ' ';
                ++caracteres;
            }
            ++caracteres;
        }
        blanc = false;
        r += static_cast<char>(c);
    }
    return r;
}

Chargement::Chargement() {
    if (chargements++ == 0) console.debutChargement();
}

Chargement::~Chargement() {
    if (--chargements > 0) return;
    try {
        console.finChargement();
    } catch (...) {  // a destructor lets nothing out; the boxes went to standard error
    }
}

bool chargementEnCours() { return chargements > 0; }

}  // namespace lieuLecture
