// GeneralParam: settings that the runtime hands to the module's language values (recyclers, threads, allocator).
#pragma once

#include <cstdint>

// Codes of GeneralParam.
enum : unsigned {
    eGP_CLE_RECYCLEURS = 2005,   // value: thread-specific key of the per-thread recyclers
    eGP_FLAG_MT = 2006,          // value: address of the runtime's int flag "several threads run"
    eGP_ALLOCATEUR = 2008,       // value: address of a CStrMemAlloc that becomes current
};

// True for a known code, after taking its value; false, nothing done, otherwise. Values are
// machine words (addresses in the x86-64 build need the full width). A null allocator or flag
// address is refused (false). With 2008, the module's own allocator, when current, is retired
// (destroyed once the values it made are gone) and the given one becomes current and external.
bool GeneralParam(unsigned nCode, std::uintptr_t nValeur);
