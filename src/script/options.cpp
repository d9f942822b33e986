// The display options that scene scripts read and write by name. Setters only store the
// value; the frame and initGL carry it to OpenGL.
#include "script/options.h"

#include <cstring>
#include <iterator>
#include <memory>

#include "scene/camera.h"
#include "scene/scene.h"

namespace {
// A value of another type than the row's is ignored: reading its payload as the row's type
// would reinterpret an unrelated object.
template <bool CScene::*champ>
void setBool(CScene& s, Camera*, const Valeur& v) {
    if (v.type == T_BOOL) s.*champ = v.booleenVal();
}
template <bool CScene::*champ>
Valeur getBool(const CScene& s, const Camera*) {
    return Valeur::booleen(s.*champ);
}

template <int CScene::*champ>
void setInt(CScene& s, Camera*, const Valeur& v) {
    if (v.type == T_INT) s.*champ = v.scalaire.i;
}
template <int CScene::*champ>
Valeur getInt(const CScene& s, const Camera*) {
    return Valeur::entier(s.*champ);
}

template <float CScene::*champ>
void setFloat(CScene& s, Camera*, const Valeur& v) {
    if (v.type == T_FLOAT) s.*champ = v.scalaire.f;
}
template <float CScene::*champ>
Valeur getFloat(const CScene& s, const Camera*) {
    return Valeur::reel(s.*champ);
}

// The point of a value, or null when it is not a point or its object was destroyed.
std::shared_ptr<CVecteur> pointDe(const Valeur& v) {
    return v.type == T_POINT ? v.objet<CVecteur>() : nullptr;
}

Valeur nouveauPoint(float x, float y, float z) {
    return Valeur::objetDe(T_POINT, std::make_shared<CVecteur>(x, y, z));
}

void setCouleurFond(CScene& s, Camera*, const Valeur& v) {
    if (v.type != T_COULEUR) return;
    if (auto c = v.objet<RGBA>()) s.couleurfond = RGBA(c->r, c->g, c->b, c->a);
}
Valeur getCouleurFond(const CScene& s, const Camera*) {
    const RGBA& c = s.couleurfond;
    return Valeur::objetDe(T_COULEUR, std::make_shared<RGBA>(c.r, c.g, c.b, c.a));
}

void setGrillePos(CScene& s, Camera*, const Valeur& v) {
    if (auto p = pointDe(v)) s.grillePos = CVecteur(p->x, p->y, p->z);
}
Valeur getGrillePos(const CScene& s, const Camera*) {
    return nouveauPoint(s.grillePos.x, s.grillePos.y, s.grillePos.z);
}

void setCameraPos(CScene&, Camera* camera, const Valeur& v) {
    auto p = pointDe(v);
    if (camera && p) camera->position = CVecteur(p->x, p->y, p->z);
}
Valeur getCameraPos(const CScene&, const Camera* camera) {
    if (!camera) return nouveauPoint(0, 0, 0);
    return nouveauPoint(camera->position.x, camera->position.y, camera->position.z);
}

void setCameraRot(CScene&, Camera* camera, const Valeur& v) {
    auto p = pointDe(v);
    if (!camera || !p) return;
    camera->angleX = p->x;
    camera->angleY = p->y;
    camera->angleZ = p->z;
}
Valeur getCameraRot(const CScene&, const Camera* camera) {
    if (!camera) return nouveauPoint(0, 0, 0);
    return nouveauPoint(camera->angleX, camera->angleY, camera->angleZ);
}

// The floor keeps its own copy: later changes to the script's material do not reach it.
void setMaterialSol(CScene& s, Camera*, const Valeur& v) {
    if (v.type != T_MATERIAL) return;
    if (auto m = v.objet<Material>()) s.material_sol = *m;
}
Valeur getMaterialSol(const CScene& s, const Camera*) {
    return Valeur::objetDe(T_MATERIAL, std::make_shared<Material>(s.material_sol));
}
}  // namespace

const OptionAffichage optionsAffichage[] = {
    {"texturage", T_BOOL, setBool<&CScene::texturage>, getBool<&CScene::texturage>},
    {"backface_culling", T_BOOL, setBool<&CScene::backface_culling>,
     getBool<&CScene::backface_culling>},
    {"points_seuls", T_BOOL, setBool<&CScene::points_seuls>, getBool<&CScene::points_seuls>},
    {"antialiasing", T_BOOL, setBool<&CScene::antialiasing>, getBool<&CScene::antialiasing>},
    {"bilinear", T_BOOL, setBool<&CScene::bilinear>, getBool<&CScene::bilinear>},
    {"dithering", T_BOOL, setBool<&CScene::dithering>, getBool<&CScene::dithering>},
    {"couleurfond", T_COULEUR, setCouleurFond, getCouleurFond},
    {"eclairage", T_BOOL, setBool<&CScene::eclairage>, getBool<&CScene::eclairage>},
    {"filaire", T_BOOL, setBool<&CScene::filaire>, getBool<&CScene::filaire>},
    {"smoothshading", T_BOOL, setBool<&CScene::smoothshading>, getBool<&CScene::smoothshading>},
    {"grilleX", T_BOOL, setBool<&CScene::grilleX>, getBool<&CScene::grilleX>},
    {"grilleY", T_BOOL, setBool<&CScene::grilleY>, getBool<&CScene::grilleY>},
    {"grilleZ", T_BOOL, setBool<&CScene::grilleZ>, getBool<&CScene::grilleZ>},
    {"grillePos", T_POINT, setGrillePos, getGrillePos},
    {"grilleTaille", T_INT, setInt<&CScene::grilleTaille>, getInt<&CScene::grilleTaille>},
    {"grillePas", T_INT, setInt<&CScene::grillePas>, getInt<&CScene::grillePas>},
    {"cameraPos", T_POINT, setCameraPos, getCameraPos},
    {"cameraRot", T_POINT, setCameraRot, getCameraRot},
    {"timer_interval", T_INT, setInt<&CScene::timer_interval>, getInt<&CScene::timer_interval>},
    {"selection_surlignee", T_BOOL, setBool<&CScene::selection_surlignee>,
     getBool<&CScene::selection_surlignee>},
    {"gravite", T_FLOAT, setFloat<&CScene::gravite>, getFloat<&CScene::gravite>},
    {"boite_englobante", T_BOOL, setBool<&CScene::boite_englobante>,
     getBool<&CScene::boite_englobante>},
    {"ombrage", T_BOOL, setBool<&CScene::ombrage>, getBool<&CScene::ombrage>},
    {"material_sol", T_MATERIAL, setMaterialSol, getMaterialSol},
    {"afficher_sol", T_BOOL, setBool<&CScene::afficher_sol>, getBool<&CScene::afficher_sol>},
    {"afficher_lumieres", T_BOOL, setBool<&CScene::afficher_lumieres>,
     getBool<&CScene::afficher_lumieres>},
    {"rotation_lumiere", T_BOOL, setBool<&CScene::rotation_lumiere>,
     getBool<&CScene::rotation_lumiere>},
    {"vitesse_rotation_lumiere", T_FLOAT, setFloat<&CScene::vitesse_rotation_lumiere>,
     getFloat<&CScene::vitesse_rotation_lumiere>},
    {"ombrage_ancien", T_BOOL, setBool<&CScene::ombrage_ancien>, getBool<&CScene::ombrage_ancien>},
    {"trajectoire_outil", T_BOOL, setBool<&CScene::trajectoire_outil>,
     getBool<&CScene::trajectoire_outil>},
    {"cible_fantome", T_BOOL, setBool<&CScene::cible_fantome>, getBool<&CScene::cible_fantome>},
    {"espace_travail", T_BOOL, setBool<&CScene::espace_travail>, getBool<&CScene::espace_travail>},
    {"courbes", T_BOOL, setBool<&CScene::courbes>, getBool<&CScene::courbes>},
    {"ellipsoide_manipulabilite", T_BOOL, setBool<&CScene::ellipsoide_manipulabilite>,
     getBool<&CScene::ellipsoide_manipulabilite>},
};

const int nbOptionsAffichage = static_cast<int>(std::size(optionsAffichage));

int chercheOption(const char* cle) {
    if (!cle) return -1;
    for (int i = 0; i < nbOptionsAffichage; ++i)
        if (std::strcmp(optionsAffichage[i].cle, cle) == 0) return i;
    return -1;
}
