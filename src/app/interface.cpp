// ImGui panels, the modal warning box, and event routing for the main window.
#include "app/interface.h"

#include <GL/freeglut.h>
#include <imgui.h>
#include <imgui_impl_glut.h>
#include <imgui_impl_opengl2.h>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <functional>
#include <string>

#include "app/aide.h"
#include "app/application.h"
#include "app/fenetre.h"
#include "app/panneau.h"
#include "app/panneaux_imgui.h"
#include "app/touches.h"
#include "commun/console.h"
#include "commun/signalement.h"
#include "dessin/camera_gl.h"
#include "robot/robot.h"

// The application reads modifiers and special keys with its own names for GLUT's values.
static_assert(touches::SHIFT == GLUT_ACTIVE_SHIFT && touches::CTRL == GLUT_ACTIVE_CTRL &&
              touches::ALT == GLUT_ACTIVE_ALT);
static_assert(touches::GAUCHE == GLUT_KEY_LEFT && touches::HAUT == GLUT_KEY_UP &&
              touches::DROITE == GLUT_KEY_RIGHT && touches::BAS == GLUT_KEY_DOWN &&
              touches::PAGE_HAUT == GLUT_KEY_PAGE_UP && touches::PAGE_BAS == GLUT_KEY_PAGE_DOWN &&
              touches::DEBUT == GLUT_KEY_HOME && touches::FIN == GLUT_KEY_END);
static_assert(TOUCHE_RECHARGEMENT == GLUT_KEY_F5);
static_assert(touches::F1 == GLUT_KEY_F1 && touches::F12 == GLUT_KEY_F12);

namespace interface {
bool chargementEnCours = true;

namespace {
// Button and key transitions for ImGui, applied one per frame: the GLUT back end keeps
// plain up/down state, so a press and its release within one frame would be lost.
std::deque<std::function<void()>> evenementsPanneau;
// A click in the 3D view ends the edit of a panel field, as a click anywhere else would: the
// next frame takes the focus away from the panels, so the field commits what was typed.
bool finSaisieDemandee = false;
// Which side received each mouse button's press (true: the panels), so its release and
// drags go to the same side.
bool pressionPanneau[5] = {false, false, false, false, false};

struct Boite {
    std::string texte, titre;
    bool ouverte = false;
    bool demandeOuverture = false;
} boite;

std::string titreBase;
bool rejeuEnCours = false;
// Frames drawn by the display callback, so the event loop can tell whether a turn drew one.
unsigned long nbImages = 0;
// Frames still to draw after an event: ImGui settles hover, clicks and a box's size over
// the frames that follow the one the event lands in.
int imagesAFaire = 0;
constexpr int IMAGES_APRES_EVENEMENT = 3;
int imagesDepuisTitre = 0;
bool titreAvecCadence = false;
auto debutTitre = std::chrono::steady_clock::now();

// The view's size as the projection last took it, so a change of the view's area (the
// panels hidden or shown) sets the projection's aspect ratio again.
int largeurProjection = 0, hauteurProjection = 0;

bool dansPanneaux(int x) {
    if (application().panneau.panneauxMasques) return false;
    const int w = glutGet(GLUT_WINDOW_WIDTH);
    return x < LARGEUR_GAUCHE || x >= w - LARGEUR_DROITE;
}

// ---- drawing the panel model ----

void dessineSigneAttention() {
    ImDrawList* d = ImGui::GetWindowDrawList();
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const float t = 32;
    d->AddTriangleFilled(ImVec2(p.x + t / 2, p.y), ImVec2(p.x + t, p.y + t), ImVec2(p.x, p.y + t),
                         IM_COL32(240, 200, 0, 255));
    d->AddText(ImGui::GetFont(), 20, ImVec2(p.x + t / 2 - 3, p.y + 9), IM_COL32(0, 0, 0, 255), "!");
    ImGui::Dummy(ImVec2(t, t));
}

void dessineBoite() {
    if (!boite.ouverte) return;
    const std::string id = boite.titre + "##boite";
    if (boite.demandeOuverture) {
        ImGui::OpenPopup(id.c_str());
        boite.demandeOuverture = false;
    }
    const ImVec2 centre(ImGui::GetIO().DisplaySize.x * 0.5f, ImGui::GetIO().DisplaySize.y * 0.5f);
    ImGui::SetNextWindowPos(centre, ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    if (ImGui::BeginPopupModal(id.c_str(), nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
        dessineSigneAttention();
        ImGui::SameLine();
        ImGui::TextUnformatted(pourPolice(boite.texte).c_str());
        ImGui::Spacing();
        const bool entree = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)) ||
                            ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter));
        if (ImGui::Button("OK", ImVec2(80, 0)) || entree) {
            boite.ouverte = false;
            ImGui::CloseCurrentPopup();
        }
        ImGui::EndPopup();
    } else {
        boite.demandeOuverture = true;  // re-open if it was closed by other means
    }
}

// The frame rate in the title while something moves (the scene, a view dragged with the
// mouse, a panel button held), measured over each second of it; nothing while all is still,
// when frames only follow events and a rate would mean nothing.
void majTitre() {
    const auto maintenant = std::chrono::steady_clock::now();
    bool bouge = application().boutonGauche || application().boutonDroit ||
                 application().boutonMilieu || panneauxActifs();
    if (!bouge) protegeRappel("animation", [&] { bouge = application().enMouvement(); });
    if (!bouge) {
        if (titreAvecCadence) glutSetWindowTitle(titreBase.c_str());
        titreAvecCadence = false;
        imagesDepuisTitre = 0;
        debutTitre = maintenant;
        return;
    }
    ++imagesDepuisTitre;
    const double s = std::chrono::duration<double>(maintenant - debutTitre).count();
    if (s < 1.0) return;
    char t[64];
    std::snprintf(t, sizeof t, " - %.0f images/s", imagesDepuisTitre / s);
    glutSetWindowTitle((titreBase + t).c_str());
    titreAvecCadence = true;
    imagesDepuisTitre = 0;
    debutTitre = maintenant;
}

// ---- GLUT callbacks ----

void surAffichage() {
    dessineImage();
    glutSwapBuffers();
    majTitre();
    ++nbImages;
    if (imagesAFaire > 0) --imagesAFaire;
    // Queued panel events are applied one per frame.
    if (imagesAFaire > 0 || !evenementsPanneau.empty()) glutPostRedisplay();
}

void surRedimensionnement(int w, int h) {
    ImGui_ImplGLUT_ReshapeFunc(w, h);
    int x, y, vw, vh;
    zoneVue(x, y, vw, vh);
    protegeRappel("redimensionnement", [&] {
        glViewport(x, y, vw, vh);
        application().redimensionne(vw, vh);
        largeurProjection = vw;
        hauteurProjection = vh;
    });
    redessine();
}

// Replays a key event for the panels after its GLUT callback has returned: the back end
// then reads no modifiers from GLUT (it warns and gets none), so the ones recorded in the
// callback are put back.
template <class F>
void rejoue(int modificateurs, F&& f) {
    rejeuEnCours = true;
    f();
    rejeuEnCours = false;
    ImGuiIO& io = ImGui::GetIO();
    io.KeyCtrl = (modificateurs & GLUT_ACTIVE_CTRL) != 0;
    io.KeyShift = (modificateurs & GLUT_ACTIVE_SHIFT) != 0;
    io.KeyAlt = (modificateurs & GLUT_ACTIVE_ALT) != 0;
}

// freeglut's warnings, except the one a replayed key event causes on purpose.
void avertissementGlut(const char* format, va_list args) {
    if (rejeuEnCours && std::strstr(format, "glutGetModifiers")) return;
    std::fprintf(stderr, "freeglut: ");
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

bool clavierPourPanneau() { return boite.ouverte || ImGui::GetIO().WantCaptureKeyboard; }

// A key press goes to the panels while they want the keyboard (replayed in a later frame),
// otherwise to the application's key bindings.
template <class Touche, class VersPanneau>
void surTouche(Touche touche, bool speciale, VersPanneau versPanneau) {
    const int m = glutGetModifiers();
    if (clavierPourPanneau()) {
        evenementsPanneau.push_back([versPanneau, m] { rejoue(m, versPanneau); });
        redessine();
        return;
    }
    protegeRappel("clavier", [&] { application().clavier(touche, m, speciale); });
    redessine();
}

// Key releases only matter to the panels, and only for a key they hold down or may be about
// to (a press still queued): the release of a key the view took would change nothing, and
// queued by the hundred (a held key repeats) it would hold up the panels' events behind it.
template <class VersPanneau>
void surToucheRelachee(int indiceImGui, VersPanneau versPanneau) {
    const ImGuiIO& io = ImGui::GetIO();
    if (evenementsPanneau.empty() && indiceImGui >= 0 && indiceImGui < IM_ARRAYSIZE(io.KeysDown) &&
        !io.KeysDown[indiceImGui])
        return;
    const int m = glutGetModifiers();
    evenementsPanneau.push_back([versPanneau, m] { rejoue(m, versPanneau); });
    redessine();
}

void surClavier(unsigned char c, int x, int y) {
    surTouche(c, false, [c, x, y] { ImGui_ImplGLUT_KeyboardFunc(c, x, y); });
}

void surClavierRelache(unsigned char c, int x, int y) {
    surToucheRelachee(c, [c, x, y] { ImGui_ImplGLUT_KeyboardUpFunc(c, x, y); });
}

void surSpecial(int k, int x, int y) {
    surTouche(k, true, [k, x, y] { ImGui_ImplGLUT_SpecialFunc(k, x, y); });
}

void surSpecialRelache(int k, int x, int y) {
    surToucheRelachee(k + 256, [k, x, y] { ImGui_ImplGLUT_SpecialUpFunc(k, x, y); });
}

void surSouris(int bouton, int etat, int x, int y) {
    const int m = glutGetModifiers();
    if (bouton < 0 || bouton > 4) return;
    redessine();
    // A click anywhere closes the help, and does nothing else.
    if (etat == GLUT_DOWN && application().panneau.aideAffichee && !boite.ouverte) {
        application().panneau.aideAffichee = false;
        pressionPanneau[bouton] = true;  // its release goes to the panels, which ignore it
        return;
    }
    if (etat == GLUT_DOWN)
        pressionPanneau[bouton] =
            boite.ouverte || dansPanneaux(x) || ImGui::GetIO().WantCaptureMouse;
    if (pressionPanneau[bouton]) {
        evenementsPanneau.push_back([bouton, etat, x, y] {
            if (bouton >= 3) {
                if (etat == GLUT_DOWN) ImGui_ImplGLUT_MouseWheelFunc(0, bouton == 3 ? 1 : -1, x, y);
            } else {
                ImGui_ImplGLUT_MouseFunc(bouton, etat, x, y);
            }
        });
        return;
    }
    ImGui::GetIO().MousePos = ImVec2(static_cast<float>(x), static_cast<float>(y));
    if (etat == GLUT_DOWN && ImGui::GetIO().WantTextInput) finSaisieDemandee = true;
    protegeRappel("souris", [&] {
        if (bouton == GLUT_LEFT_BUTTON)
            etat == GLUT_DOWN ? application().appuiGauche(x, y, m)
                              : application().relacheGauche(x, y, m);
        else if (bouton == GLUT_RIGHT_BUTTON)
            etat == GLUT_DOWN ? application().appuiDroit(x, y, m)
                              : application().relacheDroit(x, y, m);
        else if (bouton == GLUT_MIDDLE_BUTTON)
            etat == GLUT_DOWN ? application().appuiMilieu(x, y, m)
                              : application().relacheMilieu(x, y, m);
        else if (bouton >= 3 && etat == GLUT_DOWN)
            application().camera.position.z += bouton == 3 ? 5.0f : -5.0f;  // the wheel dollies
    });
}

void surMouvement(int x, int y) {
    ImGui_ImplGLUT_MotionFunc(x, y);
    redessine();
    if (boite.ouverte) return;
    if (application().boutonGauche || application().boutonDroit || application().boutonMilieu)
        protegeRappel("souris", [&] { application().deplaceSouris(x, y); });
}

// Hovering changes only the panels (or the box): the view is not redrawn for it, except
// once when the pointer leaves the panels, so their highlight goes.
void surMouvementPassif(int x, int y) {
    ImGui_ImplGLUT_MotionFunc(x, y);
    if (boite.ouverte || dansPanneaux(x) || ImGui::GetIO().WantCaptureMouse) redessine();
}

// The boxes of one load shown in the window; the others go to the terminal only, and one
// more box counts them.
constexpr int BOITES_PAR_CHARGEMENT = 10;

void boiteModale(const std::string& texte, const std::string& titre) {
    console.copieSurErreurStandard(texte, titre);
    if (boite.ouverte) return;  // a box raised while one is shown only goes to the terminal
    // Behind a box raised while the scene loads, the panels show the options read so far.
    if (chargementEnCours) protegeRappel("panneau", [] { application().majPanneau(); });
    boite.texte = console.texteSitue(texte);
    boite.titre = titre;
    boite.ouverte = true;
    boite.demandeOuverture = true;
    // Frames only when something happens, apart from the dimming behind the box, which
    // fades in over its first sixth of a second: about 60 frames a second until then. A
    // signal ends the program from here too.
    using Horloge = std::chrono::steady_clock;
    constexpr auto FONDU = std::chrono::milliseconds(300), PERIODE = std::chrono::milliseconds(16);
    const auto ouverture = Horloge::now();
    auto prochaineImage = ouverture;
    while (boite.ouverte) {
        const auto maintenant = Horloge::now();
        int delai = -1;
        if (maintenant - ouverture < FONDU) {
            if (maintenant >= prochaineImage) {
                redessine();
                prochaineImage = maintenant + PERIODE;
            }
            const auto reste = prochaineImage - maintenant;
            delai = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(reste).count());
        }
        if (!traiteEvenements()) attendEvenements(delai);
    }
    redessine();
}
}  // namespace

void zoneVue(int& x, int& y, int& w, int& h) {
    const int lw = glutGet(GLUT_WINDOW_WIDTH), lh = glutGet(GLUT_WINDOW_HEIGHT);
    const bool masques = application().panneau.panneauxMasques;
    x = masques ? 0 : LARGEUR_GAUCHE;
    y = 0;
    w = masques ? lw : lw - LARGEUR_GAUCHE - LARGEUR_DROITE;
    if (w < 1) w = 1;
    h = lh > 0 ? lh : 1;
}

void redessine() {
    imagesAFaire = IMAGES_APRES_EVENEMENT;
    glutPostRedisplay();
}

unsigned long imagesDessinees() { return nbImages; }

bool panneauxActifs() { return ImGui::IsAnyMouseDown() && ImGui::IsAnyItemActive(); }

void dessineImage() {
    if (!evenementsPanneau.empty()) {
        evenementsPanneau.front()();
        evenementsPanneau.pop_front();
    }
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();
    if (finSaisieDemandee) {
        ImGui::SetWindowFocus(nullptr);
        finSaisieDemandee = false;
    }
    const float largeur = ImGui::GetIO().DisplaySize.x;
    protegeRappel("panneau", [&] {
        if (!application().panneau.panneauxMasques) {
            dessinePanneau("options", 0, LARGEUR_GAUCHE, application().panneau.panneauOptions);
            dessinePanneau("robot", largeur - LARGEUR_DROITE, LARGEUR_DROITE,
                           application().panneau.panneauRobot);
        }
        dessineAide();
        dessineBoite();
    });
    ImGui::Render();

    int x, y, w, h;
    zoneVue(x, y, w, h);
    glViewport(x, y, w, h);
    if (w != largeurProjection || h != hauteurProjection) {
        protegeRappel("redimensionnement", [&] { application().redimensionne(w, h); });
        largeurProjection = w;
        hauteurProjection = h;
    }
    if (chargementEnCours) {
        glClearColor(application().scene.couleurfond.r, application().scene.couleurfond.g,
                     application().scene.couleurfond.b, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    } else {
        protegeRappel("affichage", [] { application().afficheTout(); });
    }
    glViewport(0, 0, static_cast<int>(ImGui::GetIO().DisplaySize.x),
               static_cast<int>(ImGui::GetIO().DisplaySize.y));
    glDisable(GL_LIGHTING);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glViewport(x, y, w, h);
}

void initialise() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing is saved between runs
    io.LogFilename = nullptr;
    // The window is not redrawn while nothing happens: a steady text cursor stays visible.
    io.ConfigInputTextCursorBlink = false;
    ImGui::StyleColorsDark();
    // Compact spacing so both panels fit the default 650-pixel-high window.
    ImGuiStyle& style = ImGui::GetStyle();
    style.ItemSpacing = ImVec2(6, 2);
    style.FramePadding = ImVec2(4, 1);
    style.WindowPadding = ImVec2(6, 6);
    style.WindowRounding = 0;
    glutInitWarningFunc(avertissementGlut);
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();
    ImGui_ImplGLUT_ReshapeFunc(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    titreBase = std::string("Brakmor - Tavrin - ") + CREDITS;
    application().selectionneur = [](int px, int py) {
        int x, y, w, h;
        zoneVue(x, y, w, h);
        glViewport(x, y, w, h);
        appliqueCamera(application().camera);
        return application().dessin.selection(px, py);
    };
}

void installeCallbacks() {
    glutDisplayFunc(surAffichage);
    glutReshapeFunc(surRedimensionnement);
    glutKeyboardFunc(surClavier);
    glutKeyboardUpFunc(surClavierRelache);
    glutSpecialFunc(surSpecial);
    glutSpecialUpFunc(surSpecialRelache);
    glutMouseFunc(surSouris);
    glutMotionFunc(surMouvement);
    glutPassiveMotionFunc(surMouvementPassif);
}

void activeBoiteModale() {
    console.setGestionnaireBoite(boiteModale);
    // Each box waits for a press: a scene with thousands of faults would take thousands.
    console.limiteBoitesParChargement(BOITES_PAR_CHARGEMENT);
}
}  // namespace interface
