#include "commun/ecriture_sure.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

namespace ecriture {
namespace {
std::string systeme(int code) { return std::strerror(code); }

std::string genre(mode_t mode) {
    if (S_ISDIR(mode)) return "un dossier";
    if (S_ISFIFO(mode)) return "un tube nommé, pas un fichier ordinaire";
    if (S_ISCHR(mode)) return "un périphérique caractère, pas un fichier ordinaire";
    if (S_ISBLK(mode)) return "un périphérique bloc, pas un fichier ordinaire";
    if (S_ISSOCK(mode)) return "une socket, pas un fichier ordinaire";
    return "un fichier spécial, pas un fichier ordinaire";
}

// The protected file that is this one (same device and inode), or null.
const std::string* protegee(const struct stat& st, const std::vector<std::string>& protegees) {
    for (const std::string& p : protegees) {
        struct stat q;
        if (::stat(p.c_str(), &q) == 0 && q.st_dev == st.st_dev && q.st_ino == st.st_ino) return &p;
    }
    return nullptr;
}

// Why a file there may not be replaced: "" for a regular file that is no input of the scene.
std::string interdit(const std::string& chemin, const struct stat& st,
                     const std::vector<std::string>& protegees) {
    if (!S_ISREG(st.st_mode)) return chemin + " est " + genre(st.st_mode);
    if (const std::string* p = protegee(st, protegees))
        return chemin + " est un fichier lu par la scène chargée" +
               (*p == chemin ? "" : " (" + *p + ")");
    return "";
}

// A name beside `cible` that nothing uses yet is found by creating it exclusively; this
// draws the candidates: ".NAME." and ten random letters or digits, in the target's folder.
std::string candidat(const std::string& cible) {
    static std::mt19937_64 alea{std::random_device{}()};
    static const char LETTRES[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::size_t barre = cible.rfind('/');
    const std::size_t debut = barre == std::string::npos ? 0 : barre + 1;
    // Short enough for the longest name a folder accepts, with the suffix.
    std::string nom = cible.substr(0, debut) + "." + cible.substr(debut, 200) + ".";
    for (int i = 0; i < 10; ++i) nom += LETTRES[alea() % (sizeof LETTRES - 1)];
    return nom;
}

constexpr int ESSAIS = 100;

bool ecritTout(int fd, const std::string& s) {
    for (std::size_t fait = 0; fait < s.size();) {
        const ssize_t n = ::write(fd, s.data() + fait, s.size() - fait);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) return false;
        fait += static_cast<std::size_t>(n);
    }
    return true;
}

void synchroniseDossier(const std::string& cible) {
    const std::size_t barre = cible.rfind('/');
    const std::string dossier = barre == std::string::npos ? "." : cible.substr(0, barre + 1);
    const int fd = ::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// One write in progress: the target examined, then a temporary file beside it holding the
// bytes, then the renames that put it in place.
class Ecriture {
public:
    explicit Ecriture(const std::string& chemin) : chemin_(chemin) {}
    ~Ecriture() {
        if (fd_ >= 0) ::close(fd_);
        if (!temporaire_.empty()) ::unlink(temporaire_.c_str());
    }

    // "" when the target may be written; the temporary file is then open.
    std::string prepare(const std::vector<std::string>& protegees) {
        if (chemin_.empty()) return "aucun fichier donné";
        cible_ = chemin_;
        struct stat lien;
        if (::lstat(chemin_.c_str(), &lien) == 0) {
            struct stat st;
            if (::stat(chemin_.c_str(), &st) != 0)
                return errno == ENOENT
                           ? chemin_ + " est un lien symbolique sans cible"
                           : "impossible d'écrire " + chemin_ + " (" + systeme(errno) + ")";
            const std::string raison = interdit(chemin_, st, protegees);
            if (!raison.empty()) return raison;
            // A file its owner made read-only stays as it is, though its folder would let
            // it be replaced.
            if (::access(chemin_.c_str(), W_OK) != 0)
                return "impossible d'écrire " + chemin_ + " (" + systeme(errno) + ")";
            existant_ = true;
            ancien_ = st;
            // Through a symbolic link the file it leads to is replaced; the link stays.
            if (S_ISLNK(lien.st_mode)) {
                char reel[PATH_MAX];
                if (!::realpath(chemin_.c_str(), reel))
                    return "impossible d'écrire " + chemin_ + " (" + systeme(errno) + ")";
                cible_ = reel;
            }
            const std::string bak = cible_ + ".bak";
            if (::lstat(bak.c_str(), &lien) == 0 && ::stat(bak.c_str(), &st) == 0) {
                const std::string raisonBak = interdit(bak, st, protegees);
                if (!raisonBak.empty())
                    return "impossible de garder l'ancien fichier : " + raisonBak;
            }
        } else if (errno != ENOENT) {
            return "impossible d'écrire " + chemin_ + " (" + systeme(errno) + ")";
        }
        for (int i = 0; i < ESSAIS && fd_ < 0; ++i) {
            const std::string nom = candidat(cible_);
            fd_ = ::open(nom.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0)
                temporaire_ = nom;
            else if (errno != EEXIST)
                // A file there that the folder does not let be replaced needs saying so.
                return "impossible d'écrire " + chemin_ +
                       (existant_ ? " : son dossier n'accepte pas de nouveau fichier" : "") + " (" +
                       systeme(errno) + ")";
        }
        if (fd_ < 0) return "impossible d'écrire " + chemin_ + " (" + systeme(EEXIST) + ")";
        if (existant_) {
            // The replaced file's permissions and owner carry over (the owner when allowed).
            ::fchmod(fd_, ancien_.st_mode & 07777);
            [[maybe_unused]] const int proprietaire = ::fchown(fd_, ancien_.st_uid, ancien_.st_gid);
        }
        return "";
    }

    // The bytes written and synced, then the file put in place.
    std::string termine(const std::string& contenu) {
        if (!ecritTout(fd_, contenu) || ::fsync(fd_) != 0)
            return "écriture impossible dans " + chemin_ + " (" + systeme(errno) + ")";
        return installe();
    }

    // The open file, now the target's, handed over to the caller.
    int cede() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    std::string installe() {
        if (existant_) {
            const std::string raison = gardeAncien();
            if (!raison.empty()) return raison;
        }
        if (::rename(temporaire_.c_str(), cible_.c_str()) != 0) {
            const int code = errno;
            // Moved aside and not replaced: the old file goes back under its name.
            if (renomme_) ::rename((cible_ + ".bak").c_str(), cible_.c_str());
            return "impossible d'écrire " + chemin_ + " (" + systeme(code) + ")";
        }
        temporaire_.clear();
        synchroniseDossier(cible_);
        return "";
    }

    // The file there becomes NAME.bak. A second link to it, renamed over NAME.bak, keeps the
    // target's name on the old file until the new one takes it; where links are not
    // supported, the old file is renamed aside.
    std::string gardeAncien() {
        const std::string bak = cible_ + ".bak";
        for (int i = 0; i < ESSAIS; ++i) {
            const std::string lien = candidat(cible_);
            if (::link(cible_.c_str(), lien.c_str()) == 0) {
                const bool garde = ::rename(lien.c_str(), bak.c_str()) == 0;
                const int code = errno;
                // Also when NAME.bak was already a link to the same file: rename then leaves
                // both names.
                ::unlink(lien.c_str());
                if (garde) return "";
                return "impossible de garder l'ancien fichier en " + bak + " (" + systeme(code) +
                       ")";
            }
            if (errno != EEXIST) break;
        }
        if (::rename(cible_.c_str(), bak.c_str()) != 0)
            return "impossible de garder l'ancien fichier en " + bak + " (" + systeme(errno) + ")";
        renomme_ = true;
        return "";
    }

    std::string chemin_, cible_, temporaire_;
    int fd_ = -1;
    bool existant_ = false, renomme_ = false;
    struct stat ancien_ {};
};
}  // namespace

std::string ecritFichier(const std::string& chemin, const std::string& contenu,
                         const std::vector<std::string>& protegees) {
    Ecriture e(chemin);
    std::string raison = e.prepare(protegees);
    if (raison.empty()) raison = e.termine(contenu);
    return raison;
}

std::FILE* ouvreFlux(const std::string& chemin, const std::string& debut,
                     const std::vector<std::string>& protegees, std::string& erreur) {
    Ecriture e(chemin);
    erreur = e.prepare(protegees);
    if (erreur.empty()) erreur = e.termine(debut);
    if (!erreur.empty()) return nullptr;
    const int fd = e.cede();
    std::FILE* f = ::fdopen(fd, "w");
    if (!f) {
        erreur = "impossible d'écrire " + chemin + " (" + systeme(errno) + ")";
        ::close(fd);
    }
    return f;
}
}  // namespace ecriture
