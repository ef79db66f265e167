// _stXFILETIME: a broken-down date and time, and the comparison of two of them.
#pragma once

#include <cstddef>
#include <cstdint>

// Local date and time to the millisecond: month 1-12, day 1-31, hour 0-23.
struct __attribute__((packed)) _stXFILETIME {
    uint16_t wYear;
    uint16_t wMonth;
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};
static_assert(sizeof(_stXFILETIME) == 14, "_stXFILETIME is seven 16-bit fields");
static_assert(offsetof(_stXFILETIME, wMonth) == 2 && offsetof(_stXFILETIME, wDay) == 4 &&
                  offsetof(_stXFILETIME, wHour) == 6 && offsetof(_stXFILETIME, wMinute) == 8 &&
                  offsetof(_stXFILETIME, wSecond) == 10 && offsetof(_stXFILETIME, wMilliseconds) == 12,
              "_stXFILETIME fields in order, year first");

// Compares field by field from the year down; the difference b - a of the first field that
// differs (positive when b is later), 0 when all are equal.
int nCompareSystemTime(const _stXFILETIME* pstA, const _stXFILETIME* pstB);
