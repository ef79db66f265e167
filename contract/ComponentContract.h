// The calling contract between the launcher's component loader and the component libraries: export names and types.
#pragma once

#include <cstddef>
#include <cstdint>

// Exports of a component library, each optional unless said otherwise. Booleans are returned
// as int (non-zero: true). Library handles are dynamic-loader handles.
//
// "bInitLibrary" and "TermLibrary" have the types of contract/RuntimeContract.h: the first is
// required by the loader and receives the library's own handle.
//
// "InitDLLEx": the runtime library's handle, flags, then 0.
using PFN_InitDLLEx = int (*)(void* hVM, unsigned int nFlags, int nZero);
// "InitDLL": the runtime library's handle; used when "InitDLLEx" is absent.
using PFN_InitDLL = int (*)(void* hVM);
// "TermDLL": the runtime library's handle.
using PFN_TermDLL = void (*)(void* hVM);
// "Execution": a code and a parameter; see the two codes below.
using PFN_Execution = int (*)(int nCode, void* pParametre);
// "DeclareProxy": four outputs (32, 16, 32 and 16 bits) describing the proxies the library
// declares; all zero when it declares none.
using PFN_DeclareProxy = void (*)(uint32_t* pdwPremier, uint16_t* pwSecond, uint32_t* pdwTroisieme,
                                  uint16_t* pwQuatrieme);
// "pQueryProxy", "pQueryProxyEx" and "CommandeComposante" are kept as plain addresses: their
// signatures belong to the component libraries.

// Codes of "Execution": start (parameter: address of a _stINITEXECUTION) and stop (parameter 0).
enum : int {
    eEXECUTION_INIT = 3985,
    eEXECUTION_TERM = 4875,
};

// Start-up record handed to "Execution" with eEXECUTION_INIT: four unsigned 32-bit fields,
// always 16 (the record's size), 0, 4, 0. Their meaning beyond the size belongs to the
// component libraries.
#pragma pack(push, 1)
struct _stINITEXECUTION {
    uint32_t dwTaille;
    uint32_t dwChamp1;
    uint32_t dwChamp2;
    uint32_t dwChamp3;
};
#pragma pack(pop)
static_assert(sizeof(_stINITEXECUTION) == 16, "_stINITEXECUTION: four 32-bit fields");
static_assert(offsetof(_stINITEXECUTION, dwTaille) == 0, "_stINITEXECUTION layout");
static_assert(offsetof(_stINITEXECUTION, dwChamp1) == 4, "_stINITEXECUTION layout");
static_assert(offsetof(_stINITEXECUTION, dwChamp2) == 8, "_stINITEXECUTION layout");
static_assert(offsetof(_stINITEXECUTION, dwChamp3) == 12, "_stINITEXECUTION layout");

// The factory object of an image library, returned by its "pclQueryIMGFactory" and owned by
// that library. The launcher only calls slot 2 (counting from 0), once, to give it back.
class IZVImgFactory {
public:
    virtual int vSlot0() = 0;
    virtual int vSlot1() = 0;
    virtual void vRelease() = 0;

protected:
    ~IZVImgFactory() = default;
};

// "pclQueryIMGFactory": no argument; the factory object.
using PFN_pclQueryIMGFactory = IZVImgFactory* (*)();
