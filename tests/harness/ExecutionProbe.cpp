// Says how programs of this build run on this machine: "native", or the emulator that the
// kernel hands them to. Compiled and run by the configure step of a cross build.
#include "support/Emulation.h"

#include <cstdio>

int main()
{
    const std::string& s = zvtest::sEmulator();
    std::puts(s.empty() ? "native" : s.c_str());
    return 0;
}
