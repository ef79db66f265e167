// Mapping and comparison of 1 MB of Windows-1252 text, each beside memcpy / memcmp.
#include "base/strings/StrCompare.h"
#include "base/strings/StrMap.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kTextSize = 1 << 20;

// Deterministic mixed text: words with and without accents, capitals, numbers, punctuation.
const std::string& Text()
{
    static const std::string s_text = [] {
        static const char* const apszWords[] = {
            "\xE9t\xE9", "\xC9l\xE8ve", "for\xEAt", "Fa\xE7" "ade", "na\xEFve", "Stra\xDF" "e",
            "caf\xE9", "r\xF4le", "\x8A" "koda", "\x9C" "uvre", "hello", "World", "data", "ZORVAN",
            "fichier", "no\xEBl", "ma\xF1" "ana", "\xC5ngstr\xF6m", "\xFF" "ves", "\xC6sir"};
        static const char* const apszPunct[] = {" ", ", ", ". ", " - ", "; ", "! ", "'", " (", ") "};
        std::uint32_t nSeed = 12345;
        auto next = [&nSeed] {
            nSeed = nSeed * 1103515245u + 12345u;
            return nSeed >> 16;
        };
        std::string s;
        s.reserve(kTextSize + 64);
        while (s.size() < kTextSize) {
            const unsigned n = next();
            if (n % 5 == 0)
                s += std::to_string(next() % 100000);
            else
                s += apszWords[n % (sizeof(apszWords) / sizeof(apszWords[0]))];
            s += apszPunct[next() % (sizeof(apszPunct) / sizeof(apszPunct[0]))];
        }
        s.resize(kTextSize);
        return s;
    }();
    return s_text;
}

void BM_Memcpy(benchmark::State& state)
{
    const std::string& src = Text();
    std::string dst(kTextSize + 1, '\0');
    for (auto _ : state) {
        std::memcpy(&dst[0], src.data(), kTextSize + 1);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}
BENCHMARK(BM_Memcpy);

void BM_MapStringEx(benchmark::State& state)
{
    const unsigned nFlags = static_cast<unsigned>(state.range(0));
    const std::string& src = Text();
    std::string dst(kTextSize + 1, '\0');
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            STR_nMapStringEx(nFlags, &dst[0], kTextSize + 1, src.c_str(), -1, 1));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}
BENCHMARK(BM_MapStringEx)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(7);

void BM_Memcmp(benchmark::State& state)
{
    const std::string a = Text();
    const std::string b = Text();
    for (auto _ : state)
        benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), kTextSize));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}
BENCHMARK(BM_Memcmp);

// Equal texts in separate buffers: the whole of both is walked.
void BM_CompareStringEx(benchmark::State& state)
{
    const unsigned nFlags = static_cast<unsigned>(state.range(0));
    const std::string a = Text();
    const std::string b = Text();
    for (auto _ : state)
        benchmark::DoNotOptimize(STR_CompareStringEx(nFlags, a.c_str(), -1, b.c_str(), -1));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}
BENCHMARK(BM_CompareStringEx)->Arg(0)->Arg(1)->Arg(3)->Arg(7);

// Texts equal only once mapped (one side upper case without accents): every differing byte
// goes through the tables.
void BM_CompareStringExMappedEqual(benchmark::State& state)
{
    const unsigned nFlags = static_cast<unsigned>(state.range(0));
    const std::string a = Text();
    std::string b(kTextSize + 1, '\0');
    STR_nMapStringEx(3, &b[0], kTextSize + 1, a.c_str(), -1, 1);
    b.resize(kTextSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(STR_CompareStringEx(nFlags, a.c_str(), -1, b.c_str(), -1));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}
BENCHMARK(BM_CompareStringExMappedEqual)->Arg(3)->Arg(7);

void BM_CompareRespecteNumerique(benchmark::State& state)
{
    const unsigned nFlags = static_cast<unsigned>(state.range(0));
    const std::string a = Text();
    const std::string b = Text();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            STR_nCompareRespecteNumerique(a.c_str(), a.size(), b.c_str(), b.size(), nFlags));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}
BENCHMARK(BM_CompareRespecteNumerique)->Arg(0)->Arg(STR_FLAG_SORT_KEY);

// Equal values written differently (leading zeros on one side) force the digit-run path
// through the whole text.
void BM_CompareRespecteNumeriqueLeadingZeros(benchmark::State& state)
{
    const std::string a = Text();
    std::string b;
    b.reserve(kTextSize * 2);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const bool bRunStart = a[i] >= '0' && a[i] <= '9' && (i == 0 || a[i - 1] < '0' || a[i - 1] > '9');
        if (bRunStart)
            b += '0';
        b += a[i];
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(
            STR_nCompareRespecteNumerique(a.c_str(), a.size(), b.c_str(), b.size(), 0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}
BENCHMARK(BM_CompareRespecteNumeriqueLeadingZeros);

} // namespace

BENCHMARK_MAIN();
