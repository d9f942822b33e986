// The motion trace: one CSV row per simulation step with the time, the joints, the tool
// point (and, for the four-joint arm, the gripper's turn), the held object and the queue
// length, written and flushed as it goes so that a crash loses at most the last step.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class Robot;

class TraceCsv {
public:
    TraceCsv() = default;
    TraceCsv(const TraceCsv&) = delete;
    TraceCsv& operator=(const TraceCsv&) = delete;
    ~TraceCsv();

    // Creates the file with the header row; a file already there is kept as `chemin`.bak.
    // False, with the reason in `erreur`, when the file cannot be written (no permission) or
    // may not be (a folder, a pipe or a device, one of `protegees`: the scene's files).
    // entete: the header row (entete(colonnes) for an arm's own columns).
    bool ouvre(const std::string& chemin, const std::vector<std::string>& protegees,
               const std::string& entete = ENTETE);
    bool ouverte() const { return fichier_ != nullptr; }
    // One row: `temps` in seconds, `objetTenu` the held instance's name or empty. A write
    // that fails (a full disk) closes the trace; the reason is then in `erreur`. Returns
    // false when nothing was written.
    bool ecrit(double temps, const Robot& robot, const std::string& objetTenu);
    // The same for any arm: its columns' values (BrasPilote::valeursTrace), its queue length.
    bool ecrit(double temps, const std::vector<float>& valeurs, const std::string& objetTenu,
               std::size_t commandes);
    void ferme();

    std::string erreur;

    // The four-joint arm's header.
    static const char* const ENTETE;
    // The header of an arm whose columns between the time and the held object are these.
    static std::string entete(const std::vector<std::string>& colonnes);

private:
    std::FILE* fichier_ = nullptr;
    std::string chemin_;
};
