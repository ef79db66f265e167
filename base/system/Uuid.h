// UuidCreate and IsEqualGUID: time-based unique identifiers in the RFC 4122 version 1 layout.
#pragma once

#include "base/system/Win32Api.h"

// Returned by the first UuidCreate of a process: the identifier is valid, and its node bytes
// are random rather than a network address.
constexpr long RPC_S_UUID_LOCAL_ONLY = 1824;
constexpr long RPC_S_OK = 0;
constexpr long RPC_S_INVALID_ARG = 87;

// Fills the 16 bytes of *pstGuid, in the order of RFC 4122 (not the little-endian fields of a
// Win32 GUID): bytes 0-3 the low 32 bits of the timestamp, most significant byte first, bytes
// 4-5 bits 32-47, bytes 6-7 bits 48-63 with version 1, bytes 8-9 the clock sequence with the
// RFC 4122 variant, bytes 10-15 the node. The timestamp counts 100-nanosecond units since
// 15 October 1582 and strictly increases within a process while the clock does not go back.
// RPC_S_UUID_LOCAL_ONLY when the node was drawn by this call (the first of a process, or the
// first after a fork), RPC_S_OK otherwise; RPC_S_INVALID_ARG for null.
// The generator state is process-wide and locked: any thread may call, and two calls never
// give the same identifier.
long UuidCreate(GUID* pstGuid);
// The 16 bytes compared.
bool IsEqualGUID(const GUID& stA, const GUID& stB);

// UuidCreate with the time taken from pfnNow (seconds and microseconds since 1970) instead of
// gettimeofday: lets tests replay a clock that stands still or goes back.
long _UuidCreateWithClock(GUID* pstGuid, void (*pfnNow)(long long* pnSec, long* pnUsec));
