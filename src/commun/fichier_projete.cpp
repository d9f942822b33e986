#include "commun/fichier_projete.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>

namespace {

// The mappings the fault guard watches. A slot is given back before its range is unmapped,
// so the system cannot hand the range to another mapping while a slot still claims it.
struct Zone {
    std::atomic<uintptr_t> debut{0}, fin{0};
    std::atomic<bool> tronquee{false};
};
constexpr int NB_ZONES = 32;
Zone zones[NB_ZONES];
std::mutex mutexZones;  // taking and giving back slots
struct sigaction actionPrecedente;
uintptr_t taillePage = 4096;

// Whatever handled SIGBUS before the guard, for a signal that is not one of its faults.
void transmet(int signal, siginfo_t* info, void* contexte) {
    if (actionPrecedente.sa_flags & SA_SIGINFO) {
        actionPrecedente.sa_sigaction(signal, info, contexte);
    } else if (actionPrecedente.sa_handler == SIG_IGN) {
        // A signal sent by a process stays ignored; a fault comes back, and the system ends
        // the program as it would have.
        if (info->si_code > 0) sigaction(SIGBUS, &actionPrecedente, nullptr);
    } else if (actionPrecedente.sa_handler == SIG_DFL) {
        sigaction(SIGBUS, &actionPrecedente, nullptr);
        raise(SIGBUS);  // delivered on return, with the default action
    } else {
        actionPrecedente.sa_handler(signal);
    }
}

// Runs in a signal handler: atomics, and system calls only (mmap, sigaction, raise; mmap is
// not on the POSIX list of safe functions, but is a plain system call on Linux).
void surFaute(int signal, siginfo_t* info, void* contexte) {
    const int errnoAvant = errno;
    bool notre = false;
    // Only faults the system raised (si_code > 0) name an address.
    if (info->si_code > 0) {
        const uintptr_t adresse = reinterpret_cast<uintptr_t>(info->si_addr);
        // Every slot claiming the address is told: a slot given back and taken again while
        // this reads it may show a mixed range, which can only fail another load.
        for (Zone& z : zones) {
            const uintptr_t debut = z.debut.load(), fin = z.fin.load();
            if (debut == 0 || adresse < debut || adresse >= fin) continue;
            z.tronquee.store(true);
            notre = true;
        }
        // A page the file lost: zeros in its place, and the reading goes on.
        void* page = reinterpret_cast<void*>(adresse & ~(taillePage - 1));
        if (notre && mmap(page, taillePage, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                          0) == MAP_FAILED)
            notre = false;
    }
    if (!notre) transmet(signal, info, contexte);
    errno = errnoAvant;
}

// True while the guard handles SIGBUS (installed once; another handler may take over since).
bool gardeEnPlace() {
    static const bool installe = [] {
        const long page = sysconf(_SC_PAGESIZE);
        if (page > 0) taillePage = static_cast<uintptr_t>(page);
        struct sigaction action = {};
        action.sa_sigaction = surFaute;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGBUS, &action, &actionPrecedente) == 0;
    }();
    struct sigaction actuelle;
    return installe && sigaction(SIGBUS, nullptr, &actuelle) == 0 &&
           (actuelle.sa_flags & SA_SIGINFO) && actuelle.sa_sigaction == surFaute;
}

int prendZone(const char* debut, size_t taille) {
    std::lock_guard<std::mutex> verrou(mutexZones);
    for (int i = 0; i < NB_ZONES; ++i)
        if (zones[i].debut.load() == 0) {
            zones[i].tronquee.store(false);
            zones[i].fin.store(reinterpret_cast<uintptr_t>(debut) + taille);
            zones[i].debut.store(reinterpret_cast<uintptr_t>(debut));
            return i;
        }
    return -1;
}

void rendZone(int i) {
    std::lock_guard<std::mutex> verrou(mutexZones);
    zones[i].debut.store(0);
    zones[i].fin.store(0);
}

bool memesDates(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

FichierProjete::FichierProjete(const char* nom) {
    fd_ = open(nom, O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    // Size 0 may also be a file whose size the system does not know ahead.
    if (fstat(fd_, &etat_) == 0 && S_ISREG(etat_.st_mode) && etat_.st_size > 0 && gardeEnPlace()) {
        taille_ = static_cast<size_t>(etat_.st_size);
        void* p = mmap(nullptr, taille_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd_, 0);
        if (p != MAP_FAILED) {
            zone_ = prendZone(static_cast<const char*>(p), taille_);
            if (zone_ >= 0)
                donnees_ = static_cast<const char*>(p);
            else
                munmap(p, taille_);
        }
    }
    valide_ = donnees_ != nullptr;
    if (!valide_) {
        close(fd_);
        fd_ = -1;
    }
}

FichierProjete::~FichierProjete() {
    if (!donnees_) return;
    rendZone(zone_);
    munmap(const_cast<char*>(donnees_), taille_);
    close(fd_);
}

bool FichierProjete::change() const {
    if (!valide_) return false;
    if (zones[zone_].tronquee.load()) return true;
    struct stat maintenant;
    return fstat(fd_, &maintenant) != 0 || maintenant.st_size != etat_.st_size ||
           !memesDates(maintenant.st_mtim, etat_.st_mtim) ||
           !memesDates(maintenant.st_ctim, etat_.st_ctim);
}
