#include "robot/trace_csv.h"

#include <cerrno>
#include <cstring>

#include "commun/ecriture_sure.h"
#include "commun/nombre_court.h"
#include "robot/robot.h"

const char* const TraceCsv::ENTETE =
    "temps_s,THETA1_deg,THETA2_deg,THETA3_deg,THETA5_deg,X_u,Y_u,Z_u,THETA_deg,objet_tenu,"
    "commandes\n";

namespace {
// A field with a comma, a quote or a line end is quoted, its quotes doubled.
std::string champ(const std::string& texte) {
    if (texte.find_first_of(",\"\r\n") == std::string::npos) return texte;
    std::string r = "\"";
    for (char c : texte) r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + '"';
}
}  // namespace

TraceCsv::~TraceCsv() { ferme(); }

std::string TraceCsv::entete(const std::vector<std::string>& colonnes) {
    std::string e = "temps_s,";
    for (const std::string& c : colonnes) e += champ(c) + ",";
    return e + "objet_tenu,commandes\n";
}

bool TraceCsv::ouvre(const std::string& chemin, const std::vector<std::string>& protegees,
                     const std::string& entete) {
    ferme();
    erreur.clear();
    chemin_ = chemin;
    std::string raison;
    fichier_ = ecriture::ouvreFlux(chemin, entete, protegees, raison);
    if (!fichier_) {
        erreur = "trace : " + raison + ", la trace n'est pas écrite";
        return false;
    }
    return true;
}

bool TraceCsv::ecrit(double temps, const Robot& r, const std::string& objetTenu) {
    return ecrit(temps, {r.THETA1, r.THETA2, r.THETA3, r.THETA5, r.X, r.Y, r.Z, r.THETA}, objetTenu,
                 r.commandes.size());
}

bool TraceCsv::ecrit(double temps, const std::vector<float>& valeurs, const std::string& objetTenu,
                     std::size_t commandes) {
    if (!fichier_) return false;
    // The fewest digits that give back each float exactly.
    std::string texte;
    for (float v : valeurs) texte += nombreCourt(v) + ",";
    const int n = std::fprintf(fichier_, "%.3f,%s%s,%zu\n", temps, texte.c_str(),
                               champ(objetTenu).c_str(), commandes);
    if (n < 0 || std::fflush(fichier_) != 0) {
        erreur = "trace : écriture impossible dans " + chemin_ + " (" + std::strerror(errno) +
                 "), la trace s'arrête";
        ferme();
        return false;
    }
    return true;
}

void TraceCsv::ferme() {
    if (fichier_) std::fclose(fichier_);
    fichier_ = nullptr;
}
