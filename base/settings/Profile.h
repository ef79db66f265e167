// Profile files: the Win32-style calls that read and write sections and keys of text files.
#pragma once

#include <cstdint>
#include <cstdio>

// Syntax, as read and written:
//   [Section]            header; the reader also accepts blanks before it
//   key = value          the writer's form; the reader takes blanks or tabs before "=" and
//                        skips spaces and tabs after it; values are verbatim (no quotes,
//                        no escapes, trailing blanks kept)
//   : comment            skipped by the reader (";" and "#" lines are ordinary lines)
// Lines end with "\n"; the reader tolerates "\r\n". The reader compares section and key names
// without regard to ASCII letter case; the writer compares them exactly. When a section or a
// key occurs more than once the first occurrence wins.
//
// No state is kept: each call opens, reads (and writes) and closes the file. A write makes the
// whole new text in memory and puts it in place in one step (base/files/CRemplacementAtomique:
// written beside the file, synced, renamed over it), so that a full disk, an I/O error or a
// crash leaves the old file or the new one, never a cut one; a link stays a link, the file keeps
// its mode and owner. There is no locking: concurrent writers may lose each other's changes.
//
// Sizes are in bytes and include the NUL. Names are at most 260 characters once resolved
// (backslashes turned into slashes first); a longer one is treated as a file that cannot be
// opened, and so is anything but a regular file (a device could feed an endless line).

// Path of the user's settings file: the password entry's home directory of the real user id,
// then "/.NRV.conf", into a buffer of at least 261 bytes. False (buffer untouched) when the
// user has no password entry or the path would be longer than 260 characters.
bool bGetNRVCONFPath(char* pszPath);

// Reads a value, or a list:
// - section and key: the key's value (an empty value counts as found: 0, no default);
// - section with an absent or empty key: the section's key names, each followed by "\r\n";
// - absent or empty section: the file's section names, each followed by "\r\n".
// The result is the number of characters placed in the buffer; values and lists are cut to
// nSize - 1 characters. When nothing is found the default is copied (cut the same way) and
// its length returned; with no default the result is 0 and the buffer emptied (left as it
// was when the file cannot be opened).
// A name beginning with "/" or "./" is used as it is; any other name is taken in the user's
// home directory (in the working directory when the user has no password entry).
unsigned GetPrivateProfileString(const char* pszSection, const char* pszKey, const char* pszDefault,
                                 char* pszBuffer, unsigned nSize, const char* pszFile);
// The value read as a decimal integer: leading blanks, an optional sign, the leading digits
// ('12abc' gives 12, 'abc' gives 0); the default when the key is not found. Values beyond the
// 32-bit range saturate. At most 19 characters of the value are considered.
int GetPrivateProfileInt(const char* pszSection, const char* pszKey, int nDefault, const char* pszFile);
// Writes "key = value" in the section (creating the file, the section or the key as needed);
// an absent value removes the key, an absent key removes the whole section up to the next
// line beginning with "[". The name is used as given (relative to the working directory).
// Returns 1 on success (also when nothing had to change: the file is then left untouched);
// 0 when the file cannot be read (only regular files are), the new text cannot be written
// whole (the file keeps its old text), the section or the file name is absent, or the key is
// empty.
int WritePrivateProfileString(const char* pszSection, const char* pszKey, const char* pszValue,
                              const char* pszFile);

// The same on the user's settings file (bGetNRVCONFPath). Without a password entry the file
// counts as missing: reads give the default, writes 0.
unsigned GetProfileString(const char* pszSection, const char* pszKey, const char* pszDefault, char* pszBuffer,
                          unsigned nSize);
int GetProfileInt(const char* pszSection, const char* pszKey, int nDefault);
int WriteProfileString(const char* pszSection, const char* pszKey, const char* pszValue);

// Helpers on FILE streams for callers that edit a file in place themselves; the calls above do
// not use them.
// Writes the text at the current position; true when at least one byte was written.
bool bWriteText(FILE* pFile, const char* pszText);
// Writes "key = value\n" at the current position; an absent value writes nothing and
// succeeds.
bool bWriteKey(FILE* pFile, const char* pszKey, const char* pszValue);
// Replaces the bytes from oStart to oEnd (offsets from the start of the file) by the key line,
// or by nothing when the value is absent, moving the rest of the file and truncating it to its
// new length. The file must be open for update. False when the rest of the file cannot be
// saved (the file is then unchanged) or a write fails.
bool bWriteKey(FILE* pFile, int64_t oStart, int64_t oEnd, const char* pszKey, const char* pszValue);
