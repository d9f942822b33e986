// Reading scene files: taking each file in its encoding (UTF-8, Latin-1 or UTF-16) as UTF-8,
// cutting the text into statements (comments, strings, bracket balance, the ';' terminator, the
// buffer limit, the characters a name may hold), running them in order, and the one
// meta-command, include.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <streambuf>
#include <system_error>

#include "commun/console.h"
#include "commun/lieu_lecture.h"
#include "commun/texte.h"
#include "script/conseils.h"
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

// Codes up to 255 the language does not accept; they are reported and kept. Above ASCII,
// 128 to 166 and 192 to 254 are accepted, 167 to 191 (§ to ¿) are not.
bool caractereRefuse(char32_t c) {
    static const unsigned char refuses[] = {0,  33, 36, 37, 39, 42, 43,  60,  62, 63,
                                            64, 91, 92, 93, 94, 96, 124, 126, 127};
    if (c >= 167 && c <= 191) return true;
    return std::find(std::begin(refuses), std::end(refuses), c) != std::end(refuses);
}

// The byte of a Latin-1 (Windows-1252) file that a decoded character came from.
char32_t octetWindows1252(char32_t c) {
    for (unsigned char o = 0x80; o < 0xA0; ++o)
        if (texte::depuisWindows1252(o) == c) return o;
    return c;
}

void signaleCaractere(char32_t code) {
    console.boiteMessage("Explique moi qu'est-ce que ce caractère fait là :" + std::to_string(code),
                         "erreur");
}

// A file's bytes converted to UTF-8 a block at a time by `convertit` (the block, whether it
// is the last one, the output). Line ends are kept as they are, so lines are counted as in
// the file.
class VersUtf8 : public std::streambuf {
public:
    using Conversion = std::function<void(std::string_view, bool, std::string&)>;
    VersUtf8(std::streambuf& fichier, Conversion convertit)
        : fichier_(fichier), convertit_(std::move(convertit)) {}

protected:
    int_type underflow() override {
        char brut[4096];
        do {
            if (fin_) return traits_type::eof();
            const std::streamsize n = fichier_.sgetn(brut, sizeof brut);
            fin_ = n <= 0;
            converti_.clear();
            convertit_(
                std::string_view(brut, static_cast<std::size_t>(std::max<std::streamsize>(n, 0))),
                fin_, converti_);
        } while (converti_.empty());
        setg(converti_.data(), converti_.data(), converti_.data() + converti_.size());
        return traits_type::to_int_type(converti_[0]);
    }

private:
    std::streambuf& fichier_;
    Conversion convertit_;
    std::string converti_;
    bool fin_ = false;
};

// Windows-1252 to UTF-8; a byte 255 is passed on as it is, for the reader to end the file
// there as it always has.
void depuisWindows1252(std::string_view octets, bool, std::string& sortie) {
    for (const char c : octets) {
        const auto o = static_cast<unsigned char>(c);
        if (o == 255)
            sortie += c;
        else
            texte::ajouteUtf8(sortie, texte::depuisWindows1252(o));
    }
}

// A Latin-1 file's reading: the reader judges the characters of a name by the byte each came
// from, which it tells by this type.
class Windows1252VersUtf8 : public VersUtf8 {
public:
    explicit Windows1252VersUtf8(std::streambuf& fichier) : VersUtf8(fichier, depuisWindows1252) {}
};

// Places the file after its UTF-8 byte-order mark, if any, and tells whether what follows,
// up to the end or the first byte 255, is UTF-8; the file is left at the same place.
bool sauteMarqueEtEstUtf8(std::streambuf& fichier) {
    char marque[3] = {};
    const std::streamoff debut =
        fichier.sgetn(marque, 3) == 3 && std::string(marque, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    fichier.pubseekpos(debut);
    texte::DecodeurUtf8 decodeur;
    bool utf8 = true;
    for (auto o = fichier.sbumpc(); o != std::char_traits<char>::eof() && o != 255;
         o = fichier.sbumpc())
        if (decodeur.ajoute(static_cast<unsigned char>(o)) == texte::DecodeurUtf8::Invalide) {
            utf8 = false;
            break;
        }
    fichier.pubseekpos(debut);
    return utf8 && !decodeur.enCours();
}

// Whether the file is UTF-16, from its first bytes; the file is left after the byte-order
// mark if it is, at its start otherwise.
texte::Utf16 sauteMarqueUtf16(std::streambuf& fichier) {
    char debut[4096];
    const std::streamsize n = fichier.sgetn(debut, sizeof debut);
    std::size_t marque = 0;
    const texte::Utf16 sens = texte::detecteUtf16(
        std::string_view(debut, static_cast<std::size_t>(std::max<std::streamsize>(n, 0))), marque);
    fichier.pubseekpos(sens == texte::Utf16::Non ? 0 : static_cast<std::streamoff>(marque));
    return sens;
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

// A byte 255 ends a file, as it always has. Text after it is never read, and the author is
// told where reading stopped; blanks, line ends and more bytes 255 after it are no text.
void signaleFinParOctet255(std::istream& flux, lieuLecture::Fichier* fichier, bool blanc) {
    for (int c; (c = flux.get()) != std::char_traits<char>::eof();) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 255) continue;
        std::string ou;
        if (fichier) {
            ou = " de la ligne " + std::to_string(fichier->ligne);
            if (blanc) fichier->ligneInstruction = fichier->ligne;
        }
        console.note("l'octet 255" + ou +
                     " termine la lecture du fichier : le texte qui le suit est ignoré.");
        return;
    }
}

// What one character does to the statement being cut out.
enum class Etape { Suivant, Fin, Erreur };

// One statement cut out of the stream into the statement buffer, character by character.
class Decoupe {
public:
    // latin1: the stream is a Latin-1 file converted, whose characters are judged by the
    // bytes they came from.
    Decoupe(char* tampon, int taille, bool latin1)
        : tampon_(tampon), taille_(taille), latin1_(latin1) {}
    // Stores or drops the character; Fin when the statement is complete (texte()), Erreur
    // when reading must stop (the box is shown).
    Etape lit(unsigned char c);
    std::string texte() const { return std::string(tampon_, static_cast<std::size_t>(n_)); }
    // Nothing but blanks, line ends and comments seen yet.
    bool blanc() const { return blanc_; }
    bool commentaire() const { return commentaire_; }
    // The text so far could be a whole statement: something outside strings and brackets
    // that ends like an expression (a name, a number, a closing bracket or quote).
    bool finPossible() const;

private:
    Etape horsChaine(unsigned char c);
    void caractereNonAscii(unsigned char c);

    char* tampon_;
    int taille_;
    bool latin1_;
    int n_ = 0;
    bool commentaire_ = false, chaine_ = false, meta_ = false, blanc_ = true;
    CompteurCrochets crochets_;
    texte::DecodeurUtf8 decodeur_;  // a non-ASCII character outside a string
};

Etape Decoupe::lit(unsigned char c) {
    if (c < 0x80) decodeur_.reinitialise();  // a sequence cut short (not from a file)
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

bool Decoupe::finPossible() const {
    if (blanc_ || chaine_ || !crochets_.aZero()) return false;
    int i = n_ - 1;
    while (i >= 0 && (tampon_[i] == ' ' || tampon_[i] == '\t')) --i;
    if (i < 0) return false;
    const auto c = static_cast<unsigned char>(tampon_[i]);
    return c == ')' || c == '}' || c == '"' || c == '_' || c == '.' || c >= 0x80 || std::isalnum(c);
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
            if (c >= 0x80)
                caractereNonAscii(c);
            else if (caractereRefuse(c))
                signaleCaractere(c);
            break;
    }
    blanc_ = false;
    return Etape::Suivant;
}

// Outside strings the text is UTF-8. A character up to 255 is judged by the table of
// codes; one of a Latin-1 file, by the byte it came from, reported as such; one above 255
// must be a letter. A character is judged once its last byte is in, and a byte that cannot
// be UTF-8 (only a stream that is not a file can hold one) is reported by its own value.
void Decoupe::caractereNonAscii(unsigned char c) {
    switch (decodeur_.ajoute(c)) {
        case texte::DecodeurUtf8::Attente: break;
        case texte::DecodeurUtf8::Invalide: signaleCaractere(c); break;
        case texte::DecodeurUtf8::Caractere: {
            const char32_t code =
                latin1_ ? octetWindows1252(decodeur_.caractere()) : decodeur_.caractere();
            if (code <= 0xFF ? caractereRefuse(code) : !texte::estLettre(code))
                signaleCaractere(code);
            break;
        }
    }
}

}  // namespace

bool Script::aux_lit_fichier(const std::string& nomFichier) {
    if (nomFichier.empty()) {
        console.erreur("(Script::aux_lit_fichier) nom de fichier vide !");
        return false;
    }
    // A file that cannot be read yet is recorded too: it may come to fix the scene.
    noteFichier(nomFichier);
    // Only regular files: a folder cannot be read, a device such as /dev/zero never ends and
    // opening a FIFO may block forever.
    std::error_code erreur;
    std::ifstream flux;
    if (std::filesystem::is_regular_file(nomFichier, erreur))
        flux.open(nomFichier, std::ios::in | std::ios::binary);
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

    return litSource(*flux.rdbuf(), canonique, nomAffiche(nomFichier, repertoire));
}

bool Script::litSource(std::streambuf& source, const std::string& canonique,
                       const std::string& nom) {
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
    lieuLecture::FichierLu lu(nom);
    // Each file is read in its own encoding, so the interpreter only ever sees UTF-8: a
    // UTF-16 file (either byte order, with or without a byte-order mark) is converted, a
    // file that is valid UTF-8 (after an optional byte-order mark) is read as it is, any
    // other as Latin-1 (Windows-1252).
    if (const texte::Utf16 sens = sauteMarqueUtf16(source); sens != texte::Utf16::Non) {
        texte::DecodeurUtf16 decodeur(sens);
        VersUtf8 converti(source,
                          [&decodeur](std::string_view octets, bool fin, std::string& sortie) {
                              decodeur.ajoute(octets, sortie);
                              if (fin) decodeur.termine(sortie);
                          });
        std::istream entree(&converti);
        execute_flux(entree);
    } else if (sauteMarqueEtEstUtf8(source)) {
        std::istream entree(&source);
        execute_flux(entree);
    } else {
        Windows1252VersUtf8 converti(source);
        std::istream entree(&converti);
        execute_flux(entree);
    }
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
        // An include run by the statement reads others: the hint is this one's.
        const SansPointVirgule sansPointVirgule = sansPointVirgule_;
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
        noteSansPointVirgule(sansPointVirgule);
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

    Decoupe decoupe(tampon, TAILLE_TAMPON,
                    dynamic_cast<Windows1252VersUtf8*>(flux.rdbuf()) != nullptr);
    // A line that could have ended the statement, and then the line where a ';' is likely
    // missing: the statement went on after it with what begins another one (a name).
    int finPossible = 0;
    sansPointVirgule_ = {};
    // What reading reports names the statement from the line of its first character that is
    // neither a blank nor part of a comment.
    lieuLecture::Fichier* fichier = lieuLecture::fichierCourant();
    std::optional<lieuLecture::InstructionLue> lieu;
    if (fichier) lieu.emplace(*fichier, [&decoupe] { return decoupe.texte(); });
    for (;;) {
        int lu = flux.get();
        if (lu == std::char_traits<char>::eof()) break;
        if (lu == 255) {
            signaleFinParOctet255(flux, fichier, decoupe.blanc());
            break;
        }
        bool finLigne = false;
        if (fichier) {
            if (decoupe.blanc()) fichier->ligneInstruction = fichier->ligne;
            finLigne = finDeLigne(lu, flux);
            if (finLigne) ++fichier->ligne;
        }
        const Etape etape = decoupe.lit(static_cast<unsigned char>(lu));
        if (finLigne && finPossible == 0 && decoupe.finPossible())
            finPossible = fichier->ligne - 1;
        else if (finPossible != 0 && sansPointVirgule_.ligne == 0 && !decoupe.commentaire() &&
                 lu != ' ' && lu != '\t' && lu != '\n' && lu != '\r' && lu != '/') {
            if (std::isalpha(lu) || lu == '_' || lu == '&' || lu >= 0x80)
                sansPointVirgule_ = {finPossible, fichier->ligne};
            else
                finPossible = 0;
        }
        switch (etape) {
            case Etape::Suivant: break;
            case Etape::Fin: instruction.texte = decoupe.texte(); return true;
            case Etape::Erreur: noteSansPointVirgule(sansPointVirgule_); return false;
        }
    }
    // 7. The end of the stream inside a statement.
    if (!decoupe.blanc()) {
        console.boiteMessage("Y manquerais pas un point virgule quelque part ?", "erreur");
        noteSansPointVirgule(sansPointVirgule_);
    }
    return false;
}

void Script::noteSansPointVirgule(const SansPointVirgule& s) {
    lieuLecture::Fichier* fichier = lieuLecture::fichierCourant();
    if (s.ligne <= 0 || !fichier) return;
    const int debut = fichier->ligneInstruction;
    const std::string ou = debut == s.ligne ? "ici" : "ligne " + std::to_string(debut);
    conseils::note(
        "il manque sans doute un ';' à la fin de cette ligne : l'instruction commencée " + ou +
            " continue ligne " + std::to_string(s.suite),
        s.ligne);
}

void Script::inclure(ChaineCurseur& instruction) {
    std::string nom = instruction.jeton(SEPARATEURS, SEPARATEURS);
    // Included names are relative to the scene file's directory, unless absolute.
    aux_lit_fichier(!nom.empty() && nom[0] == '/' ? nom : repertoire + nom);
}
