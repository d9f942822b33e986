// The workspace grid: the robot's exact target check at each cell centre of its plane.
#include "robot/espace_travail.h"

#include <cmath>
#include <cstring>

#include "geometrie/angles.h"
#include "robot/robot.h"
#include "scene/scene.h"

namespace {

EtatCellule etatDe(const char* raison) {
    if (!raison) return EtatCellule::Atteinte;
    if (std::strstr(raison, "hors limites")) return EtatCellule::Limite;
    if (std::strcmp(raison, "trop près de l'axe du robot") == 0) return EtatCellule::Axe;
    if (std::strcmp(raison, "sous le sol") == 0) return EtatCellule::Sol;
    if (std::strcmp(raison, "collision de la pince") == 0) return EtatCellule::Collision;
    return EtatCellule::HorsAtteinte;
}

// Columns and rows of cells `pas` wide covering [0, rMax] x [zBas, zHaut].
void dimensionne(GrilleEspace& g, float pas, float rMax, float zBas, float zHaut) {
    g.pas = pas;
    g.zMin = std::floor(zBas / pas) * pas;
    g.nbR = static_cast<int>(std::ceil(rMax / pas)) + 1;
    g.nbZ = static_cast<int>(std::ceil((zHaut - g.zMin) / pas)) + 1;
}

}  // namespace

GrilleEspace calculeEspaceTravail(Robot& robot, float theta1, float pas) {
    GrilleEspace g;
    g.theta1 = theta1;
    if (!(pas > 0) || !std::isfinite(pas)) pas = 1;
    // The tool point stays within the arm's length of the wrist's circle around the shoulder.
    const float rMax =
        std::fabs(robot.L0) + std::fabs(robot.L1) + std::fabs(robot.L2) + std::fabs(robot.L3);
    const float portee = std::fabs(robot.L2) + std::fabs(robot.L3);
    const float centre = robot.hauteurEpaule - robot.decalageOutil;
    // Below the floor every target is refused: the grid starts there at the lowest.
    const float zBas = std::fmax(0.0f, centre - portee), zHaut = centre + portee;
    if (!std::isfinite(rMax) || !std::isfinite(zBas) || !std::isfinite(zHaut) || zHaut < zBas)
        return g;
    dimensionne(g, pas, rMax, zBas, zHaut);
    const double nb = static_cast<double>(g.nbR) * static_cast<double>(g.nbZ);
    if (nb > static_cast<double>(CELLULES_ESPACE_MAX)) {
        const double facteur = std::sqrt(nb / static_cast<double>(CELLULES_ESPACE_MAX));
        dimensionne(g, static_cast<float>(std::ceil(pas * facteur * 1.01)), rMax, zBas, zHaut);
    }

    // Within the arm's ring around the shoulder (in the plane), the lengths alone would let
    // the wrist get there: a refusal there is worth showing, outside it the arm is too short.
    const float anneauMin = std::fabs(robot.L2 - robot.L3), anneauMax = portee;
    auto dansAnneau = [&](float r, float z) {
        const float e = r - robot.L0 - robot.L1, f = z + robot.decalageOutil - robot.hauteurEpaule;
        const float d = std::sqrt(e * e + f * f);
        return d >= anneauMin && d <= anneauMax;
    };
    const float c = std::cos(enRadians(theta1)), s = std::sin(enRadians(theta1));
    g.cellules.resize(static_cast<std::size_t>(g.nbR) * static_cast<std::size_t>(g.nbZ));
    std::size_t k = 0;
    for (int j = 0; j < g.nbZ; ++j)
        for (int i = 0; i < g.nbR; ++i) {
            const float r = g.r(i), z = g.z(j);
            Commande cible;
            EtatCellule e = etatDe(robot.cibleVers(r * c, r * s, z, 0, cible, true));
            if (e != EtatCellule::Atteinte && e != EtatCellule::Limite && !dansAnneau(r, z))
                e = EtatCellule::HorsAtteinte;
            g.cellules[k++] = e;
        }
    return g;
}

bool EspaceTravail::Cle::operator==(const Cle& c) const {
    return valide == c.valide && collision == c.collision && theta1 == c.theta1 &&
           hauteurTenu == c.hauteurTenu && rayonMin == c.rayonMin && boites == c.boites;
}

const GrilleEspace& EspaceTravail::grille(Robot& robot) {
    Cle cle;
    cle.valide = true;
    Instance* tenu = robot.objetTenu();
    cle.hauteurTenu = tenu ? tenu->hauteur() : 0;
    cle.rayonMin = robot.rayonMin;
    cle.collision = robot.collisionPince && robot.listeInstances;
    if (cle.collision) {
        cle.theta1 = robot.THETA1;
        double i = 1;
        for (const auto& inst : *robot.listeInstances) {
            if (!inst) continue;
            CVecteur a, b;
            inst->getBoiteEnglobante(a, b);
            cle.boites += i * (a.x + 3 * a.y + 5 * a.z + 7 * b.x + 11 * b.y + 13 * b.z);
            i += 1;
        }
    }
    if (!(cle == cle_)) {
        grille_ = calculeEspaceTravail(robot, robot.THETA1);
        cle_ = cle;
        ++nbCalculs_;
    }
    return grille_;
}
