// Polygon meshes: building, validating accessors, face and smoothed normals.
#include "geometrie/mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <thread>

#include "commun/console.h"
#include "geometrie/lissage.h"
#include "geometrie/normales_faces.h"

// ---------------------------------------------------------------------------------------
// Corner index lists

int& ListeIndices::at(size_t i) {
    if (i >= size()) throw std::out_of_range("ListeIndices::at: indice invalide");
    return data()[i];
}

int ListeIndices::at(size_t i) const {
    if (i >= size()) throw std::out_of_range("ListeIndices::at: indice invalide");
    return data()[i];
}

void ListeIndices::agrandit(size_t n) {
    if (n >= SUR_TAS) throw std::length_error("ListeIndices: trop d'indices");
    n = std::max<size_t>(n, INTERNE + 1);
    int* nouveau = nouveauBloc(n);
    const uint32_t taille = static_cast<uint32_t>(size());
    std::copy(begin(), end(), nouveau);
    libere();
    poseTas(nouveau, n);
    taille_ |= taille;
}

void ListeIndices::resize(size_t n, int v) {
    reserve(n);
    for (size_t i = size(); i < n; ++i) data()[i] = v;
    taille_ = (taille_ & SUR_TAS) | static_cast<uint32_t>(n);
}

void ListeIndices::assign(size_t n, int v) {
    clear();
    resize(n, v);
}

void ListeIndices::assign(const int* debut, const int* fin) {
    const size_t n = static_cast<size_t>(fin - debut);
    clear();
    reserve(n);
    std::copy(debut, fin, data());
    taille_ = (taille_ & SUR_TAS) | static_cast<uint32_t>(n);
}

void ListeIndices::shrink_to_fit() {
    if (!surLeTas() || size() == capacity()) return;
    ListeIndices copie(*this);
    *this = std::move(copie);
}

bool operator==(const ListeIndices& a, const ListeIndices& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

Mesh::Mesh(int nbFaces, int nbSommets, int nbNormales, int nbTexCoords, const std::string& nom_) {
    if (nbSommets < 0 || nbNormales < 0 || nbFaces < 0) throw "paramètres incorrects !";
    nom = nom_;
    faces.reserve(static_cast<size_t>(nbFaces));
    sommets.reserve(static_cast<size_t>(nbSommets));
    normales.reserve(static_cast<size_t>(nbNormales));
    // The texture-coordinate count is not checked: a negative one only reserves nothing.
    if (nbTexCoords > 0) texCoords.reserve(static_cast<size_t>(nbTexCoords));
}

bool Mesh::modeImmediat = false;

Mesh::~Mesh() = default;

// ---------------------------------------------------------------------------------------
// Building

int Mesh::ajouteSommet(CVecteur position, const RGBA& couleur) {
    ++revision_;
    if (sommets.empty()) {
        boiteMin = position;
        boiteMax = position;
    } else {
        for (int i = 0; i < 3; ++i) {
            if (position[i] < boiteMin[i]) boiteMin[i] = position[i];
            if (position[i] > boiteMax[i]) boiteMax[i] = position[i];
        }
    }
    // Colours go to a list of their own only once two differ.
    if (couleurs_.size() > sommets.size()) couleurs_.resize(sommets.size());
    if (sommets.empty() && couleurs_.empty())
        couleurCommune_ = couleur;
    else if (couleurs_.empty() && !(couleur == couleurCommune_))
        couleurs_.assign(sommets.size(), couleurCommune_);
    if (!couleurs_.empty()) {
        couleurs_.resize(sommets.size(), couleurCommune_);
        couleurs_.push_back(couleur);
    }
    sommets.emplace_back(position);
    return nbSommets() - 1;
}

int Mesh::ajouteNormale(CVecteur n) {
    ++revision_;
    normales.push_back(n);
    return nbNormales() - 1;
}

int Mesh::ajouteTexCoord(float u, float v) {
    ++revision_;
    texCoords.emplace_back(u, v);
    return nbTexCoords() - 1;
}

int Mesh::ajouteFace(int nbCoins, int groupe, Material* m) {
    ++revision_;
    // Up to four corners fit in the face itself; a larger count is reserved on the heap.
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
    ++revision_;
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
    ++revision_;  // the caller may change the face through the reference
    return faces[i];
}

RefSommet Mesh::getSommet(int i) {
    if (!dans(i, sommets.size())) throw std::out_of_range("Mesh::getSommet: indice invalide");
    ++revision_;
    if (couleurs_.size() < sommets.size()) couleurs_.resize(sommets.size(), couleurCommune_);
    Sommet& s = sommets[i];
    RGBA& c = couleurs_[i];
    return RefSommet{s.x, s.y, s.z, c.r, c.g, c.b, c.a};
}

CVecteur& Mesh::getNormale(int i) {
    if (!dans(i, normales.size())) throw std::out_of_range("Mesh::getNormale: indice invalide");
    ++revision_;
    return normales[i];
}

std::pair<float, float>& Mesh::getTexCoord(int i) {
    if (!dans(i, texCoords.size()))
        throw std::out_of_range("Mesh::getTexCoord: indice de coordonnées de texture invalide");
    ++revision_;
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
    ++revision_;
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
    ++revision_;
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
    ++revision_;
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
    ++revision_;
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
    auto point = [&](int s) {
        if (!dans(s, sommets.size())) throw std::out_of_range("Mesh::getSommet: indice invalide");
        return sommets[s].transformePoint(placement);
    };
    const CVecteur p0 = point(f.sommets[0]);
    const CVecteur p1 = point(f.sommets[1]);
    const CVecteur p2 = point(f.sommets[2]);
    ++revision_;
    f.normale = (p1 - p0).produitVectoriel(p2 - p1).normalise();
    return f.normale;
}

namespace {
bool troisPremiersValides(const Face& f, size_t nbSommets) {
    return f.nbCoins() >= 3 && dans(f.sommets[0], nbSommets) && dans(f.sommets[1], nbSommets) &&
           dans(f.sommets[2], nbSommets);
}
}  // namespace

void Mesh::calcNormalesFaces() { calcNormalesFaces(nullptr); }

CVecteur Mesh::normaleFace(const Face& f) const {
    return normaleDe(sommets, matrice(), placementIdentite(), f);
}

CVecteur Mesh::normaleFace(const Face& f, bool identite) const {
    return normaleDe(sommets, matrice(), identite, f);
}

void Mesh::poseNormalesFaces(size_t debut, size_t fin, bool identite) {
    poseNormalesDe(sommets, matrice(), identite, faces.data(), debut, fin);
}

bool Mesh::placementIdentite() const {
    const float* m = matrice().m;
    for (int i = 0; i < 16; ++i) {
        const float attendu = i % 5 == 0 ? 1.0f : 0.0f;
        if (std::memcmp(&m[i], &attendu, sizeof attendu) != 0) return false;
    }
    return true;
}

void Mesh::calcNormalesFaces(bool* coinsValides) {
    ++revision_;
    const size_t n = faces.size(), nbS = sommets.size();
    bool troisValides = true, tousValides = true;
    for (const Face& f : faces) {
        if (!troisPremiersValides(f, nbS)) {
            troisValides = false;
            break;
        }
        if (coinsValides)
            for (int s : f.sommets) tousValides &= dans(s, nbS);
    }
    if (!troisValides) {
        // Face by face, so that the first bad face reports and throws where it stands.
        for (int i = 0; i < nbFaces(); ++i) calcNormaleFace(i);
        return;
    }
    if (coinsValides) *coinsValides = tousValides;
    const CMatrice& placement = matrice();
    const bool identite = placementIdentite();
    auto calcule = [&](size_t debut, size_t fin) {
        poseNormalesDe(sommets, placement, identite, faces.data(), debut, fin);
    };
    // Each face on its own: a large mesh shares them between two threads.
    if (n < 200000 || std::thread::hardware_concurrency() < 2) {
        calcule(0, n);
        return;
    }
    std::thread autre(calcule, n / 2, n);
    calcule(0, n / 2);
    autre.join();
}

void Mesh::calcNormalesLissees(bool normalesFacesCalculees) {
    // Face normals first: a face of fewer than 3 corners or with a bad leading vertex throws
    // here, before the normal list is touched. Any other bad vertex index is refused too, so
    // the per-vertex table is never overrun.
    bool coinsValides = true;
    if (normalesFacesCalculees) {
        for (const Face& f : faces)
            for (int s : f.sommets) coinsValides &= dans(s, sommets.size());
    } else {
        calcNormalesFaces(&coinsValides);
    }
    if (!coinsValides) throw std::out_of_range("Mesh::getSommet: indice invalide");
    bool groupesValides = true;
    for (const auto& entree : groupes)
        for (int indiceFace : entree.second)
            if (!dans(indiceFace, faces.size())) groupesValides = false;

    ++revision_;
    normales.clear();
    // A group naming a face that does not exist throws when the walk reaches it; the faces
    // walked by then keep averaged normals that exist.
    LissageSommets lissage(sommets.size());
    try {
        for (const auto& entree : groupes) {
            lissage.nouveauGroupe();
            for (int indiceFace : entree.second)
                lissage.ajoute(groupesValides ? faces[static_cast<size_t>(indiceFace)]
                                              : getFace(indiceFace));
        }
    } catch (...) {
        normales = lissage.termine();
        throw;
    }
    normales = lissage.termine();
}

int Mesh::completeNormalesManquantes() {
    ++revision_;
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
        moyenneNormales(normales, premier, compteurs, static_cast<size_t>(nbAvant));
    }
    return repares;
}

// ---------------------------------------------------------------------------------------
// Whole-mesh operations

void Mesh::trieFacesParMaterial() {
    ++revision_;
    const std::less<const Material*> avant;
    bool trie = true;
    for (size_t i = 1; i < faces.size() && trie; ++i)
        trie = !avant(faces[i].material, faces[i - 1].material);
    if (trie) return;

    // A stable counting sort over the few distinct materials, applied in place: a copy of
    // the faces (or the buffer of std::stable_sort) would double a large mesh's memory.
    std::vector<const Material*> materiaux;
    for (const Face& f : faces)
        if (materiaux.empty() || materiaux.back() != f.material) {
            if (std::find(materiaux.begin(), materiaux.end(), f.material) == materiaux.end())
                materiaux.push_back(f.material);
        }
    std::sort(materiaux.begin(), materiaux.end(), avant);
    std::vector<uint32_t> premier(materiaux.size() + 1, 0);
    auto rang = [&](const Material* m) {
        return static_cast<size_t>(std::lower_bound(materiaux.begin(), materiaux.end(), m, avant) -
                                   materiaux.begin());
    };
    std::vector<uint32_t> destination(faces.size());
    {
        size_t r = 0;
        const Material* dernier = nullptr;
        bool connu = false;
        for (const Face& f : faces) {
            if (!connu || f.material != dernier) {
                r = rang(f.material);
                dernier = f.material;
                connu = true;
            }
            ++premier[r + 1];
        }
        for (size_t k = 1; k < premier.size(); ++k) premier[k] += premier[k - 1];
        connu = false;
        for (size_t i = 0; i < faces.size(); ++i) {
            if (!connu || faces[i].material != dernier) {
                r = rang(faces[i].material);
                dernier = faces[i].material;
                connu = true;
            }
            destination[i] = premier[r]++;
        }
    }
    // Follow each cycle of the permutation, swapping faces into place.
    for (size_t i = 0; i < faces.size(); ++i) {
        while (destination[i] != i) {
            const uint32_t d = destination[i];
            std::swap(faces[i], faces[d]);
            std::swap(destination[i], destination[d]);
        }
    }
}

void Mesh::appliqueMatrice(const CMatrice& a) {
    ++revision_;
    for (Sommet& s : sommets) {
        const CVecteur p = s.transformePoint(a);
        s.x = p.x;
        s.y = p.y;
        s.z = p.z;
    }
    for (CVecteur& n : normales) n = n.transformePoint(a);
}

void Mesh::setTexture(std::shared_ptr<Texture> t) {
    ++revision_;
    texture = t.get();
    textureTenue = std::move(t);
}

void Mesh::setMaterial(std::shared_ptr<Material> m) {
    ++revision_;
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
