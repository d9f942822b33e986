// Polygon meshes: storage, validating accessors, face and smoothed normals.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "geometrie/coins_face.h"
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

// The corner lists sommets (vertex indices, drawing order), normales (one normal index per
// corner, -1 = none) and texCoords (one texture-coordinate index per corner, -1 = none) are
// CoinsFace's. A face is one cache line: what reading it and drawing it look at is read
// in one go.
struct alignas(64) Face : CoinsFace {
    // Each member as initialised below, and nothing else: a face made in place by
    // faces.emplace_back() is not cleared whole first.
    Face() {}

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
