// CSimpleBuffer: an owned block of bytes with its size.
#include "base/containers/CSimpleBuffer.h"

#include "base/containers/XMalloc.h"

#include <cstring>

CSimpleBuffer::CSimpleBuffer() : m_pData(nullptr), m_dwSize(0) {}

CSimpleBuffer::CSimpleBuffer(unsigned dwSize) : m_pData(nullptr), m_dwSize(0)
{
    SetSize(dwSize);
}

CSimpleBuffer::CSimpleBuffer(const void* pData, unsigned dwSize) : m_pData(nullptr), m_dwSize(0)
{
    CopyBuffer(pData, dwSize);
}

CSimpleBuffer::CSimpleBuffer(const CSimpleBuffer& clAutre) : m_pData(nullptr), m_dwSize(0)
{
    CopyBuffer(clAutre.m_pData, clAutre.m_dwSize);
}

CSimpleBuffer& CSimpleBuffer::operator=(const CSimpleBuffer& clAutre)
{
    if (this != &clAutre)
        CopyBuffer(clAutre.m_pData, clAutre.m_dwSize);
    return *this;
}

CSimpleBuffer::~CSimpleBuffer()
{
    XMALLOC_Del_(m_pData);
}

bool CSimpleBuffer::SetSize(unsigned dwSize)
{
    if (dwSize == m_dwSize)
        return true;
    XMALLOC_Del_(m_pData);
    m_pData = XMALLOC_pNew_(dwSize);
    m_dwSize = m_pData != nullptr ? dwSize : 0;
    return m_dwSize == dwSize;
}

bool CSimpleBuffer::CopyBuffer(const void* pData, unsigned dwSize)
{
    if (pData == nullptr && dwSize != 0) {
        SetSize(0);
        return false;
    }
    if (dwSize == m_dwSize) {
        // Same block: the source may be (part of) it, hence memmove.
        if (dwSize != 0)
            std::memmove(m_pData, pData, dwSize);
        return true;
    }
    // The new block is filled before the old one is freed, so that a source lying in
    // the old block is still readable.
    void* pNouveau = XMALLOC_pNew_(dwSize);
    if (pNouveau == nullptr && dwSize != 0) {
        SetSize(0);
        return false;
    }
    if (dwSize != 0)
        std::memcpy(pNouveau, pData, dwSize);
    XMALLOC_Del_(m_pData);
    m_pData = pNouveau;
    m_dwSize = dwSize;
    return true;
}
