// Loading a large Wavefront file: our reader against tinyobjloader's LoadObj on the same
// files, and the memory our load needs at its peak against what the loaded mesh keeps.
// The files are generated at start-up in a temporary folder and removed at the end.
#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "geometrie/wavefront.h"

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
// Generated files: a torus of U x V quads cut into two triangles each (2 U V triangles),
// with texture coordinates, with or without normals.

constexpr int U = 1000, V = 500;

struct Fichiers {
    fs::path dossier;
    std::string avecNormales, sansNormales;
    Fichiers() {
        char modele[] = "/tmp/brakmor_bench_wf_XXXXXX";
        dossier = mkdtemp(modele);
        avecNormales = (dossier / "tore_normales.obj").string();
        sansNormales = (dossier / "tore.obj").string();
        ecrit(avecNormales, true);
        ecrit(sansNormales, false);
    }
    ~Fichiers() { fs::remove_all(dossier); }

    static void ecrit(const std::string& nom, bool normales) {
        std::FILE* f = std::fopen(nom.c_str(), "w");
        if (!f) std::abort();
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
                coin(a), coin(b), coin(c);
                std::fputs("\nf", f);
                coin(a), coin(c), coin(d);
                std::fputs("\n", f);
            }
        if (std::fclose(f) != 0) std::abort();
    }
};

Fichiers* fichiers = nullptr;

const std::string& fichier(bool normales) {
    return normales ? fichiers->avecNormales : fichiers->sansNormales;
}

void brakmor(benchmark::State& etat, bool normales) {
    long long pic = 0, taille = 0, faces = 0;
    for (auto _ : etat) {
        const long long avant = octetsEnUsage.load();
        picOctets = avant;
        TableMateriaux table;
        std::shared_ptr<Mesh> mesh = wfLecture(fichier(normales).c_str(), table);
        if (!mesh) {
            etat.SkipWithError("lecture impossible");
            return;
        }
        pic = picOctets.load() - avant;
        taille = octetsEnUsage.load() - avant;
        faces = mesh->nbFaces();
        benchmark::DoNotOptimize(mesh->normales.data());
        etat.PauseTiming();
        mesh.reset();  // the freeing is not part of the load
        etat.ResumeTiming();
    }
    etat.counters["faces"] = static_cast<double>(faces);
    etat.counters["pic_Mo"] = static_cast<double>(pic) / 1e6;
    etat.counters["mesh_Mo"] = static_cast<double>(taille) / 1e6;
    etat.counters["pic/mesh"] = taille > 0 ? static_cast<double>(pic) / taille : 0;
}

void tinyobj(benchmark::State& etat, bool normales) {
    long long pic = 0, triangles = 0;
    for (auto _ : etat) {
        const long long avant = octetsEnUsage.load();
        picOctets = avant;
        auto attrib = std::make_unique<tinyobj::attrib_t>();
        auto formes = std::make_unique<std::vector<tinyobj::shape_t>>();
        auto materiaux = std::make_unique<std::vector<tinyobj::material_t>>();
        std::string avertissement, erreur;
        if (!tinyobj::LoadObj(attrib.get(), formes.get(), materiaux.get(), &avertissement, &erreur,
                              fichier(normales).c_str())) {
            etat.SkipWithError("LoadObj a échoué");
            return;
        }
        pic = picOctets.load() - avant;
        triangles = 0;
        for (const auto& f : *formes)
            triangles += static_cast<long long>(f.mesh.indices.size() / 3);
        etat.PauseTiming();
        attrib.reset();
        formes.reset();
        materiaux.reset();
        etat.ResumeTiming();
    }
    etat.counters["faces"] = static_cast<double>(triangles);
    etat.counters["pic_Mo"] = static_cast<double>(pic) / 1e6;
}

// Each reading: 5 repetitions of at least a second after half a second of warm-up; the CPU
// time is the whole process's (our reader counts lines and asks for pages on helper threads).
void options(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->MinWarmUpTime(0.5)
        ->MinTime(1)
        ->Repetitions(5)
        ->MeasureProcessCPUTime();
}
BENCHMARK_CAPTURE(brakmor, normales, true)->Apply(options);
BENCHMARK_CAPTURE(tinyobj, normales, true)->Apply(options);
BENCHMARK_CAPTURE(brakmor, lissees, false)->Apply(options);
BENCHMARK_CAPTURE(tinyobj, lissees, false)->Apply(options);

// The console report, plus the median of each benchmark's repetitions kept for the ratios:
// on this machine a load now and then waits for memory the system hands out slowly, and a
// median of five runs of a second is steadier than one long mean.
class Rapport : public benchmark::ConsoleReporter {
public:
    std::map<std::string, Run> runs;
    void ReportRuns(const std::vector<Run>& liste) override {
        for (const Run& r : liste)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                runs[r.run_name.function_name + "/" + r.run_name.args + "/"] = r;
        ConsoleReporter::ReportRuns(liste);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fichiers f;
    fichiers = &f;
    std::printf("fichiers : %s (%.1f Mo), %s (%.1f Mo)\n", f.avecNormales.c_str(),
                static_cast<double>(fs::file_size(f.avecNormales)) / 1e6, f.sansNormales.c_str(),
                static_cast<double>(fs::file_size(f.sansNormales)) / 1e6);
    Rapport rapport;
    benchmark::RunSpecifiedBenchmarks(&rapport);
    for (const char* cas : {"normales", "lissees"}) {
        // Keys are "brakmor/normales/" and the like.
        auto cherche = [&](const std::string& debut) {
            auto it = rapport.runs.lower_bound(debut);
            return it != rapport.runs.end() && it->first.compare(0, debut.size(), debut) == 0
                       ? it
                       : rapport.runs.end();
        };
        auto a = cherche(std::string("tinyobj/") + cas + "/");
        auto b = cherche(std::string("brakmor/") + cas + "/");
        if (a == rapport.runs.end() || b == rapport.runs.end()) continue;
        const auto& ra = a->second;
        const auto& rb = b->second;
        std::printf(
            "%s : LoadObj / wfLecture = %.2f (temps réel), %.2f (temps CPU) ; "
            "pic de mémoire de wfLecture %.1f Mo pour un mesh de %.1f Mo (rapport %.2f)\n",
            cas, ra.GetAdjustedRealTime() / rb.GetAdjustedRealTime(),
            ra.GetAdjustedCPUTime() / rb.GetAdjustedCPUTime(),
            static_cast<double>(rb.counters.at("pic_Mo")),
            static_cast<double>(rb.counters.at("mesh_Mo")),
            static_cast<double>(rb.counters.at("pic/mesh")));
    }
    fichiers = nullptr;
    benchmark::Shutdown();
    return 0;
}
