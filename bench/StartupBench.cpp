// Start-up cost: ZVExe running a project that returns at once, beside a minimal launcher
// that only loads the same runtime, binds two entries and runs the project.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A scratch application directory: the two launchers, the runtime and a one-line script.
const std::string& AppDir()
{
    static const std::string dir = [] {
        char tmpl[] = "/tmp/zvstartupXXXXXX";
        std::string d = mkdtemp(tmpl) ? tmpl : "/tmp";
        const std::string cmd = "cp '" ZV_ZVEXE "' " + d + "/quick && cp '" ZV_MINI "' " + d + "/mini && cp '" +
                                ZV_RUNTIME_DIR "zv150vm.so' " + d + "/ && printf 'exit 0\\n' > " + d + "/quick.ZVL";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "cannot prepare %s\n", d.c_str());
        return d;
    }();
    return dir;
}

void Run(benchmark::State& state, const char* name)
{
    const std::string path = AppDir() + "/" + name;
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("spawn failed");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the launch failed");
            return;
        }
    }
}

void BM_MinimalLauncher(benchmark::State& state) { Run(state, "mini"); }
void BM_ZVExe(benchmark::State& state) { Run(state, "quick"); }

BENCHMARK(BM_MinimalLauncher)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ZVExe)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
