// The executable's information block _stINFOEXE, its template values and the data-files directory field.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/strings/CTString.h"

// Room of a path: 260 characters and the terminating NUL.
constexpr unsigned gnTailleChemin = 261;

// The information block, shared with the tool that builds an application's executable: it
// lies in the executable's initialised data with the template values below and is patched in
// the file for each application. Little-endian, strings NUL-terminated at the start of their
// area. The launcher reads only the named fields; the reserved areas keep their template
// values, which is also what lets the tool recognise the block in a built executable.
#pragma pack(push, 1)
struct _stINFOEXE {
    uint8_t abReserve0[8];           // zero
    char szNomFramework[522];        // file name of the runtime library ("zv150vm.so")
    char szNomZVL[261];              // file name of the application library ("default.zvl")
    int64_t oPositionZVL;            // position handed to the runtime with the library (0)
    uint8_t abReserve1[12];          // zero
    int32_t bRechercheRestreinte;    // non-zero: runtime searched only by explicit path,
                                     // beside the executable and by the loader's own search
    uint8_t abReserve2[16];          // zero
    int32_t nReserve3;               // 1
    char szNomProjet[281];           // project handed to the runtime ("default.zvp")
    int32_t nReserve4;               // -1
    int32_t bFrameworkCommun;        // non-zero: the common installation directory is tried
    uint8_t abReserve5[1102];        // zero
    int32_t nVersionActive;          // active version handed to the runtime (0)
    uint8_t abReserve6[4];           // zero
};
#pragma pack(pop)

static_assert(sizeof(_stINFOEXE) == 2234, "_stINFOEXE: 2234 bytes");
static_assert(offsetof(_stINFOEXE, szNomFramework) == 8, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, szNomZVL) == 530, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, oPositionZVL) == 791, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, abReserve1) == 799, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, bRechercheRestreinte) == 811, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, abReserve2) == 815, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, nReserve3) == 831, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, szNomProjet) == 835, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, nReserve4) == 1116, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, bFrameworkCommun) == 1120, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, abReserve5) == 1124, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, nVersionActive) == 2226, "_stINFOEXE layout");
static_assert(offsetof(_stINFOEXE, abReserve6) == 2230, "_stINFOEXE layout");

// Template values of the block.
inline constexpr const char gszInfoExeNomFramework[] = "zv150vm.so";
inline constexpr const char gszInfoExeNomZVL[] = "default.zvl";
inline constexpr const char gszInfoExeNomProjet[] = "default.zvp";
inline constexpr int32_t gnInfoExeReserve3 = 1;
inline constexpr int32_t gnInfoExeReserve4 = -1;

// The data-files directory field: 261 bytes, the NUL-terminated directory first. The template
// holds "." and, behind its NUL, the marker text below; only the directory is read.
constexpr unsigned gnTailleRepFichiers = 261;
inline constexpr const char gszRepFichiersDefaut[] = ".";
inline constexpr const char gszRepFichiersMarque[] = "**** Rep. Fichiers ****";

// True when the reserved areas of the block hold their template values and each text area
// holds a terminator: the shape by which a block is recognised in an executable file.
bool bFormeInfoExe(const unsigned char* pabBloc);

// The file name of the application library that the launcher hands to the runtime for the
// block's name pszNomBloc: its file name part; an empty name or "default.zvl" gives the
// executable's own file name with the extension ".ZVL" ('/opt/app/invoice' uses 'invoice.ZVL').
CTString clNomZVLTransmis(const char* pszNomBloc, const char* pszCheminExe);
