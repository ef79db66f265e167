// Records and calls of the Win32 interface that the shared code is written against, on Linux.
// The records keep their Win32 layouts; amounts that Win32 sizes by the pointer width (SIZE_T)
// are size_t here, so the i386 build has the 32-bit layouts and x86-64 the wide ones.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef int BOOL;

// A rectangle in 32-bit coordinates; right and bottom are exclusive.
struct RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
static_assert(sizeof(RECT) == 16, "RECT is four 32-bit coordinates");

// A calendar date and time: month 1-12, day of week 0-6 with 0 = Sunday.
struct SYSTEMTIME {
    uint16_t wYear;
    uint16_t wMonth;
    uint16_t wDayOfWeek;
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};
static_assert(sizeof(SYSTEMTIME) == 16, "SYSTEMTIME is eight 16-bit fields");

// One unsigned 64-bit count of 100-nanosecond units since 1 January 1601 UTC, kept as two
// 32-bit halves (low first) so that the record has 4-byte alignment in both ABIs.
struct FILETIME {
    uint32_t dwLowDateTime;
    uint32_t dwHighDateTime;
};
static_assert(sizeof(FILETIME) == 8, "FILETIME is one 64-bit count");

// A 16-byte identifier; compared byte-wise.
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");

// Memory status: amounts in bytes, memory load in percent.
struct MEMORYSTATUS {
    uint32_t dwLength;
    uint32_t dwMemoryLoad;
    size_t dwTotalPhys;
    size_t dwAvailPhys;
    size_t dwTotalPageFile;
    size_t dwAvailPageFile;
};
static_assert(sizeof(MEMORYSTATUS) == 8 + 4 * sizeof(size_t), "MEMORYSTATUS: two DWORDs, four SIZE_Ts");

// The emulated calls, by family. Each header includes this one for the records above.
#include "base/system/Environment.h"
#include "base/system/GlobalMemory.h"
#include "base/system/MessageBox.h"
#include "base/system/ModuleFileName.h"
#include "base/system/Process.h"
#include "base/system/Threads.h"
#include "base/system/TimeServices.h"

// Atoms, identifiers, rectangles and helpers
typedef uint16_t ATOM;

// A point in 32-bit coordinates.
struct POINT {
    int32_t x;
    int32_t y;
};
static_assert(sizeof(POINT) == 8, "POINT is two 32-bit coordinates");

#include "base/system/Atom.h"
#include "base/system/Rect.h"
#include "base/system/Uuid.h"
#include "base/system/Win32Helpers.h"
