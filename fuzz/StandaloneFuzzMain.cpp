// Driver that runs a fuzz target without libFuzzer: seed files given on the command line,
// then a fixed number of pseudo-random inputs, so that every target also runs as a test.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// xorshift64*: deterministic across runs and ABIs.
uint64_t next(uint64_t& state)
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1DULL;
}

} // namespace

int main(int argc, char** argv)
{
    long iterations = 20000;
    int firstFile = 1;
    if (argc > 2 && std::strcmp(argv[1], "-runs") == 0) {
        iterations = std::strtol(argv[2], nullptr, 10);
        firstFile = 3;
    }
    for (int i = firstFile; i < argc; ++i) {
        FILE* f = std::fopen(argv[i], "rb");
        if (!f) {
            std::fprintf(stderr, "cannot open %s\n", argv[i]);
            return 1;
        }
        // libFuzzer hands an empty input as a valid pointer, never a null one: so does this
        // driver (reserved storage), so that the targets meet the same inputs in both.
        std::vector<uint8_t> data;
        data.reserve(1);
        int c;
        while ((c = std::fgetc(f)) != EOF)
            data.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    std::vector<uint8_t> buf;
    buf.reserve(300);
    for (long i = 0; i < iterations; ++i) {
        const size_t size = next(state) % 300;
        buf.resize(size);
        // Mix fully random bytes with runs drawn from a small alphabet, which reach the
        // structured paths (escapes, separators, digits) more often than noise does.
        const bool smallAlphabet = (next(state) & 1) != 0;
        for (size_t j = 0; j < size; ++j) {
            const uint64_t r = next(state);
            buf[j] = smallAlphabet ? static_cast<uint8_t>("\x01\x7f\x80\xc3\xa9\xe2\x82\xac\xff 0a%;\n"[r % 15])
                                   : static_cast<uint8_t>(r);
        }
        LLVMFuzzerTestOneInput(buf.data(), buf.size());
    }
    std::printf("%ld generated inputs and %d files run\n", iterations, argc - firstFile);
    return 0;
}
