// GrandBloc: large blocks mapped on 2 MiB boundaries with the transparent huge page hint.
#include "base/system/GrandBloc.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t nPAGE_ENORME = std::size_t(2) << 20;

// n rounded up to whole huge pages; 0 when that does not fit a size_t (with the alignment
// margin the mapping needs).
std::size_t _nArrondi(std::size_t n)
{
    if (n > SIZE_MAX - 2 * nPAGE_ENORME)
        return 0;
    return (n + nPAGE_ENORME - 1) & ~(nPAGE_ENORME - 1);
}

}  // namespace

void* pvAlloueGrandBloc(std::size_t n)
{
    if (n == 0)
        return nullptr;
    if (n < nSEUIL_GRAND_BLOC)
        return std::malloc(n);
    const std::size_t nTaille = _nArrondi(n);
    if (nTaille == 0)
        return nullptr;
    // Mapped with one huge page of margin, then trimmed to an aligned start: the kernel only
    // backs aligned 2 MiB ranges with huge pages.
    void* pv = mmap(nullptr, nTaille + nPAGE_ENORME, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pv == MAP_FAILED)
        return nullptr;
    uint8_t* const pbyDebut = static_cast<uint8_t*>(pv);
    uint8_t* const pbyAligne =
        reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(pbyDebut) + nPAGE_ENORME - 1) & ~uintptr_t(nPAGE_ENORME - 1));
    if (pbyAligne > pbyDebut)
        munmap(pbyDebut, size_t(pbyAligne - pbyDebut));
    uint8_t* const pbyFinAligne = pbyAligne + nTaille;
    uint8_t* const pbyFin = pbyDebut + nTaille + nPAGE_ENORME;
    if (pbyFin > pbyFinAligne)
        munmap(pbyFinAligne, size_t(pbyFin - pbyFinAligne));
    // Only a hint: without huge pages (disabled, or none free) the block works all the same.
    (void)madvise(pbyAligne, nTaille, MADV_HUGEPAGE);
    return pbyAligne;
}

void LibereGrandBloc(void* p, std::size_t n)
{
    if (!p)
        return;
    if (n < nSEUIL_GRAND_BLOC)
        std::free(p);
    else
        munmap(p, _nArrondi(n));
}

void* pvRedimensionneGrandBloc(void* p, std::size_t nAncien, std::size_t nNouveau)
{
    if (!p)
        return pvAlloueGrandBloc(nNouveau);
    if (nNouveau == 0) {
        LibereGrandBloc(p, nAncien);
        return nullptr;
    }
    // Both sizes on the same side of the threshold and under it: realloc may grow in place.
    if (nAncien < nSEUIL_GRAND_BLOC && nNouveau < nSEUIL_GRAND_BLOC)
        return std::realloc(p, nNouveau);
    if (nAncien >= nSEUIL_GRAND_BLOC && nNouveau >= nSEUIL_GRAND_BLOC && _nArrondi(nAncien) == _nArrondi(nNouveau))
        return p;
    void* pvNouveau = pvAlloueGrandBloc(nNouveau);
    if (!pvNouveau)
        return nullptr;
    std::memcpy(pvNouveau, p, nAncien < nNouveau ? nAncien : nNouveau);
    LibereGrandBloc(p, nAncien);
    return pvNouveau;
}
