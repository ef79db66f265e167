// CXFile: the file handle that owns or shares a stream and forwards its operations to it.
#include "base/files/CXFile.h"

#include "base/files/CDiskFile.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Failure of an operation that needs a stream, on a handle without one.
int nSansFlux()
{
    errno = EBADF;
    return 0;
}

} // namespace

CXFile::CXFile() : m_piStream(nullptr), m_bOwned(0) {}

CXFile::CXFile(IXStream* piStream) : m_piStream(piStream), m_bOwned(0)
{
    if (m_piStream)
        ++m_piStream->m_nRefCount;
}

CXFile::~CXFile()
{
    __FreeStream();
}

void CXFile::SetStream(IXStream* piStream)
{
    __FreeStream();
    m_piStream = piStream;
    if (m_piStream)
        ++m_piStream->m_nRefCount;
    m_bOwned = 0;
}

bool CXFile::bCreateStream()
{
    SetStream(__xpclAllocDiskFile());
    if (!m_piStream)
        return false;
    m_bOwned = 1;
    return true;
}

IXStream* CXFile::__xpclAllocDiskFile()
{
    return new (std::nothrow) CDiskFile();
}

void CXFile::__FreeStream()
{
    if (m_piStream)
        m_piStream->dwRelease();
    m_piStream = nullptr;
    m_bOwned = 0;
}

int CXFile::bOpen(const char* pszName, eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag, int* pbCreated)
{
    if (!m_piStream && !bCreateStream()) {
        errno = ENOMEM;
        return 0;
    }
    return m_piStream->bOpen(pszName, eAccess, eShare, eCreate, eFlag, pbCreated);
}

int CXFile::bSetNameForError(const char* pszName)
{
    if (!m_piStream && !bCreateStream()) {
        errno = ENOMEM;
        return 0;
    }
    return m_piStream->vbSetNameForError(pszName);
}

void CXFile::Close()
{
    if (!m_piStream)
        return;
    m_piStream->Close();
    if (!m_bOwned)
        __FreeStream();
}

int CXFile::bReopen(eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag)
{
    return m_piStream ? m_piStream->bReopen(eAccess, eShare, eCreate, eFlag) : nSansFlux();
}

int CXFile::bWrite(long long oOffset, const void* pData, unsigned nCount, unsigned* pnWritten)
{
    return m_piStream ? m_piStream->bWrite(oOffset, pData, nCount, pnWritten) : nSansFlux();
}

int CXFile::bRead(long long oOffset, void* pData, unsigned nCount, unsigned* pnRead)
{
    return m_piStream ? m_piStream->bRead(oOffset, pData, nCount, pnRead) : nSansFlux();
}

int CXFile::bWrite(const void* pData, unsigned nCount, unsigned* pnWritten)
{
    return m_piStream ? m_piStream->bWrite(pData, nCount, pnWritten) : nSansFlux();
}

int CXFile::bRead(void* pData, unsigned nCount, unsigned* pnRead)
{
    return m_piStream ? m_piStream->bRead(pData, nCount, pnRead) : nSansFlux();
}

int CXFile::bSeek(long long oOffset, eSEEK eOrigin)
{
    return m_piStream ? m_piStream->bSeek(oOffset, eOrigin) : nSansFlux();
}

long long CXFile::oGetSize()
{
    return m_piStream ? m_piStream->oGetSize() : (nSansFlux(), -1);
}

long long CXFile::oGetSizeFast()
{
    return m_piStream ? m_piStream->oGetSizeFast() : (nSansFlux(), -1);
}

int CXFile::bFlush()
{
    return m_piStream ? m_piStream->bFlush() : nSansFlux();
}

int CXFile::bSetSize(long long oSize, eGROW eGrow)
{
    return m_piStream ? m_piStream->bSetSize(oSize, eGrow) : nSansFlux();
}

int CXFile::bIncreaseSize(long long oCount)
{
    return m_piStream ? m_piStream->bIncreaseSize(oCount) : nSansFlux();
}

int CXFile::bWriteString(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int bOk = bWriteStringList(pszFormat, args);
    va_end(args);
    return bOk;
}

int CXFile::bWriteStringList(const char* pszFormat, va_list args)
{
    return m_piStream ? m_piStream->bWriteStringList(pszFormat, args) : nSansFlux();
}

int CXFile::bReadLine(char* pszBuffer, unsigned nCapacity, int* pbTruncated)
{
    return m_piStream ? m_piStream->bReadLine(pszBuffer, nCapacity, pbTruncated, 0) : nSansFlux();
}

int CXFile::bReadLineUNICODE(wchar_t* pwszBuffer, unsigned nCapacity, int* pbTruncated)
{
    return m_piStream ? m_piStream->bReadLineUNICODE(pwszBuffer, nCapacity, pbTruncated, 0) : nSansFlux();
}

int CXFile::bExtract(CXFile* pclDestination, long long oCount)
{
    if (!pclDestination || pclDestination == this) {
        errno = EINVAL;
        return 0;
    }
    if (oCount < 0) {
        const long long oSize = oGetSize();
        const long long oOffset = oGetOffset();
        if (oSize < 0 || oOffset < 0)
            return 0;
        oCount = oSize - oOffset;
    }
    if (oCount <= 0)
        return 1;
    constexpr unsigned kStep = 65536;
    char* pBuffer = new (std::nothrow) char[kStep];
    if (!pBuffer) {
        errno = ENOMEM;
        return 0;
    }
    int bOk = 1;
    while (oCount > 0) {
        const unsigned nWant = oCount < kStep ? static_cast<unsigned>(oCount) : kStep;
        unsigned nGot = 0;
        if (!bRead(pBuffer, nWant, &nGot) || (nGot && !pclDestination->bWrite(pBuffer, nGot, nullptr))) {
            bOk = 0;
            break;
        }
        oCount -= nGot;
        if (nGot < nWant)
            break; // the source ended first
    }
    delete[] pBuffer;
    return bOk;
}

int CXFile::bLockFile(unsigned long long oStart, unsigned long long oLength) const
{
    return m_piStream ? m_piStream->bLockFile(oStart, oLength) : nSansFlux();
}

int CXFile::bUnlockFile(unsigned long long oStart, unsigned long long oLength) const
{
    return m_piStream ? m_piStream->bUnlockFile(oStart, oLength) : nSansFlux();
}

int CXFile::bLock(unsigned long long oStart, unsigned long long oLength) const
{
    return m_piStream ? m_piStream->bLock(oStart, oLength) : nSansFlux();
}

int CXFile::bUnlock(unsigned long long oStart, unsigned long long oLength) const
{
    return m_piStream ? m_piStream->bUnlock(oStart, oLength) : nSansFlux();
}

const char* CXFile::pszGetName() const
{
    return m_piStream ? m_piStream->pszGetName() : nullptr;
}

long long CXFile::oGetOffset()
{
    return m_piStream ? m_piStream->oGetOffset() : (nSansFlux(), -1);
}

int CXFile::bIsOpen() const
{
    return m_piStream ? m_piStream->bIsOpen() : 0;
}

eACCESS CXFile::veGetAccess() const
{
    return m_piStream ? m_piStream->veGetAccess() : eACCESS_DEFAULT;
}

int CXFile::bWriteLine(const char* pszText)
{
    if (!m_piStream)
        return nSansFlux();
    const unsigned nLen = pszText ? static_cast<unsigned>(std::strlen(pszText)) : 0;
    if (!m_piStream->bWrite(pszText ? pszText : "", nLen, nullptr))
        return 0;
    return m_piStream->bWrite("\r\n", 2, nullptr);
}

void CXFile::NeFaitRien() {}
void CXFile::_NeFaitRien() {}
void CXFile::m227EmptyMethodXStream() const {}
void CXFile::m228EmptyMethodXStream() const {}
void CXFile::m229EmptyMethodXStream() const {}
void CXFile::m230EmptyMethodXStream() const {}
void CXFile::m231EmptyMethodXStream() const {}
void CXFile::m232EmptyMethodXStream() const {}
void CXFile::m233EmptyMethodXStream() const {}
void CXFile::m234EmptyMethodXStream() const {}
void CXFile::m235EmptyMethodXStream() const {}
void CXFile::m236EmptyMethodXStream() const {}
void CXFile::m237EmptyMethodXStream() const {}
void CXFile::m238EmptyMethodXStream() const {}
