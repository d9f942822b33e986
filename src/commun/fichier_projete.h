// A regular file read through a read-only memory mapping: its bytes are read where the
// system keeps them, without copying them into a buffer of ours. The big geometry files are
// read this way, twice (a count, then the parse), for the cost of one copy.
//
// A file cut short by another program while it is mapped would make reading its lost pages
// fatal (SIGBUS). While a mapping lives, such a fault is caught: the lost page reads as
// zeros from then on. change() tells whether the text may not be the file's as it was
// mapped: a page was lost, or the file's size or times changed since (a file cut short
// within its last page, or rewritten in place, gives no fault).
#pragma once

#include <sys/stat.h>

#include <cstddef>

class FichierProjete {
public:
    // Maps the file; valide() is false when it is not a regular file, is empty (some report
    // size 0 and have bytes), cannot be mapped, when the fault guard is not in place (another
    // handler took SIGBUS over) or all its slots are taken: the caller reads it another way.
    explicit FichierProjete(const char* nom);
    ~FichierProjete();
    FichierProjete(const FichierProjete&) = delete;
    FichierProjete& operator=(const FichierProjete&) = delete;

    bool valide() const { return valide_; }
    const char* donnees() const { return donnees_; }
    size_t taille() const { return taille_; }
    // True when a lost page was read (as zeros) or the file changed since it was mapped.
    bool change() const;

private:
    const char* donnees_ = nullptr;
    size_t taille_ = 0;
    int fd_ = -1;    // kept open to see whether the file changes
    int zone_ = -1;  // slot of the fault guard, -1 without a mapping
    bool valide_ = false;
    struct stat etat_ = {};  // as mapped
};
