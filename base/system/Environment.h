// Environment and process information as the Win32 calls GetEnvironmentVariable, GetVersionEx, GetStdHandle and their kin.
#pragma once

#include "base/system/Win32Api.h"

// The value of a variable; 0 when it is not set. With nSize 0 (or no buffer) returns the
// value's length, terminator not counted. Otherwise copies at most nSize characters and a
// terminator, so the buffer holds nSize + 1 bytes, and returns the characters copied.
DWORD GetEnvironmentVariable(const char* pszName, char* pszBuffer, DWORD nSize);
// Sets (overwriting) or, with no value, removes a variable; false for a name that cannot be
// one (null, empty or holding "=").
bool SetEnvironmentVariable(const char* pszName, const char* pszValue);

// The version record: its size first, then the version numbers, the platform and a service
// text. All but the size are zeroed and the platform is VER_PLATFORM_ZORVAN_LINUX; false
// (nothing written) when the size field is below the record's size or uname fails.
struct OSVERSIONINFO {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFO) == 148, "OSVERSIONINFO is five DWORDs and 128 characters");
static_assert(offsetof(OSVERSIONINFO, dwPlatformId) == 16, "the platform is the fifth DWORD");
static_assert(offsetof(OSVERSIONINFO, szCSDVersion) == 20, "the service text follows the platform");
constexpr DWORD VER_PLATFORM_ZORVAN_LINUX = 1000;
bool GetVersionEx(OSVERSIONINFO* pstInfo);

// 0x0800: the system default language.
WORD GetSystemDefaultLangID();

// Descriptors of the standard streams: STD_INPUT_HANDLE 0, STD_OUTPUT_HANDLE 1,
// STD_ERROR_HANDLE 2; -1 for any other value.
constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);
int GetStdHandle(DWORD nStdHandle);

// Writes the text to standard error (nothing for null).
void OutputDebugString(const char* pszText);
