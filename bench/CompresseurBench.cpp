// Encoding and decoding of the dictionary block format in process, beside a stored block (one memcpy) of the same data.
//
// The data: the files of the directory named by ZV_BENCH_CORPUS (made by
// scripts/make-compress-corpus), or, without it, 8 MB of generated text-like bytes.
#include "base/compress/CCompresseur.h"

#include <benchmark/benchmark.h>
#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Fichier {
    std::string strNom;
    std::vector<uint8_t> ab;
};

std::vector<uint8_t> Genere(size_t n)
{
    static const char* const mots[] = {"le ", "fichier ", "bloc ", "compresse ", "\r\n", "int ", "return ",
                                       "{", "}\n", "    ", "zorvan ", "code "};
    uint64_t q = 88172645463325252ULL;
    std::vector<uint8_t> v;
    while (v.size() < n) {
        q ^= q << 13;
        q ^= q >> 7;
        q ^= q << 17;
        if ((q & 7) == 0) {
            for (char c : std::to_string(q % 100000))
                v.push_back(uint8_t(c));
            continue;
        }
        for (const char* p = mots[(q >> 8) % 12]; *p; ++p)
            v.push_back(uint8_t(*p));
    }
    v.resize(n);
    return v;
}

const std::vector<Fichier>& Corpus()
{
    static const std::vector<Fichier> s_corpus = [] {
        std::vector<Fichier> v;
        const char* pszRep = std::getenv("ZV_BENCH_CORPUS");
        if (pszRep) {
            std::vector<std::string> noms;
            if (DIR* d = opendir(pszRep)) {
                while (dirent* e = readdir(d))
                    if (e->d_name[0] != '.')
                        noms.push_back(e->d_name);
                closedir(d);
            }
            std::sort(noms.begin(), noms.end());
            for (const std::string& strNom : noms) {
                FILE* f = std::fopen((std::string(pszRep) + "/" + strNom).c_str(), "rb");
                if (!f)
                    continue;
                Fichier fi{strNom, {}};
                uint8_t aby[1 << 16];
                size_t n;
                while ((n = std::fread(aby, 1, sizeof(aby), f)) > 0)
                    fi.ab.insert(fi.ab.end(), aby, aby + n);
                std::fclose(f);
                v.push_back(std::move(fi));
            }
        }
        if (v.empty())
            v.push_back({"generated", Genere(8u << 20)});
        return v;
    }();
    return s_corpus;
}

void Encode(benchmark::State& state, size_t i, bool bStocke)
{
    const Fichier& f = Corpus()[i];
    CCompresseur cl(bStocke ? 0 : 4);
    std::vector<uint8_t> bloc(f.ab.size() + 7);
    cl.m_pEntree = f.ab.data();
    cl.m_dwEntree = uint32_t(f.ab.size());
    cl.m_pSortie = bloc.data();
    cl.m_dwSortie = uint32_t(bloc.size());
    uint32_t n = 0;
    for (auto _ : state) {
        n = cl.dwCompression();
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.ab.size()));
    state.counters["ratio"] = double(n) / double(f.ab.size());
}

void Decode(benchmark::State& state, size_t i, bool bStocke)
{
    const Fichier& f = Corpus()[i];
    CCompresseur cl(bStocke ? 0 : 4);
    std::vector<uint8_t> bloc(f.ab.size() + 7);
    cl.m_pEntree = f.ab.data();
    cl.m_dwEntree = uint32_t(f.ab.size());
    cl.m_pSortie = bloc.data();
    cl.m_dwSortie = uint32_t(bloc.size());
    const uint32_t nBloc = cl.dwCompression();
    std::vector<uint8_t> res(f.ab.size());
    cl.m_pEntree = bloc.data();
    cl.m_dwEntree = nBloc;
    cl.m_pSortie = res.data();
    cl.m_dwSortie = uint32_t(res.size());
    uint32_t n = 0;
    for (auto _ : state) {
        n = cl.dwDecompression(-1);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    if (n != f.ab.size() || res != f.ab)
        state.SkipWithError("round trip failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.ab.size()));
}

// N threads, each compressing its own 2 MiB part of the file at once (the part of thread k
// starts k × 2 MiB in), through front objects (each thread's own compressor) or straight
// through the shared instance (one lock for all). The aggregate throughput over wall time is
// what the threads achieve together.
void EncodeThreads(benchmark::State& state, size_t i, bool bPartage)
{
    const Fichier& f = Corpus()[i];
    const size_t nPart = std::min<size_t>(size_t(2) << 20, f.ab.size() / 4);
    const uint8_t* pbyEntree = f.ab.data() + (size_t(state.thread_index()) * nPart) % (f.ab.size() - nPart + 1);
    std::vector<uint8_t> bloc(nPart + 7);
    CCompresseur cl(4);
    cl.m_pEntree = pbyEntree;
    cl.m_dwEntree = uint32_t(nPart);
    cl.m_pSortie = bloc.data();
    cl.m_dwSortie = uint32_t(bloc.size());
    uint32_t n = 0;
    for (auto _ : state) {
        n = bPartage ? CCompresseur::ms_clCompresseurZLW.dwCompression(pbyEntree, uint32_t(nPart), bloc.data(),
                                                                       uint32_t(bloc.size()))
                     : cl.dwCompression();
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(nPart));
}

const bool g_bEnregistre = [] {
    for (size_t i = 0; i < Corpus().size(); ++i) {
        const std::string& strNom = Corpus()[i].strNom;
        benchmark::RegisterBenchmark(("Encode/ZLW/" + strNom).c_str(), Encode, i, false)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Encode/stored/" + strNom).c_str(), Encode, i, true)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Decode/ZLW/" + strNom).c_str(), Decode, i, false)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Decode/stored/" + strNom).c_str(), Decode, i, true)->Unit(benchmark::kMillisecond);
        for (bool bPartage : {false, true})
            benchmark::RegisterBenchmark(((bPartage ? "EncodeThreads/shared/" : "EncodeThreads/own/") + strNom).c_str(),
                                         EncodeThreads, i, bPartage)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Threads(1)
                ->Threads(2);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
