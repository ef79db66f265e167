// GrandBloc: blocks of several megabytes (whole files, expanded blocks) backed by huge pages
// where the system offers them.
#pragma once

#include <cstddef>

// Blocks of at least nSEUIL_GRAND_BLOC bytes are mapped directly, aligned on 2 MiB and marked
// for transparent huge pages: filling such a block then costs one page fault per 2 MiB
// instead of one per 4 KiB. Smaller blocks come from malloc. The contents are not
// initialised (mapped blocks start zeroed, malloc'd ones do not).
constexpr std::size_t nSEUIL_GRAND_BLOC = std::size_t(2) << 20;

// n bytes, or null when n is 0 or the memory cannot be obtained.
void* pvAlloueGrandBloc(std::size_t n);
// Frees a block of pvAlloueGrandBloc; n must be the size it was obtained with. Null is
// accepted.
void LibereGrandBloc(void* p, std::size_t n);
// A block of nNouveau bytes holding the first min(nAncien, nNouveau) bytes of p, which is then
// freed; p may be null (nAncien 0). A size of 0 frees p and gives null. On failure null, and
// p stays valid and unchanged.
void* pvRedimensionneGrandBloc(void* p, std::size_t nAncien, std::size_t nNouveau);
