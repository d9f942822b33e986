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

// Sort key: top of the box; a box without a number for a top goes last so the ordering
// stays strict and weak.
float sommet(Instance* i) {
    if (!i) return -std::numeric_limits<float>::infinity();
    CVecteur min, max;
    i->getBoiteEnglobante(min, max);
    return std::isnan(max.z) ? std::numeric_limits<float>::infinity() : max.z;
}

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

    // Lowest top first; equal tops keep their previous order.
    std::vector<std::pair<float, std::shared_ptr<Instance>>> cles;
    cles.reserve(instances.size());
    for (auto& i : instances) cles.emplace_back(sommet(i.get()), std::move(i));
    std::stable_sort(cles.begin(), cles.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t n = 0; n < cles.size(); ++n) instances[n] = std::move(cles[n].second);

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

        CVecteur min, max;
        p->getBoiteEnglobante(min, max);
        const CVecteur minBalaye(min.x, min.y, min.z + dz);

        bool pose = false;
        for (size_t m = 0; m < n && !pose; ++m) {
            Instance* q = instances[m].get();
            if (!q) continue;
            CVecteur minQ, maxQ;
            q->getBoiteEnglobante(minQ, maxQ);
            if (collisionBoites(minBalaye, max, minQ, maxQ)) {
                // Resting on q: its bottom on q's top; still tested at every step.
                p->m[14] = p->m[14] - min.z + maxQ.z;
                p->vitesse = CVecteur(0, 0, 0);
                pose = true;
            }
        }
        if (pose) continue;

        if (min.z + dz < 0) {
            // On the floor for good.
            p->m[14] = p->m[14] - min.z;
            p->tombe = false;
            p->vitesse = CVecteur(0, 0, 0);
        } else {
            p->m[14] = p->m[14] + dz;
            tombe = true;
        }
    }
    return tombe;
}
