// Cost of polygonising a metaball zone, cell by cell versus with shared corner values and edge
// crossings, and the ratio of the two for each zone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "metaball/metaballzone.h"
#include "metaball/puits_triangles.h"

namespace {

// Counts the vertices and folds their bits so the work cannot be optimised away.
struct PuitsCompteur : PuitsTriangles {
    long sommets = 0;
    float somme = 0;
    void sommet(const RGBA& c, const CVecteur& n, const CVecteur& p) override {
        ++sommets;
        somme += c.r + n.x + p.x;
    }
};

struct Zone {
    MetaballZone zone;
    std::vector<std::shared_ptr<InstanceMetaball>> primitives;
    Zone(float taille, int resolution, float seuil) : zone(taille, resolution, seuil) {}
    void ajoute(const char* genre, float poids, CVecteur p) {
        primitives.push_back(zone.ajoutePrimitive(genre, poids, "", p, 0));
    }
};

// Resolution 40, six primitives: four spheres and two cylinders, off the grid.
std::unique_ptr<Zone> zone40() {
    auto z = std::make_unique<Zone>(4.0f, 40, 2.0f);
    z->ajoute("sphere", 0.6f, CVecteur(0.13f, -0.41f, 0.27f));
    z->ajoute("sphere", 0.5f, CVecteur(-0.93f, 0.62f, -0.21f));
    z->ajoute("sphere", 0.4f, CVecteur(0.82f, -1.03f, 0.91f));
    z->ajoute("sphere", 0.3f, CVecteur(-0.5f, -0.8f, -1.1f));
    z->ajoute("cylindreX", 0.12f, CVecteur(0, 0.71f, -0.33f));
    z->ajoute("cylindreZ", 0.1f, CVecteur(1.07f, 1.19f, 0));
    return z;
}

// Resolution 64, eight primitives.
std::unique_ptr<Zone> zone64() {
    auto z = std::make_unique<Zone>(4.0f, 64, 2.0f);
    z->ajoute("sphere", 0.6f, CVecteur(0.13f, -0.41f, 0.27f));
    z->ajoute("sphere", 0.5f, CVecteur(-0.93f, 0.62f, -0.21f));
    z->ajoute("sphere", 0.4f, CVecteur(0.82f, -1.03f, 0.91f));
    z->ajoute("sphere", 0.3f, CVecteur(-0.5f, -0.8f, -1.1f));
    z->ajoute("sphere", 0.35f, CVecteur(1.2f, 0.9f, -0.7f));
    z->ajoute("cylindreX", 0.12f, CVecteur(0, 0.71f, -0.33f));
    z->ajoute("cylindreY", 0.1f, CVecteur(-1.21f, 0, 1.02f));
    z->ajoute("cylindreZ", 0.1f, CVecteur(1.07f, 1.19f, 0));
    return z;
}

template <std::unique_ptr<Zone> (*Fabrique)(), bool Cache>
void polygonisation(benchmark::State& etat) {
    auto z = Fabrique();
    PuitsCompteur puits;
    for (auto _ : etat) {
        puits.sommets = 0;
        if (Cache)
            z->zone.polygonise(puits);
        else
            z->zone.polygoniseParCellule(puits);
        benchmark::DoNotOptimize(puits.somme);
    }
    etat.counters["triangles"] = static_cast<double>(puits.sommets / 3);
}

BENCHMARK_TEMPLATE(polygonisation, zone40, false)
    ->Name("res40_6prim/par_cellule")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(polygonisation, zone40, true)
    ->Name("res40_6prim/cache")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(polygonisation, zone64, false)
    ->Name("res64_8prim/par_cellule")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(polygonisation, zone64, true)
    ->Name("res64_8prim/cache")
    ->Unit(benchmark::kMillisecond);

// The console report, plus the times per iteration of each run kept for the ratios.
class Rapport : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::pair<double, double>> temps;  // (real, CPU)
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                temps[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Rapport rapport;
    benchmark::RunSpecifiedBenchmarks(&rapport);
    for (const char* zone : {"res40_6prim", "res64_8prim"}) {
        auto a = rapport.temps.find(std::string(zone) + "/par_cellule");
        auto b = rapport.temps.find(std::string(zone) + "/cache");
        if (a == rapport.temps.end() || b == rapport.temps.end()) continue;
        if (b->second.first > 0 && b->second.second > 0)
            std::printf("%s: par cellule / avec cache = %.2f (temps réel), %.2f (temps CPU)\n",
                        zone, a->second.first / b->second.first,
                        a->second.second / b->second.second);
    }
    benchmark::Shutdown();
    return 0;
}
