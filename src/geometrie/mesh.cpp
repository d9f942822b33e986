// Polygon meshes: building, validating accessors, face and smoothed normals, drawing.
#include "geometrie/mesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "app/console.h"
#include "scene/scene.h"

Mesh::Mesh(int nbFaces, int nbSommets, int nbNormales, int nbTexCoords, const std::string& nom_) {
    if (nbSommets < 0 || nbNormales < 0 || nbFaces < 0) throw "paramètres incorrects !";
    nom = nom_;
    faces.reserve(static_cast<size_t>(nbFaces));
    sommets.reserve(static_cast<size_t>(nbSommets));
    normales.reserve(static_cast<size_t>(nbNormales));
    // The texture-coordinate count is not checked: a negative one only reserves nothing.
    if (nbTexCoords > 0) texCoords.reserve(static_cast<size_t>(nbTexCoords));
}

// ---------------------------------------------------------------------------------------
// Building

int Mesh::ajouteSommet(CVecteur position, const RGBA& couleur) {
    if (sommets.empty()) {
        boiteMin = position;
        boiteMax = position;
    } else {
        for (int i = 0; i < 3; ++i) {
            if (position[i] < boiteMin[i]) boiteMin[i] = position[i];
            if (position[i] > boiteMax[i]) boiteMax[i] = position[i];
        }
    }
    sommets.emplace_back(position, couleur);
    return nbSommets() - 1;
}

int Mesh::ajouteNormale(CVecteur n) {
    normales.push_back(n);
    return nbNormales() - 1;
}

int Mesh::ajouteTexCoord(float u, float v) {
    texCoords.emplace_back(u, v);
    return nbTexCoords() - 1;
}

int Mesh::ajouteFace(int nbCoins, int groupe, Material* m) {
    const size_t capacite = nbCoins <= 0 ? 3 : static_cast<size_t>(nbCoins);
    Face f;
    f.sommets.reserve(capacite);
    f.normales.reserve(capacite);
    f.texCoords.reserve(capacite);
    f.groupe = groupe;
    f.material = m;
    faces.push_back(std::move(f));
    const int indice = nbFaces() - 1;
    groupes[groupe].push_back(indice);
    return indice;
}

int Mesh::ajouteSommetFace(int face, int sommet, int normale, int texCoord) {
    Face& f = getFace(face);
    f.sommets.push_back(sommet);
    f.normales.push_back(normale);
    f.texCoords.push_back(texCoord);
    return f.nbCoins() - 1;
}

// ---------------------------------------------------------------------------------------
// Validating accessors

namespace {
inline bool dans(int i, size_t taille) { return i >= 0 && static_cast<size_t>(i) < taille; }
}  // namespace

Face& Mesh::getFace(int i) {
    if (!dans(i, faces.size())) throw std::out_of_range("Mesh::getFace: indice invalide");
    return faces[i];
}

Sommet& Mesh::getSommet(int i) {
    if (!dans(i, sommets.size())) throw std::out_of_range("Mesh::getSommet: indice invalide");
    return sommets[i];
}

CVecteur& Mesh::getNormale(int i) {
    if (!dans(i, normales.size())) throw std::out_of_range("Mesh::getNormale: indice invalide");
    return normales[i];
}

std::pair<float, float>& Mesh::getTexCoord(int i) {
    if (!dans(i, texCoords.size()))
        throw std::out_of_range("Mesh::getTexCoord: indice de coordonnées de texture invalide");
    return texCoords[i];
}

CVecteur Mesh::getSomCoord(int i) const {
    if (!dans(i, sommets.size()))
        throw std::out_of_range("Mesh::getSomCoord: indice de sommet invalide");
    const Sommet& s = sommets[i];
    return CVecteur(s.x, s.y, s.z);
}

void Mesh::setSomCoord(int i, float x, float y, float z) {
    if (!dans(i, sommets.size()))
        throw std::out_of_range("Mesh::setSomCoord: indice de sommet invalide");
    Sommet& s = sommets[i];
    s.x = x;
    s.y = y;
    s.z = z;
}

CVecteur Mesh::getNormaleCoord(int i) const {
    if (!dans(i, normales.size()))
        throw std::out_of_range("Mesh::getNormaleCoord: indice de normale invalide");
    return normales[i];
}

void Mesh::setNormaleCoord(int i, float x, float y, float z) {
    if (!dans(i, normales.size()))
        throw std::out_of_range("Mesh::setNormaleCoord: indice de normale invalide");
    normales[i] = CVecteur(x, y, z);
}

void Mesh::setFaceIndices(int face, int k, int sommet, int normale, int texCoord) {
    if (!dans(face, faces.size()))
        throw std::out_of_range("Mesh::setFaceIndices: indice de face invalide");
    Face& f = faces[face];
    if (!dans(k, f.sommets.size()))
        throw std::out_of_range("Mesh::setFaceIndices: indice de sommet de face invalide");
    if (!dans(sommet, sommets.size()))
        throw std::out_of_range("Mesh::setFaceIndices: indice de sommet invalide");
    if (normale >= 0 && normale >= nbNormales())
        throw std::out_of_range("Mesh::setFaceIndices: indice de normale invalide");
    if (texCoord >= 0 && texCoord >= nbTexCoords())
        throw std::out_of_range("Mesh::setFaceIndices: indice de coordonnées de texture invalide");
    f.sommets[k] = sommet;
    f.normales[k] = normale;
    f.texCoords[k] = texCoord;
}

void Mesh::setFaceIndiceNormale(int face, int k, int normale) {
    if (!dans(face, faces.size()))
        throw std::out_of_range("Mesh::setFaceIndiceNormale: indice de face invalide");
    Face& f = faces[face];
    if (!dans(k, f.normales.size()))
        throw std::out_of_range("Mesh::setFaceIndiceNormale: indice de sommet de face invalide");
    // This operation shares setFaceIndices' message for a bad normal.
    if (normale >= 0 && normale >= nbNormales())
        throw std::out_of_range("Mesh::setFaceIndices: indice de normale invalide");
    f.normales[k] = normale;
}

// ---------------------------------------------------------------------------------------
// Normals

bool Mesh::faceValide(const Face& f) const {
    if (f.nbCoins() < 3) return false;
    for (int s : f.sommets)
        if (!dans(s, sommets.size())) return false;
    return true;
}

CVecteur Mesh::calcNormaleFace(int i) {
    if (!dans(i, faces.size()))
        throw std::out_of_range("Mesh::calcNormaleFace: indice de face invalide");
    Face& f = faces[i];
    if (f.nbCoins() < 3) {
        console.erreur("polygone avec moins de 3 sommets !");
        throw std::out_of_range("Mesh::calcNormaleFace: face ne contenant que 3 sommets");
    }
    const CMatrice& placement = matrice();
    const CVecteur p0 = getSommet(f.sommets[0]).transformePoint(placement);
    const CVecteur p1 = getSommet(f.sommets[1]).transformePoint(placement);
    const CVecteur p2 = getSommet(f.sommets[2]).transformePoint(placement);
    f.normale = (p1 - p0).produitVectoriel(p2 - p1).normalise();
    return f.normale;
}

namespace {
// Divides each normal from `premier` on by its counter, the inverse taken in extended
// precision and applied as a float scale.
void moyenne(std::vector<CVecteur>& normales, size_t premier, const std::vector<int>& compteurs,
             size_t decalage) {
    for (size_t n = premier; n < normales.size(); ++n) {
        const float k = static_cast<float>(1.0L / compteurs[n - decalage]);
        normales[n] = k * normales[n];
    }
}
}  // namespace

void Mesh::calcNormalesLissees() {
    // Face normals first: a face of fewer than 3 corners or with a bad leading vertex throws
    // here, before the normal list is touched.
    for (int i = 0; i < nbFaces(); ++i) calcNormaleFace(i);
    // Any other bad vertex index is refused too, so the per-vertex table is never overrun.
    for (const Face& f : faces)
        for (int s : f.sommets)
            if (!dans(s, sommets.size()))
                throw std::out_of_range("Mesh::getSommet: indice invalide");

    normales.clear();
    std::vector<int> table(sommets.size(), -1);
    std::vector<int> compteurs;
    for (const auto& entree : groupes) {
        std::fill(table.begin(), table.end(), -1);
        const size_t premier = normales.size();
        for (int indiceFace : entree.second) {
            Face& f = getFace(indiceFace);
            for (int k = 0; k < f.nbCoins(); ++k) {
                const int v = f.sommets[k];
                if (table[v] == -1) {
                    normales.push_back(f.normale);
                    compteurs.push_back(1);
                    table[v] = nbNormales() - 1;
                } else {
                    normales[table[v]] += f.normale;
                    ++compteurs[table[v]];
                }
                setFaceIndiceNormale(indiceFace, k, table[v]);
            }
        }
        moyenne(normales, premier, compteurs, 0);
    }
}

int Mesh::completeNormalesManquantes() {
    const int nbAvant = nbNormales();
    int repares = 0;
    std::vector<int> table(sommets.size(), -1);
    std::vector<int> compteurs;  // for the normals added here, from nbAvant on
    std::vector<char> manque;
    for (const auto& entree : groupes) {
        std::fill(table.begin(), table.end(), -1);
        const size_t premier = normales.size();
        for (int indiceFace : entree.second) {
            if (!dans(indiceFace, faces.size())) continue;
            Face& f = faces[indiceFace];
            manque.assign(f.normales.size(), 0);
            bool aReparer = false;
            for (size_t k = 0; k < f.normales.size(); ++k) {
                if (f.normales[k] < 0 || f.normales[k] >= nbAvant) {
                    manque[k] = 1;
                    aReparer = true;
                }
            }
            if (!aReparer || !faceValide(f)) continue;
            calcNormaleFace(indiceFace);
            for (size_t k = 0; k < manque.size(); ++k) {
                if (!manque[k]) continue;
                const int v = f.sommets[k];
                if (table[v] == -1) {
                    normales.push_back(f.normale);
                    compteurs.push_back(1);
                    table[v] = nbNormales() - 1;
                } else {
                    normales[table[v]] += f.normale;
                    ++compteurs[table[v] - nbAvant];
                }
                f.normales[k] = table[v];
                ++repares;
            }
        }
        moyenne(normales, premier, compteurs, static_cast<size_t>(nbAvant));
    }
    return repares;
}

// ---------------------------------------------------------------------------------------
// Whole-mesh operations

void Mesh::trieFacesParMaterial() {
    std::stable_sort(faces.begin(), faces.end(), [](const Face& a, const Face& b) {
        return std::less<const Material*>()(a.material, b.material);
    });
}

void Mesh::appliqueMatrice(const CMatrice& a) {
    for (Sommet& s : sommets) {
        const CVecteur p = s.transformePoint(a);
        s.x = p.x;
        s.y = p.y;
        s.z = p.z;
    }
    for (CVecteur& n : normales) n = n.transformePoint(a);
}

void Mesh::setTexture(std::shared_ptr<Texture> t) {
    texture = t.get();
    textureTenue = std::move(t);
}

void Mesh::setMaterial(std::shared_ptr<Material> m) {
    for (Face& f : faces) f.material = m.get();
    // Every face now uses m, so no other material needs keeping.
    materiauxTenus.clear();
    if (m) materiauxTenus.push_back(std::move(m));
}

void Mesh::getBoiteEnglobante(CVecteur& min, CVecteur& max) {
    min = boiteMin;
    max = boiteMax;
    matrice().transformeBoite(min, max);
}

// ---------------------------------------------------------------------------------------
// Drawing

void Mesh::appliqueMaterial(const Material* m) {
    static const Material parDefaut;
    if (!m) m = &parDefaut;
    auto vers = [](const RGBA& c, float(&t)[4]) {
        t[0] = c.r;
        t[1] = c.g;
        t[2] = c.b;
        t[3] = c.a;
    };
    float couleur[4];
    vers(m->couleur4, couleur);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, couleur);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m->brillance);
    vers(m->couleur2, couleur);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, couleur);
    glColor4f(m->couleur1.r, m->couleur1.g, m->couleur1.b, m->couleur1.a);
}

void Mesh::dessine(CScene& scene, int& nomSelection, Instance* instance) {
    glLoadName(static_cast<GLuint>(nomSelection));
    ++nomSelection;
    glPushMatrix();
    glMultMatrixf(m);

    const bool textureAvant = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    const bool textureVoulue = scene.texturage && texture != nullptr;
    if (textureVoulue != textureAvant) {
        if (textureVoulue)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
    }
    // A record not yet installed (-1) binds the default texture object.
    if (texture) glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(std::max(texture->glTexture, 0)));

    if (scene.points_seuls) glPointSize(2);

    if (instance) {
        if (instance == scene.instanceSelectionnee() && scene.selection_surlignee)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
    }

    appliqueMaterial(nullptr);
    const Material* courant = nullptr;
    for (const Face& f : faces) {
        // A face with a bad vertex index is skipped rather than aborting the frame.
        bool dessinable = true;
        for (int s : f.sommets)
            if (!dans(s, sommets.size())) dessinable = false;
        if (!dessinable) continue;

        if (f.material != courant) {
            appliqueMaterial(f.material);
            courant = f.material;
        }
        glBegin(GL_POLYGON);
        if (!scene.smoothshading) glNormal3f(f.normale.x, f.normale.y, f.normale.z);
        for (int k = 0; k < f.nbCoins(); ++k) {
            const Sommet& s = sommets[f.sommets[k]];
            const int n = f.normales[k];
            // A corner without a usable normal takes the face normal.
            const CVecteur& normale = dans(n, normales.size()) ? normales[n] : f.normale;
            const int t = f.texCoords[k];
            if (scene.texturage && t != -1 && dans(t, texCoords.size()))
                glTexCoord2f(texCoords[t].first, texCoords[t].second);
            if (scene.smoothshading) glNormal3f(normale.x, normale.y, normale.z);
            glVertex3f(s.x, s.y, s.z);
        }
        glEnd();
    }

    glPopMatrix();
    if ((glIsEnabled(GL_TEXTURE_2D) == GL_TRUE) != textureAvant) {
        if (textureAvant)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
    }
}
