// Writing taught poses in the scene language, for the reader to replay.
#include "script/fragment_scene.h"

#include <cstdio>

#include "commun/ecriture_sure.h"

namespace {
// Fixed notation: the scene language reads it back whatever the magnitude.
std::string nombre(double v) {
    char t[64];
    std::snprintf(t, sizeof t, "%.4f", v);
    return t;
}
}  // namespace

std::string fragmentPoints(const PointsPassage& points, const std::string& v, bool rectiligne) {
    std::string s = "// Points de passage enregistrés par Brakmor (" +
                    std::to_string(points.points().size()) + ")\n";
    bool tenu = false;
    for (const PointPassage& p : points.points()) {
        if (!p.articulations.empty()) {
            // An arm read from a description: its joints, whatever the straight-line choice.
            s += "deplaceArticulaire(&" + v;
            for (double a : p.articulations) s += ", " + nombre(a);
            s += ");\n";
        } else if (rectiligne)
            s += "deplacePoignet(&" + v + ", " + nombre(p.X) + ", " + nombre(p.Y) + ", " +
                 nombre(p.Z) + ", " + nombre(p.THETA) + ", true);\n";
        else
            s += "deplaceArticulaire(&" + v + ", " + nombre(p.T1) + ", " + nombre(p.T2) + ", " +
                 nombre(p.T3) + ", " + nombre(p.T5) + ");\n";
        if (p.tenu != tenu) s += (p.tenu ? "saisis(&" : "lache(&") + v + ");\n";
        tenu = p.tenu;
    }
    return s;
}

std::string enregistrePoints(const PointsPassage& points, const std::string& chemin,
                             const std::string& variable, bool rectiligne,
                             const std::vector<std::string>& protegees) {
    return ecriture::ecritFichier(chemin, fragmentPoints(points, variable, rectiligne), protegees);
}
