// CAtom: the process-wide atom table (AddAtom, FindAtom, DeleteAtom, GetAtomName).
#pragma once

#include "base/system/Win32Api.h"

// One entry of the atom table. The table is a singly linked list in creation order; names are
// compared without regard to ASCII letter case. The list is process-wide and locked: the
// functions below may be called from any thread.
class CAtom {
public:
    // The number the next new name receives. Starts at 1; numbers are never reused, so once
    // 0xFFFF has been handed out AddAtom refuses new names (returns 0). Changed under the
    // table's lock; tests set it only while no other thread uses atoms.
    static uint32_t gnId;

    uint32_t m_dwRefCount; // AddAtom calls not yet matched by DeleteAtom
    ATOM m_nAtom;          // the atom number, 1 to 0xFFFF
    CAtom* m_pNext;        // next entry, null at the end of the list
    char* m_pszName;       // private heap copy of the name
};

// The number of name: an existing name (any ASCII case) gains one reference and keeps its
// number; a new one is appended with a reference count of 1. 0 for null, when the numbers are
// exhausted or when memory runs out.
ATOM AddAtom(const char* pszName);
// The number of name, or 0 when it is not in the table.
ATOM FindAtom(const char* pszName);
// Drops one reference; the entry is removed when none is left. 0 when the atom was found,
// otherwise the number given.
ATOM DeleteAtom(ATOM nAtom);
// Copies the name with strncpy rules: at most nSize bytes, no terminator when the name fills
// them. Returns the name's length when it is shorter than nSize, else nSize; 0 for an unknown
// atom, a null buffer or a size below 1 (nothing written then).
UINT GetAtomName(ATOM nAtom, char* pszBuffer, int nSize);
