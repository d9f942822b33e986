#include "geometrie/maillage_assimp.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <sys/stat.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cctype>
#include <cmath>
#include <stdexcept>
#include <vector>

bool extensionAssimp(const std::string& nom) {
    const size_t point = nom.rfind('.');
    if (point == std::string::npos) return false;
    std::string ext = nom.substr(point + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == "stl" || ext == "dae";
}

namespace {

RGBA couleur(const aiMaterial& m, const char* cle, unsigned type, unsigned indice, RGBA defaut) {
    aiColor4D c;
    if (m.Get(cle, type, indice, c) != AI_SUCCESS) return defaut;
    return RGBA(c.r, c.g, c.b, c.a);
}

std::shared_ptr<Material> materiau(const aiMaterial& m) {
    auto r = std::make_shared<Material>();
    r->couleur2 = couleur(m, AI_MATKEY_COLOR_DIFFUSE, r->couleur2);
    r->couleur1 = r->couleur2;
    r->couleur3 = couleur(m, AI_MATKEY_COLOR_SPECULAR, r->couleur3);
    r->couleur4 = couleur(m, AI_MATKEY_COLOR_EMISSIVE, r->couleur4);
    float brillance;
    if (m.Get(AI_MATKEY_SHININESS, brillance) == AI_SUCCESS && std::isfinite(brillance))
        r->brillance = std::clamp(brillance, 0.0f, 128.0f);
    return r;
}

}  // namespace

std::shared_ptr<Mesh> lisMaillageAssimp(const std::string& nom, float echelle, uint64_t tailleMax) {
    if (!extensionAssimp(nom))
        throw std::runtime_error(
            "format de maillage non pris en charge (STL ou COLLADA "
            "attendu) : " +
            nom);
    struct stat etat;
    if (stat(nom.c_str(), &etat) != 0 || !S_ISREG(etat.st_mode))
        throw std::runtime_error("maillage introuvable : " + nom);
    if (static_cast<uint64_t>(etat.st_size) > tailleMax)
        throw std::runtime_error("maillage trop gros (" + std::to_string(etat.st_size >> 20) +
                                 " Mo, au plus " + std::to_string(tailleMax >> 20) +
                                 " Mo) : " + nom);
    if (!(echelle > 0) || !std::isfinite(echelle))
        throw std::runtime_error("échelle de maillage non positive : " + nom);

    Assimp::Importer importeur;
    // The file's own axes: a robot description places its meshes in its links' frames.
    importeur.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_IGNORE_UP_DIRECTION, true);
    const aiScene* scene = importeur.ReadFile(
        nom, aiProcess_Triangulate | aiProcess_PreTransformVertices | aiProcess_GenNormals |
                 aiProcess_JoinIdenticalVertices | aiProcess_SortByPType);
    if (!scene || !scene->mRootNode)
        throw std::runtime_error("maillage illisible : " + nom + " (" + importeur.GetErrorString() +
                                 ")");

    size_t nbSommets = 0, nbFaces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        nbSommets += scene->mMeshes[i]->mNumVertices;
        nbFaces += scene->mMeshes[i]->mNumFaces;
    }
    if (nbSommets > INT32_MAX / 2 || nbFaces > INT32_MAX / 2)
        throw std::runtime_error("maillage trop gros : " + nom);
    auto mesh = std::make_shared<Mesh>(static_cast<int>(nbFaces), static_cast<int>(nbSommets),
                                       static_cast<int>(nbSommets), 0, nom);
    std::vector<Material*> materiaux(scene->mNumMaterials, nullptr);
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        auto m = materiau(*scene->mMaterials[i]);
        materiaux[i] = m.get();
        mesh->materiauxTenus.push_back(std::move(m));
    }
    const RGBA blanc(1, 1, 1, 1);
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh& m = *scene->mMeshes[i];
        if (!(m.mPrimitiveTypes & aiPrimitiveType_TRIANGLE)) continue;
        const int premier = mesh->nbSommets();
        for (unsigned v = 0; v < m.mNumVertices; ++v) {
            const aiVector3D& p = m.mVertices[v];
            mesh->ajouteSommet(CVecteur(p.x * echelle, p.y * echelle, p.z * echelle), blanc);
            const aiVector3D n = m.mNormals ? m.mNormals[v] : aiVector3D(0, 0, 1);
            mesh->ajouteNormale(CVecteur(n.x, n.y, n.z));
        }
        Material* mat = m.mMaterialIndex < materiaux.size() ? materiaux[m.mMaterialIndex] : nullptr;
        for (unsigned f = 0; f < m.mNumFaces; ++f) {
            const aiFace& face = m.mFaces[f];
            if (face.mNumIndices != 3) continue;
            const int k = mesh->ajouteFace(3, 0, mat);
            for (unsigned c = 0; c < 3; ++c) {
                const int s = premier + static_cast<int>(face.mIndices[c]);
                mesh->ajouteSommetFace(k, s, s, -1);
            }
        }
    }
    if (mesh->nbFaces() == 0) throw std::runtime_error("maillage sans triangle : " + nom);
    mesh->calcNormalesFaces();
    return mesh;
}
