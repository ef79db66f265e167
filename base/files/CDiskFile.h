// CDiskFile: the disk file; here its static functions on file names and paths.
#pragma once

#include "base/files/XFindData.h"

class CTString;

// Names are NUL-terminated single-byte texts with "/" as separator. Every function first turns
// each backslash of a name into a slash: on a private copy for names it only reads, in place
// for names it changes. There are no drive letters: a drive part is always empty.
//
// Unless a size is passed, output buffers hold ZV_MAX_PATH characters and a NUL (261 bytes);
// outputs are cut to fit them. Names that do not fit in ZV_MAX_PATH characters never make a
// function write past a buffer: tests of existence say "not there", producers say "failed".
class CDiskFile {
public:
    static constexpr unsigned ZV_MAX_PATH = 260;

    // ---- Existence ------------------------------------------------------------------
    // False for null, for names longer than ZV_MAX_PATH and when the call fails.
    static bool bExist(const char* pszName);        // access(F_OK)
    static bool bIsAFile(const char* pszName);      // stat: a regular file
    static bool bIsADirectory(const char* pszName); // stat: a directory

    // ---- Separators -----------------------------------------------------------------
    // In place; return the text (null accepted for the char* forms).
    static char* pszBackSlash2Slash(char* psz);
    static const char* pszBackSlash2Slash(CTString& str);
    static char* pszSlash2BackSlash(char* psz);
    static const char* pszSlash2BackSlash(CTString& str);
    // Appends "/" unless the text is empty or already ends with one; returns the length before
    // the append. The char* form assumes a 261-byte buffer and appends nothing to a text that
    // already holds ZV_MAX_PATH characters.
    static unsigned DirectoryWithEndSlash(char* psz);
    static unsigned DirectoryWithEndSlash(CTString& str);
    // Removes every trailing slash.
    static void DirectoryWithoutEndSlash(char* psz);
    // Copies src into dst (261 bytes; src null: dst is worked on in place), converts
    // backslashes and removes trailing white space.
    static void StandardizeFileName(char* pszDst, const char* pszSrc);

    // ---- Parts of a name ------------------------------------------------------------
    // dir: up to and including the last "/" (empty when there is none); name: the rest up to
    // its last "."; ext: from that "." on (empty when the rest has none). Any output may be
    // null; each is a 261-byte buffer.
    static void SplitPath(const char* pszPath, char* pszDir, char* pszName, char* pszExt);
    static void SplitPath(const char* pszPath, char* pszDir, char* pszNameExt);
    static void SplitPath(const char* pszPath, char* pszDrive, char* pszDir, char* pszName, char* pszExt);
    // dir + "/" (when dir is non-empty and lacks it) + name + ("." unless ext has it) + ext.
    // An empty name gives the directory alone. out is a 261-byte buffer; the result is cut.
    static void MakePath(char* pszOut, const char* pszDir, const char* pszName, const char* pszExt);
    // The character after the last "/" or "\", or after a leading "X:"; the text itself when
    // there is none. Null gives null.
    static const char* pszGetPtrToFileName(const char* pszPath);
    static char* pszGetPtrToFileName(char* pszPath);
    // Replaces the extension of the last component (or adds one) within nSize bytes, NUL
    // included. ext may begin with "." or not: 'a.txt' + "zvl" or ".zvl" gives 'a.zvl'.
    static void ChangeExtension(char* pszPath, unsigned nSize, const char* pszExt);
    // Removes the last "." of the last component and what follows it.
    static void DelExtension(char* pszPath);

    // ---- Kinds of names -------------------------------------------------------------
    static bool bIsRelativePath(const char* pszName);          // begins with "."
    static bool bIsRelativeFileName(const char* pszName);      // empty or not beginning with "/"
    static bool bIsRelativeFileName_WIN32(const char* pszName); // Windows rules, see .cpp
    static bool bUNCName(const char* pszName);                 // "\\server\..." (either slash)
    static bool bIsAVirtualDirectory(const char* pszName);     // exactly "." or ".."
    // None of \ / : * ? " < > | (null is not a valid name).
    static bool bValidName(const char* pszName);
    // Whole-name wildcard match, case-sensitive: "*" any run (also none), "?" one character.
    static bool _bFiltreFileName(const char* pszName, const char* pszPattern);
    // Kept by a directory search: not "." or "..", matches the pattern, has every required
    // attribute bit and no excluded one.
    static bool _bFindGoodFile(const char* pszName, unsigned nAttributes, const _stXFINDDATA* pstSearch);

    // ---- Absolute names and comparison ----------------------------------------------
    // Absolute, normalised form of name in out (nSize bytes). Returns its length on success;
    // when it does not fit, the size needed (out not written; see .cpp for each branch);
    // 0 for an empty name or a failed system call. ppFilePart is accepted and not filled.
    static unsigned GetFullPathName(const char* pszName, unsigned nSize, char* pszOut, char** ppFilePart);
    // GetFullPathName; *pLen (optional) gets its result, plus one on success. True when the
    // result is non-zero and fits in nSize.
    static bool bGetFullPath(char* pszOut, unsigned nSize, const char* pszName, unsigned* pLen);
    // GetFullPathName: true when it succeeded and fits.
    static bool bGetUNCName(char* pszOut, unsigned nSize, const char* pszName);
    static bool bStandardizeExistingFileName(char* pszOut, unsigned nSize, const char* pszName);
    // Names are already long on Linux: a copy; false (out untouched) when it does not fit.
    static bool bGetLongPathName(char* pszOut, unsigned nSize, const char* pszName);
    // getcwd into 261 bytes; false on failure.
    static bool bGetCurrentDirectory(char* pszOut);
    // Both standardized (StandardizeFileName, without its length limit), then compared exactly.
    static bool bSameFileName(const char* pszA, const char* pszB);
    // As bSameFileName after removing one trailing slash from each non-empty name.
    static bool bSameDirectoryName(const char* pszA, const char* pszB);
    // Each name made absolute first when its flag is set (false when that fails).
    static bool bSameDirectoryNameEx(const char* pszA, bool bFullA, const char* pszB, bool bFullB);
    // Resolves "." , "./x" and "../x" against base into out (261 bytes); other names are
    // copied. False when the result does not fit.
    static bool bRelativeToFullPath(char* pszOut, const char* pszRelative, const char* pszBase);
    // path relative to base ("./x", "../../x") into out (261 bytes). False when it does not
    // fit, or with bFailIfUnrelated when the two share no directory.
    static bool bPathRelativePathTo(char* pszOut, const char* pszPath, const char* pszBase, int bFailIfUnrelated);
};
