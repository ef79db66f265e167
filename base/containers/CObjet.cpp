// CObjet: reference-counted base object with an optional aggregate interface.
#include "base/containers/CObjet.h"

CObjet::CObjet() : m_nNombreReferences(1), m_pIAgregat(nullptr) {}

CObjet::CObjet(const CObjet&) : m_nNombreReferences(1), m_pIAgregat(nullptr) {}

CObjet::~CObjet() {}

void CObjet::XAssertValid() const {}

void* CObjet::pIQueryInterface()
{
    if (m_pIAgregat == nullptr)
        CreateAgregat();
    // A null answer takes no reference: the caller has nothing to release it with.
    if (m_pIAgregat != nullptr)
        AddRef();
    return m_pIAgregat;
}

void CObjet::AddRef()
{
    ++m_nNombreReferences;
}

int CObjet::nRelease()
{
    const int nNombre = --m_nNombreReferences;
    if (nNombre == 0)
        delete this;
    return nNombre;
}

void CObjet::CreateAgregat() {}
