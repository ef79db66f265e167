// Reading a 100 MB text file line by line with CDiskFile::pszReadLine, beside getline loops.
#include "base/files/CDiskFile.h"

#include "base/strings/CTString.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kFileSize = 100u << 20;

// The file, written once into a temporary directory: lines of 0 to 120 letters and digits
// ending with LF, from a fixed seed (about 60 bytes a line on average).
struct BenchFile {
    std::string sDir, sPath;
    std::size_t nLines = 0;
    BenchFile()
    {
        char szTemplate[] = "/tmp/zv-readline-bench-XXXXXX";
        if (!mkdtemp(szTemplate))
            std::abort();
        sDir = szTemplate;
        sPath = sDir + "/lines.txt";
        FILE* pFile = std::fopen(sPath.c_str(), "w");
        if (!pFile)
            std::abort();
        std::uint32_t nSeed = 2026;
        auto next = [&nSeed] {
            nSeed = nSeed * 1103515245u + 12345u;
            return nSeed >> 8;
        };
        std::string sLine;
        std::size_t nWritten = 0;
        while (nWritten < kFileSize) {
            sLine.assign(next() % 121, 'x');
            for (char& c : sLine)
                c = "abcdefghijklmnopqrstuvwxyz0123456789 "[next() % 37];
            sLine += '\n';
            nWritten += std::fwrite(sLine.data(), 1, sLine.size(), pFile);
            ++nLines;
        }
        std::fclose(pFile);
    }
    ~BenchFile()
    {
        std::remove(sPath.c_str());
        rmdir(sDir.c_str());
    }
};

BenchFile& File()
{
    static BenchFile s_file;
    return s_file;
}

// Each loop counts the lines and touches the first byte of each, so that the line is used.
void BM_PszReadLine(benchmark::State& state)
{
    const BenchFile& file = File();
    char szLine[1024];
    CTString clOverflow;
    for (auto _ : state) {
        CDiskFile cl;
        if (!cl.bOpen(file.sPath.c_str(), eACCESS_READ, eSHARE_DENYWRITE, eCREATE_OPEN, eFLAG_NONE, nullptr)) {
            state.SkipWithError("open failed");
            break;
        }
        std::size_t nLines = 0, nSum = 0;
        while (const char* psz = cl.pszReadLine(szLine, sizeof szLine, &clOverflow, nullptr)) {
            ++nLines;
            nSum += static_cast<unsigned char>(psz[0]);
        }
        if (nLines != file.nLines)
            state.SkipWithError("wrong line count");
        benchmark::DoNotOptimize(nSum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileSize));
}
BENCHMARK(BM_PszReadLine)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PosixGetline(benchmark::State& state)
{
    const BenchFile& file = File();
    for (auto _ : state) {
        FILE* pFile = std::fopen(file.sPath.c_str(), "r");
        if (!pFile) {
            state.SkipWithError("open failed");
            break;
        }
        char* pszLine = nullptr;
        std::size_t nCapacity = 0;
        std::size_t nLines = 0, nSum = 0;
        while (getline(&pszLine, &nCapacity, pFile) >= 0) {
            ++nLines;
            nSum += static_cast<unsigned char>(pszLine[0]);
        }
        std::free(pszLine);
        std::fclose(pFile);
        if (nLines != file.nLines)
            state.SkipWithError("wrong line count");
        benchmark::DoNotOptimize(nSum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileSize));
}
BENCHMARK(BM_PosixGetline)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StdGetline(benchmark::State& state)
{
    const BenchFile& file = File();
    for (auto _ : state) {
        std::ifstream in(file.sPath);
        std::string sLine;
        std::size_t nLines = 0, nSum = 0;
        while (std::getline(in, sLine)) {
            ++nLines;
            nSum += sLine.empty() ? 0 : static_cast<unsigned char>(sLine[0]);
        }
        if (nLines != file.nLines)
            state.SkipWithError("wrong line count");
        benchmark::DoNotOptimize(nSum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileSize));
}
BENCHMARK(BM_StdGetline)->Unit(benchmark::kMillisecond)->Iterations(5);

// Console output as usual, with each run's mean time per iteration kept for the ratios.
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
    File(); // written before any timing
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double dOurs = reporter.dTime("BM_PszReadLine");
    const double dPosix = reporter.dTime("BM_PosixGetline");
    const double dStd = reporter.dTime("BM_StdGetline");
    if (dOurs > 0 && dPosix > 0 && dStd > 0)
        std::printf("pszReadLine %.1f ms, getline(3) %.1f ms (ratio %.2f), std::getline %.1f ms (ratio %.2f)\n",
                    dOurs * 1e3, dPosix * 1e3, dOurs / dPosix, dStd * 1e3, dOurs / dStd);
    benchmark::Shutdown();
    return 0;
}
