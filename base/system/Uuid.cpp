// UuidCreate and IsEqualGUID: time-based unique identifiers in the RFC 4122 version 1 layout.
#include "base/system/Uuid.h"

#include <cstring>
#include <ctime>
#include <mutex>
#include <sys/random.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// 100-nanosecond units between 15 October 1582 and 1 January 1970.
constexpr unsigned long long kGregorianToUnix = 122192928000000000ULL;
// Identifiers one microsecond holds: the timestamp has ten units per microsecond.
constexpr unsigned kMaxAdjust = 9;

struct UuidState {
    unsigned char abyNode[6];
    unsigned nClockSeq;   // 13 bits
    long long nLastSec;   // time of the previous identifier
    long nLastUsec;
    unsigned nAdjust;     // identifiers already made in the recorded microsecond, minus one
    bool bNodeDrawn;
    bool bTimeRecorded;
    pid_t nPid;           // process that drew the node: a forked child draws its own
};
// Every read and write of gstUuid holds gmtxUuid: two threads must never be handed the same
// timestamp and clock sequence.
UuidState gstUuid = {};
std::mutex gmtxUuid;

// Random bytes from the kernel; when it cannot give them, a mix of the time, the process id
// and an address, so that two processes still differ.
void RandomBytes(unsigned char* p, std::size_t n)
{
    std::size_t nGot = 0;
    while (nGot < n) {
        const ssize_t r = getrandom(p + nGot, n - nGot, GRND_NONBLOCK);
        if (r <= 0)
            break;
        nGot += static_cast<std::size_t>(r);
    }
    if (nGot == n)
        return;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    unsigned long long x = static_cast<unsigned long long>(ts.tv_nsec) ^
                           (static_cast<unsigned long long>(ts.tv_sec) << 20) ^
                           (static_cast<unsigned long long>(getpid()) << 40) ^
                           reinterpret_cast<uintptr_t>(&gstUuid);
    for (; nGot < n; ++nGot) {
        // xorshift64*
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        p[nGot] ^= static_cast<unsigned char>((x * 0x2545F4914F6CDD1DULL) >> 56);
    }
}

unsigned DrawClockSeq()
{
    unsigned char aby[2] = {0, 0};
    RandomBytes(aby, sizeof aby);
    return ((static_cast<unsigned>(aby[0]) << 8) + aby[1]) & 0x1FFF;
}

void SystemNow(long long* pnSec, long* pnUsec)
{
    timeval tv;
    gettimeofday(&tv, nullptr);
    *pnSec = tv.tv_sec;
    *pnUsec = static_cast<long>(tv.tv_usec);
}

} // namespace

long _UuidCreateWithClock(GUID* pstGuid, void (*pfnNow)(long long* pnSec, long* pnUsec))
{
    if (!pstGuid || !pfnNow)
        return RPC_S_INVALID_ARG;
    long nResult = RPC_S_OK;
    const pid_t nPid = getpid();
    std::lock_guard<std::mutex> verrou(gmtxUuid);
    if (!gstUuid.bNodeDrawn || gstUuid.nPid != nPid) {
        RandomBytes(gstUuid.abyNode, sizeof gstUuid.abyNode);
        gstUuid.abyNode[0] |= 0x80;
        gstUuid.bNodeDrawn = true;
        gstUuid.bTimeRecorded = false;
        gstUuid.nPid = nPid;
        nResult = RPC_S_UUID_LOCAL_ONLY;
    }

    long long nSec;
    long nUsec;
    for (;;) {
        pfnNow(&nSec, &nUsec);
        if (!gstUuid.bTimeRecorded) {
            gstUuid.nClockSeq = DrawClockSeq();
            gstUuid.nLastSec = nSec - 1;
            gstUuid.nLastUsec = nUsec;
            gstUuid.bTimeRecorded = true;
        }
        const bool bEarlier = nSec < gstUuid.nLastSec || (nSec == gstUuid.nLastSec && nUsec < gstUuid.nLastUsec);
        const bool bLater = nSec > gstUuid.nLastSec || (nSec == gstUuid.nLastSec && nUsec > gstUuid.nLastUsec);
        if (bEarlier) {
            // The clock went back: a new clock sequence keeps the identifiers apart.
            gstUuid.nClockSeq = (gstUuid.nClockSeq + 1) & 0x1FFF;
            gstUuid.nAdjust = 0;
        } else if (bLater) {
            gstUuid.nAdjust = 0;
        } else if (gstUuid.nAdjust < kMaxAdjust) {
            ++gstUuid.nAdjust;
            break;
        } else {
            continue; // this microsecond is used up: wait for the clock to move
        }
        gstUuid.nLastSec = nSec;
        gstUuid.nLastUsec = nUsec;
        break;
    }

    const unsigned long long nTime = static_cast<unsigned long long>(nSec) * 10000000ULL +
                                     static_cast<unsigned long long>(nUsec) * 10ULL + gstUuid.nAdjust +
                                     kGregorianToUnix;
    unsigned char aby[16];
    const uint32_t dwLow = static_cast<uint32_t>(nTime);
    const uint16_t wMid = static_cast<uint16_t>(nTime >> 32);
    const uint16_t wHigh = static_cast<uint16_t>(((nTime >> 48) & 0x0FFF) | 0x1000);
    const uint16_t wSeq = static_cast<uint16_t>(gstUuid.nClockSeq | 0x8000);
    aby[0] = static_cast<unsigned char>(dwLow >> 24);
    aby[1] = static_cast<unsigned char>(dwLow >> 16);
    aby[2] = static_cast<unsigned char>(dwLow >> 8);
    aby[3] = static_cast<unsigned char>(dwLow);
    aby[4] = static_cast<unsigned char>(wMid >> 8);
    aby[5] = static_cast<unsigned char>(wMid);
    aby[6] = static_cast<unsigned char>(wHigh >> 8);
    aby[7] = static_cast<unsigned char>(wHigh);
    aby[8] = static_cast<unsigned char>(wSeq >> 8);
    aby[9] = static_cast<unsigned char>(wSeq);
    std::memcpy(aby + 10, gstUuid.abyNode, 6);
    std::memcpy(pstGuid, aby, sizeof aby);
    return nResult;
}

long UuidCreate(GUID* pstGuid)
{
    return _UuidCreateWithClock(pstGuid, SystemNow);
}

bool IsEqualGUID(const GUID& stA, const GUID& stB)
{
    return std::memcmp(&stA, &stB, sizeof(GUID)) == 0;
}
