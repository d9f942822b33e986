// The robot-description reader: each input is a description read with lisURDF, meshes
// included (names in it reach the test data: urdf/…, urdf-dart/…). Either it is refused with
// a located error naming the file, or the robot comes whole: one link per joint plus the
// base, every visual on one of them with a mesh, a finite direct model at zero and a
// Jacobian of the chain's size; every warning names the file.
#include <cstdint>
#include <cstdlib>

#include "commun.h"
#include "robot/robot_urdf.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    const std::string& fichier = fuzz::ecrit("entree.urdf", data, taille);
    try {
        const RobotURDF r = lisURDF(fichier);
        const ChaineCinematique& c = r.chaine;
        if (c.nbLiens() != c.nbJoints() + 1) std::abort();
        for (const VisuelURDF& v : r.visuels)
            if (!v.maillage || v.lien < 0 || v.lien >= c.nbLiens()) std::abort();
        for (const DiagnosticURDF& d : r.avertissements)
            if (d.fichier != fichier || d.message.empty()) std::abort();
        const VecteurArticulaire q = VecteurArticulaire::Zero(c.nbArticulations());
        if (!c.modeleDirect(q).matrix().allFinite()) std::abort();
        if (c.jacobien(q).cols() != c.nbArticulations()) std::abort();
    } catch (const ErreurURDF& e) {
        if (e.diagnostic.fichier != fichier || e.diagnostic.message.empty()) std::abort();
    }
    return 0;
}
