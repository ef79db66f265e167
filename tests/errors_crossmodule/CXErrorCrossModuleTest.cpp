// An error object built by another module with its own copy of the base library: read, report, copy, free.
#include "base/errors/CXError.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/messages/AccesDllRes.h"
#include "support/MessageText.h"

namespace {

using zvtest::Msg;
using zvtest::MsgF;

std::string L(const std::string& str)
{
    return str + "\r\n";
}

std::string Cadre(unsigned int nNumero)
{
    return "\r\n----- " + MsgF(28865, nNumero) + " -----\r\n\r\n";
}

template <typename T>
T LitOctets(const void* pObjet, std::size_t nOffset)
{
    T v;
    std::memcpy(&v, static_cast<const unsigned char*>(pObjet) + nOffset, sizeof v);
    return v;
}

constexpr std::size_t P = sizeof(void*);

// Offset in the running ABI: i386 value, x86-64 value.
constexpr std::size_t O(std::size_t n32, std::size_t n64)
{
    return P == 4 ? n32 : n64;
}

// File of the module whose code is at p.
std::string ModuleDe(const void* p)
{
    Dl_info st;
    return dladdr(p, &st) && st.dli_fname ? st.dli_fname : "";
}

typedef CXError* (*PFNCREEERREUR)(int*);

class CXErrorCrossModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hPair = dlopen(ZV_ERRORS_PEER_LIBRARY, RTLD_NOW);
        ASSERT_NE(m_hPair, nullptr) << dlerror();
        m_pfnCree = reinterpret_cast<PFNCREEERREUR>(dlsym(m_hPair, "ZVPeer_pclCreeErreur"));
        ASSERT_NE(m_pfnCree, nullptr);
    }
    void TearDown() override
    {
        if (m_hPair != nullptr)
            dlclose(m_hPair);
    }

    void* m_hPair = nullptr;
    PFNCREEERREUR m_pfnCree = nullptr;
};

// The report of the peer's error with XEI_ALL; pszDataAccess is the line of its object, or
// null when the error holds none.
std::string RapportAttendu(const char* pszDataAccess)
{
    const std::string strPetit = L(Msg(28857)) + L("peer sub 1.1") + "\r\n" + L(MsgF(28851, 0u)) + L(Msg(28847));
    const std::string strSous1 = L(Msg(28857)) + L("peer sub 1") + "\r\n" + L(MsgF(28851, 0u)) + L(Msg(28847)) +
                                 "\r\n" + Msg(28861) + "\r\nEIT_DSTFILE : <dst.txt>" + "\r\n" + Cadre(1) + strPetit +
                                 "\r\n";
    const std::string strSous2 = L(Msg(28857)) + L("peer sub 2") + "\r\n" + L(MsgF(28851, 0u)) + L(Msg(28847));
    std::string str = L(Msg(28844)) + L(MsgF(28845, "PeerCaption", " (PeerObject)", 10u, 20u)) +
                      L(MsgF(28846, "PeerFn", 2u)) + "\r\n" + L(Msg(28857)) + L("peer user") + "\r\n" +
                      L(MsgF(28851, 1u)) + L(Msg(28849)) + L(MsgF(28852, 55u)) + "\r\n" + L(MsgF(28853, 5u)) +
                      L(Msg(28855)) + "peer system" + "\r\n" + L(MsgF(28842, "ZVExe.exe", "15.00Ab")) +
                      L(MsgF(28863, 77u)) + L(Msg(28859)) + L("peer debug") + Msg(28861) +
                      "\r\nEIT_SRCFILE : <src.txt>";
    if (pszDataAccess != nullptr)
        str += std::string("\r\n") + pszDataAccess;
    str += "\r\nEIT_SRCFILEUNICODE : <wide.txt>\r\nEIT_RECNUM : <8589934592>\r\nEIT_BASECODE : <-5>";
    return str + "\r\n" + Cadre(1) + strSous1 + "\r\n" + Cadre(2) + strSous2 + "\r\n";
}

TEST_F(CXErrorCrossModule, PeerKeepsItsBaseLibraryToItself)
{
    EXPECT_EQ(dlsym(m_hPair, "gstErrorDef"), nullptr);
    EXPECT_EQ(dlsym(m_hPair, "_ZN7CXError3RAZEv"), nullptr);
    int nDetruits = 0;
    CXError* pcl = m_pfnCree(&nDetruits);
    CXError clLocal;
    void** ppTablePair = LitOctets<void**>(pcl, 0);
    void** ppTableLocale = LitOctets<void**>(&clLocal, 0);
    EXPECT_NE(ppTablePair, ppTableLocale);
    EXPECT_EQ(ModuleDe(ppTablePair[1]), ZV_ERRORS_PEER_LIBRARY);
    EXPECT_NE(ModuleDe(ppTableLocale[1]), ZV_ERRORS_PEER_LIBRARY);
    delete pcl;  // through the peer's deleting destructor
    EXPECT_EQ(nDetruits, 1);
}

TEST_F(CXErrorCrossModule, ReadReportCopyAndFree)
{
    int nDetruits = 0;
    CXError* pcl = m_pfnCree(&nDetruits);

    // Read by layout.
    EXPECT_STREQ(LitOctets<const char*>(pcl, O(16, 20)), "peer user");
    EXPECT_STREQ(LitOctets<const char*>(pcl, O(121, 177)), "zvpeer.so");
    EXPECT_EQ(LitOctets<uint32_t>(pcl, O(125, 185)), 55u);
    EXPECT_EQ(LitOctets<int32_t>(pcl, O(69, 101) + P + 4), 5);  // item count
    EXPECT_EQ(pcl->nGetNbSubError(), 2);
    EXPECT_EQ(pcl->pclGetSubError(0)->nGetNbSubError(), 1);

    const void* pvObjet = nullptr;
    ASSERT_TRUE(pcl->bGetInfo(EIT_DATAACCESS, &pvObjet));
    char szObjet[64];
    std::snprintf(szObjet, sizeof szObjet, "EIT_DATAACCESS : <%p>", pvObjet);
    EXPECT_EQ(std::string(pcl->StringDump(XEI_ALL).pszGet()), RapportAttendu(szObjet));

    // Deep copy: this module's own texts; the peer's object is not carried.
    CXError* pclCopie = new CXError(*pcl);
    EXPECT_STREQ(pclCopie->pszGetInternalModName(), "ZVExe.exe");
    EXPECT_NE(pclCopie->pszGetUserMessage(), pcl->pszGetUserMessage());
    EXPECT_FALSE(pclCopie->bGetInfo(EIT_DATAACCESS, nullptr));
    const std::string strRapportCopie = pclCopie->StringDump(XEI_ALL).pszGet();
    EXPECT_EQ(strRapportCopie, RapportAttendu(nullptr));
    delete pclCopie;
    EXPECT_EQ(nDetruits, 0);

    // Light copy: everything leaves the peer's error but its object, which stays there.
    CXError* pclLeger = new CXError(pcl, 1);
    EXPECT_EQ(std::string(pclLeger->StringDump(XEI_ALL).pszGet()), strRapportCopie);
    EXPECT_EQ(pcl->eGetErrorLevel(), EL_CLEAR);
    EXPECT_STREQ(pcl->pszGetUserMessage(), "");
    EXPECT_EQ(pcl->nGetNbSubError(), 0);
    EXPECT_EQ(pcl->nNumInfo(), 1u);
    delete pclLeger;  // frees the moved texts, sub-errors through their own destructors
    EXPECT_EQ(nDetruits, 0);

    delete pcl;
    EXPECT_EQ(nDetruits, 1);
}

} // namespace
