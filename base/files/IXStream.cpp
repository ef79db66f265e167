// IXStream: the base versions of the stream operations, which accept everything and do nothing.
#include "base/files/IXStream.h"

int IXStream::bOpen(const char*, eACCESS, eSHARE, eCREATE, eFLAG, int*) { return 1; }
int IXStream::bReopen(eACCESS, eSHARE, eCREATE, eFLAG) { return 1; }
int IXStream::bWrite(long long, const void*, unsigned, unsigned*) { return 1; }
int IXStream::bRead(long long, void*, unsigned, unsigned*) { return 1; }
int IXStream::bWrite(const void*, unsigned, unsigned*) { return 1; }
int IXStream::bRead(void*, unsigned, unsigned*) { return 1; }
int IXStream::bSeek(long long, eSEEK) { return 1; }
long long IXStream::oGetSize() { return 0; }
long long IXStream::oGetSizeFast() { return 0; }
int IXStream::bFlush() { return 1; }
int IXStream::bSetSize(long long, eGROW) { return 1; }
int IXStream::bIncreaseSize(long long) { return 1; }
int IXStream::bWriteString(const char*, ...) { return 1; }
int IXStream::bWriteStringList(const char*, va_list) { return 1; }
int IXStream::bReadLine(char*, unsigned, int*, unsigned) { return 1; }
int IXStream::bExtract(IXStream*, long long) { return 1; }
int IXStream::bLockFile(unsigned long long, unsigned long long) const { return 1; }
int IXStream::bUnlockFile(unsigned long long, unsigned long long) const { return 1; }
int IXStream::bLock(unsigned long long, unsigned long long) const { return 1; }
int IXStream::bUnlock(unsigned long long, unsigned long long) const { return 1; }
const char* IXStream::pszGetName() const { return nullptr; }
long long IXStream::oGetOffset() { return -1; }
int IXStream::bIsOpen() const { return 1; }
void IXStream::m439EmptyMethodXStream() const {}
void IXStream::m442EmptyMethodXStream() const {}
int IXStream::vbSetNameForError(const char*) { return 1; }
int IXStream::bReadLineUNICODE(wchar_t*, unsigned, int*, unsigned) { return 1; }
int IXStream::bGetVFSFileName(char*) { return 0; }
int IXStream::bLockFileEx(int, int) const { return 1; }
char* IXStream::pszReadLine(char*, unsigned, CTString*, const char*) { return nullptr; }
void IXStream::m485EmptyMethodXStream() const {}
void IXStream::m486EmptyMethodXStream() const {}
void IXStream::m487EmptyMethodXStream() const {}
void IXStream::m488EmptyMethodXStream() const {}
void IXStream::m489EmptyMethodXStream() const {}
void IXStream::m490EmptyMethodXStream() const {}
void IXStream::m491EmptyMethodXStream() const {}
void IXStream::m492EmptyMethodXStream() const {}
