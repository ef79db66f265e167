// The records shared with the runtime library and stored in files, with their sizes as one
// translation unit sees them. Built twice: as the rest of the build is, and as a 32-bit
// runtime built without 64-bit file offsets and times would be.
#pragma once

#include <cstddef>
#include <vector>

struct stLAYOUT {
    const char* pszNom;
    size_t nTaille;
    size_t nAlignement;
};

// Including the headers also checks their static_asserts on sizes and offsets.
#define ZV_SHARED_LAYOUTS(X)                                                                        \
    X(CXError) X(CXError::_stERRORINFO) X(_stERRORDEF) X(ILogger) X(CKLBINBase) X(CKLDSTRBase)      \
    X(CTString) X(CZVUnknown) X(IXStream) X(CXFile) X(CDiskFile) X(_stXFILETIME) X(_stXFINDDATA)     \
    X(FILETIME) X(SYSTEMTIME) X(MEMORYSTATUS) X(GUID) X(RECT) X(POINT) X(_stINFOEXE) X(_stINFODLL)  \
    X(_stINITEXECUTION) X(CProxyDll) X(_stKLEVALEURRETOUR) X(_stKLEERREUR) X(_stKLECTX)             \
    X(_stKLEINIT) X(_stENTETECOMPRESSION) X(_stENTETECOPIE) X(_stSTRMEMBLOC)

std::vector<stLAYOUT> LayoutsOfTheBuild();
std::vector<stLAYOUT> LayoutsWithout64BitFileTypes();
