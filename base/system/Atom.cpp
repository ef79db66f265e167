// CAtom: the process-wide atom table (AddAtom, FindAtom, DeleteAtom, GetAtomName).
#include "base/system/Atom.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

uint32_t CAtom::gnId = 1;

namespace {

// The list and CAtom::gnId are read and written only with gmtxAtomes held.
CAtom* gpclAtomFirst = nullptr;
std::mutex gmtxAtomes;

// Frees the whole list when the process ends.
struct CAtomListOwner {
    ~CAtomListOwner()
    {
        while (gpclAtomFirst) {
            CAtom* pclNext = gpclAtomFirst->m_pNext;
            std::free(gpclAtomFirst->m_pszName);
            delete gpclAtomFirst;
            gpclAtomFirst = pclNext;
        }
    }
} gclAtomListOwner;

// ASCII-only case folding: atom names do not depend on the locale.
bool bSameName(const char* pszA, const char* pszB)
{
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (;; ++pszA, ++pszB) {
        if (fold(static_cast<unsigned char>(*pszA)) != fold(static_cast<unsigned char>(*pszB)))
            return false;
        if (!*pszA)
            return true;
    }
}

CAtom* pclFindByName(const char* pszName)
{
    for (CAtom* pcl = gpclAtomFirst; pcl; pcl = pcl->m_pNext)
        if (bSameName(pcl->m_pszName, pszName))
            return pcl;
    return nullptr;
}

CAtom* pclFindByNumber(ATOM nAtom)
{
    for (CAtom* pcl = gpclAtomFirst; pcl; pcl = pcl->m_pNext)
        if (pcl->m_nAtom == nAtom)
            return pcl;
    return nullptr;
}

} // namespace

ATOM AddAtom(const char* pszName)
{
    if (!pszName)
        return 0;
    std::lock_guard<std::mutex> verrou(gmtxAtomes);
    if (CAtom* pcl = pclFindByName(pszName)) {
        ++pcl->m_dwRefCount;
        return pcl->m_nAtom;
    }
    if (CAtom::gnId > 0xFFFF)
        return 0;
    char* pszCopy = strdup(pszName);
    if (!pszCopy)
        return 0;
    CAtom* pclNew = new (std::nothrow) CAtom{1, static_cast<ATOM>(CAtom::gnId), nullptr, pszCopy};
    if (!pclNew) {
        std::free(pszCopy);
        return 0;
    }
    ++CAtom::gnId;
    CAtom** ppclLast = &gpclAtomFirst;
    while (*ppclLast)
        ppclLast = &(*ppclLast)->m_pNext;
    *ppclLast = pclNew;
    return pclNew->m_nAtom;
}

ATOM FindAtom(const char* pszName)
{
    if (!pszName)
        return 0;
    std::lock_guard<std::mutex> verrou(gmtxAtomes);
    const CAtom* pcl = pclFindByName(pszName);
    return pcl ? pcl->m_nAtom : 0;
}

ATOM DeleteAtom(ATOM nAtom)
{
    std::lock_guard<std::mutex> verrou(gmtxAtomes);
    for (CAtom** ppcl = &gpclAtomFirst; *ppcl; ppcl = &(*ppcl)->m_pNext) {
        CAtom* pcl = *ppcl;
        if (pcl->m_nAtom != nAtom)
            continue;
        if (--pcl->m_dwRefCount == 0) {
            *ppcl = pcl->m_pNext;
            std::free(pcl->m_pszName);
            delete pcl;
        }
        return 0;
    }
    return nAtom;
}

UINT GetAtomName(ATOM nAtom, char* pszBuffer, int nSize)
{
    std::lock_guard<std::mutex> verrou(gmtxAtomes);
    const CAtom* pcl = pclFindByNumber(nAtom);
    if (!pcl || !pszBuffer || nSize < 1)
        return 0;
    const std::size_t nLen = std::strlen(pcl->m_pszName);
    std::strncpy(pszBuffer, pcl->m_pszName, static_cast<std::size_t>(nSize));
    return nLen < static_cast<std::size_t>(nSize) ? static_cast<UINT>(nLen) : static_cast<UINT>(nSize);
}
