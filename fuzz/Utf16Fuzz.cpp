// Fuzz target of the UTF-16 text functions: lengths, copies, comparisons and searches.
//
// The input is read as 16-bit units: the first half the haystack, the rest the needle, each
// in a block of exactly its units plus a terminator.
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

std::vector<unsigned short> Units(const uint8_t* p, size_t nBytes)
{
    std::vector<unsigned short> v(nBytes / 2 + 1, 0);
    if (nBytes >= 2)
        std::memcpy(v.data(), p, (nBytes / 2) * 2);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    const size_t nHalf = (nSize / 4) * 2;
    std::vector<unsigned short> hay = Units(pbyData, nHalf);
    std::vector<unsigned short> needle = Units(pbyData + nHalf, nSize - nHalf);

    const size_t nLen = utf16len(hay.data());
    Verifie(nLen < hay.size());
    for (size_t n : {size_t(0), size_t(1), nLen / 2, nLen, nLen + 5})
        Verifie(utf16nlen(hay.data(), n) == (n < nLen ? n : nLen));

    // Copy into a block of exactly n units: utf16ncpy writes at most n.
    const size_t n = nLen / 2 + 1;
    std::vector<unsigned short> copy(n);
    utf16ncpy(copy.data(), hay.data(), n);

    // A comparison of a text with itself is 0; a found needle lies within the haystack.
    Verifie(utf16nicmp(hay.data(), hay.data(), nLen + 1) == 0);
    utf16nicmp(hay.data(), needle.data(), nLen + 1);
    const unsigned short* pFound = utf16niutf16(hay.data(), needle.data(), nLen);
    Verifie(pFound == nullptr || (pFound >= hay.data() && pFound <= hay.data() + nLen));

    // Widening and narrowing through exact-size buffers.
    const int nWide = UTF16ToWideChar(hay.data(), -1, nullptr, 0);
    Verifie(nWide == static_cast<int>(nLen) + 1);
    std::vector<wchar_t> wide(static_cast<size_t>(nWide));
    Verifie(UTF16ToWideChar(hay.data(), -1, wide.data(), nWide) == nWide);
    std::vector<unsigned short> back(static_cast<size_t>(nWide));
    Verifie(WideCharToUTF16(wide.data(), nWide, back.data(), nWide) == nWide);
    Verifie(std::memcmp(back.data(), hay.data(), back.size() * 2) == 0);
    return 0;
}
