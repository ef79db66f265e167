// Fuzz target of the code-page conversions: arbitrary bytes through every converter.
//
// The first input byte picks the code page and the destination size; the rest is the text.
// Every destination is a block of exactly the announced size, so AddressSanitizer stops any
// write past it. Measured sizes must match what a conversion into a large enough buffer
// produces.
#include "base/strings/CodePage.h"
#include "base/strings/Utf16.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Verifie(bool b)
{
    if (!b)
        std::abort();
}

const unsigned kCodePages[] = {1252, 1250, 1251, 1253, 1255, 1258, 874, 932, 936, 949, 950, 1361, 65001, 0};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    if (nSize < 1 || nSize > 4096)
        return 0;
    const unsigned nCodePage = kCodePages[pbyData[0] % (sizeof kCodePages / sizeof kCodePages[0])];
    const int nSmall = pbyData[0] >> 4;  // a destination size from 0 to 15
    const char* pszSrc = reinterpret_cast<const char*>(pbyData + 1);
    const int nSrcLen = static_cast<int>(nSize - 1);

    // To wide characters: measure, then convert into exactly that much, then into too little.
    const int nNeeded = MultiByteToWideChar(nCodePage, 0, pszSrc, nSrcLen, nullptr, 0);
    if (nNeeded > 0) {
        std::vector<wchar_t> wide(static_cast<size_t>(nNeeded));
        const int nDone = MultiByteToWideChar(nCodePage, 0, pszSrc, nSrcLen, wide.data(), nNeeded);
        Verifie(nDone == nNeeded);
        // And back: the measured size is the size converted.
        const int nBack = WideCharToMultiByte(nCodePage, 0, wide.data(), nDone, nullptr, 0, nullptr, nullptr);
        if (nBack > 0) {
            std::vector<char> narrow(static_cast<size_t>(nBack));
            Verifie(WideCharToMultiByte(nCodePage, 0, wide.data(), nDone, narrow.data(), nBack, nullptr, nullptr) ==
                    nBack);
        }
        if (nSmall > 0 && nSmall < nNeeded) {
            std::vector<wchar_t> small(static_cast<size_t>(nSmall));
            Verifie(MultiByteToWideChar(nCodePage, 0, pszSrc, nSrcLen, small.data(), nSmall) == 0);
        }
    }

    // The mixed conversions with a UTF-8 side, into an exact-size block.
    {
        std::vector<char> dst(static_cast<size_t>(nSmall) + 1);
        MultiByteToUTF8(nCodePage, pszSrc, static_cast<unsigned long>(nSrcLen), dst.data(), dst.size(), 0);
        UTF8ToMultiByte(nCodePage, pszSrc, static_cast<unsigned long>(nSrcLen), dst.data(), dst.size(), 0, nullptr,
                        nullptr);
        std::vector<char> large(static_cast<size_t>(nSrcLen) * 4 + 8);
        const int n = MultiByteToUTF8(nCodePage, pszSrc, static_cast<unsigned long>(nSrcLen), large.data(),
                                      large.size(), 0);
        Verifie(n >= 0 && static_cast<size_t>(n) <= large.size());
    }

    // Between code pages, and through UTF-16 (the input read as 16-bit units).
    {
        std::vector<char> dst(static_cast<size_t>(nSmall) + 1);
        MultiByteToMultiByte(nCodePage, pszSrc, static_cast<unsigned>(nSrcLen), 1252, dst.data(),
                             static_cast<unsigned>(dst.size()));
        std::vector<unsigned short> units(static_cast<size_t>(nSrcLen) / 2);
        if (!units.empty())
            std::memcpy(units.data(), pszSrc, units.size() * 2);
        std::vector<char> out(static_cast<size_t>(nSmall) + 1);
        UTF16ToMultiByte(nCodePage, 0, units.data(), static_cast<int>(units.size()), out.data(),
                         static_cast<int>(out.size()), nullptr, nullptr);
        std::vector<unsigned short> u16(static_cast<size_t>(nSmall) + 1);
        MultiByteToUTF16(nCodePage, 0, pszSrc, nSrcLen, u16.data(), static_cast<int>(u16.size()));
    }
    return 0;
}
