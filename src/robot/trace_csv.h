// The motion trace: one CSV row per simulation step with the time, the joints, the wrist,
// the held object and the queue length, written and flushed as it goes so that a crash
// loses at most the last step.
#pragma once

#include <cstdio>
#include <string>

class Robot;

class TraceCsv {
public:
    TraceCsv() = default;
    TraceCsv(const TraceCsv&) = delete;
    TraceCsv& operator=(const TraceCsv&) = delete;
    ~TraceCsv();

    // Creates (or empties) the file and writes the header row. False, with the reason in
    // `erreur`, when the file cannot be written (a folder, no permission...).
    bool ouvre(const std::string& chemin);
    bool ouverte() const { return fichier_ != nullptr; }
    // One row: `temps` in seconds, `objetTenu` the held instance's name or empty. A write
    // that fails (a full disk) closes the trace; the reason is then in `erreur`. Returns
    // false when nothing was written.
    bool ecrit(double temps, const Robot& robot, const std::string& objetTenu);
    void ferme();

    std::string erreur;

    static const char* const ENTETE;

private:
    std::FILE* fichier_ = nullptr;
    std::string chemin_;
};
