// JSON description of the scene: entities, instances, lights, textures, materials, robots,
// the display options, the script's remaining variables and what the scene's loading reported.
#include "app/dump.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "app/application.h"
#include "commun/console.h"
#include "commun/ecriture_sure.h"
#include "commun/texte.h"
#include "geometrie/mesh.h"
#include "metaball/metaballzone.h"
#include "robot/bras_chaine.h"
#include "robot/manipulabilite.h"
#include "robot/modele_quatre_axes.h"
#include "robot/robot.h"
#include "script/options.h"
#include "script/script.h"

namespace {
class Json {
public:
    std::ostringstream o;

    // Every string is written as UTF-8: bytes that are not (names read raw from Wavefront
    // files, for one) are taken as Windows-1252.
    void chaine(const std::string& s) {
        o << '"';
        for (unsigned char c : texte::versUtf8(s)) {
            if (c == '"' || c == '\\')
                o << '\\' << c;
            else if (c < 0x20) {
                char tampon[8];
                std::snprintf(tampon, sizeof tampon, "\\u%04x", c);
                o << tampon;
            } else
                o << c;
        }
        o << '"';
    }
    void nombre(double v) {
        if (!std::isfinite(v)) {
            o << "null";
            return;
        }
        char tampon[32];
        std::snprintf(tampon, sizeof tampon, "%.9g", v);
        o << tampon;
    }
    void nombres(const float* v, int n) {
        o << '[';
        for (int i = 0; i < n; ++i) {
            if (i) o << ',';
            nombre(v[i]);
        }
        o << ']';
    }
    void vecteur(const CVecteur& v) {
        const float xyz[3] = {v.x, v.y, v.z};
        nombres(xyz, 3);
    }
    void couleur(const RGBA& c) {
        const float rgba[4] = {c.r, c.g, c.b, c.a};
        nombres(rgba, 4);
    }
    void matrice(const CMatrice& m) { nombres(m.m, 16); }
    void cle(const char* c) {
        chaine(c);
        o << ':';
    }
    void booleen(bool b) { o << (b ? "true" : "false"); }
    void material(const Material& m) {
        o << "{";
        cle("couleur1");
        couleur(m.couleur1);
        o << ',';
        cle("couleur2");
        couleur(m.couleur2);
        o << ',';
        cle("couleur3");
        couleur(m.couleur3);
        o << ',';
        cle("couleur4");
        couleur(m.couleur4);
        o << ',';
        cle("brillance");
        nombre(m.brillance);
        o << "}";
    }
    void valeur(const Valeur& v) {
        o << "{";
        cle("type");
        chaine(nom_type(v.type));
        o << ',';
        cle("valeur");
        switch (v.type) {
            case T_INT: o << v.scalaire.i; break;
            case T_FLOAT: nombre(v.scalaire.f); break;
            case T_BOOL: booleen(v.booleenVal()); break;
            case T_POINT:
                if (auto p = v.objet<CVecteur>())
                    vecteur(*p);
                else
                    o << "null";
                break;
            case T_COULEUR:
                if (auto c = v.objet<RGBA>())
                    couleur(*c);
                else
                    o << "null";
                break;
            case T_MATRICE:
                if (auto m = v.objet<CMatrice>())
                    matrice(*m);
                else
                    o << "null";
                break;
            case T_MATERIAL:
                if (auto m = v.objet<Material>())
                    material(*m);
                else
                    o << "null";
                break;
            default: chaine(texte_valeur(v)); break;
        }
        o << "}";
    }
};

int indiceDe(const CScene& s, const Entite* e) {
    for (int i = 0; i < s.nbEntites(); ++i)
        if (s.getEntite(i) == e) return i;
    return -1;
}

int indiceInstance(const CScene& s, const Instance* inst) {
    for (int i = 0; i < s.nbInstances(); ++i)
        if (s.getInstance(i) == inst) return i;
    return -1;
}

void indiceOuNull(Json& j, int i) {
    if (i < 0)
        j.o << "null";
    else
        j.o << i;
}

// "cle": an array of n elements, `separateur` between two of them, then "],\n".
template <class Element>
void tableau(Json& j, const char* cle, const char* ouverture, int n, const char* separateur,
             Element element) {
    j.cle(cle);
    j.o << ouverture;
    for (int i = 0; i < n; ++i) {
        if (i) j.o << separateur;
        element(i);
    }
    j.o << "],\n";
}

// The placement and the bounding box of an entity or an instance, each followed by a comma.
template <class Objet>
void matriceEtBoite(Json& j, Objet& objet) {
    auto& o = j.o;
    j.cle("matrice");
    j.matrice(objet);
    o << ',';
    CVecteur mn(0, 0, 0), mx(0, 0, 0);
    objet.getBoiteEnglobante(mn, mx);
    j.cle("boiteMin");
    j.vecteur(mn);
    o << ',';
    j.cle("boiteMax");
    j.vecteur(mx);
    o << ',';
}

void detailsMesh(Json& j, const Mesh& m) {
    auto& o = j.o;
    j.chaine("mesh");
    o << ',';
    j.cle("sommets");
    o << m.nbSommets() << ',';
    j.cle("normales");
    o << m.nbNormales() << ',';
    j.cle("texCoords");
    o << m.nbTexCoords() << ',';
    j.cle("faces");
    o << m.nbFaces() << ',';
    j.cle("texture");
    if (m.texture)
        j.chaine(m.texture->fichier);
    else
        o << "null";
}

// One joint of an arm as the dump lists it, in the scene's units (degrees or lengths);
// an unbounded joint's limits are infinite (written null).
struct ArticulationDump {
    std::string nom;
    double valeur, min, max;
};

// The fields every arm has: its model, its joints, and its tool's position and rotation
// (3×3, row after row) in the scene's frame; outil is the tool frame in the arm's frame.
void articulationsEtOutil(Json& j, const char* modele, const std::vector<ArticulationDump>& a,
                          const CMatrice& monde, const CMatrice& outil) {
    auto& o = j.o;
    j.cle("modele");
    j.chaine(modele);
    o << ',';
    j.cle("articulations");
    o << '[';
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (k) o << ',';
        o << '{';
        j.cle("nom");
        j.chaine(a[k].nom);
        o << ',';
        j.cle("valeur");
        j.nombre(a[k].valeur);
        o << ',';
        j.cle("min");
        j.nombre(a[k].min);
        o << ',';
        j.cle("max");
        j.nombre(a[k].max);
        o << '}';
    }
    o << "],";
    const CMatrice t = outil * monde;
    j.cle("outil");
    o << '{';
    j.cle("position");
    j.vecteur(CVecteur(t.m[12], t.m[13], t.m[14]));
    o << ',';
    j.cle("rotation");
    const float r[9] = {t.m[0], t.m[4], t.m[8], t.m[1], t.m[5], t.m[9], t.m[2], t.m[6], t.m[10]};
    j.nombres(r, 9);
    o << '}';
}

// The Jacobian at the current pose, row by row, and how far from singular it is.
void mesuresJacobien(Json& j, const Manipulabilite& m) {
    auto& o = j.o;
    j.cle("jacobien");
    o << '[';
    for (int i = 0; i < m.jacobien.rows(); ++i) {
        o << (i ? ",[" : "[");
        for (int k = 0; k < m.jacobien.cols(); ++k) {
            if (k) o << ',';
            j.nombre(m.jacobien(i, k));
        }
        o << ']';
    }
    o << "],";
    j.cle("manipulabilite");
    j.nombre(m.manipulabilite);
    o << ',';
    j.cle("conditionnement");
    j.nombre(m.conditionnement);
}

void detailsBrasChaine(Json& j, const CApplication& app, BrasChaine& b) {
    j.chaine("robot");
    j.o << ',';
    std::vector<ArticulationDump> a;
    for (int i = 0; i < b.nbArticulations(); ++i)
        a.push_back({b.nomArticulation(i), b.articulations()[i], b.bornee(i) ? b.min(i) : -INFINITY,
                     b.bornee(i) ? b.max(i) : INFINITY});
    articulationsEtOutil(j, "urdf", a, placement(app.scene, b), BrasChaine::matriceDe(b.outil()));
    j.o << ',';
    j.cle("commandes");
    j.o << b.commandes.size() << ',';
    j.cle("objetTenu");
    indiceOuNull(j, indiceInstance(app.scene, b.objetTenu()));
    j.o << ',';
    mesuresJacobien(j, manipulabilite(b.chaine(), b.vecteur(b.articulations())));
    j.o << ',';
    j.cle("description");  // the robot's name in its description file
    j.chaine(b.description().nom);
}

void detailsRobot(Json& j, const CApplication& app, Robot& r) {
    auto& o = j.o;
    j.chaine("robot");
    o << ',';
    {
        const ModeleQuatreAxes modele(r);
        const float valeurs[4] = {r.THETA1, r.THETA2, r.THETA3, r.THETA5};
        std::vector<ArticulationDump> a;
        for (int i = 0; i < 4; ++i) {
            const LimitesArticulation l = modele.limites(i);
            a.push_back(
                {modele.nomArticulation(i), valeurs[i], l.min * 180 / M_PI, l.max * 180 / M_PI});
        }
        articulationsEtOutil(j, "brakmor", a, placement(app.scene, r), r.matricePince);
        o << ',';
    }
    j.cle("THETA1");
    j.nombre(r.THETA1);
    o << ',';
    j.cle("THETA2");
    j.nombre(r.THETA2);
    o << ',';
    j.cle("THETA3");
    j.nombre(r.THETA3);
    o << ',';
    j.cle("THETA5");
    j.nombre(r.THETA5);
    o << ',';
    j.cle("X");
    j.nombre(r.X);
    o << ',';
    j.cle("Y");
    j.nombre(r.Y);
    o << ',';
    j.cle("Z");
    j.nombre(r.Z);
    o << ',';
    j.cle("THETA");
    j.nombre(r.THETA);
    o << ',';
    j.cle("commandes");
    o << r.commandes.size() << ',';
    j.cle("selectionne");
    j.booleen(r.selectionne);
    o << ',';
    j.cle("objetTenu");
    indiceOuNull(j, indiceInstance(app.scene, r.getLien()));
    o << ',';
    mesuresJacobien(j, manipulabilite(r));
}

void detailsZone(Json& j, const MetaballZone& z) {
    auto& o = j.o;
    j.chaine("metaballzone");
    o << ',';
    j.cle("taille");
    j.nombre(z.taille);
    o << ',';
    j.cle("resolution");
    o << z.resolution << ',';
    j.cle("seuil");
    j.nombre(z.seuil);
    o << ',';
    j.cle("primitives");
    o << z.primitives.size();
}

void entite(Json& j, const CApplication& app, int i) {
    auto& o = j.o;
    Entite* e = app.scene.getEntite(i);
    o << "{";
    j.cle("indice");
    o << i << ',';
    j.cle("nom");
    j.chaine(e->nom);
    o << ',';
    matriceEtBoite(j, *e);
    j.cle("type");
    if (auto* m = dynamic_cast<Mesh*>(e))
        detailsMesh(j, *m);
    else if (auto* r = dynamic_cast<Robot*>(e))
        detailsRobot(j, app, *r);
    else if (auto* b = dynamic_cast<BrasChaine*>(e))
        detailsBrasChaine(j, app, *b);
    else if (auto* z = dynamic_cast<MetaballZone*>(e))
        detailsZone(j, *z);
    else
        j.chaine("inconnu");
    o << "}";
}

void instance(Json& j, const CApplication& app, int i) {
    auto& o = j.o;
    Instance* inst = app.scene.getInstance(i);
    o << "{";
    j.cle("indice");
    o << i << ',';
    j.cle("nom");
    j.chaine(app.nomInstance(inst));
    o << ',';
    auto* ie = dynamic_cast<InstanceEntite*>(inst);
    j.cle("type");
    j.chaine(ie ? "entite" : "metaball");
    o << ',';
    j.cle("entite");
    indiceOuNull(j, ie ? indiceDe(app.scene, ie->entite.get()) : -1);
    o << ',';
    matriceEtBoite(j, *inst);
    j.cle("visible");
    j.booleen(inst->visible);
    o << ',';
    j.cle("tombe");
    j.booleen(inst->tombe);
    o << ',';
    j.cle("tenuPar");
    indiceOuNull(j, indiceDe(app.scene, inst->getLien()));
    o << ',';
    j.cle("vitesse");
    j.vecteur(inst->vitesse);
    o << "}";
}

void lumiere(Json& j, const Lumiere& l) {
    auto& o = j.o;
    o << "\n{";
    j.cle("allumee");
    j.booleen(l.allumee);
    o << ',';
    j.cle("fixeObservateur");
    j.booleen(l.fixeObservateur);
    o << ',';
    j.cle("position");
    j.vecteur(l.position);
    o << ',';
    j.cle("w");
    j.nombre(l.position.w);
    o << ',';
    j.cle("direction");
    j.vecteur(l.direction);
    o << ',';
    j.cle("diffuse");
    j.couleur(l.diffuse);
    o << ',';
    j.cle("coupure");
    j.nombre(l.coupure);
    o << ',';
    j.cle("porteOmbre");
    j.booleen(l.porteOmbre);
    o << "}";
}

void texture(Json& j, const Texture& t) {
    j.o << "{";
    j.cle("fichier");
    j.chaine(t.fichier);
    j.o << ',';
    j.cle("nom");
    j.chaine(t.nom);
    j.o << ',';
    j.cle("glTexture");
    j.o << t.glTexture;
    j.o << "}";
}

// The display options by their script keys, then the script's variables.
void optionsEtVariables(Json& j, const CApplication& app) {
    auto& o = j.o;
    j.cle("options");
    o << "{";
    for (int i = 0; i < nbOptionsAffichage; ++i) {
        if (i) o << ",\n";
        j.cle(optionsAffichage[i].cle);
        j.valeur(optionsAffichage[i].get(app.scene, &app.camera));
    }
    o << "},\n";

    j.cle("variables");
    o << "{";
    if (app.script) {
        bool premier = true;
        for (const auto& [nom, v] : app.script->variables) {
            if (!premier) o << ",\n";
            premier = false;
            j.chaine(nom);
            o << ':';
            j.valeur(v);
        }
    }
    o << "}";
}

// The boxes and error lines of the scene's loading, each with its place in the scene files.
void diagnostics(Json& j) {
    auto& o = j.o;
    j.cle("diagnostics");
    o << "[";
    bool premier = true;
    for (const Diagnostic& d : console.diagnostics()) {
        if (!premier) o << ",\n";
        premier = false;
        o << "{";
        j.cle("fichier");
        if (d.fichier.empty())
            o << "null";
        else
            j.chaine(d.fichier);
        o << ',';
        j.cle("ligne");
        indiceOuNull(j, d.fichier.empty() ? -1 : d.ligne);
        o << ',';
        j.cle("genre");
        j.chaine(d.boite ? "boite" : "console");
        o << ',';
        j.cle("titre");
        if (d.boite)
            j.chaine(d.titre);
        else
            o << "null";
        o << ',';
        j.cle("message");
        j.chaine(d.message);
        o << "}";
    }
    o << "]";
}
}  // namespace

std::string texteDump(const CApplication& app) {
    Json j;
    auto& o = j.o;
    o << "{\n";
    tableau(j, "entites", "[\n", app.scene.nbEntites(), ",\n", [&](int i) { entite(j, app, i); });
    tableau(j, "instances", "[\n", app.scene.nbInstances(), ",\n",
            [&](int i) { instance(j, app, i); });
    tableau(j, "lumieres", "[", app.scene.nbLumieres(), ",",
            [&](int i) { lumiere(j, *app.scene.getLumiere(i)); });
    tableau(j, "textures", "[", static_cast<int>(app.scene.textures.size()), ",",
            [&](int i) { texture(j, *app.scene.textures[i]); });
    tableau(j, "materiaux", "[", static_cast<int>(app.scene.materiaux.size()), ",",
            [&](int i) { j.material(*app.scene.materiaux[i]); });
    j.cle("selectionCourante");
    o << app.scene.selectionCourante << ",\n";
    j.cle("robotCourant");
    indiceOuNull(j, indiceDe(app.scene, app.robotCourant));
    o << ",\n";
    optionsEtVariables(j, app);
    o << ",\n";
    diagnostics(j);
    o << "\n}\n";
    return o.str();
}

std::string ecritDump(const CApplication& app, const std::string& fichier) {
    return ecriture::ecritFichier(fichier, texteDump(app), app.fichiersDeLaScene());
}

CMatrice placement(const CScene& scene, const Entite& e) {
    for (int i = 0; i < scene.nbInstances(); ++i)
        if (auto* ie = dynamic_cast<InstanceEntite*>(scene.getInstance(i)))
            if (ie->entite.get() == &e) return e.matrice() * ie->matrice();
    return e.matrice();
}
