// CDiskFile: the open file, an IXStream over a 64-bit descriptor with POSIX record locks.
#include "base/files/CDiskFile.h"

#include "base/strings/CTString.h"
#include "base/system/AppelsSysteme.h"
#include "base/system/TimeServices.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Flags added to every plain open: 64-bit offsets and no wait on special files. O_LARGEFILE
// is 0 in the x86-64 headers, but the kernel's value is the same in both ABIs; using it keeps
// the flags that veGetAccess reports identical in both builds.
constexpr int kLargeFile = 0x8000;
constexpr int kOpenExtra = kLargeFile | O_NONBLOCK;
static_assert(O_LARGEFILE == 0 || O_LARGEFILE == kLargeFile, "O_LARGEFILE is the kernel's 0x8000");
static_assert(O_NONBLOCK == 0x800 && O_DIRECTORY == 0x10000 && O_CREAT == 0x40 && O_TRUNC == 0x200,
              "open flags are the x86 Linux values handed over by callers");
static_assert(F_RDLCK == eSHARE_DENYWRITE && F_WRLCK == eSHARE_EXCLUSIVE && F_UNLCK == eSHARE_ALL,
              "sharing values are lock types");
static_assert(SEEK_SET == eSEEK_BEGIN && SEEK_CUR == eSEEK_CURRENT && SEEK_END == eSEEK_END,
              "seek origins are the system's");

constexpr unsigned kCopyStep = 65536; // bytes per step of the copies
constexpr unsigned kChunk = 80;       // characters per read of bReadLine

// First CR or LF in [p, pEnd), pEnd when there is none.
const char* pszFindEol(const char* p, const char* pEnd)
{
#if defined(__SSE2__)
    const __m128i vCr = _mm_set1_epi8('\r');
    const __m128i vLf = _mm_set1_epi8('\n');
    while (pEnd - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int nMask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, vCr), _mm_cmpeq_epi8(v, vLf)));
        if (nMask)
            return p + __builtin_ctz(static_cast<unsigned>(nMask));
        p += 16;
    }
#endif
    for (; p < pEnd; ++p)
        if (*p == '\r' || *p == '\n')
            return p;
    return pEnd;
}

// Gives back nBytes read too far, with a relative seek of the stream.
bool bRendOctets(IXStream& cl, unsigned long long nBytes)
{
    return nBytes == 0 || cl.bSeek(-static_cast<long long>(nBytes), eSEEK_CURRENT);
}

// One line in chunks of kChunk characters of type T (char or 4-byte wchar_t), through the
// stream's own bRead and bSeek, leaving the position just after the line end or, when the
// line is cut, at the first character not stored.
template <typename T>
int nLitLigne(IXStream& cl, T* pBuffer, unsigned nCapacity, int* pbTruncated, unsigned nFlags)
{
    if (!pBuffer || nCapacity == 0)
        return 0;
    pBuffer[0] = 0;
    if (pbTruncated)
        *pbTruncated = 0;
    const bool bStrict = (nFlags & 1) != 0;
    const T cCr = static_cast<T>('\r');
    const T cLf = static_cast<T>('\n');
    unsigned nLen = 0;
    T aChunk[kChunk + 1]; // one more for the character looked at after a final CR
    for (;;) {
        unsigned nBytes = 0;
        if (!cl.bRead(aChunk, kChunk * sizeof(T), &nBytes))
            return 0;
        const unsigned nGot = nBytes / sizeof(T);
        const unsigned nTail = nBytes % sizeof(T); // bytes of an incomplete last character
        if (nGot == 0) {
            // The end of the file: the text gathered so far is the last line.
            if (!bRendOctets(cl, nTail))
                return 0;
            return nLen > 0;
        }
        unsigned nTaken = nGot; // characters taken from the stream in this round
        unsigned nEnd = nGot;   // end of the text of the line within the chunk
        unsigned nEol = 0;      // characters of the line end
        for (unsigned i = 0; i < nGot; ++i) {
            if (aChunk[i] == cLf && !bStrict) {
                nEnd = i;
                nEol = 1;
                break;
            }
            if (aChunk[i] != cCr)
                continue;
            T cNext = 0;
            bool bNext = false;
            if (i + 1 < nGot) {
                cNext = aChunk[i + 1];
                bNext = true;
            } else if (nGot == kChunk) {
                // The CR ends a full chunk: one more character tells whether an LF follows.
                unsigned nMore = 0;
                if (!cl.bRead(&aChunk[kChunk], sizeof(T), &nMore))
                    return 0;
                if (nMore == sizeof(T)) {
                    cNext = aChunk[kChunk];
                    bNext = true;
                    nTaken = kChunk + 1;
                } else if (!bRendOctets(cl, nMore)) {
                    return 0;
                }
            }
            if (bNext && cNext == cLf) {
                nEnd = i;
                nEol = 2;
                break;
            }
            if (!bStrict) {
                nEnd = i;
                nEol = 1;
                break;
            }
        }
        if (nLen + nEnd >= nCapacity) {
            const unsigned nKeep = nCapacity - 1 - nLen;
            std::memcpy(pBuffer + nLen, aChunk, nKeep * sizeof(T));
            nLen += nKeep;
            pBuffer[nLen] = 0;
            if (pbTruncated)
                *pbTruncated = 1;
            return bRendOctets(cl, static_cast<unsigned long long>(nTaken - nKeep) * sizeof(T) + nTail);
        }
        std::memcpy(pBuffer + nLen, aChunk, nEnd * sizeof(T));
        nLen += nEnd;
        pBuffer[nLen] = 0;
        if (nEol)
            return bRendOctets(cl, static_cast<unsigned long long>(nTaken - nEnd - nEol) * sizeof(T) + nTail);
        if (nGot < kChunk)
            return bRendOctets(cl, nTail); // a short chunk: the end of the file
        if (!bRendOctets(cl, static_cast<unsigned long long>(nTaken - nGot) * sizeof(T)))
            return 0;
    }
}

} // namespace

// ---- Life -------------------------------------------------------------------------------

CDiskFile::CDiskFile()
    : m_hFile(-1), m_oPosition(0), m_pLigne(nullptr), m_pLigneCurseur(nullptr), m_nOpenFlags(-1),
      m_pszNameForError(m_szName), m_pLigneFin(nullptr)
{
    m_szName[0] = '\0';
}

CDiskFile::~CDiskFile()
{
    if (m_hFile != -1)
        Close();
    std::free(m_pLigne);
    if (m_pszNameForError != m_szName)
        std::free(m_pszNameForError);
}

// ---- Opening and closing ----------------------------------------------------------------

int CDiskFile::bOpen(const char* pszName, eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag,
                     int* pbCreated)
{
    if (pbCreated)
        *pbCreated = 0;
    if (!pszName || eAccess < eACCESS_DEFAULT || eAccess > eACCESS_READWRITE) {
        errno = EINVAL;
        return 0;
    }
    if (m_hFile != -1)
        Close();
    if (pszName != m_szName) {
        char szFull[ZV_MAX_PATH];
        errno = 0;
        const unsigned nLen = GetFullPathName(pszName, ZV_MAX_PATH, szFull, nullptr);
        if (nLen == 0 || nLen >= ZV_MAX_PATH) {
            // The name array keeps no stale name that a later bReopen could open instead.
            m_szName[0] = '\0';
            if (nLen != 0)
                errno = ENAMETOOLONG;
            else if (!*pszName || errno == 0)
                errno = ENOENT;
            return 0;
        }
        std::memcpy(m_szName, szFull, nLen + 1);
    }

    const bool bDirectory = eFlag == eFLAG_DIRECTORY && bIsADirectory(m_szName);
    int nFlags = bDirectory ? O_DIRECTORY : (eAccess == eACCESS_DEFAULT ? 0 : eAccess) | kOpenExtra;
    bool bCreated = false;
    bool bExisted = false;
    bool bTruncate = false;
    int hFile;
    if (bDirectory) {
        hFile = SYS_nOpen(m_szName, nFlags);
    } else if (eCreate == eCREATE_OPENALWAYS) {
        hFile = SYS_nOpen(m_szName, nFlags, 0666);
        if (hFile == -1) {
            nFlags |= O_CREAT;
            hFile = SYS_nOpen(m_szName, nFlags, 0666);
            bCreated = hFile != -1;
        } else {
            bExisted = true;
        }
    } else {
        nFlags |= eCreate;
        int nOpenFlags = nFlags;
        // Emptying waits until the sharing lock is held: a file that another process holds
        // must come out of a refused open untouched. A read-only descriptor cannot be cut
        // afterwards, so there the system empties it at open as asked.
        if ((nFlags & O_TRUNC) && eShare != eSHARE_ALL && (nFlags & O_ACCMODE) != O_RDONLY) {
            nOpenFlags &= ~O_TRUNC;
            bTruncate = true;
        }
        hFile = SYS_nOpen(m_szName, nOpenFlags, 0666);
        if (hFile != -1 && (nFlags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL))
            bCreated = true;
    }
    if (hFile == -1)
        return 0;

    // A fresh descriptor holds no lock of its own: eSHARE_ALL places none. (An unlock here
    // would drop the locks that other objects of this process hold on the same file.)
    if (!bDirectory && eShare != eSHARE_ALL) {
        struct flock64 stLock;
        std::memset(&stLock, 0, sizeof stLock);
        stLock.l_type = static_cast<short>(eShare);
        stLock.l_whence = SEEK_SET;
        stLock.l_start = 0;
        stLock.l_len = 0;
        if (!SYS_bLock(hFile, F_SETLK64, &stLock, m_szName)) {
            const int nErr = errno;
            SYS_bClose(hFile, m_szName);
            // Only a refusal by another holder is a sharing violation; a lock that the access
            // mode does not allow (a write lock on a read-only descriptor) keeps its errno.
            errno = (nErr == EACCES || nErr == EAGAIN) ? ZV_ERRNO_SHARING_VIOLATION : nErr;
            return 0;
        }
    }
    if (bTruncate && !SYS_bTruncate(hFile, 0, m_szName)) {
        const int nErr = errno;
        SYS_bClose(hFile, m_szName);
        errno = nErr;
        return 0;
    }

    m_hFile = hFile;
    m_nOpenFlags = nFlags;
    m_oPosition = 0;
    __ViderLecture();
    if (pbCreated && !bDirectory && (bCreated || eCreate == eCREATE_CREATEALWAYS))
        *pbCreated = 1;
    if (bExisted)
        errno = EEXIST;
    return 1;
}

void CDiskFile::Close()
{
    if (m_hFile != -1)
        SYS_bClose(m_hFile, m_pszNameForError);
    m_hFile = -1;
    m_oPosition = 0;
    m_nOpenFlags = -1;
    __ViderLecture();
    vbSetNameForError(nullptr);
}

int CDiskFile::bReopen(eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag)
{
    Close();
    return bOpen(m_szName, eAccess, eShare, eCreate, eFlag, nullptr);
}

// ---- Reading and writing ----------------------------------------------------------------

int CDiskFile::bWrite(long long oOffset, const void* pData, unsigned nCount, unsigned* pnWritten)
{
    if (pnWritten)
        *pnWritten = 0;
    if (oOffset != m_oPosition && !bSeek(oOffset, eSEEK_BEGIN))
        return 0;
    return bWrite(pData, nCount, pnWritten);
}

int CDiskFile::bRead(long long oOffset, void* pData, unsigned nCount, unsigned* pnRead)
{
    if (pnRead)
        *pnRead = 0;
    if (oOffset != m_oPosition && !bSeek(oOffset, eSEEK_BEGIN))
        return 0;
    return bRead(pData, nCount, pnRead);
}

int CDiskFile::bWrite(const void* pData, unsigned nCount, unsigned* pnWritten)
{
    // A single write may take only part of the bytes (signals, counts above 2 GiB): the layer
    // goes on until all are written or the system reports an error.
    std::size_t nDone = 0;
    bool bOk = true;
    if (m_hFile == -1) {
        errno = EBADF;
        bOk = false;
    } else {
        bOk = SYS_bWriteAll(m_hFile, pData, nCount, &nDone, m_pszNameForError);
    }
    m_oPosition += static_cast<long long>(nDone);
    if (pnWritten)
        *pnWritten = static_cast<unsigned>(nDone);
    return bOk;
}

int CDiskFile::bRead(void* pData, unsigned nCount, unsigned* pnRead)
{
    std::size_t nDone = 0;
    bool bFailed = false;
    if (m_hFile == -1) {
        errno = EBADF;
        bFailed = true;
    } else {
        bFailed = !SYS_bReadAll(m_hFile, pData, nCount, &nDone, m_pszNameForError);
    }
    if (pnRead)
        *pnRead = static_cast<unsigned>(nDone);
    // Bytes read before a failure are handed over: the position has passed them.
    if (bFailed && nDone == 0)
        return 0;
    m_oPosition += static_cast<long long>(nDone);
    return pnRead ? 1 : nDone == nCount;
}

bool CDiskFile::__bSeek(long long oOffset, int nOrigin)
{
    const off64_t oNew = SYS_oSeek(m_hFile, oOffset, nOrigin, m_pszNameForError);
    if (oNew == -1)
        return false;
    m_oPosition = oNew;
    return true;
}

int CDiskFile::bSeek(long long oOffset, eSEEK eOrigin)
{
    __ViderLecture();
    return __bSeek(oOffset, eOrigin);
}

long long CDiskFile::oGetSize()
{
    const long long oPosition = m_oPosition;
    if (!__bSeek(0, SEEK_END))
        return -1;
    const long long oSize = m_oPosition;
    if (!__bSeek(oPosition, SEEK_SET))
        return -1;
    return oSize;
}

long long CDiskFile::oGetSizeFast()
{
    return bSeek(0, eSEEK_END) ? m_oPosition : -1;
}

int CDiskFile::bFlush()
{
    return SYS_bSync(m_hFile, m_pszNameForError);
}

int CDiskFile::bSetSize(long long oSize, eGROW eGrow)
{
    if (eGrow != eGROW_ABSOLUTE && eGrow != eGROW_RELATIVE) {
        errno = EINVAL;
        return 0;
    }
    if (!bSeek(oSize, eGrow == eGROW_ABSOLUTE ? eSEEK_BEGIN : eSEEK_END))
        return 0;
    return SYS_bTruncate(m_hFile, m_oPosition, m_pszNameForError);
}

int CDiskFile::bIncreaseSize(long long oCount)
{
    // A count of 0 would rewrite the last byte of the file with a zero.
    if (oCount < 0) {
        errno = EINVAL;
        return 0;
    }
    if (oCount == 0)
        return 1;
    if (!bSeek(oCount - 1, eSEEK_END))
        return 0;
    const char cZero = 0;
    return bWrite(&cZero, 1, nullptr);
}

int CDiskFile::bExtendFile(long long oSize)
{
    if (oSize <= 0) {
        errno = EINVAL;
        return 0;
    }
    const long long oOld = oGetSize();
    if (oOld < 0 || !bSetSize(oSize, eGROW_ABSOLUTE))
        return 0;
    if (oSize <= oOld)
        return 1; // the last byte is the file's own: it is not overwritten
    const char cZero = 0;
    return bWrite(oSize - 1, &cZero, 1, nullptr);
}

int CDiskFile::bWriteString(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int bOk = bWriteStringList(pszFormat, args);
    va_end(args);
    return bOk;
}

int CDiskFile::bWriteStringList(const char* pszFormat, va_list args)
{
    if (!pszFormat) {
        errno = EINVAL;
        return 0;
    }
    // Most texts fit the local buffer; a longer one is formatted again into the heap so
    // that nothing of it is lost.
    char szLocal[1025];
    va_list argsAgain;
    va_copy(argsAgain, args);
    const int nLen = std::vsnprintf(szLocal, sizeof szLocal, pszFormat, args);
    if (nLen < 0) {
        va_end(argsAgain);
        return 0;
    }
    if (static_cast<unsigned>(nLen) < sizeof szLocal) {
        va_end(argsAgain);
        return bWrite(szLocal, static_cast<unsigned>(nLen), nullptr);
    }
    std::unique_ptr<char[]> pHeap(new (std::nothrow) char[static_cast<std::size_t>(nLen) + 1]);
    if (!pHeap) {
        va_end(argsAgain);
        errno = ENOMEM;
        return 0;
    }
    std::vsnprintf(pHeap.get(), static_cast<std::size_t>(nLen) + 1, pszFormat, argsAgain);
    va_end(argsAgain);
    return bWrite(pHeap.get(), static_cast<unsigned>(nLen), nullptr);
}

// ---- Lines ------------------------------------------------------------------------------

int CDiskFile::bReadLine(char* pszBuffer, unsigned nCapacity, int* pbTruncated, unsigned nFlags)
{
    return nLitLigne<char>(*this, pszBuffer, nCapacity, pbTruncated, nFlags);
}

int CDiskFile::bReadLineUNICODE(wchar_t* pwszBuffer, unsigned nCapacity, int* pbTruncated, unsigned nFlags)
{
    static_assert(sizeof(wchar_t) == 4, "wide characters are 4 bytes");
    return nLitLigne<wchar_t>(*this, pwszBuffer, nCapacity, pbTruncated, nFlags);
}

char* CDiskFile::pszReadLine(char* pszBuffer, unsigned nCapacity, CTString* pclOverflow, const char* pszSeparator)
{
    if (!pszBuffer)
        nCapacity = 0;
    if (!pclOverflow && nCapacity < 2)
        return nullptr;
    if (nCapacity)
        pszBuffer[0] = '\0';
    if (!m_pLigne) {
        m_pLigne = static_cast<char*>(std::malloc(ZV_LINE_BLOCK + 1));
        if (!m_pLigne)
            return nullptr;
        __ViderLecture();
        m_pLigne[0] = '\0';
    }
    const std::size_t nSep = pszSeparator ? std::strlen(pszSeparator) : 0;
    // A separator is found within one block plus the bytes kept back from the previous one.
    if (nSep >= ZV_LINE_BLOCK) {
        errno = EINVAL;
        return nullptr;
    }

    std::size_t nOut = 0;   // characters in pszBuffer
    bool bOverflow = false; // the line goes to *pclOverflow
    auto pszResult = [&]() -> char* {
        if (!bOverflow && nCapacity == 0) {
            // An empty line with no room at all in the buffer: handed over in the overflow.
            pclOverflow->Set("");
            bOverflow = true;
        }
        return bOverflow ? const_cast<char*>(pclOverflow->pszGet()) : pszBuffer;
    };
    // Appends a piece of the line. False when the output is full without an overflow string:
    // the piece is then cut, and the cursor left at its first character not stored.
    auto bAjoute = [&](const char* p, std::size_t n) -> bool {
        if (n == 0)
            return true;
        if (bOverflow) {
            pclOverflow->Add(p, static_cast<long>(n));
            return true;
        }
        if (nOut + n < nCapacity) {
            std::memcpy(pszBuffer + nOut, p, n);
            nOut += n;
            pszBuffer[nOut] = '\0';
            return true;
        }
        if (pclOverflow) {
            bOverflow = true;
            pclOverflow->Set(nCapacity ? pszBuffer : nullptr, static_cast<unsigned>(nOut));
            pclOverflow->Add(p, static_cast<long>(n));
            return true;
        }
        const std::size_t nFit = nCapacity - 1 - nOut;
        std::memcpy(pszBuffer + nOut, p, nFit);
        nOut += nFit;
        pszBuffer[nOut] = '\0';
        m_pLigneCurseur = const_cast<char*>(p) + nFit;
        return false;
    };

    for (;;) {
        char* p = m_pLigneCurseur;
        char* const pEnd = m_pLigneFin;
        char* pPieceEnd = pEnd; // end of the text of the line in the block
        char* pNext = nullptr;  // first byte after the line end, null when none was found
        if (nSep) {
            const void* pFound = memmem(p, static_cast<std::size_t>(pEnd - p), pszSeparator, nSep);
            if (pFound) {
                pPieceEnd = static_cast<char*>(const_cast<void*>(pFound));
                pNext = pPieceEnd + nSep;
            } else {
                // The last nSep - 1 bytes may begin a separator that the next block completes.
                const std::size_t nRest = static_cast<std::size_t>(pEnd - p);
                pPieceEnd = pEnd - (nRest < nSep - 1 ? nRest : nSep - 1);
            }
        } else {
            const char* pEol = pszFindEol(p, pEnd);
            pPieceEnd = const_cast<char*>(pEol);
            // A CR that ends the block is kept back: the next block tells whether an LF follows.
            if (pEol != pEnd && *pEol == '\n')
                pNext = pPieceEnd + 1;
            else if (pEol != pEnd && pEol + 1 < pEnd)
                pNext = pPieceEnd + (pEol[1] == '\n' ? 2 : 1);
        }
        if (!bAjoute(p, static_cast<std::size_t>(pPieceEnd - p)))
            return pszBuffer;
        if (pNext) {
            m_pLigneCurseur = pNext;
            return pszResult();
        }

        // Refill: the bytes kept back move to the start and the rest is read behind them.
        const std::size_t nKept = static_cast<std::size_t>(pEnd - pPieceEnd);
        std::memmove(m_pLigne, pPieceEnd, nKept);
        unsigned nRead = 0;
        const int bOk = bRead(m_pLigne + nKept, ZV_LINE_BLOCK - static_cast<unsigned>(nKept), &nRead);
        if (!bOk) {
            m_pLigneCurseur = m_pLigne;
            m_pLigneFin = m_pLigne + nKept;
            *m_pLigneFin = '\0';
            return nullptr;
        }
        m_pLigneCurseur = m_pLigne;
        m_pLigneFin = m_pLigne + nKept + nRead;
        *m_pLigneFin = '\0';
        if (nRead == 0) {
            // The end of the file. What was kept back is a final CR (a line end) or the
            // beginning of a separator that never came (text).
            if (nKept) {
                if (nSep && !bAjoute(m_pLigne, nKept))
                    return pszBuffer;
                m_pLigneCurseur = m_pLigneFin;
                return pszResult();
            }
            return nOut || bOverflow ? pszResult() : nullptr;
        }
    }
}

// ---- Copies -----------------------------------------------------------------------------

int CDiskFile::bExtract(IXStream* piDestination, long long oCount)
{
    if (!piDestination || piDestination == this) {
        errno = EINVAL;
        return 0;
    }
    if (oCount < 0) {
        const long long oSize = oGetSize();
        if (oSize < 0)
            return 0;
        oCount = oSize - oGetOffset();
    }
    if (oCount <= 0)
        return 1;
    std::unique_ptr<char[]> pBuffer(new (std::nothrow) char[kCopyStep]);
    if (!pBuffer) {
        errno = ENOMEM;
        return 0;
    }
    while (oCount > 0) {
        const unsigned nWant = oCount < kCopyStep ? static_cast<unsigned>(oCount) : kCopyStep;
        unsigned nGot = 0;
        if (!bRead(pBuffer.get(), nWant, &nGot))
            return 0;
        if (nGot && !piDestination->bWrite(pBuffer.get(), nGot, nullptr))
            return 0;
        oCount -= nGot;
        if (nGot < nWant)
            break; // the source ended first
    }
    return 1;
}

int CDiskFile::bExtract(const char* pszName, long long oStart, long long oCount)
{
    if (!pszName) {
        errno = EINVAL;
        return 0;
    }
    if (!bSeek(oStart, eSEEK_BEGIN))
        return 0;
    CDiskFile clDestination;
    if (!clDestination.bOpen(pszName, eACCESS_WRITE, eSHARE_EXCLUSIVE, eCREATE_OPENALWAYS, eFLAG_NONE, nullptr))
        return 0;
    // Emptying the destination must not empty this stream's own file.
    struct stat64 stThis, stDest;
    if (SYS_bFstat(m_hFile, &stThis, m_pszNameForError) &&
        SYS_bFstat(clDestination.m_hFile, &stDest, clDestination.m_szName) &&
        stThis.st_dev == stDest.st_dev && stThis.st_ino == stDest.st_ino) {
        clDestination.Close();
        errno = EINVAL;
        return 0;
    }
    if (clDestination.bSetSize(0, eGROW_ABSOLUTE) && bExtract(&clDestination, oCount)) {
        clDestination.Close();
        return 1;
    }
    const int nErr = errno;
    char szCree[ZV_MAX_PATH];
    std::memcpy(szCree, clDestination.pszGetName(), sizeof szCree);
    clDestination.Close();
    SYS_bUnlink(szCree);
    errno = nErr;
    return 0;
}

int CDiskFile::bExtractFromFile(const char* pszName, long long oStart, long long oCount)
{
    if (!pszName) {
        errno = EINVAL;
        return 0;
    }
    CDiskFile clSource;
    if (!clSource.bOpen(pszName, eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr))
        return 0;
    if (!bSeek(0, eSEEK_END) || !clSource.bSeek(oStart, eSEEK_BEGIN))
        return 0;
    return clSource.bExtract(this, oCount);
}

// ---- Locks ------------------------------------------------------------------------------

bool CDiskFile::__bPoseVerrou(int nCommand, short nType, unsigned long long oStart,
                              unsigned long long oLength) const
{
    constexpr unsigned long long kMax = INT64_MAX;
    if (oStart > kMax) {
        errno = EINVAL;
        return false;
    }
    struct flock64 stLock;
    std::memset(&stLock, 0, sizeof stLock);
    stLock.l_type = nType;
    stLock.l_whence = SEEK_SET;
    stLock.l_start = static_cast<off64_t>(oStart);
    // A range past the largest offset (such as a length of all ones, "everything") means to
    // the end and beyond; as a signed length it would name the bytes before the start.
    stLock.l_len = oLength > kMax - oStart ? 0 : static_cast<off64_t>(oLength);
    if (SYS_bLock(m_hFile, nCommand, &stLock, m_pszNameForError))
        return true;
    if (errno == EACCES || errno == EAGAIN || errno == EDEADLK)
        errno = ZV_ERRNO_SHARING_VIOLATION;
    return false;
}

int CDiskFile::bLockFile(unsigned long long oStart, unsigned long long oLength) const
{
    return bLock(oStart, oLength);
}

int CDiskFile::bUnlockFile(unsigned long long oStart, unsigned long long oLength) const
{
    return bUnlock(oStart, oLength);
}

int CDiskFile::bLock(unsigned long long oStart, unsigned long long oLength) const
{
    const short nType = (m_nOpenFlags & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
    return __bPoseVerrou(F_SETLK64, nType, oStart, oLength);
}

int CDiskFile::bUnlock(unsigned long long oStart, unsigned long long oLength) const
{
    if (__bPoseVerrou(F_SETLK64, F_UNLCK, oStart, oLength))
        return 1;
    errno = ZV_ERRNO_SHARING_VIOLATION;
    return 0;
}

int CDiskFile::bLockFileEx(int bLock, int bExclusive) const
{
    struct flock64 stLock;
    std::memset(&stLock, 0, sizeof stLock);
    stLock.l_whence = SEEK_SET;
    stLock.l_start = 0;
    stLock.l_len = 2;
    if (!bLock) {
        stLock.l_type = F_UNLCK;
        SYS_bLock(m_hFile, F_SETLK64, &stLock, m_pszNameForError);
        return 1;
    }
    stLock.l_type = bExclusive ? F_WRLCK : F_RDLCK;
    return SYS_bLock(m_hFile, F_SETLKW64, &stLock, m_pszNameForError);
}

// ---- Times ------------------------------------------------------------------------------

namespace {

bool bFileTimeOf(const struct timespec& ts, FILETIME* pst)
{
    if (!pst)
        return true;
    if (_bTimespecVersFileTime(static_cast<int64_t>(ts.tv_sec), ts.tv_nsec, pst))
        return true;
    errno = EOVERFLOW;
    return false;
}

// A file time as the system's time; UTIME_OMIT for none.
bool bTimespecOf(const FILETIME* pst, struct timespec* pts)
{
    if (!pst) {
        pts->tv_sec = 0;
        pts->tv_nsec = UTIME_OMIT;
        return true;
    }
    int64_t nSecondes = 0;
    long nNanosecondes = 0;
    _FileTimeVersTimespec(pst, &nSecondes, &nNanosecondes);
    if (nSecondes < static_cast<int64_t>(std::numeric_limits<time_t>::min()) ||
        nSecondes > static_cast<int64_t>(std::numeric_limits<time_t>::max())) {
        errno = EOVERFLOW; // a 32-bit clock type ends in 2038
        return false;
    }
    pts->tv_sec = static_cast<time_t>(nSecondes);
    pts->tv_nsec = nNanosecondes;
    return true;
}

} // namespace

bool CDiskFile::bGetTime(FILETIME* pstCreation, FILETIME* pstLastAccess, FILETIME* pstLastWrite) const
{
    if (m_hFile == -1) {
        errno = EBADF;
        return false;
    }
    struct stat64 st;
    if (!SYS_bFstat(m_hFile, &st, m_pszNameForError))
        return false;
    FILETIME astTemps[3];
    if (!bFileTimeOf(st.st_ctim, &astTemps[0]) || !bFileTimeOf(st.st_atim, &astTemps[1]) ||
        !bFileTimeOf(st.st_mtim, &astTemps[2]))
        return false;
    if (pstCreation)
        *pstCreation = astTemps[0];
    if (pstLastAccess)
        *pstLastAccess = astTemps[1];
    if (pstLastWrite)
        *pstLastWrite = astTemps[2];
    return true;
}

bool CDiskFile::bGetTime(_stXFILETIME* pstCreation, _stXFILETIME* pstLastAccess, _stXFILETIME* pstLastWrite) const
{
    FILETIME astTemps[3];
    if (!bGetTime(&astTemps[0], &astTemps[1], &astTemps[2]))
        return false;
    // Every conversion first, so that a failure writes nothing.
    _stXFILETIME astLocales[3];
    for (int i = 0; i < 3; ++i)
        if (!bFileTimeToSystemTime(&astTemps[i], &astLocales[i]))
            return false;
    if (pstCreation)
        *pstCreation = astLocales[0];
    if (pstLastAccess)
        *pstLastAccess = astLocales[1];
    if (pstLastWrite)
        *pstLastWrite = astLocales[2];
    return true;
}

bool CDiskFile::bSetTime(const FILETIME*, const FILETIME* pstLastAccess, const FILETIME* pstLastWrite)
{
    if (m_hFile == -1) {
        errno = EBADF;
        return false;
    }
    struct timespec ats[2];
    if (!bTimespecOf(pstLastAccess, &ats[0]) || !bTimespecOf(pstLastWrite, &ats[1]))
        return false;
    return SYS_bSetTimes(m_hFile, ats, m_pszNameForError);
}

bool CDiskFile::bSetTime(const _stXFILETIME*, const _stXFILETIME* pstLastAccess, const _stXFILETIME* pstLastWrite)
{
    FILETIME stAcces, stEcriture;
    if ((pstLastAccess && !bSystemTimeToFileTime(pstLastAccess, &stAcces)) ||
        (pstLastWrite && !bSystemTimeToFileTime(pstLastWrite, &stEcriture)))
        return false;
    return bSetTime(nullptr, pstLastAccess ? &stAcces : nullptr, pstLastWrite ? &stEcriture : nullptr);
}

// ---- Names ------------------------------------------------------------------------------

int CDiskFile::vbSetNameForError(const char* pszName)
{
    if (m_pszNameForError != m_szName)
        std::free(m_pszNameForError);
    m_pszNameForError = m_szName;
    if (!pszName)
        return 1;
    char* pszCopy = strdup(pszName);
    if (!pszCopy)
        return 0;
    m_pszNameForError = pszCopy;
    return 1;
}

int CDiskFile::bOpenW(const wchar_t*, eACCESS, eSHARE, eCREATE, eFLAG, int*) { return 0; }
int CDiskFile::bExtractW(const wchar_t*, long long, long long) { return 0; }
const wchar_t* CDiskFile::pwszGetName() const { return L""; }
int CDiskFile::vbIsUNICODEFileName() const { return 0; }
int CDiskFile::bExtractFromFileW(const wchar_t*, long long, long long) { return 0; }
int CDiskFile::vbSetNameForErrorW(const wchar_t*) { return 0; }
void CDiskFile::m739EmptyMethodXStream() const {}
void CDiskFile::m740EmptyMethodXStream() const {}
void CDiskFile::m741EmptyMethodXStream() const {}
void CDiskFile::m742EmptyMethodXStream() const {}
void CDiskFile::m743EmptyMethodXStream() const {}
void CDiskFile::m744EmptyMethodXStream() const {}
void CDiskFile::m745EmptyMethodXStream() const {}
void CDiskFile::m746EmptyMethodXStream() const {}
