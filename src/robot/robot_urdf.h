// Robot descriptions (URDF), read with urdfdom: the serial chain from the root link to the
// tool link, and the visuals of its links (meshes, boxes, cylinders, spheres, colours), every
// length multiplied by the scale the caller gives. A missing or unreadable mesh is a located
// warning and the robot still loads; a file that is not a valid description is an error.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "geometrie/mesh.h"
#include "robot/chaine.h"

// One located message: "file:line: text" (no line when it is not known).
struct DiagnosticURDF {
    std::string fichier;
    int ligne = 0;
    std::string message;
    std::string texte() const;
};

// What makes a description invalid; what() is the located text.
class ErreurURDF : public std::runtime_error {
public:
    explicit ErreurURDF(const DiagnosticURDF& d) : std::runtime_error(d.texte()), diagnostic(d) {}
    DiagnosticURDF diagnostic;
};

struct VisuelURDF {
    int lien = 0;                                               // index in the chain's links
    Eigen::Isometry3d origine = Eigen::Isometry3d::Identity();  // in the link's frame, scaled
    std::shared_ptr<Mesh> maillage;                             // scaled; never null
    std::shared_ptr<Material> materiau;                         // null: the mesh's own colours
};

struct RobotURDF {
    std::string nom;
    std::string fichier;
    ChaineCinematique chaine;
    std::vector<VisuelURDF> visuels;
    std::vector<DiagnosticURDF> avertissements;
};

// Reads the mesh file at the path given, scaled by echelle; returns null, or throws a
// std::exception with a French message, when it cannot.
using LecteurMaillage =
    std::function<std::shared_ptr<Mesh>(const std::string& chemin, float echelle)>;

struct OptionsURDF {
    double echelle = 1.0;     // description units (metres) to the caller's
    std::string lienOutil;    // empty: the tip of the only branch
    LecteurMaillage lecteur;  // empty: the reader of the file's format (lisMaillageMisAEchelle)
    bool maillages = true;    // false: chain only, no visual read
};

// Reads a description file. Throws ErreurURDF on an invalid one.
RobotURDF lisURDF(const std::string& fichier, const OptionsURDF& options = {});
// The same from the text of a description; fichier names it in messages and gives the
// folder that relative mesh paths start from.
RobotURDF lisURDFTexte(const std::string& texte, const std::string& fichier,
                       const OptionsURDF& options = {});

// Where a mesh named in the description lies: "package://name/rest" is looked for as
// folder/name/rest and folder/rest for the description's folder and each of its parents;
// "file://" paths and absolute ones as they are; others beside the description. Empty, with
// the reason in erreur, when a package path climbs out with "..", or nothing is found.
std::string cheminMaillage(const std::string& nom, const std::string& dossierDescription,
                           std::string& erreur);
