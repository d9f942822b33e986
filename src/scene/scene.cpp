// The scene registry: owns what the scene file created, maps pick names to instances,
// decodes texture images.
#include "scene/scene.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

#include "commun/console.h"

// --- Instances -------------------------------------------------------------------------

float Instance::hauteur() {
    CVecteur min, max;
    getBoiteEnglobante(min, max);
    return max.z - min.z;
}

void InstanceEntite::getBoiteEnglobante(CVecteur& min, CVecteur& max) {
    if (entite) {
        entite->getBoiteEnglobante(min, max);
    } else {
        // No shape: a point at the instance's origin.
        min = CVecteur(0, 0, 0);
        max = CVecteur(0, 0, 0);
    }
    matrice().transformeBoite(min, max);
}

CVecteur InstanceEntite::positionMonde(CVecteur p) const {
    if (!entite) return matrice().transformePoint(p);
    return (matrice() * entite->matrice()).transformePoint(p);
}

// --- Registry --------------------------------------------------------------------------

CScene::CScene() { CScene::vider(); }

CScene::~CScene() { CScene::vider(); }

void CScene::optionsParDefaut() {
    antialiasing = false;
    backface_culling = true;
    bilinear = false;
    dithering = false;
    eclairage = true;
    filaire = false;
    texturage = true;
    points_seuls = false;
    grilleX = false;
    grilleY = false;
    grilleZ = true;
    selection_surlignee = true;
    boite_englobante = true;
    timer_interval = 100;
    grillePos = CVecteur(0, 0, 0);
    grilleTaille = 500;
    grillePas = 10;
    gravite = 9.8f;
    couleurfond = RGBA(0.5f, 0.5f, 0.5f, 1.0f);
    selectionCourante = -1;
    smoothshading = true;
    afficher_sol = true;
    afficher_lumieres = true;
    vitesse_rotation_lumiere = 50.0f;
    tailleCarteOmbre = 512;
}

void CScene::vider() {
    optionsParDefaut();
    ++generation;
    // The lists are emptied before their elements are released, so that a destructor
    // that looks at the scene finds it already empty.
    {
        auto anciennes = std::move(instances);
        instances.clear();
    }
    {
        auto anciennes = std::move(entites);
        entites.clear();
    }
    {
        auto anciennes = std::move(textures);
        textures.clear();
    }
    {
        auto anciennes = std::move(lumieres);
        lumieres.clear();
    }
    {
        auto anciens = std::move(materiaux);
        materiaux.clear();
    }
}

void CScene::echangeRegistre(CScene& autre) {
    entites.swap(autre.entites);
    instances.swap(autre.instances);
    lumieres.swap(autre.lumieres);
    textures.swap(autre.textures);
    materiaux.swap(autre.materiaux);
    selectionCourante = autre.selectionCourante = -1;
    ++generation;
    ++autre.generation;
}

namespace {
template <class T>
int ajoute(std::vector<std::shared_ptr<T>>& liste, std::shared_ptr<T> element) {
    if (!element) return -1;
    liste.push_back(std::move(element));
    return static_cast<int>(liste.size()) - 1;
}

template <class T>
T* element(const std::vector<std::shared_ptr<T>>& liste, unsigned i) {
    return i < liste.size() ? liste[i].get() : nullptr;
}
}  // namespace

int CScene::ajouteEntite(std::shared_ptr<Entite> e) { return ajoute(entites, std::move(e)); }
int CScene::ajouteLumiere(std::shared_ptr<Lumiere> l) { return ajoute(lumieres, std::move(l)); }
int CScene::ajouteTexture(std::shared_ptr<Texture> t) { return ajoute(textures, std::move(t)); }
int CScene::ajouteMaterial(std::shared_ptr<Material> m) { return ajoute(materiaux, std::move(m)); }
void CScene::ajouteInstance(std::shared_ptr<Instance> i) { instances.push_back(std::move(i)); }

Entite* CScene::getEntite(unsigned i) const { return element(entites, i); }
Instance* CScene::getInstance(unsigned i) const { return element(instances, i); }
Lumiere* CScene::getLumiere(unsigned i) const { return element(lumieres, i); }

Instance* CScene::instanceSelectionnee() const {
    if (selectionCourante < 0) return nullptr;
    return getInstance(static_cast<unsigned>(selectionCourante));
}

int CScene::indiceInstanceDuNom(int n) const {
    for (size_t i = 0; i < instances.size(); ++i) {
        const Instance* inst = instances[i].get();
        if (inst && inst->premierNom <= n && n < inst->dernierNom) return static_cast<int>(i);
    }
    return -1;
}

Instance* CScene::selectionneInstance(int n) {
    int i = indiceInstanceDuNom(n);
    if (i == -1) return nullptr;
    selectionCourante = i;
    return instances[static_cast<size_t>(i)].get();
}

// --- Floor and grids -----------------------------------------------------------------

DecoupageGrille decoupeGrille(int taille, int pas) {
    DecoupageGrille d;
    if (pas <= 0) return d;
    d.valide = true;
    d.pas = pas;
    const long long t = taille;
    if (t < 0) return d;  // n = -1: the loops run zero times
    d.n = (2 * t) / pas;
    if (d.n > SUBDIVISIONS_GRILLE_MAX) {
        d.n = SUBDIVISIONS_GRILLE_MAX;
        d.pas = 2.0 * static_cast<double>(t) / static_cast<double>(SUBDIVISIONS_GRILLE_MAX);
        d.elargi = true;
    }
    return d;
}

// --- Spot image ----------------------------------------------------------------------

std::vector<unsigned char> lireSpotTga(const char* chemin) {
    const size_t taille = static_cast<size_t>(TAILLE_SPOT) * TAILLE_SPOT * 3;
    // White wherever the file has nothing to say: the lit area stays untinted.
    std::vector<unsigned char> image(taille, 255);
    if (!chemin) return image;
    std::FILE* f = std::fopen(chemin, "rb");
    if (!f) return image;
    if (std::fseek(f, 18, SEEK_SET) == 0) {
        const size_t lus = std::fread(image.data(), 1, taille, f);
        // Whatever a short file lacks stays white.
        std::fill(image.begin() + static_cast<std::ptrdiff_t>(lus), image.end(), 255);
    }
    std::fclose(f);
    return image;
}

// --- Textures --------------------------------------------------------------------------

bool decodeImageRGBA(const std::string& chemin, ImageRGBA& image) {
    image = ImageRGBA();
    int l = 0, h = 0, canaux = 0;
    unsigned char* donnees = stbi_load(chemin.c_str(), &l, &h, &canaux, 4);
    if (!donnees) return false;
    if (l <= 0 || h <= 0) {
        stbi_image_free(donnees);
        return false;
    }
    const size_t ligne = static_cast<size_t>(l) * 4;
    image.largeur = l;
    image.hauteur = h;
    image.pixels.resize(ligne * static_cast<size_t>(h));
    // Files store the top row first; texture coordinate v = 0 is the bottom row.
    for (int y = 0; y < h; ++y)
        std::copy(donnees + ligne * static_cast<size_t>(h - 1 - y),
                  donnees + ligne * static_cast<size_t>(h - y),
                  image.pixels.begin() + static_cast<std::ptrdiff_t>(ligne * y));
    stbi_image_free(donnees);
    return true;
}
