// CResAnsi: the built-in message block, its entry offsets and the look-up of an entry by identifier.
#pragma once

// The block is a sequence of entries sorted by ascending identifier, each made of two key
// bytes (the identifier as two base-255 digits, each stored plus 1), the text in the
// compact text encoding and a 0 terminator. The first entry is the start marker (key
// 0x01 0x01, identifier 0, plain text "ZORVAN RES BLOC START"), the last one the stop
// marker (key 0xFF 0xFF, identifier 65024, plain text "ZORVAN RES BLOC STOP"). Entry
// boundaries are only ever found through the size table, never by scanning.
class CResAnsi {
public:
    // Entries of the block, the two markers included.
    static constexpr int knNbEntrees = 43;

    // bsearch comparison: pCle points to the requested unsigned int identifier, of which the
    // low 16 bits count; pOffset to an element of m_tabOffset. Returns the identifier minus
    // that of the entry at the offset.
    static int nCompareResANSI(const void* pCle, const void* pOffset);

    // Index of the entry with identifier nId modulo 65536, or -1. The markers are found too
    // (identifier 0 is entry 0).
    static int s_nTrouveEntree(unsigned int nId);
    // Identifier of entry nEntree (0 .. knNbEntrees - 1), from its key bytes.
    static unsigned int s_nIdentifiantEntree(int nEntree);
    // Stored text of entry nEntree (0 .. knNbEntrees - 1), just after its key bytes.
    static const char* s_pszTexteEntree(int nEntree);
    // True for the two marker entries, which hold plain text rather than a message.
    static bool s_bEstMarqueur(int nEntree) { return nEntree == 0 || nEntree == knNbEntrees - 1; }

    // Offsets of the entries from the block start, filled on first use. Every access goes
    // through atomic operations: concurrent first uses write identical values without a lock.
    static unsigned short m_tabOffset[knNbEntrees];
    static int m_bTabOffsetComplete;

private:
    static void __AssureTabOffset();
};

// Generated at build time from base/messages/messages.txt by the host tool zvtextpack: the
// block, and the sizes of the stored texts (element 0 is 0 and element v, 1 <= v <
// knNbEntrees, is the size of the text of entry v - 1; the last entry's is not recorded).
extern const unsigned char gabyBlocRes[];
extern const unsigned short _tabTailleChaineRes[CResAnsi::knNbEntrees];
// Constant pointer to the block's first key byte.
extern const unsigned char* const _pBlocRes;
