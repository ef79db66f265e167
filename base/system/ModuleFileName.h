// GetModuleFileName: the path of the running executable, as the Win32 call of that name.
#pragma once

// The module argument is accepted and not used: the result is always the running executable,
// read from the link "/proc/self/exe", or failing that from the first mapping that names a
// file in "/proc/self/maps". The path and its NUL are written into nSize bytes. True on success;
// false, with the buffer left as it was, when both sources fail or the path does not fit
// (a cut path would name another file).
bool GetModuleFileName(void* hModule, char* pszBuffer, unsigned nSize);
