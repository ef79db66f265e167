// Checks of a profile file's text: each line that the profile reader would not take as its writer meant it, with the reason.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum eREMARQUEPROFIL : int {
    eREMARQUE_SANS_EGAL,        // neither a header, a key line nor a ":" comment: ignored
    eREMARQUE_COMMENTAIRE,      // begins with ";" or "#", which start no comment here
    eREMARQUE_ENTETE_OUVERTE,   // "[" without "]": read as an ordinary line, not a header
    eREMARQUE_HORS_SECTION,     // a key line before any header: no section read finds it
    eREMARQUE_CLE_DOUBLE,       // the key again in its section: the first one is read
    eREMARQUE_SECTION_DOUBLE,   // the header again: the keys of this one are never read
    eREMARQUE_NUL,              // a NUL byte: the reader's line ends there
    eREMARQUE_BOM,              // a UTF-8 byte-order mark before the first line's text
};

struct _stREMARQUEPROFIL {
    unsigned nLigne;          // 1-based
    eREMARQUEPROFIL eRemarque;
    std::string sLigne;       // the line, cut to 60 bytes, without its end
    unsigned nLigneAutre;     // for the doubles: the line that wins
};

// The remarks on a file of n bytes, in line order. Lines are read as the profile reader reads
// them: cut at "\n", a "\r" before it dropped, leading blanks skipped; headers and keys are
// compared without regard to ASCII letter case. At most nMax remarks are returned.
std::vector<_stREMARQUEPROFIL> vVerifieProfil(const char* p, size_t n, size_t nMax = 100);

// "line 3: '[FRAMEWORK': a header without ']' is read as an ordinary line".
std::string sTexteRemarque(const _stREMARQUEPROFIL& st);
