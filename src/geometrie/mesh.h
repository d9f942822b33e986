// Polygon meshes: storage, validating accessors, face and smoothed normals, drawing.
#pragma once

#include <map>
#include <memory>
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

struct Face {
    std::vector<int> sommets;    // vertex indices, drawing order
    std::vector<int> normales;   // one normal index per corner, -1 = none
    std::vector<int> texCoords;  // one texture-coordinate index per corner, -1 = none
    CVecteur normale{0, 0, 0};
    RGBA couleur;
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
    ~Mesh() override = default;

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
    Sommet& getSommet(int i);
    CVecteur& getNormale(int i);
    std::pair<float, float>& getTexCoord(int i);
    CVecteur getSomCoord(int i) const;
    void setSomCoord(int i, float x, float y, float z);
    CVecteur getNormaleCoord(int i) const;
    void setNormaleCoord(int i, float x, float y, float z);
    void setFaceIndices(int face, int k, int sommet, int normale, int texCoord);
    void setFaceIndiceNormale(int face, int k, int normale);

    CVecteur calcNormaleFace(int i);
    void calcNormalesLissees();
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
    void dessine(CScene& scene, int& nomSelection, Instance* instance) override;
    static void appliqueMaterial(const Material* m);
};
