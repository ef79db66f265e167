// Memory blocks and memory status as the Win32 calls GlobalAlloc, HeapAlloc, GlobalMemoryStatus and their kin.
#pragma once

#include "base/system/Win32Api.h"

#include <cstddef>

// Flags: GMEM_ZEROINIT zeroes, GMEM_MODIFY (GlobalReAlloc) leaves the block as it is;
// HEAP_ZERO_MEMORY zeroes, HEAP_GENERATE_EXCEPTIONS throws STATUS_NO_MEMORY (a DWORD) on failure.
constexpr unsigned GMEM_ZEROINIT = 0x40;
constexpr unsigned GMEM_MODIFY = 0x80;
constexpr unsigned HEAP_GENERATE_EXCEPTIONS = 0x04;
constexpr unsigned HEAP_ZERO_MEMORY = 0x08;
constexpr DWORD STATUS_NO_MEMORY = 0xC0000017;

// malloc'd blocks; with GMEM_ZEROINIT the block is zeroed. Null on failure.
void* GlobalAlloc(unsigned nFlags, std::size_t nSize);
// GMEM_MODIFY returns the block unchanged. Otherwise realloc: the contents are kept up to the
// smaller size and, with GMEM_ZEROINIT, the part beyond the old size is zeroed. Null on
// failure, the old block then still valid.
void* GlobalReAlloc(void* pBlock, std::size_t nSize, unsigned nFlags);
// Frees a non-null block; returns null.
void* GlobalFree(void* pBlock);
void* GlobalLock(void* pBlock);
bool GlobalUnlock(void* pBlock);

// Blocks that remember their size: the 32-bit size lies in the 4 bytes before the returned
// address. HEAP_ZERO_MEMORY zeroes the new bytes. A size that cannot be recorded or allocated
// gives null, or throws STATUS_NO_MEMORY with HEAP_GENERATE_EXCEPTIONS. The heap is not used.
void* HeapAlloc(void* hHeap, unsigned nFlags, std::size_t nSize);
// Resizes a block of HeapAlloc; the contents are kept up to the smaller size. Null (or the
// exception) on failure, the old block then still valid; a null block fails.
void* HeapReAlloc(void* hHeap, unsigned nFlags, void* pBlock, std::size_t nSize);
// Frees a block of HeapAlloc/HeapReAlloc (null is accepted); true.
bool HeapFree(void* hHeap, unsigned nFlags, void* pBlock);
// The size recorded for a block of HeapAlloc/HeapReAlloc.
DWORD _dwHeapTaille(const void* pBlock);

void ZeroMemory(void* pBlock, std::size_t nSize);

// Physical memory and swap from "/proc/meminfo", read at most once a second (the values of the
// same second come from a process-wide cache, locked: any thread may call). Amounts in bytes; an amount too
// large for its field gives the field's largest value. Without the file: load 0 and 16 MiB each.
void GlobalMemoryStatus(MEMORYSTATUS* pstStatus);
// The status read from the given file, without the cache; false when it cannot be opened.
bool _bLitMemInfo(const char* pszFichier, MEMORYSTATUS* pstStatus);
