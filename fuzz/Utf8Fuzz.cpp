// Fuzz target of the UTF-8 inspection functions over arbitrary bytes.
//
// The input is copied into a block of exactly its size plus a terminator, so any read past
// the terminator is caught by AddressSanitizer. The functions must also agree with one
// another: a text that validates decodes character by character to its end.
#include "base/strings/Utf8.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    std::vector<char> text(pbyData, pbyData + nSize);
    text.push_back('\0');
    const char* psz = text.data();
    const size_t nLen = std::strlen(psz);

    // Stepping never passes the terminator and always moves forward on a non-empty text.
    for (const char* p = psz; *p;) {
        const char* q = UTF8next(p);
        Verifie(q > p && q <= psz + nLen);
        Verifie(UTF8Len(p) == q - p);
        p = q;
    }

    // Bounded validation and decoding read at most the bytes they are given.
    for (long n : {0L, 1L, 2L, 3L, static_cast<long>(nLen), -1L}) {
        if (n > static_cast<long>(nLen))
            continue;
        // A copy of exactly n bytes (no terminator) catches reads past n; -1 reads to the NUL.
        std::vector<char> exact(n > 0 ? psz : nullptr, n > 0 ? psz + n : nullptr);
        const char* p = n > 0 ? exact.data() : psz;
        UTF8Valide(p, n);
        int used = static_cast<int>(n);
        const int cp = UTF8FirstChar(p, used);
        Verifie(cp == -1 ? used == 0 : (used >= 1 && (n < 0 || used <= n)));
    }

    // A valid text decodes to its end.
    if (UTF8Valide(psz, -1)) {
        size_t pos = 0;
        while (pos < nLen) {
            int used = static_cast<int>(nLen - pos);
            Verifie(UTF8FirstChar(psz + pos, used) >= 0);
            Verifie(used > 0);
            pos += static_cast<size_t>(used);
        }
        Verifie(pos == nLen);
    }
    return 0;
}
