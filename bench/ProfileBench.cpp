// Reading the last key of a 10 MB profile file, beside grep -m1 finding the same line.
#include "base/settings/Profile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kFileSize = 10u << 20;

// The file, written once: sections of 40 keys with values of varied length, generated from a
// fixed seed; its very last line is the key looked for.
const std::string& ProfileFile()
{
    static const std::string s_sPath = [] {
        const std::string sPath = "/tmp/zv-profile-bench-" + std::to_string(getpid()) + ".ini";
        FILE* pFile = std::fopen(sPath.c_str(), "w");
        if (!pFile)
            std::abort();
        std::uint32_t nSeed = 2026;
        auto next = [&nSeed] {
            nSeed = nSeed * 1103515245u + 12345u;
            return nSeed >> 8;
        };
        std::size_t nWritten = 0;
        unsigned nSection = 0;
        while (nWritten < kFileSize) {
            nWritten += static_cast<std::size_t>(std::fprintf(pFile, "[Section%06u]\n", nSection++));
            for (unsigned k = 0; k < 40 && nWritten < kFileSize; ++k) {
                std::string sValue = "value-" + std::to_string(next());
                sValue.append(next() % 24, static_cast<char>('a' + next() % 26));
                nWritten += static_cast<std::size_t>(std::fprintf(pFile, "Key%03u = %s\n", k, sValue.c_str()));
            }
        }
        std::fprintf(pFile, "[LastSection]\nLastKey = the value at the end\n");
        std::fclose(pFile);
        return sPath;
    }();
    return s_sPath;
}

using Clock = std::chrono::steady_clock;

void BM_GetPrivateProfileString(benchmark::State& state)
{
    const std::string& sPath = ProfileFile();
    char szValue[256];
    for (auto _ : state) {
        const auto tStart = Clock::now();
        const unsigned n = GetPrivateProfileString("LastSection", "LastKey", "", szValue, sizeof szValue, sPath.c_str());
        const auto tEnd = Clock::now();
        if (n != 20)
            state.SkipWithError("the last key was not found");
        benchmark::DoNotOptimize(szValue);
        state.SetIterationTime(std::chrono::duration<double>(tEnd - tStart).count());
    }
}
BENCHMARK(BM_GetPrivateProfileString)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_GrepM1(benchmark::State& state)
{
    const std::string sCmd = "grep -m1 '^LastKey' '" + ProfileFile() + "'";
    char szLine[256];
    for (auto _ : state) {
        const auto tStart = Clock::now();
        FILE* pPipe = popen(sCmd.c_str(), "r");
        bool bFound = pPipe && std::fgets(szLine, sizeof szLine, pPipe) != nullptr;
        if (pPipe && pclose(pPipe) != 0)
            bFound = false;
        const auto tEnd = Clock::now();
        if (!bFound)
            state.SkipWithError("grep did not find the line");
        state.SetIterationTime(std::chrono::duration<double>(tEnd - tStart).count());
    }
}
BENCHMARK(BM_GrepM1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Console output as usual, with each run's mean time per iteration kept for the ratio.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                m_times[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
    double dTime(const std::string& sPrefix) const
    {
        for (const auto& entry : m_times)
            if (entry.first.compare(0, sPrefix.size(), sPrefix) == 0)
                return entry.second;
        return 0;
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double dProfile = reporter.dTime("BM_GetPrivateProfileString");
    const double dGrep = reporter.dTime("BM_GrepM1");
    if (dProfile > 0 && dGrep > 0)
        std::printf("GetPrivateProfileString %.3f ms, grep -m1 %.3f ms: ratio %.2f\n", dProfile * 1e3, dGrep * 1e3,
                    dProfile / dGrep);
    std::remove(ProfileFile().c_str());
    benchmark::Shutdown();
    return 0;
}
