// _stXFILETIME: a broken-down date and time, and the comparison of two of them.
#include "base/files/XFileTime.h"

int nCompareSystemTime(const _stXFILETIME* pstA, const _stXFILETIME* pstB)
{
    const uint16_t anA[] = {pstA->wYear, pstA->wMonth, pstA->wDay, pstA->wHour,
                            pstA->wMinute, pstA->wSecond, pstA->wMilliseconds};
    const uint16_t anB[] = {pstB->wYear, pstB->wMonth, pstB->wDay, pstB->wHour,
                            pstB->wMinute, pstB->wSecond, pstB->wMilliseconds};
    for (int i = 0; i < 7; ++i)
        if (anA[i] != anB[i])
            return static_cast<int>(anB[i]) - static_cast<int>(anA[i]);
    return 0;
}
