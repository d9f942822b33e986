// The test robots of tests/urdf-dart (unpacked by scripts/install-deps.sh) and random
// joint vectors within a chain's limits.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>

#include "robot/robot_urdf.h"

inline const std::string KR5 = "../urdf-dart/KR5/KR5 sixx R650.urdf";
inline const std::string WAM = "../urdf-dart/wam/wam.urdf";

// The test data are there (a test needing them fails otherwise, saying why).
inline ::testing::AssertionResult robotsDeTestPresents() {
    struct stat e;
    if (stat(KR5.c_str(), &e) == 0 && stat(WAM.c_str(), &e) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "robots de test absents de tests/urdf-dart : lancez scripts/install-deps.sh";
}

inline RobotURDF chargeSansMaillages(const std::string& fichier) {
    OptionsURDF o;
    o.maillages = false;
    return lisURDF(fichier, o);
}

inline VecteurArticulaire tireDansLimites(const ModeleCinematique& m, std::mt19937& alea) {
    VecteurArticulaire q(m.nbArticulations());
    for (int i = 0; i < q.size(); ++i) {
        const LimitesArticulation l = m.limites(i);
        q[i] = std::uniform_real_distribution<double>(l.min, l.max)(alea);
    }
    return q;
}
