// Which casters of light 0's depth map can be kept from one frame to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class Entite;
class Instance;

// Light 0's depth map is the nearest depth of every caster. The meshes that stay still (and
// the floor) can be drawn into it once, their depths read back and written again at each
// frame before the casters that move are drawn over them: the map is the same, and a big
// still mesh no longer costs its triangles in every depth pass. This class decides, frame by
// frame, what the depth pass does; the drawing half reads and writes the depths.
class OmbresFixes {
public:
    enum class Action {
        ToutDessiner,  // every caster, as without the cache
        Reconstruire,  // the still casters, their depths read back, then the others
        Restaurer,     // the kept depths written back, then the others
    };

    // A mesh instance counts as still once it has kept its placement, visibility and mesh
    // for this many frames in a row.
    int imagesStables = 2;
    // Below this many triangles among the still meshes, reading and writing the depths back
    // costs more than drawing them.
    size_t seuilTriangles = 20000;
    // A mesh that settles after the map was made joins it after this many still frames.
    int delaiAjout = 30;

    // `cleGlobale` holds everything else the map depends on (light, map size, offsets, the
    // floor, the way meshes are drawn): any change of it makes the kept depths useless.
    Action prepare(const std::vector<double>& cleGlobale,
                   const std::vector<std::shared_ptr<Instance>>& instances);
    // True for an instance whose depths are in the kept map (drawn with the still part).
    bool fixe(const Instance* instance) const;
    // The kept depths are lost (a read failed, the context changed).
    void oublie();

private:
    struct Cle {
        float m[16] = {};
        bool visible = false;
        std::weak_ptr<Entite> entite;
        uint64_t revision = 0;
    };
    struct Suivi {
        Cle cle;
        int stableDepuis = 0;
        bool fixe = false;
        size_t triangles = 0;
        uint64_t vu = 0;
    };

    bool suit(const std::vector<std::shared_ptr<Instance>>& instances);
    Action choisit();

    std::unordered_map<const Instance*, Suivi> suivis_;
    std::vector<double> cleGlobale_;
    bool cleGlobaleStable_ = false;
    bool valide_ = false;
    uint64_t image_ = 0;
};
