// Code page to wide and to UTF-8 over 1 MB of mixed Windows-1252 text, each beside one direct iconv call.
#include "base/strings/CodePage.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

const std::size_t kTextSize = 1 << 20;

// Deterministic Windows-1252 text: words, digits and punctuation, with one accented letter or
// symbol every 5 to 15 bytes.
const std::string& Text()
{
    static const std::string s_sText = [] {
        static const char* const s_apszWords[] = {"maison", "route", "the", "data", "fichier", "window", "nombre",
                                                  "client", "serveur", "liste"};
        static const char s_achHigh[] = "\xE9\xE8\xEA\xE0\xE7\xF4\xFB\xEF\xC9\x80\xAB\xBB\xB0\x85\x92\xDF\xFC\xF6";
        static const char s_achPunct[] = " ,.;:!?-()";
        std::uint32_t dwSeed = 12345;
        auto nNext = [&dwSeed](unsigned nMod) {
            dwSeed = dwSeed * 1664525u + 1013904223u;
            return (dwSeed >> 8) % nMod;
        };
        // ASCII stream of words, numbers and punctuation...
        std::string sAscii;
        while (sAscii.size() < kTextSize) {
            switch (nNext(4)) {
            case 0: sAscii += std::to_string(nNext(10000)); break;
            case 1: sAscii += s_achPunct[nNext(sizeof s_achPunct - 1)]; break;
            default: sAscii += s_apszWords[nNext(10)]; break;
            }
            sAscii += ' ';
        }
        // ...with an upper-half byte after every 4 to 14 of its bytes.
        std::string s;
        s.reserve(kTextSize);
        std::size_t nAscii = 0;
        while (s.size() < kTextSize) {
            const std::size_t nRun = 4 + nNext(11);
            if (nAscii + nRun > sAscii.size())
                nAscii = 0;
            s.append(sAscii, nAscii, nRun);
            nAscii += nRun;
            s += s_achHigh[nNext(sizeof s_achHigh - 1)];
        }
        s.resize(kTextSize);
        return s;
    }();
    return s_sText;
}

// One direct iconv conversion of the whole text: the baseline.
std::size_t nIconvOnce(const char* pszTo, const std::string& sIn, char* pOut, std::size_t nOutSize)
{
    iconv_t h = iconv_open(pszTo, "CP1252");
    char* pIn = const_cast<char*>(sIn.data());
    std::size_t nIn = sIn.size(), nOut = nOutSize;
    char* p = pOut;
    iconv(h, &pIn, &nIn, &p, &nOut);
    iconv_close(h);
    return nOutSize - nOut;
}

void BM_MultiByteToWideChar_1252(benchmark::State& state)
{
    const std::string& s = Text();
    std::vector<wchar_t> v(s.size());
    if (MultiByteToWideChar(1252, 0, s.data(), static_cast<int>(s.size()), v.data(), static_cast<int>(v.size())) !=
        static_cast<int>(s.size()))
        state.SkipWithError("conversion failed");
    for (auto _ : state)
        benchmark::DoNotOptimize(MultiByteToWideChar(1252, 0, s.data(), static_cast<int>(s.size()), v.data(),
                                                     static_cast<int>(v.size())));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.size()));
}

void BM_Iconv_CP1252_To_UTF32LE(benchmark::State& state)
{
    const std::string& s = Text();
    std::vector<wchar_t> v(s.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(nIconvOnce("UTF32LE", s, reinterpret_cast<char*>(v.data()), v.size() * 4));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.size()));
}

void BM_MultiByteToUTF8_1252(benchmark::State& state)
{
    const std::string& s = Text();
    std::vector<char> vOut(s.size() * 3);
    // Room for the output and its terminator only, so the zero fill stays negligible.
    const std::size_t nNeeded = nIconvOnce("UTF-8", s, vOut.data(), vOut.size()) + 1;
    if (MultiByteToUTF8(1252, s.data(), s.size(), vOut.data(), nNeeded, 0) != static_cast<int>(nNeeded - 1))
        state.SkipWithError("conversion failed");
    for (auto _ : state)
        benchmark::DoNotOptimize(MultiByteToUTF8(1252, s.data(), s.size(), vOut.data(), nNeeded, 0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.size()));
}

void BM_Iconv_CP1252_To_UTF8(benchmark::State& state)
{
    const std::string& s = Text();
    std::vector<char> vOut(s.size() * 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(nIconvOnce("UTF-8", s, vOut.data(), vOut.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.size()));
}

} // namespace

BENCHMARK(BM_MultiByteToWideChar_1252);
BENCHMARK(BM_Iconv_CP1252_To_UTF32LE);
BENCHMARK(BM_MultiByteToUTF8_1252);
BENCHMARK(BM_Iconv_CP1252_To_UTF8);

BENCHMARK_MAIN();
