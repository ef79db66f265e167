// CObjet: reference-counted base object with an optional aggregate interface.
#pragma once

// Virtual slots, in order: destructor, deleting destructor, XAssertValid,
// pIQueryInterface, AddRef, nRelease, CreateAgregat. Objects released through nRelease
// must have been made with new.
class CObjet {
public:
    CObjet();
    // A copy is a new object: count 1, no aggregate.
    CObjet(const CObjet&);
    // Copies nothing: the count and the aggregate stay.
    CObjet& operator=(const CObjet&) { return *this; }
    virtual ~CObjet();

    virtual void XAssertValid() const;
    // The aggregate, created on first request by CreateAgregat. Each non-null result
    // holds a reference that the caller releases; a null result holds none.
    virtual void* pIQueryInterface();
    virtual void AddRef();
    // Count - 1; at 0 the object deletes itself. Returns the new count.
    virtual int nRelease();
    // Sets the aggregate (m_pIAgregat); nothing in the base.
    virtual void CreateAgregat();

    int nGetNombreReferences() const { return m_nNombreReferences; }

protected:
    int m_nNombreReferences;  // 1 after construction
    void* m_pIAgregat;        // aggregate interface, null until CreateAgregat sets it
};
