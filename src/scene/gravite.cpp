// Gravity: falling instances come to rest on the floor z = 0 or on the top of another
// instance. Also the box-against-box contact test shared with the robot's gripper.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "scene/scene.h"

namespace {

// Some edge of box A crosses a face of box B (edges and faces included).
bool areteCroiseFace(const CVecteur& minA, const CVecteur& maxA, const CVecteur& minB,
                     const CVecteur& maxB) {
    for (int k = 0; k < 3; ++k) {
        const int i = (k + 1) % 3, j = (k + 2) % 3;
        const float bas = std::min(minA[k], maxA[k]), haut = std::max(minA[k], maxA[k]);
        for (const float F : {minB[k], maxB[k]}) {
            if (F < bas || F > haut) continue;
            // The four edges of A parallel to axis k.
            for (const float ei : {minA[i], maxA[i]})
                for (const float ej : {minA[j], maxA[j]})
                    if (minB[i] <= ei && ei <= maxB[i] && minB[j] <= ej && ej <= maxB[j])
                        return true;
        }
    }
    return false;
}

struct Boite {
    CVecteur min, max;
};

// Sort key: top of the box; a box without a number for a top goes last so the ordering
// stays strict and weak.
float sommet(Instance* i, const Boite& b) {
    if (!i) return -std::numeric_limits<float>::infinity();
    return std::isnan(b.max.z) ? std::numeric_limits<float>::infinity() : b.max.z;
}

struct Cle {
    float sommet;
    Boite boite;
    std::shared_ptr<Instance> instance;
};

}  // namespace

bool collisionBoites(CVecteur minA, CVecteur maxA, CVecteur minB, CVecteur maxB) {
    return areteCroiseFace(minA, maxA, minB, maxB) || areteCroiseFace(minB, maxB, minA, maxA);
}

bool CScene::appliqueGravite(float dt) {
    const float g = gravite;

    // The highlighted instance is remembered by identity so the sort does not move the
    // highlight to whatever instance lands at its index.
    Instance* surlignee = nullptr;
    if (selectionCourante >= 0 && selectionCourante < nbInstances())
        surlignee = instances[selectionCourante].get();

    // Lowest top first; equal tops keep their previous order. Each box is computed once a
    // step and again only when its instance moves: falling instances resting on others are
    // tested against every lower one at every step.
    std::vector<Cle> cles;
    cles.reserve(instances.size());
    for (auto& i : instances) {
        Boite b{CVecteur(0, 0, 0), CVecteur(0, 0, 0)};
        if (i) i->getBoiteEnglobante(b.min, b.max);
        const float s = sommet(i.get(), b);
        cles.push_back({s, b, std::move(i)});
    }
    std::stable_sort(cles.begin(), cles.end(),
                     [](const Cle& a, const Cle& b) { return a.sommet < b.sommet; });
    std::vector<Boite> boites(cles.size());
    for (size_t n = 0; n < cles.size(); ++n) {
        instances[n] = std::move(cles[n].instance);
        boites[n] = cles[n].boite;
    }

    if (surlignee)
        for (size_t n = 0; n < instances.size(); ++n)
            if (instances[n].get() == surlignee) {
                selectionCourante = static_cast<int>(n);
                break;
            }

    bool tombe = false;
    for (size_t n = 0; n < instances.size(); ++n) {
        Instance* p = instances[n].get();
        if (!p || !p->tombe) continue;

        const float dz = p->vitesse.z * dt;
        p->vitesse.z = p->vitesse.z - g * dt;

        const CVecteur min = boites[n].min, max = boites[n].max;
        const CVecteur minBalaye(min.x, min.y, min.z + dz);

        bool pose = false;
        for (size_t m = 0; m < n && !pose; ++m) {
            Instance* q = instances[m].get();
            if (!q) continue;
            const CVecteur &minQ = boites[m].min, &maxQ = boites[m].max;
            if (collisionBoites(minBalaye, max, minQ, maxQ)) {
                // Resting on q: its bottom on q's top; still tested at every step.
                p->m[14] = p->m[14] - min.z + maxQ.z;
                p->vitesse = CVecteur(0, 0, 0);
                pose = true;
            }
        }
        if (pose) {
            p->getBoiteEnglobante(boites[n].min, boites[n].max);
            continue;
        }

        if (min.z + dz < 0) {
            // On the floor for good.
            p->m[14] = p->m[14] - min.z;
            p->tombe = false;
            p->vitesse = CVecteur(0, 0, 0);
        } else {
            p->m[14] = p->m[14] + dz;
            tombe = true;
        }
        p->getBoiteEnglobante(boites[n].min, boites[n].max);
    }
    return tombe;
}
