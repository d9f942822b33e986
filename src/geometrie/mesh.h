// Polygon meshes: storage, validating accessors, face and smoothed normals.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "geometrie/entite.h"
#include "geometrie/texture.h"

// Material record: colour 1 goes to glColor, 2 is diffuse, 3 specular (kept only), 4 emission.
struct Material {
    RGBA couleur1{1.0f, 0.6f, 0.4f, 0.5f};
    RGBA couleur2{1.0f, 0.6f, 0.4f, 0.5f};
    RGBA couleur3{1.0f, 1.0f, 1.0f, 1.0f};
    RGBA couleur4{0.0f, 0.0f, 0.0f, 1.0f};
    float brillance = 100.0f;
};

// Materials of the libraries a mesh file names, by material name.
using TableMateriaux = std::map<std::string, std::shared_ptr<Material>>;

// A list of corner indices with the interface of std::vector<int> that faces use. Up to
// four indices are stored inside the object itself, so triangles and quadrilaterals (nearly
// every face of a real mesh) cost no allocation of their own; longer lists go to the heap.
// 20 bytes: the count (its high bit set while on the heap) and four words that hold the
// indices, or the heap block's address and capacity.
class ListeIndices {
public:
    using value_type = int;
    using size_type = size_t;
    using iterator = int*;
    using const_iterator = const int*;

    ListeIndices() {}
    ListeIndices(std::initializer_list<int> valeurs) { assign(valeurs.begin(), valeurs.end()); }
    ListeIndices(const std::vector<int>& valeurs) {
        assign(valeurs.data(), valeurs.data() + valeurs.size());
    }
    ListeIndices(const ListeIndices& autre) { assign(autre.begin(), autre.end()); }
    ListeIndices(ListeIndices&& autre) noexcept { prend(autre); }
    ListeIndices& operator=(const ListeIndices& autre) {
        if (this != &autre) assign(autre.begin(), autre.end());
        return *this;
    }
    ListeIndices& operator=(ListeIndices&& autre) noexcept {
        if (this != &autre) {
            libere();
            prend(autre);
        }
        return *this;
    }
    ListeIndices& operator=(std::initializer_list<int> valeurs) {
        assign(valeurs.begin(), valeurs.end());
        return *this;
    }
    // Freeing a mesh's faces need not look at each list while no list in the program is on
    // the heap (faces of up to four corners): the lists stay out of the cache.
    ~ListeIndices() {
        if (blocsSurLeTas_.load(std::memory_order_relaxed) != 0 && surLeTas()) libereBloc(tas());
    }

    size_t size() const { return taille_ & ~SUR_TAS; }
    bool empty() const { return size() == 0; }
    size_t capacity() const { return surLeTas() ? static_cast<uint32_t>(mots_[2]) : INTERNE; }
    int* data() { return surLeTas() ? tas() : mots_; }
    const int* data() const { return surLeTas() ? tas() : mots_; }
    int* begin() { return data(); }
    int* end() { return data() + size(); }
    const int* begin() const { return data(); }
    const int* end() const { return data() + size(); }
    int& operator[](size_t i) { return data()[i]; }
    int operator[](size_t i) const { return data()[i]; }
    int& at(size_t i);
    int at(size_t i) const;
    int& front() { return data()[0]; }
    int front() const { return data()[0]; }
    int& back() { return data()[size() - 1]; }
    int back() const { return data()[size() - 1]; }

    void reserve(size_t n) {
        if (n > capacity()) agrandit(n);
    }
    void push_back(int v) {
        const size_t n = size();
        if (n == capacity()) agrandit(2 * n);
        data()[n] = v;
        ++taille_;
    }
    // A list just made holds up to four values in place: their storage, written by the
    // caller, then their count (at most 4).
    int* enPlace() { return mots_; }
    void fixeTaille(int n) { taille_ = static_cast<uint32_t>(n); }
    void pop_back() { --taille_; }
    void clear() { taille_ &= SUR_TAS; }
    void resize(size_t n, int v = 0);
    void assign(size_t n, int v);
    void assign(const int* debut, const int* fin);
    void shrink_to_fit();

    operator std::vector<int>() const { return std::vector<int>(begin(), end()); }
    friend bool operator==(const ListeIndices& a, const ListeIndices& b);
    friend bool operator!=(const ListeIndices& a, const ListeIndices& b) { return !(a == b); }

private:
    static constexpr uint32_t INTERNE = 4, SUR_TAS = 0x80000000u;
    bool surLeTas() const { return (taille_ & SUR_TAS) != 0; }
    int* tas() const {
        int* p;
        std::memcpy(&p, mots_, sizeof p);
        return p;
    }
    void poseTas(int* p, size_t capacite) {
        std::memcpy(mots_, &p, sizeof p);
        mots_[2] = static_cast<int>(static_cast<uint32_t>(capacite));
        taille_ |= SUR_TAS;
    }
    void agrandit(size_t n);
    void libere() {
        if (surLeTas()) libereBloc(tas());
        taille_ = 0;
    }
    // Every heap block goes through these two, which keep the count of live blocks.
    static int* nouveauBloc(size_t n) {
        int* p = new int[n];
        blocsSurLeTas_.fetch_add(1, std::memory_order_relaxed);
        return p;
    }
    static void libereBloc(int* p) {
        delete[] p;
        blocsSurLeTas_.fetch_sub(1, std::memory_order_relaxed);
    }
    // A block's count is raised before its list can be handed to another thread and lowered
    // after its last use, so a list on the heap always sees a count of at least one.
    static inline std::atomic<long> blocsSurLeTas_{0};
    void prend(ListeIndices& autre) noexcept {
        taille_ = autre.taille_;
        std::memcpy(mots_, autre.mots_, sizeof mots_);
        autre.taille_ = 0;
    }

    uint32_t taille_ = 0;
    int mots_[INTERNE];
};

struct Face {
    // Each member as initialised below, and nothing else: a face made in place by
    // faces.emplace_back() is not cleared whole first.
    Face() {}

    ListeIndices sommets;    // vertex indices, drawing order
    ListeIndices normales;   // one normal index per corner, -1 = none
    ListeIndices texCoords;  // one texture-coordinate index per corner, -1 = none
    CVecteur normale{0, 0, 0};
    int groupe = 0;
    Material* material = nullptr;  // null = default material

    int nbCoins() const { return static_cast<int>(sommets.size()); }
    int sommet(int k) const { return k >= 0 && k < nbCoins() ? sommets[k] : -1; }
    int normaleCoin(int k) const { return k >= 0 && k < nbCoins() ? normales[k] : -1; }
    int texCoordCoin(int k) const { return k >= 0 && k < nbCoins() ? texCoords[k] : -1; }
};

class Mesh : public Entite {
public:
    Texture* texture = nullptr;
    std::vector<Sommet> sommets;
    std::vector<CVecteur> normales;
    std::vector<std::pair<float, float>> texCoords;
    std::vector<Face> faces;
    std::map<int, std::vector<int>> groupes;
    CVecteur boiteMin{0, 0, 0}, boiteMax{0, 0, 0};

    // Keep the texture and materials the faces point at alive as long as the mesh.
    std::shared_ptr<Texture> textureTenue;
    std::vector<std::shared_ptr<Material>> materiauxTenus;

    // Capacities only; throws the text "paramètres incorrects !" on a negative count.
    Mesh(int nbFaces, int nbSommets, int nbNormales, int nbTexCoords, const std::string& nom);
    ~Mesh() override;

    int ajouteSommet(CVecteur position, const RGBA& couleur);
    int ajouteNormale(CVecteur n);
    int ajouteTexCoord(float u, float v);
    int ajouteFace(int nbSommets, int groupe, Material* m);
    int ajouteSommetFace(int face, int sommet, int normale, int texCoord);

    int nbSommets() const { return static_cast<int>(sommets.size()); }
    int nbNormales() const { return static_cast<int>(normales.size()); }
    int nbTexCoords() const { return static_cast<int>(texCoords.size()); }
    int nbFaces() const { return static_cast<int>(faces.size()); }

    Face& getFace(int i);
    // The vertex and its colour, writable (the first call gives the mesh a colour list).
    RefSommet getSommet(int i);
    // The colour of vertex i (no check): the one it was added with.
    RGBA couleurSommet(int i) const {
        return static_cast<size_t>(i) < couleurs_.size() ? couleurs_[static_cast<size_t>(i)]
                                                         : couleurCommune_;
    }
    // Every vertex, present and to come, has colour c until told otherwise.
    void couleurDesSommets(const RGBA& c) {
        couleurs_.clear();
        couleurCommune_ = c;
    }
    CVecteur& getNormale(int i);
    std::pair<float, float>& getTexCoord(int i);
    CVecteur getSomCoord(int i) const;
    void setSomCoord(int i, float x, float y, float z);
    CVecteur getNormaleCoord(int i) const;
    void setNormaleCoord(int i, float x, float y, float z);
    void setFaceIndices(int face, int k, int sommet, int normale, int texCoord);
    void setFaceIndiceNormale(int face, int k, int normale);

    CVecteur calcNormaleFace(int i);
    // calcNormaleFace of every face, in order, with the same results and exceptions; large
    // meshes share the work between two threads.
    void calcNormalesFaces();
    // The normal calcNormaleFace would give a face whose first three vertex indices are
    // valid, without checking them nor storing it.
    CVecteur normaleFace(const Face& f) const;
    // The same, told whether the placement is the identity (placementIdentite, which a caller
    // computing many faces' normals asks once).
    CVecteur normaleFace(const Face& f, bool identite) const;
    bool placementIdentite() const;
    // Stores normaleFace into faces debut to fin - 1, whose first three vertex indices are
    // valid, one after the other.
    void poseNormalesFaces(size_t debut, size_t fin, bool identite);
    // With normalesFacesCalculees, the caller has just stored every face's normaleFace (as
    // the Wavefront reader does while reading): only the checks and the smoothing are left.
    void calcNormalesLissees(bool normalesFacesCalculees = false);
    // Gives every corner without a usable normal index (-1 or beyond the list) a smoothed
    // normal, averaged per smoothing group over the faces lacking it at that vertex, as
    // calcNormalesLissees does; faces that are not drawable polygons are left alone.
    // Returns the number of corners repaired.
    int completeNormalesManquantes();
    // True when the face has at least 3 corners and every vertex index is valid.
    bool faceValide(const Face& f) const;
    void trieFacesParMaterial();
    void appliqueMatrice(const CMatrice& a);

    // Attach a texture / material, keeping it alive with the mesh.
    void setTexture(std::shared_ptr<Texture> t);
    void setMaterial(std::shared_ptr<Material> m);  // every face gets it

    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override;

    // Modification counter: every operation that may change what the mesh draws (building,
    // setters, normal computations, sorting, matrix, texture and material changes, and every
    // accessor handing out a writable reference) bumps it. Code that writes the public lists
    // directly must call marqueModifie() before the mesh is drawn again.
    uint64_t revision() const { return revision_; }
    void marqueModifie() { ++revision_; }

    // True while meshes are drawn in immediate mode instead of from vertex buffers or display
    // lists (the frame benchmark compares the three ways; -immediat sets it at start-up).
    static bool modeImmediat;

    // What the drawing half keeps for this mesh (its display list), released with the mesh.
    std::unique_ptr<RessourceDessin> dessin;

private:
    // calcNormalesFaces, also telling whether every corner of every face names a vertex.
    void calcNormalesFaces(bool* coinsValides);

    uint64_t revision_ = 0;
    // The vertices' colours: couleurCommune_ for all of them while couleurs_ is empty (the
    // usual case), else couleurs_[i] (couleurCommune_ past its end).
    RGBA couleurCommune_;
    std::vector<RGBA> couleurs_;
};
