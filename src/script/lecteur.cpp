// Reading scene files: cutting the bytes into statements (comments, strings, bracket
// balance, the ';' terminator, the buffer limit), running them in order, and the one
// meta-command, include.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "commun/console.h"
#include "commun/lieu_lecture.h"
#include "script/crochets.h"
#include "script/script.h"

namespace {

struct MetaCommande {
    char nom[20];
    void (*fonction)(Script& script, ChaineCurseur& instruction);
};

void inclureFichier(Script& script, ChaineCurseur& instruction) { script.inclure(instruction); }

const MetaCommande meta_commandes[] = {
    {"include", inclureFichier},
};
const int nb_meta_commandes = static_cast<int>(std::size(meta_commandes));

// Codes the language does not accept; they are reported and kept.
bool caractereRefuse(unsigned char c) {
    static const unsigned char refuses[] = {0,  33, 36, 37, 39, 42, 43,  60,  62, 63,
                                            64, 91, 92, 93, 94, 96, 124, 126, 127};
    if (c >= 167 && c <= 191) return true;
    return std::find(std::begin(refuses), std::end(refuses), c) != std::end(refuses);
}

// The name under which a file is recognised in the include chain.
std::string nomCanonique(const std::string& nom) {
    std::error_code erreur;
    std::filesystem::path p = std::filesystem::weakly_canonical(nom, erreur);
    return erreur ? nom : p.string();
}

// The name a file is shown under in messages: as the user wrote it, relative to the scene's
// folder.
std::string nomAffiche(const std::string& nom, const std::string& repertoire) {
    if (repertoire.empty() || nom.size() <= repertoire.size() ||
        nom.compare(0, repertoire.size(), repertoire) != 0)
        return nom;
    return nom.substr(repertoire.size());
}

// Counts the line ends of a file: "\n", "\r\n" and a lone "\r" each end one line.
bool finDeLigne(int c, std::istream& flux) {
    return c == '\n' || (c == '\r' && flux.peek() != '\n');
}

// What one character does to the statement being cut out.
enum class Etape { Suivant, Fin, Erreur };

// One statement cut out of the stream into the statement buffer, character by character.
class Decoupe {
public:
    Decoupe(char* tampon, int taille) : tampon_(tampon), taille_(taille) {}
    // Stores or drops the character; Fin when the statement is complete (texte()), Erreur
    // when reading must stop (the box is shown).
    Etape lit(unsigned char c);
    std::string texte() const { return std::string(tampon_, static_cast<std::size_t>(n_)); }
    // Nothing but blanks, line ends and comments seen yet.
    bool blanc() const { return blanc_; }

private:
    Etape horsChaine(unsigned char c);

    char* tampon_;
    int taille_;
    int n_ = 0;
    bool commentaire_ = false, chaine_ = false, meta_ = false, blanc_ = true;
    CompteurCrochets crochets_;
};

Etape Decoupe::lit(unsigned char c) {
    // 1. Line ends are never stored. They end a comment, and a meta-command's statement.
    if (c == '\n' || c == '\r') {
        commentaire_ = false;
        return meta_ ? Etape::Fin : Etape::Suivant;
    }
    // 2. A comment is dropped.
    if (commentaire_) return Etape::Suivant;
    // 3. The buffer keeps room for a terminator.
    if (n_ >= taille_ - 1) {
        console.boiteMessage(
            "Soit c'est ta phrase qu'est trop longue, soit c'est mon buffer qu'est trop petit !\n",
            "t'es vraiment incorrigible");
        return Etape::Erreur;
    }
    // 4. Anything else is stored.
    tampon_[n_++] = static_cast<char>(c);
    // 5. Inside a string only the closing quote counts.
    if (chaine_) {
        if (c == '"') chaine_ = false;
        return Etape::Suivant;
    }
    // 6. Outside a string.
    return horsChaine(c);
}

Etape Decoupe::horsChaine(unsigned char c) {
    switch (c) {
        case '/':
            if (n_ >= 2 && tampon_[n_ - 2] == '/') {
                n_ -= 2;
                commentaire_ = true;
            }
            return Etape::Suivant;  // comment slashes and a lone slash leave `blanc_` alone
        case '(':
        case ')':
        case '{':
        case '}':
            if (!crochets_.compte(static_cast<char>(c))) return Etape::Erreur;
            break;
        case '"': chaine_ = true; break;
        case ';':
            if (!crochets_.fermes()) return Etape::Erreur;
            --n_;
            return Etape::Fin;
        case '#':
            if (blanc_) meta_ = true;
            break;
        case ' ':
        case '\t': return Etape::Suivant;
        default:
            if (caractereRefuse(c))
                console.boiteMessage(
                    "Explique moi qu'est-ce que ce caractère fait là :" + std::to_string(c),
                    "erreur");
            break;
    }
    blanc_ = false;
    return Etape::Suivant;
}

}  // namespace

bool Script::aux_lit_fichier(const std::string& nomFichier) {
    if (nomFichier.empty()) {
        console.erreur("(Script::aux_lit_fichier) nom de fichier vide !");
        return false;
    }
    // Only regular files: a folder cannot be read, a device such as /dev/zero never ends and
    // opening a FIFO may block forever.
    std::error_code erreur;
    std::ifstream flux;
    if (std::filesystem::is_regular_file(nomFichier, erreur)) flux.open(nomFichier);
    if (!flux.is_open()) {
        console.erreur("(Script::aux_lit_fichier) impossible d'ouvrir le fichier " + nomFichier);
        return false;
    }

    // Nothing in the language can stop a file from including itself: such an include, or a
    // chain of includes deeper than the limit, is refused and the includer goes on.
    const std::string canonique = nomCanonique(nomFichier);
    if (std::find(fichiersEnCours_.begin(), fichiersEnCours_.end(), canonique) !=
        fichiersEnCours_.end()) {
        console.boiteMessage("Le fichier\n\n " + nomFichier +
                                 "\n\ns'inclut lui-même (directement ou par un autre fichier) : "
                                 "cet include est ignoré.",
                             "erreur d'include");
        return false;
    }
    if (static_cast<int>(fichiersEnCours_.size()) >= PROFONDEUR_INCLUSION_MAX) {
        console.boiteMessage("Trop de fichiers inclus les uns dans les autres (" +
                                 std::to_string(PROFONDEUR_INCLUSION_MAX) +
                                 " niveaux au plus) :\n\n " + nomFichier + "\n\nn'est pas lu.",
                             "erreur d'include");
        return false;
    }

    // Outside a load (tests, tools) the statement buffer is made for this file.
    std::unique_ptr<char[]> tamponLocal;
    if (!tampon) {
        tamponLocal.reset(new char[TAILLE_TAMPON]);
        tampon = tamponLocal.get();
    }
    struct Sortie {
        Script& s;
        bool local;
        ~Sortie() {
            s.fichiersEnCours_.pop_back();
            if (local) s.tampon = nullptr;
        }
    } sortie{*this, tamponLocal != nullptr};
    fichiersEnCours_.push_back(canonique);
    lieuLecture::FichierLu lu(nomAffiche(nomFichier, repertoire));
    execute_flux(flux);
    return true;
}

void Script::execute_flux(std::istream& flux) {
    ChaineCurseur instruction;
    while (lit_instruction(flux, instruction) && !instruction.texte.empty()) {
        // What the statement reports names it.
        std::optional<lieuLecture::InstructionLue> lieu;
        if (lieuLecture::Fichier* fichier = lieuLecture::fichierCourant())
            lieu.emplace(*fichier, [&instruction] { return instruction.texte; });
        if (instruction.texte[0] == '#') {
            instruction.position = 0;
            std::string nom = instruction.jeton(SEPARATEURS, SEPARATEURS).substr(1);
            int i = 0;
            while (i < nb_meta_commandes && nom != meta_commandes[i].nom) ++i;
            if (i < nb_meta_commandes)
                meta_commandes[i].fonction(*this, instruction);
            else
                console.avertit("la meta commande '" + nom + "' est inconnue !");
            continue;
        }
        try {
            execute_instruction(instruction);
        } catch (const std::exception& e) {
            // Nothing a statement does may stop the loading.
            console.boiteMessage(
                "L'instruction\n\n\t'" + instruction.texte + "'\n\na échoué :\n\n" + e.what(),
                "erreur");
        } catch (const char* message) {
            console.boiteMessage("L'instruction\n\n\t'" + instruction.texte +
                                     "'\n\na échoué :\n\n" + (message ? message : ""),
                                 "erreur");
        } catch (...) {
            console.boiteMessage("L'instruction\n\n\t'" + instruction.texte + "'\n\na échoué.",
                                 "erreur");
        }
        pile_param.clear();
    }
}

// The statement syntax cut out here (blanks are kept, line ends and comments dropped):
//
//   fichier     = { instruction | meta } ;
//   instruction = texte ";" ;
//   meta        = "#" texte fin-de-ligne ;     (only blanks before it in the statement)
//   texte       = { caractere | chaine | "(" texte ")" | "{" texte "}" } ;
//   chaine      = '"' { any character but '"' } '"' ;
//   commentaire = "//" { any character } fin-de-ligne ;     (anywhere outside a string)
//   caractere   = any character but '"', ';', a bracket or a line end ;
//
// A statement that a ";" ends inside brackets, or with a closing bracket too many, is an
// error, and so is the end of the stream inside a statement.
bool Script::lit_instruction(std::istream& flux, ChaineCurseur& instruction) {
    instruction.texte.clear();
    instruction.position = 0;
    if (!flux.good()) return false;

    Decoupe decoupe(tampon, TAILLE_TAMPON);
    // What reading reports names the statement from the line of its first character that is
    // neither a blank nor part of a comment.
    lieuLecture::Fichier* fichier = lieuLecture::fichierCourant();
    std::optional<lieuLecture::InstructionLue> lieu;
    if (fichier) lieu.emplace(*fichier, [&decoupe] { return decoupe.texte(); });
    for (;;) {
        int lu = flux.get();
        if (lu == std::char_traits<char>::eof() || lu == 255) break;
        if (fichier) {
            if (decoupe.blanc()) fichier->ligneInstruction = fichier->ligne;
            if (finDeLigne(lu, flux)) ++fichier->ligne;
        }
        switch (decoupe.lit(static_cast<unsigned char>(lu))) {
            case Etape::Suivant: break;
            case Etape::Fin: instruction.texte = decoupe.texte(); return true;
            case Etape::Erreur: return false;
        }
    }
    // 7. The end of the stream inside a statement.
    if (!decoupe.blanc())
        console.boiteMessage("Y manquerais pas un point virgule quelque part ?", "erreur");
    return false;
}

void Script::inclure(ChaineCurseur& instruction) {
    std::string nom = instruction.jeton(SEPARATEURS, SEPARATEURS);
    // Included names are relative to the scene file's directory, unless absolute.
    aux_lit_fichier(!nom.empty() && nom[0] == '/' ? nom : repertoire + nom);
}
