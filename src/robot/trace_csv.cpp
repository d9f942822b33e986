#include "robot/trace_csv.h"

#include <cerrno>
#include <cstring>

#include "commun/ecriture_sure.h"
#include "commun/nombre_court.h"
#include "robot/robot.h"

const char* const TraceCsv::ENTETE =
    "temps_s,THETA1_deg,THETA2_deg,THETA3_deg,THETA5_deg,X_u,Y_u,Z_u,THETA_deg,objet_tenu,"
    "commandes\n";

TraceCsv::~TraceCsv() { ferme(); }

bool TraceCsv::ouvre(const std::string& chemin, const std::vector<std::string>& protegees) {
    ferme();
    erreur.clear();
    chemin_ = chemin;
    std::string raison;
    fichier_ = ecriture::ouvreFlux(chemin, ENTETE, protegees, raison);
    if (!fichier_) {
        erreur = "trace : " + raison + ", la trace n'est pas écrite";
        return false;
    }
    return true;
}

bool TraceCsv::ecrit(double temps, const Robot& r, const std::string& objetTenu) {
    if (!fichier_) return false;
    // A name with a comma, a quote or a line end is quoted, its quotes doubled.
    std::string tenu = objetTenu;
    if (tenu.find_first_of(",\"\r\n") != std::string::npos) {
        tenu.clear();
        for (char c : objetTenu) tenu += c == '"' ? std::string("\"\"") : std::string(1, c);
        tenu = '"' + tenu + '"';
    }
    // The fewest digits that give back each float exactly.
    std::string valeurs;
    for (float v : {r.THETA1, r.THETA2, r.THETA3, r.THETA5, r.X, r.Y, r.Z, r.THETA})
        valeurs += nombreCourt(v) + ",";
    const int n = std::fprintf(fichier_, "%.3f,%s%s,%zu\n", temps, valeurs.c_str(), tenu.c_str(),
                               r.commandes.size());
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
