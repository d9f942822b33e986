// Where the scene reader stands, so that every message about a scene file can name it: the
// files being read (the scene first, then each file included by the statement being run in
// the one before) and, while a statement is read or run, the line where it begins and its
// first characters. The reader sets it through the guards below; the console adds it to
// what it reports. Outside the reading of a scene (frames, callbacks) nothing is set.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lieuLecture {

// A file being read.
struct Fichier {
    std::string nom;           // as the user wrote it
    int ligne = 1;             // line being read (the reader counts the line ends)
    int ligneInstruction = 1;  // line where the statement being read or run begins
    // The statement's text while it is read or run; empty otherwise.
    std::function<std::string()> texteInstruction;
};

// The file is being read for the life of the object (files nest as includes do).
class FichierLu {
public:
    explicit FichierLu(std::string nom);
    ~FichierLu();
    FichierLu(const FichierLu&) = delete;
    FichierLu& operator=(const FichierLu&) = delete;

private:
    Fichier fichier_;
};

// The innermost file being read, or null.
Fichier* fichierCourant();

// A statement of `fichier`, beginning at its `ligneInstruction`, is read or run for the life
// of the object. `texte` gives its text when a message needs it (while it is read, the text
// grows).
class InstructionLue {
public:
    InstructionLue(Fichier& fichier, std::function<std::string()> texte);
    ~InstructionLue();
    InstructionLue(const InstructionLue&) = delete;
    InstructionLue& operator=(const InstructionLue&) = delete;

private:
    Fichier& fichier_;
    std::function<std::string()> precedent_;
};

struct Lieu {
    std::string fichier;
    int ligne = 0;
    std::string debut;  // the statement's first characters, on one line
    // The includes that led there, innermost first: file and line of each include.
    std::vector<std::pair<std::string, int>> inclusDepuis;

    // "scene.txt:3:"
    std::string prefixe() const;
    // "« a = rgb(1, 2) », inclus depuis demo.txt:4"
    std::string contexte() const;
    // The line that heads a message: "scene.txt:3: « a = rgb(1, 2) », inclus depuis demo.txt:4"
    std::string enTete() const { return prefixe() + " " + contexte(); }
};

// The place of the statement being read or run; false when there is none.
bool lieuCourant(Lieu& lieu);

// A statement's first characters on one line: runs of blanks and control characters become
// one blank, and the text is cut after `max` characters (an ellipsis marks the cut).
std::string debutInstruction(const std::string& texte, std::size_t max = 30);

// A scene is being loaded for the life of the object; the console keeps what it reports
// then (the record starts afresh with each load), and its end may close with a box that
// counts the boxes held back (Console::limiteBoitesParChargement).
class Chargement {
public:
    Chargement();
    ~Chargement();
    Chargement(const Chargement&) = delete;
    Chargement& operator=(const Chargement&) = delete;
};
bool chargementEnCours();

}  // namespace lieuLecture
