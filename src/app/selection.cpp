// Mouse buttons and drags in the 3D view: picking, fetching, choosing the current robot,
// moving the camera and light 0.
#include <cmath>

#include "app/application.h"
#include "app/panneau.h"
#include "app/touches.h"
#include "robot/bras_chaine.h"
#include "robot/robot.h"

namespace {
// An instance carrying an arm of either kind.
bool porteBras(Instance* inst) {
    auto* ie = dynamic_cast<InstanceEntite*>(inst);
    return ie &&
           (dynamic_cast<Robot*>(ie->entite.get()) || dynamic_cast<BrasChaine*>(ie->entite.get()));
}

float borne(float v, float min, float max) { return v < min ? min : (v > max ? max : v); }
}  // namespace

void CApplication::decodeModificateurs(int m) {
    toucheShift = (m & touches::SHIFT) != 0;
    toucheCtrl = (m & touches::CTRL) != 0;
    toucheAlt = (m & touches::ALT) != 0;
}

int CApplication::pick(int x, int y) {
    return selectionneur ? selectionneur(x, y) : dessin.selection(x, y);
}

void CApplication::appuiGauche(int x, int y, int modifiers) {
    sourisX = static_cast<float>(x);
    sourisY = static_cast<float>(y);
    decodeModificateurs(modifiers);
    boutonGauche = true;
    if (toucheCtrl) return;
    const int nom = pick(x, y);
    // The background: nothing was picked, but the scene keeps its highlighted instance.
    if (nom < 0) {
        instanceCliquee = nullptr;
        return;
    }
    // The picked instance becomes the scene's selection; a robot is only highlighted, any
    // other instance is fetched by the current robot.
    Instance* inst = scene.selectionneInstance(nom);
    instanceCliquee = inst;
    if (!inst || porteBras(inst)) return;
    BrasPilote* bras = brasPilote();
    if (!bras) return;
    const std::string raison = bras->vaChercher(inst, panneau.deplacementRectiligne == 1);
    if (!raison.empty()) {
        raisonsVues[&bras->entite()] = bras->numeroRaison();
        signale(raison, nomInstance(inst) + " : ");
        return;
    }
    panneau.ligneEtat.message.clear();  // the fetch was taken: the last refusal is stale
}

void CApplication::appuiDroit(int x, int y, int modifiers) {
    sourisX = static_cast<float>(x);
    sourisY = static_cast<float>(y);
    decodeModificateurs(modifiers);
    boutonDroit = true;
    const int nom = pick(x, y);
    if (nom < 0) return;
    const int i = scene.indiceInstanceDuNom(nom);
    if (i < 0) return;
    if (choisitBras(dynamic_cast<InstanceEntite*>(scene.getInstance(i)))) majPanneauRobot();
}

void CApplication::relacheGauche(int, int, int modifiers) {
    decodeModificateurs(modifiers);
    boutonGauche = false;
}

void CApplication::relacheDroit(int, int, int modifiers) {
    decodeModificateurs(modifiers);
    boutonDroit = false;
}

void CApplication::appuiMilieu(int x, int y, int modifiers) {
    sourisX = static_cast<float>(x);
    sourisY = static_cast<float>(y);
    decodeModificateurs(modifiers);
    boutonMilieu = true;
}

void CApplication::relacheMilieu(int, int, int modifiers) {
    decodeModificateurs(modifiers);
    boutonMilieu = false;
}

void CApplication::deplaceSouris(int x, int y) {
    const float dx = static_cast<float>(x) - sourisX, dy = static_cast<float>(y) - sourisY;
    if (dx == 0 && dy == 0) return;
    sourisX = static_cast<float>(x);
    sourisY = static_cast<float>(y);
    if (toucheShift) {
        if (boutonGauche) {
            const float a = azimutLumiere + 0.5f * dx;
            azimutLumiere = std::fmod(a, 360.0f);
            if (a < 0) azimutLumiere += 360.0f;
            elevationLumiere = borne(elevationLumiere - 0.5f * dy, 20, 90);
        } else {
            distanceLumiere = borne(distanceLumiere + 5 * dy, 50, 5000);
        }
        placeLumiere();
        return;
    }
    if (boutonGauche) {
        if (toucheCtrl) {
            camera.position.x += 0.5f * dx;
            camera.position.y -= 0.5f * dy;
        } else {
            camera.tourneY(0.5f * dx);
            camera.inclineX(0.5f * dy);
        }
    }
    if (boutonDroit) {
        if (toucheCtrl) {
            camera.tourneY(0.5f * dx);
            camera.tourneX(0.5f * dy);
        } else {
            camera.position.z -= 0.5f * dy;
        }
    }
}
