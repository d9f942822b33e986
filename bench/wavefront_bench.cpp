// Loading Wavefront files: our reader against tinyobjloader's LoadObj and against merely
// reading the file's bytes and scanning them for line ends, on the same generated files, and
// the memory our load needs at its peak against what the loaded mesh keeps. The summary is
// given twice: with fresh memory for every load (as a program's first load gets it) and with
// freed memory kept for the next load, each the same for all three readings. The files are
// generated at start-up in a temporary folder and removed at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "geometrie/wavefront.h"
#include "memoire_bench.h"

// ---------------------------------------------------------------------------------------
// Every allocation of the program goes through these, so the bytes in use and their peak
// can be read around one load. Each block carries its size in a header.

namespace {
std::atomic<long long> octetsEnUsage{0};
std::atomic<long long> picOctets{0};
constexpr size_t ENTETE = 16;

void* alloue(size_t n) {
    void* p = std::malloc(n + ENTETE);
    if (!p) throw std::bad_alloc();
    *static_cast<size_t*>(p) = n;
    const long long courant = octetsEnUsage += static_cast<long long>(n);
    long long pic = picOctets.load();
    while (courant > pic && !picOctets.compare_exchange_weak(pic, courant)) {
    }
    return static_cast<char*>(p) + ENTETE;
}

void libere(void* p) {
    if (!p) return;
    char* bloc = static_cast<char*>(p) - ENTETE;
    octetsEnUsage -= static_cast<long long>(*reinterpret_cast<size_t*>(bloc));
    std::free(bloc);
}
}  // namespace

void* operator new(size_t n) { return alloue(n); }
void* operator new[](size_t n) { return alloue(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    try {
        return alloue(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
    try {
        return alloue(n);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { libere(p); }
void operator delete[](void* p) noexcept { libere(p); }
void operator delete(void* p, size_t) noexcept { libere(p); }
void operator delete[](void* p, size_t) noexcept { libere(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { libere(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { libere(p); }

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------
// Generated files. The torus: U x V quads cut into two triangles each (2 U V triangles),
// with texture coordinates, with or without normals; and the same U x V quads left whole with
// `v/t/n` corners, as modelling tools export them. Scan-like files: a bumpy sphere of
// `v x y z` in a few significant digits and `f a b c`, no normals (our reader smooths them).
// CAD-like files: a faceted sphere with one `vn` per facet and `f a//n b//n c//n`.

constexpr int U = 1000, V = 500;

struct Fichier {
    std::string nom, chemin;
};

std::FILE* ouvre(const std::string& chemin) {
    std::FILE* f = std::fopen(chemin.c_str(), "w");
    if (!f) std::abort();
    return f;
}

void ferme(std::FILE* f) {
    if (std::fclose(f) != 0) std::abort();
}

void ecritTore(const std::string& nom, bool normales, bool quadrilateres = false) {
    std::FILE* f = ouvre(nom);
    if (quadrilateres)
        std::fprintf(f, "# tore de %d quadrilatères\n", U * V);
    else
        std::fprintf(f, "# tore de %d triangles\n", 2 * U * V);
    const double R = 10, r = 3, pi = std::acos(-1.0);
    for (int i = 0; i < U; ++i)
        for (int j = 0; j < V; ++j) {
            const double a = 2 * pi * i / U, b = 2 * pi * j / V;
            std::fprintf(f, "v %.6f %.6f %.6f\n", (R + r * std::cos(b)) * std::cos(a),
                         (R + r * std::cos(b)) * std::sin(a), r * std::sin(b));
        }
    for (int i = 0; i < U; ++i)
        for (int j = 0; j < V; ++j)
            std::fprintf(f, "vt %.6f %.6f\n", static_cast<double>(i) / U,
                         static_cast<double>(j) / V);
    if (normales)
        for (int i = 0; i < U; ++i)
            for (int j = 0; j < V; ++j) {
                const double a = 2 * pi * i / U, b = 2 * pi * j / V;
                std::fprintf(f, "vn %.6f %.6f %.6f\n", std::cos(b) * std::cos(a),
                             std::cos(b) * std::sin(a), std::sin(b));
            }
    auto indice = [](int i, int j) { return (i % U) * V + (j % V) + 1; };
    auto coin = [&](int k) {
        if (normales)
            std::fprintf(f, " %d/%d/%d", k, k, k);
        else
            std::fprintf(f, " %d/%d", k, k);
    };
    for (int i = 0; i < U; ++i)
        for (int j = 0; j < V; ++j) {
            const int a = indice(i, j), b = indice(i + 1, j), c = indice(i + 1, j + 1),
                      d = indice(i, j + 1);
            std::fputs("f", f);
            if (quadrilateres) {
                coin(a), coin(b), coin(c), coin(d);
            } else {
                coin(a), coin(b), coin(c);
                std::fputs("\nf", f);
                coin(a), coin(c), coin(d);
            }
            std::fputs("\n", f);
        }
    ferme(f);
}

// A sphere of about `triangles` triangles (a grid of rings and meridians, the poles
// included), its points on a radius that varies a little, in millimetres.
struct Sphere {
    int anneaux, meridiens;
    explicit Sphere(int triangles) {
        meridiens = static_cast<int>(std::sqrt(triangles));
        anneaux = triangles / (2 * meridiens) + 1;
    }
    int nbTriangles() const { return 2 * (anneaux - 1) * meridiens; }
    // Vertex of ring i (0 .. anneaux), meridian j; the poles are rings 0 and anneaux.
    int indice(int i, int j) const { return 1 + i * meridiens + (j % meridiens); }
    void point(int i, int j, double p[3]) const {
        const double pi = std::acos(-1.0), a = pi * i / anneaux, b = 2 * pi * j / meridiens;
        const double r = 80 + 1.5 * std::sin(7 * a) * std::cos(5 * b) + 0.01 * ((i * 31 + j) % 17);
        p[0] = r * std::sin(a) * std::cos(b);
        p[1] = r * std::sin(a) * std::sin(b);
        p[2] = r * std::cos(a) + 120;
    }
    template <class F>
    void triangles(F&& f) const {
        for (int i = 0; i + 1 < anneaux; ++i)
            for (int j = 0; j < meridiens; ++j) {
                f(indice(i, j), indice(i + 1, j), indice(i + 1, j + 1));
                f(indice(i, j), indice(i + 1, j + 1), indice(i, j + 1));
            }
    }
};

void ecritScan(const std::string& nom, int triangles, int chiffres) {
    const Sphere s(triangles);
    std::FILE* f = ouvre(nom);
    std::fprintf(f, "# scan, %d triangles\n", s.nbTriangles());
    for (int i = 0; i < s.anneaux; ++i)
        for (int j = 0; j < s.meridiens; ++j) {
            double p[3];
            s.point(i, j, p);
            std::fprintf(f, "v %.*g %.*g %.*g\n", chiffres, p[0], chiffres, p[1], chiffres, p[2]);
        }
    s.triangles([&](int a, int b, int c) { std::fprintf(f, "f %d %d %d\n", a, b, c); });
    ferme(f);
}

void ecritCao(const std::string& nom, int triangles) {
    const Sphere s(triangles);
    std::FILE* f = ouvre(nom);
    std::fprintf(f, "# CAO, %d triangles\ng piece\n", s.nbTriangles());
    for (int i = 0; i < s.anneaux; ++i)
        for (int j = 0; j < s.meridiens; ++j) {
            double p[3];
            s.point(i, j, p);
            std::fprintf(f, "v %.6f %.6f %.6f\n", p[0], p[1], p[2]);
        }
    // One normal per facet (here the direction of its first vertex, as good as any for the
    // reading), written before the facets, as exporters do.
    s.triangles([&](int a, int, int) {
        const int i = (a - 1) / s.meridiens, j = (a - 1) % s.meridiens;
        double p[3];
        s.point(i, j, p);
        const double n = std::sqrt(p[0] * p[0] + p[1] * p[1] + (p[2] - 120) * (p[2] - 120));
        std::fprintf(f, "vn %.6f %.6f %.6f\n", p[0] / n, p[1] / n, (p[2] - 120) / n);
    });
    int k = 0;
    s.triangles([&](int a, int b, int c) {
        ++k;
        std::fprintf(f, "f %d//%d %d//%d %d//%d\n", a, k, b, k, c, k);
    });
    ferme(f);
}

struct Fichiers {
    fs::path dossier;
    std::vector<Fichier> liste;  // torus with normals first, then smoothed
    bool garde = false;          // WF_DOSSIER: the files stay there, for a profiler
    Fichiers() {
        char modele[] = "/tmp/brakmor_bench_wf_XXXXXX";
        const char* voulu = std::getenv("WF_DOSSIER");
        garde = voulu != nullptr;
        dossier = garde ? fs::path(voulu) : fs::path(mkdtemp(modele));
        if (garde) fs::create_directories(dossier);
        auto ajoute = [&](const std::string& nom) {
            liste.push_back({nom, (dossier / (nom + ".obj")).string()});
            return liste.back().chemin;
        };
        ecritTore(ajoute("tore_normales"), true);
        ecritTore(ajoute("tore"), false);
        ecritTore(ajoute("quads_vtn"), true, true);
        ecritScan(ajoute("scan_50k_3ch"), 50000, 3);
        ecritScan(ajoute("scan_120k_4ch"), 120000, 4);
        ecritScan(ajoute("scan_250k_5ch"), 250000, 5);
        ecritScan(ajoute("scan_500k_6ch"), 500000, 6);
        ecritCao(ajoute("cao_60k"), 60000);
        ecritCao(ajoute("cao_300k"), 300000);
    }
    ~Fichiers() {
        if (!garde) fs::remove_all(dossier);
    }
};

Fichiers* fichiers = nullptr;

const std::string& fichier(bool normales) { return fichiers->liste[normales ? 0 : 1].chemin; }

// ---------------------------------------------------------------------------------------
// The three readings of a file. Each returns its face count (triangles for LoadObj).

struct Memoire {
    long long pic = 0, mesh = 0;
};

long long litBrakmor(const std::string& chemin, Memoire* memoire) {
    const long long avant = octetsEnUsage.load();
    picOctets = avant;
    TableMateriaux table;
    std::shared_ptr<Mesh> mesh = wfLecture(chemin.c_str(), table);
    if (!mesh) return -1;
    if (memoire) {
        memoire->pic = picOctets.load() - avant;
        memoire->mesh = octetsEnUsage.load() - avant;
    }
    benchmark::DoNotOptimize(mesh->normales.data());
    return mesh->nbFaces();
}

long long litTinyobj(const std::string& chemin) {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> formes;
    std::vector<tinyobj::material_t> materiaux;
    std::string avertissement, erreur;
    if (!tinyobj::LoadObj(&attrib, &formes, &materiaux, &avertissement, &erreur, chemin.c_str()))
        return -1;
    long long triangles = 0;
    for (const auto& f : formes) triangles += static_cast<long long>(f.mesh.indices.size() / 3);
    return triangles;
}

// What any reader has to do at least: read the file's bytes and scan them once for line
// ends (the lines counted).
long long litEtParcourt(const std::string& chemin) {
    const int fd = open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    static std::vector<char> bloc(size_t(1) << 20);
    long long lignes = 0;
    ssize_t n;
    while ((n = read(fd, bloc.data(), bloc.size())) > 0) {
        const char* p = bloc.data();
        long long k = 0;
        for (ssize_t i = 0; i < n; ++i) k += p[i] == '\n';
        lignes += k;
    }
    close(fd);
    return lignes;
}

// ---------------------------------------------------------------------------------------
// Google Benchmark entries for the two tori (the long-standing figures).

void brakmor(benchmark::State& etat, bool normales) {
    Memoire m;
    long long faces = 0;
    for (auto _ : etat) {
        faces = litBrakmor(fichier(normales), &m);
        if (faces < 0) {
            etat.SkipWithError("lecture impossible");
            return;
        }
    }
    etat.counters["faces"] = static_cast<double>(faces);
    etat.counters["pic_Mo"] = static_cast<double>(m.pic) / 1e6;
    etat.counters["mesh_Mo"] = static_cast<double>(m.mesh) / 1e6;
    etat.counters["pic/mesh"] = m.mesh > 0 ? static_cast<double>(m.pic) / m.mesh : 0;
}

void tinyobj(benchmark::State& etat, bool normales) {
    long long triangles = 0;
    for (auto _ : etat) {
        triangles = litTinyobj(fichier(normales));
        if (triangles < 0) {
            etat.SkipWithError("LoadObj a échoué");
            return;
        }
    }
    etat.counters["faces"] = static_cast<double>(triangles);
}

void options(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->MinWarmUpTime(0.5)
        ->MinTime(1)
        ->Repetitions(3)
        ->MeasureProcessCPUTime();
}
BENCHMARK_CAPTURE(brakmor, normales, true)->Apply(options);
BENCHMARK_CAPTURE(tinyobj, normales, true)->Apply(options);
BENCHMARK_CAPTURE(brakmor, lissees, false)->Apply(options);
BENCHMARK_CAPTURE(tinyobj, lissees, false)->Apply(options);

// ---------------------------------------------------------------------------------------
// The summary: the three readings of each file side by side, in rounds whose order
// rotates, after a warm-up round; medians of the rounds. The CPU time is the process's
// (any helper thread of a reader included), the wall time what a user waits for.

struct Temps {
    double reel, cpu;
};

Temps maintenant() {
    const double reel =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    return {reel, cpuSecondes()};
}

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The size the mesh had when a vertex took 48 bytes, a face 136, a normal 16 (with the
// smoothing groups' lists, 4 bytes a face), for the "before" column.
double meshAvantMo(const std::string& chemin) {
    TableMateriaux table;
    std::shared_ptr<Mesh> m = wfLecture(chemin.c_str(), table);
    if (!m) return 0;
    return (48.0 * m->nbSommets() + 16.0 * m->nbNormales() + 8.0 * m->nbTexCoords() +
            140.0 * m->nbFaces()) /
           1e6;
}

void resume(int tours, ModeMemoire mode) {
    regleMemoire(mode);
    std::printf("\nRésumé : %d tours par fichier, ordre tournant, médianes, %s\n", tours,
                mode == ModeMemoire::neuve
                    ? "mémoire neuve à chaque lecture (celle d'un premier chargement)"
                    : "mémoire libérée gardée pour la lecture suivante");
    std::printf("%-15s %7s %8s | %7s %7s | %6s %6s | %7s %7s | %5s %6s %6s\n", "fichier", "Mo",
                "faces", "cpuTiny", "reelTiny", "cpu/lu", "reel/lu", "ms cpu", "ms reel", "pic/m",
                "mesh", "avant");
    constexpr int N = 3;  // ours, LoadObj, reading and scanning
    for (const Fichier& f : fichiers->liste) {
        std::vector<double> cpu[N], reel[N];
        Memoire m;
        long long faces = 0;
        for (int tour = -1; tour < tours; ++tour)
            for (int k = 0; k < N; ++k) {
                const int qui = (k + (tour < 0 ? 0 : tour)) % N;
                const Temps a = maintenant();
                const long long r = qui == 0   ? litBrakmor(f.chemin, &m)
                                    : qui == 1 ? litTinyobj(f.chemin)
                                               : litEtParcourt(f.chemin);
                const Temps b = maintenant();
                if (r < 0) std::abort();
                if (qui == 0) faces = r;
                if (tour < 0) continue;  // warm-up
                cpu[qui].push_back(b.cpu - a.cpu);
                reel[qui].push_back(b.reel - a.reel);
            }
        double c[N], w[N];
        for (int k = 0; k < N; ++k) c[k] = mediane(cpu[k]), w[k] = mediane(reel[k]);
        std::printf(
            "%-15s %7.1f %8lld | %7.2f %7.2f | %6.2f %6.2f | %7.1f %7.1f | %5.2f %6.1f %6.1f\n",
            f.nom.c_str(), static_cast<double>(fs::file_size(f.chemin)) / 1e6, faces, c[1] / c[0],
            w[1] / w[0], c[0] / c[2], w[0] / w[2], c[0] * 1e3, w[0] * 1e3,
            m.mesh > 0 ? static_cast<double>(m.pic) / static_cast<double>(m.mesh) : 0,
            static_cast<double>(m.mesh) / 1e6, meshAvantMo(f.chemin));
        std::fflush(stdout);
    }
    std::printf(
        "cpuTiny, reelTiny: LoadObj / wfLecture (CPU, real time); cpu/lu, reel/lu: wfLecture / "
        "reading the file and scanning it once for line ends; pic/m: peak of the load / mesh kept; "
        "mesh, avant: the "
        "mesh now and in the former layout (MB)\n");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fichiers f;
    fichiers = &f;
    for (const Fichier& x : f.liste)
        std::printf("%s : %.1f Mo\n", x.chemin.c_str(),
                    static_cast<double>(fs::file_size(x.chemin)) / 1e6);
    const char* tours = std::getenv("WF_TOURS");
    const bool seulResume = std::getenv("WF_RESUME_SEUL") != nullptr;
    if (!seulResume) benchmark::RunSpecifiedBenchmarks();
    // WF_MEMOIRE=neuve or reutilisee: that way only.
    const char* memoire = std::getenv("WF_MEMOIRE");
    const std::string voulu = memoire ? memoire : "";
    for (ModeMemoire mode : {ModeMemoire::neuve, ModeMemoire::reutilisee})
        if (voulu.empty() || voulu == (mode == ModeMemoire::neuve ? "neuve" : "reutilisee"))
            resume(tours ? std::max(1, std::atoi(tours)) : 16, mode);
    fichiers = nullptr;
    benchmark::Shutdown();
    return 0;
}
