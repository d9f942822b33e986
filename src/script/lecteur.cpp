// Reading scene files: cutting the bytes into statements (comments, strings, bracket
// balance, the ';' terminator, the buffer limit), running them in order, and the one
// meta-command, include.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "commun/console.h"
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
const int nb_meta_commandes = 1;

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
    execute_flux(flux);
    return true;
}

void Script::execute_flux(std::istream& flux) {
    ChaineCurseur instruction;
    while (lit_instruction(flux, instruction) && !instruction.texte.empty()) {
        if (instruction.texte[0] == '#') {
            instruction.position = 0;
            std::string nom = instruction.jeton(SEPARATEURS, SEPARATEURS).substr(1);
            int i = 0;
            while (i < nb_meta_commandes && nom != meta_commandes[i].nom) ++i;
            if (i < nb_meta_commandes)
                meta_commandes[i].fonction(*this, instruction);
            else
                console << "la meta commande '" << nom << "' est inconnue !"
                        << "\n";
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

bool Script::lit_instruction(std::istream& flux, ChaineCurseur& instruction) {
    instruction.texte.clear();
    instruction.position = 0;
    if (!flux.good()) return false;

    int n = 0;
    bool commentaire = false, chaine = false, meta = false, blanc = true;
    int parentheses = 0, accolades = 0;
    for (;;) {
        int lu = flux.get();
        if (lu == std::char_traits<char>::eof() || lu == 255) break;
        const unsigned char c = static_cast<unsigned char>(lu);

        if (c == '\n' || c == '\r') {
            commentaire = false;
            if (meta) {
                instruction.texte.assign(tampon, n);
                return true;
            }
            continue;
        }
        if (commentaire) continue;
        if (n >= TAILLE_TAMPON - 1) {
            console.boiteMessage(
                "Soit c'est ta phrase qu'est trop longue, soit c'est mon buffer qu'est trop petit "
                "!\n",
                "t'es vraiment incorrigible");
            return false;
        }
        tampon[n++] = static_cast<char>(c);

        if (chaine) {
            if (c == '"') chaine = false;
            continue;
        }
        switch (c) {
            case '/':
                if (n >= 2 && tampon[n - 2] == '/') {
                    n -= 2;
                    commentaire = true;
                }
                continue;  // comment slashes and a lone slash leave the blank flag alone
            case '(':
                ++parentheses;
                break;
            case ')':
                if (parentheses == 0) {
                    console.boiteMessage("parenthèse ')' en trop", "erreur");
                    return false;
                }
                --parentheses;
                break;
            case '{':
                ++accolades;
                break;
            case '}':
                if (accolades == 0) {
                    console.boiteMessage("accolade '}' en trop", "erreur");
                    return false;
                }
                --accolades;
                break;
            case '"':
                chaine = true;
                break;
            case ';':
                if (parentheses != 0 || accolades != 0) {
                    console.boiteMessage(
                        "';' inattendu : vous oubliez de fermer des parenthèse ou des accolades.",
                        "erreur");
                    return false;
                }
                --n;
                instruction.texte.assign(tampon, n);
                return true;
            case '#':
                if (blanc) meta = true;
                break;
            case ' ':
            case '\t':
                continue;
            default:
                if (caractereRefuse(c))
                    console.boiteMessage(
                        "Explique moi qu'est-ce que ce caractère fait là :" + std::to_string(c),
                        "erreur");
                break;
        }
        blanc = false;
    }
    if (!blanc) {
        console.boiteMessage("Y manquerais pas un point virgule quelque part ?", "erreur");
        return false;
    }
    return false;
}

void Script::inclure(ChaineCurseur& instruction) {
    std::string nom = instruction.jeton(SEPARATEURS, SEPARATEURS);
    // Included names are relative to the scene file's directory, unless absolute.
    aux_lit_fichier(!nom.empty() && nom[0] == '/' ? nom : repertoire + nom);
}
