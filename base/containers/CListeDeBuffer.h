// CListeDeBuffer: doubly linked list of fixed-size elements with a built-in position.
#pragma once

// The elements are copied in byte for byte and never constructed nor destroyed.
//
// The list that creates the nodes owns them. A copy of a list (copy constructor or
// assignment) is a position: an independent current node and index over the same
// nodes, which it does not own. A position moves freely (pCourant, VaSuivant,
// pVaSurNumero, ...) but refuses the operations that add or free nodes, since its
// count and ends are a snapshot that only the owner (and ExtraitListe) keeps right.
// A position must not outlive the nodes it points at.
//
// The current index goes from -1 (before the first node, or an empty list) to the
// count (after the last node); the current node is null outside 0 .. count - 1.
class CListeDeBuffer {
public:
    // A node: links, then the element's bytes in the same allocation.
    struct _stNoeud {
        _stNoeud* pSuivant;
        _stNoeud* pPrecedent;
    };

    explicit CListeDeBuffer(int nTailleElement);
    // Makes a position over the nodes of clAutre.
    CListeDeBuffer(const CListeDeBuffer& clAutre);
    // Over the same nodes (same first node): takes clAutre's current node and index
    // only, so that an owner returns to a saved position and keeps its nodes. Over other
    // nodes: frees the own nodes (when this owns any) and becomes a position over them.
    CListeDeBuffer& operator=(const CListeDeBuffer& clAutre);
    ~CListeDeBuffer();

    // Copies pElement into a new node that becomes current: before the current node
    // (bAvant true; the index is kept) or after it (the index grows by 1). With the
    // position off the list the node goes at that end. Returns false, list unchanged,
    // when the memory cannot be obtained, when pElement is null or on a position.
    bool Ajoute(const void* pElement, bool bAvant);

    // The current element's bytes; null off the list.
    void* pCourant() const;

    // One node forward (back); the position may leave the list. From before the first
    // node VaSuivant reaches the first node; from after the last, VaPrecedent reaches
    // the last one. Moving further away from the list does nothing.
    void VaSuivant();
    void VaPrecedent();
    // Moves to the next (previous) node and returns its element when there is one;
    // otherwise returns null and the position stays.
    void* pVaSuivant();
    void* pVaPrecedent();
    // Makes element n current by the shortest walk and returns it; null (position
    // unchanged) when n is not an element index.
    void* pVaSurNumero(int n);

    // Frees the current node; the previous node becomes current (index - 1), or when
    // there is none the new first node (index kept; -1 for an empty list).
    void SupprimeCourant();
    // Frees every node: empty list, index -1. Does nothing on a position.
    void SupprimeTout();

    // Moves the nodes of clSource from the current node of clDe up to, not including,
    // the current node of clA (to the end when clA has none) into this list, which must
    // be an empty owner; clSource must be the owner of those nodes and clDe, clA
    // positions over them (either may be clSource itself). Afterwards this list holds
    // the run with its first node current at index 0; in clSource, clDe and clA the
    // count and ends are those of the shortened list, a current node inside the run
    // is replaced by the node that followed the run (at the run's old first index, or
    // off the end when none followed), and indexes past the run drop by its length.
    // Returns the number of nodes moved; 0 (nothing changed) when clDe has no current
    // node, when clA's current node does not follow clDe's, or when the roles are not
    // met.
    int ExtraitListe(CListeDeBuffer& clSource, CListeDeBuffer& clDe, CListeDeBuffer& clA);

    // The element bytes of a node; null for none.
    static void* pGetElem(const _stNoeud* pNoeud);

    _stNoeud* pGetPremier() const { return m_pPremier; }
    _stNoeud* pGetDernier() const { return m_pDernier; }
    _stNoeud* pGetNoeudCourant() const { return m_pCourant; }
    int nGetTailleElement() const { return m_nTailleElement; }
    int nGetNombre() const { return m_nNombre; }
    int nGetIndex() const { return m_nIndex; }
    bool bEstPosition() const { return m_bPosition; }

private:
    _stNoeud* m_pPremier;
    _stNoeud* m_pDernier;
    _stNoeud* m_pCourant;   // null off the list
    int m_nTailleElement;   // bytes, at least 0
    int m_nNombre;
    int m_nIndex;           // -1 .. m_nNombre
    bool m_bPosition;       // a copy: walks nodes owned by another list

    // Count, ends and position of a header after a run of nLongueur nodes from index
    // nDebut left the list; pApres is the node that followed the run.
    void __CorrigeApresExtraction(_stNoeud* pApres, int nDebut, int nLongueur);
};
