// Insertion and lookup of 1,000,000 integer keys in CHashBase, beside std::unordered_map.
#include "base/containers/CHashBase.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::size_t kNbCles = 1000000;

class CHashEntier : public CHashBase {
public:
    CHashEntier() : CHashBase(0) {}
    unsigned dwHashCle(std::uintptr_t nCle) const override { return unsigned(nCle); }
    bool bCleEgale(std::uintptr_t nCleStockee, std::uintptr_t nCle) const override
    {
        return nCleStockee == nCle;
    }
};

// Distinct pseudo-random 32-bit keys (an odd multiplier is a bijection), and the order in
// which they are looked up (another permutation, so lookups do not follow insertion order).
const std::vector<std::uint32_t>& Cles()
{
    static const std::vector<std::uint32_t> s_cles = [] {
        std::vector<std::uint32_t> v(kNbCles);
        for (std::size_t i = 0; i < kNbCles; ++i)
            v[i] = std::uint32_t(i) * 2654435761u + 12345u;
        return v;
    }();
    return s_cles;
}

const std::vector<std::uint32_t>& ClesMelangees()
{
    static const std::vector<std::uint32_t> s_cles = [] {
        std::vector<std::uint32_t> v(Cles());
        std::uint32_t nGraine = 7;
        for (std::size_t i = v.size() - 1; i > 0; --i) {
            nGraine = nGraine * 1664525u + 1013904223u;
            std::swap(v[i], v[nGraine % (i + 1)]);
        }
        return v;
    }();
    return s_cles;
}

void BM_CHashBase_Insert(benchmark::State& state)
{
    const auto& cles = Cles();
    for (auto _ : state) {
        CHashEntier t;
        for (std::uint32_t n : cles)
            t.AjouteDYN(n, n);
        benchmark::DoNotOptimize(t.nGetNbElements());
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(kNbCles));
}
BENCHMARK(BM_CHashBase_Insert)->Unit(benchmark::kMillisecond);

void BM_UnorderedMap_Insert(benchmark::State& state)
{
    const auto& cles = Cles();
    for (auto _ : state) {
        std::unordered_map<std::uintptr_t, std::uintptr_t> m;
        for (std::uint32_t n : cles)
            m.emplace(n, n);
        benchmark::DoNotOptimize(m.size());
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(kNbCles));
}
BENCHMARK(BM_UnorderedMap_Insert)->Unit(benchmark::kMillisecond);

void BM_CHashBase_Lookup(benchmark::State& state)
{
    CHashEntier t;
    for (std::uint32_t n : Cles())
        t.AjouteDYN(n, n);
    const auto& cles = ClesMelangees();
    for (auto _ : state) {
        std::uintptr_t nSomme = 0;
        for (std::uint32_t n : cles) {
            std::uintptr_t nValeur = 0;
            t.bRechercheConst(n, &nValeur);
            nSomme += nValeur;
        }
        benchmark::DoNotOptimize(nSomme);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(kNbCles));
    state.counters["buckets"] = t.nGetNbBuckets();
}
BENCHMARK(BM_CHashBase_Lookup)->Unit(benchmark::kMillisecond);

// The search that leaves the bucket's position on the element found.
void BM_CHashBase_LookupPosition(benchmark::State& state)
{
    CHashEntier t;
    for (std::uint32_t n : Cles())
        t.AjouteDYN(n, n);
    const auto& cles = ClesMelangees();
    for (auto _ : state) {
        std::uintptr_t nSomme = 0;
        for (std::uint32_t n : cles) {
            std::uintptr_t nValeur = 0;
            t.bRecherche(n, &nValeur);
            nSomme += nValeur;
        }
        benchmark::DoNotOptimize(nSomme);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(kNbCles));
}
BENCHMARK(BM_CHashBase_LookupPosition)->Unit(benchmark::kMillisecond);

void BM_UnorderedMap_Lookup(benchmark::State& state)
{
    std::unordered_map<std::uintptr_t, std::uintptr_t> m;
    for (std::uint32_t n : Cles())
        m.emplace(n, n);
    const auto& cles = ClesMelangees();
    for (auto _ : state) {
        std::uintptr_t nSomme = 0;
        for (std::uint32_t n : cles) {
            auto it = m.find(n);
            nSomme += it->second;
        }
        benchmark::DoNotOptimize(nSomme);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(kNbCles));
}
BENCHMARK(BM_UnorderedMap_Lookup)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
