// Which casters of light 0's depth map can be kept from one frame to the next.
#include "scene/ombres_fixes.h"

#include <algorithm>
#include <cstring>

#include "geometrie/mesh.h"
#include "scene/scene.h"

namespace {
// The mesh an instance draws, when it is a plain mesh instance that nothing animates or holds.
std::shared_ptr<Entite> meshImmobile(const Instance& instance) {
    const auto* ie = dynamic_cast<const InstanceEntite*>(&instance);
    if (!ie || instance.animation || instance.lien) return nullptr;
    if (!dynamic_cast<const Mesh*>(ie->entite.get())) return nullptr;
    return ie->entite;
}

size_t triangles(const Mesh& mesh) {
    size_t n = 0;
    for (const Face& f : mesh.faces) n += static_cast<size_t>(std::max(f.nbCoins() - 2, 0));
    return n;
}

bool memeEntite(const std::weak_ptr<Entite>& a, const std::shared_ptr<Entite>& b) {
    return !a.expired() && !a.owner_before(b) && !b.owner_before(a);
}
}  // namespace

// Follows each mesh instance's key; false when a kept instance changed or went away.
bool OmbresFixes::suit(const std::vector<std::shared_ptr<Instance>>& instances) {
    bool intacte = true;
    for (const auto& p : instances) {
        if (!p) continue;
        const std::shared_ptr<Entite> entite = meshImmobile(*p);
        if (!entite) continue;
        const auto* mesh = static_cast<const Mesh*>(entite.get());
        Suivi& s = suivis_[p.get()];
        const bool meme = s.vu != 0 && s.cle.visible == p->visible &&
                          std::memcmp(s.cle.m, p->m, sizeof s.cle.m) == 0 &&
                          s.cle.revision == mesh->revision() && memeEntite(s.cle.entite, entite);
        if (meme) {
            s.stableDepuis = std::min(s.stableDepuis + 1, delaiAjout + 1);
        } else {
            std::memcpy(s.cle.m, p->m, sizeof s.cle.m);
            s.cle.visible = p->visible;
            s.cle.entite = entite;
            s.cle.revision = mesh->revision();
            s.stableDepuis = 0;
            if (s.fixe) intacte = false;
            s.triangles = p->visible ? triangles(*mesh) : 0;
        }
        s.vu = image_;
    }
    // An instance gone from the scene leaves its depths in the kept map.
    for (auto it = suivis_.begin(); it != suivis_.end();) {
        if (it->second.vu == image_) {
            ++it;
            continue;
        }
        if (it->second.fixe) intacte = false;
        it = suivis_.erase(it);
    }
    return intacte;
}

OmbresFixes::Action OmbresFixes::prepare(const std::vector<double>& cleGlobale,
                                         const std::vector<std::shared_ptr<Instance>>& instances) {
    ++image_;
    cleGlobaleStable_ = image_ > 1 && cleGlobale == cleGlobale_;
    if (!cleGlobaleStable_) cleGlobale_ = cleGlobale;
    const bool intacte = suit(instances);
    if (valide_ && intacte && cleGlobaleStable_) {
        // A big mesh that settled since joins the kept map once.
        const bool ajout = std::any_of(suivis_.begin(), suivis_.end(), [&](const auto& e) {
            const Suivi& s = e.second;
            return !s.fixe && s.stableDepuis == delaiAjout && s.triangles > 0;
        });
        if (!ajout) return Action::Restaurer;
    }
    return choisit();
}

// A new kept map from the meshes that have been still long enough, when they are worth it.
OmbresFixes::Action OmbresFixes::choisit() {
    oublie();
    if (!cleGlobaleStable_) return Action::ToutDessiner;
    size_t triangles = 0;
    for (const auto& [instance, s] : suivis_)
        if (s.stableDepuis >= imagesStables) triangles += s.triangles;
    if (triangles < seuilTriangles || triangles == 0) return Action::ToutDessiner;
    for (auto& [instance, s] : suivis_) s.fixe = s.stableDepuis >= imagesStables;
    valide_ = true;
    return Action::Reconstruire;
}

bool OmbresFixes::fixe(const Instance* instance) const {
    if (!valide_) return false;
    const auto it = suivis_.find(instance);
    return it != suivis_.end() && it->second.fixe;
}

void OmbresFixes::oublie() {
    valide_ = false;
    for (auto& [instance, s] : suivis_) s.fixe = false;
}
