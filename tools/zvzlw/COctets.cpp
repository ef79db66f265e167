// COctets: an owned byte buffer whose capacity grows on demand and is kept for reuse.
#include "tools/zvzlw/COctets.h"

#include "base/system/GrandBloc.h"

COctets::~COctets()
{
    LibereGrandBloc(m_p, m_nCapacite);
}

bool COctets::bReserve(size_t n)
{
    if (n <= m_nCapacite)
        return true;
    void* p = pvRedimensionneGrandBloc(m_p, m_nCapacite, n);
    if (!p)
        return false;
    m_p = static_cast<uint8_t*>(p);
    m_nCapacite = n;
    return true;
}

bool COctets::bReserveVide(size_t n)
{
    if (n <= m_nCapacite)
        return true;
    LibereGrandBloc(m_p, m_nCapacite);
    m_p = static_cast<uint8_t*>(pvAlloueGrandBloc(n));
    m_nCapacite = m_p ? n : 0;
    return m_p != nullptr;
}
