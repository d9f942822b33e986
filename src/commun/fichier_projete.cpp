#include "commun/fichier_projete.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace {

// The mappings the fault guard watches. The handler only reads these atomics and makes one
// system call, both safe in a signal handler.
struct Zone {
    std::atomic<uintptr_t> debut{0}, fin{0};
    std::atomic<bool> tronquee{false};
};
constexpr int NB_ZONES = 32;
Zone zones[NB_ZONES];
std::mutex mutexZones;  // taking and giving back slots
struct sigaction actionPrecedente;
uintptr_t taillePage = 4096;

void surFaute(int signal, siginfo_t* info, void* contexte) {
    const uintptr_t adresse = reinterpret_cast<uintptr_t>(info->si_addr);
    for (Zone& z : zones) {
        const uintptr_t debut = z.debut.load(), fin = z.fin.load();
        if (debut == 0 || adresse < debut || adresse >= fin) continue;
        // A page the file lost: zeros in its place, and the reading goes on.
        void* page = reinterpret_cast<void*>(adresse & ~(taillePage - 1));
        if (mmap(page, taillePage, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
            MAP_FAILED)
            break;
        z.tronquee.store(true);
        return;
    }
    // Not one of ours: whatever was there before handles it.
    if (actionPrecedente.sa_flags & SA_SIGINFO) {
        actionPrecedente.sa_sigaction(signal, info, contexte);
    } else if (actionPrecedente.sa_handler == SIG_DFL || actionPrecedente.sa_handler == SIG_IGN) {
        sigaction(SIGBUS, &actionPrecedente, nullptr);  // the fault comes back, handled so
    } else {
        actionPrecedente.sa_handler(signal);
    }
}

bool installeGarde() {
    static const bool installe = [] {
        const long page = sysconf(_SC_PAGESIZE);
        if (page > 0) taillePage = static_cast<uintptr_t>(page);
        struct sigaction action = {};
        action.sa_sigaction = surFaute;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGBUS, &action, &actionPrecedente) == 0;
    }();
    return installe;
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

}  // namespace

FichierProjete::FichierProjete(const char* nom) {
    const int fd = open(nom, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat etat;
    if (fstat(fd, &etat) == 0 && S_ISREG(etat.st_mode)) {
        taille_ = static_cast<size_t>(etat.st_size);
        // Size 0 may also be a file whose size the system does not know ahead.
        if (taille_ > 0 && installeGarde()) {
            void* p = mmap(nullptr, taille_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (p != MAP_FAILED) {
                donnees_ = static_cast<const char*>(p);
                zone_ = prendZone(donnees_, taille_);
                valide_ = zone_ >= 0;
                if (!valide_) {
                    munmap(p, taille_);
                    donnees_ = nullptr;
                }
            }
        }
    }
    close(fd);
}

FichierProjete::~FichierProjete() {
    if (!donnees_) return;
    munmap(const_cast<char*>(donnees_), taille_);
    rendZone(zone_);
}

bool FichierProjete::tronque() const { return zone_ >= 0 && zones[zone_].tronquee.load(); }
