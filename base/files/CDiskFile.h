// CDiskFile: the disk file; here its static functions on file names and paths.
#pragma once

#include "base/files/XFileTime.h"
#include "base/files/XFindData.h"
#include "base/system/Win32Api.h"

class CTString;
struct stat;

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

    // ==== File-system operations =====================================================
    // Names follow the rules above. A null name fails with errno EINVAL and a name longer
    // than ZV_MAX_PATH with ENAMETOOLONG; otherwise failures leave errno as the system set it.
    // Attributes are the stat mode reduced to the file type and the nine permission bits
    // (mask 0xE1FF), plus ZV_ATTR_HIDDEN when the last name component begins with ".".
    static constexpr unsigned ZV_ATTR_HIDDEN = 0x80000000u;
    static constexpr unsigned ZV_ATTR_DIRECTORY = 0x4000u;

    // ---- Tests and attributes -------------------------------------------------------
    // stat into the caller's record; false when the name does not exist.
    static bool bGetFileStatus(const char* pszName, struct stat* pstStat);
    // Size in bytes of a regular file; -1 for anything else or when the name does not exist.
    static long long oGetSize(const char* pszName);
    static bool bGetFileAttributes(int* pnAttributes, const char* pszName);
    // -1 and -2 make the entry read-only (0444), any other value read-write (0666).
    // Directories keep their search bits: 0555 and 0777.
    static bool bSetFileAttributes(const char* pszName, int nAttributes);
    // The modification time as a local broken-down time.
    static bool bGetLastModificationTime(const char* pszName, _stXFILETIME* pstTime);

    // ---- Directories ----------------------------------------------------------------
    // Creates each missing directory of the path (mode 0777 less the creation mask); true when
    // the whole path is a directory at the end, also when it already was one.
    static bool bCreateDirectory(const char* pszName);
    static bool bDeleteDirectory(const char* pszName); // rmdir: the directory must be empty
    // The directory of temporary files with its final "/" (TMPDIR when it names a directory,
    // otherwise /tmp) into 261 bytes; false when there is none or it does not fit.
    static bool bGetTempDirectory(char* pszOut);

    // Tree removals: files first, then the directories bottom-up. A symbolic link inside the
    // tree is removed as a link; nothing outside the tree is ever followed, listed or changed.
    // A root that is itself a link: the removals remove the link, the purges fail (ENOTDIR).
    // "/" is never removed nor purged (EPERM).
    // Read-only files (no write bit at all) stop bDeleteTree and bPurgeTree (EACCES);
    // the other forms remove them. The plain forms stop at the first failure; the Force forms
    // also open up directories they cannot enter or change, go on past failures and report
    // false when anything is left.
    static bool bDeleteTree(const char* pszDir);
    static bool bDeleteTreeEvenReadOnly(const char* pszDir);
    static bool bForceDeleteTree(const char* pszDir);
    static bool bPurgeTree(const char* pszDir);      // empties the directory, keeps it
    static bool bForcePurgeTree(const char* pszDir);
    static bool _bDeltree(const char* pszDir, bool bKeepRoot, bool bEvenReadOnly, bool bForce);
    // Removes the files (read-only ones too) matching pattern in dir, and in its subdirectories
    // with bRecursive; directories stay. Built on bDoOnFileTree.
    static bool bForceDeleteOnFileTree(const char* pszDir, const char* pszPattern, bool bRecursive);
    // Walk callback of bForceDeleteOnFileTree: unlinks the path; 0 (stop) when that fails.
    static int __bForceDeleteOnTree(const char* pszPath, long lParam);

    // ---- Files ----------------------------------------------------------------------
    static bool bDelete(const char* pszName);      // unlink
    static bool bForceDelete(const char* pszName); // unlink, read-only files too
    // New name first. Fails with EEXIST when newName exists (a dangling link counts); the
    // check and the rename are one step, so nothing created meanwhile is overwritten.
    static bool bRename(const char* pszNewName, const char* pszOldName);
    // Renames source to destination, replacing a destination file. True at once when both
    // name the same entry. A missing source fails (ENOENT) and leaves destination alone.
    static bool bMove(const char* pszDestination, const char* pszSource);
    // Copies source to destination (created or emptied, mode 0666 less the creation mask).
    // True only when all of source was read and written. A source that cannot be opened or
    // read, or that is the destination itself (EINVAL), leaves destination untouched.
    static bool bCopy(const char* pszDestination, const char* pszSource);
    // Appends source (as long as it was when the call began) to destination, which is created
    // when missing. A missing source fails. On a failed read or write the destination is cut
    // back to its former size (removed when the call created it) and the result is false.
    static bool bConcat(const char* pszDestination, const char* pszSource);
    // Creates a new empty file dir/prefixXXXXXX (the six X made unique) and puts its name in
    // out (261 bytes). A null or empty dir means the temporary directory, created when missing.
    static bool bGetTempName(char* pszOut, const char* pszDir, const char* pszPrefix);
    static bool bGetTempName(char* pszOut, const char* pszPrefix);
    // Copies count bytes (negative: up to the end) of source from offset start into
    // destination, created or emptied; a source shorter than that is not an error. On failure
    // the destination is removed. Source and destination must be different files (EINVAL).
    static bool bExtract(const char* pszSource, const char* pszDestination, long long oStart, long long oCount);
    // Size and space available to unprivileged users of the file system holding name (the
    // current directory for null), in units of 1,024 bytes. Either output may be null.
    static bool bGetDiskSpace(const char* pszName, unsigned long long* pnTotal, unsigned long long* pnFree);
    static bool bGetDiskFreeSpace(const char* pszName, unsigned long long* pnFree);

    // ---- Searches and walks ---------------------------------------------------------
    // pattern is "dir/name-pattern" (no "/": the current directory). Entries that match the
    // name pattern, have every bit of nRequired and no bit of nExcluded are returned one by
    // one; "." and ".." never are. At the end (false, errno ENOENT) the search is closed.
    static bool bFindFirst(const char* pszPattern, _stXFINDDATA* pstFind, unsigned nRequired, unsigned nExcluded);
    static bool bFindNext(_stXFINDDATA* pstFind);
    // Closes the directory stream when one is open; safe to call twice.
    static bool bFindClose(_stXFINDDATA* pstFind);

    // Walk callback: gets the full path and the caller's parameter; 0 stops the walk.
    typedef int (*PFNDOONTREE)(const char* pszPath, long lParam);
    // Calls pfn for each entry of dir whose name matches pattern (null: "*"): the files, and
    // the directories too with bWithDirectories. With bRecursive, then walks each subdirectory
    // the same way. Links are reported by what they point to but never walked into. True when
    // the walk completes; false when pfn stops it, a directory cannot be read, or a path would
    // exceed ZV_MAX_PATH (ENAMETOOLONG).
    static bool bDoOnFileTree(const char* pszDir, const char* pszPattern, PFNDOONTREE pfn, long lParam,
                              int bWithDirectories, int bRecursive);
    // The same walk reporting only the directories.
    static bool bDoOnDirectoryTree(const char* pszDir, const char* pszPattern, PFNDOONTREE pfn, long lParam,
                                   int bRecursive);

    // ---- Times ----------------------------------------------------------------------
    // A file time (UTC) as a local broken-down time, and back. False for fields out of range
    // (month 1-12, a day of that month, 0-23, 0-59, 0-59, 0-999) and times outside the range
    // of the system clock.
    static bool bFileTimeToSystemTime(const FILETIME* pstFileTime, _stXFILETIME* pstTime);
    static bool bSystemTimeToFileTime(const _stXFILETIME* pstTime, FILETIME* pstFileTime);
    // MS-DOS date and time: high 16 bits ((year - 1980) << 9) | (month << 5) | day, low 16
    // bits (hour << 11) | (minute << 5) | (second / 2). Years 1980 to 2107 only.
    static bool bSystemTimeToDosFileTime(const _stXFILETIME* pstTime, unsigned* pdwDos);
    // Unpacks every field (seconds doubled, milliseconds 0); false when they do not form a
    // valid date and time.
    static bool bDosFileTimeToSystemTime(unsigned dwDos, _stXFILETIME* pstTime);
};
