// CTTableau<T>: CTableauDeBuffer of elements of type T.
#pragma once

#include "base/containers/CTableauDeBuffer.h"

#include <type_traits>

// T is copied byte for byte and never constructed nor destroyed by the array.
template <typename T>
class CTTableau : public CTableauDeBuffer {
    static_assert(std::is_trivially_copyable<T>::value,
                  "CTTableau copies its elements byte for byte");

public:
    CTTableau(int nPas, int nSeuilCompactage)
        : CTableauDeBuffer(static_cast<int>(sizeof(T)), nPas, nSeuilCompactage)
    {
    }

    using CTableauDeBuffer::Initialise;
    // Virtual slot after the inherited ones: n copies of clElement.
    virtual bool Initialise(const T& clElement, int n)
    {
        return CTableauDeBuffer::Initialise(&clElement, n);
    }

    using CTableauDeBuffer::Ajoute;
    bool Ajoute(const T& clElement) { return CTableauDeBuffer::Ajoute(&clElement); }

    // Element i, which must be below the count.
    T& operator[](int i) { return static_cast<T*>(static_cast<void*>(m_pData))[i]; }
    const T& operator[](int i) const { return static_cast<const T*>(static_cast<const void*>(m_pData))[i]; }
    T* pGetTypedData() const { return static_cast<T*>(static_cast<void*>(m_pData)); }
};
