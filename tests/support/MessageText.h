// Texts of the built-in message table as the tests expect them in reports.
#pragma once

#include "base/messages/AccesDllRes.h"
#include "base/strings/CTString.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zvtest {

// Text of message nId of the table.
inline std::string Msg(unsigned int nId)
{
    CTString cl;
    EXPECT_TRUE(DLLRES_bLoadString(nId, &cl)) << "message " << nId;
    return cl.pszGet();
}

// Message nId formatted with printf inserts.
inline std::string MsgF(unsigned int nId, ...)
{
    const std::string strFormat = Msg(nId);
    va_list ap;
    va_start(ap, nId);
    char* psz = nullptr;
    const int n = vasprintf(&psz, strFormat.c_str(), ap);
    va_end(ap);
    EXPECT_GE(n, 0);
    std::string str = n >= 0 ? psz : "";
    std::free(psz);
    return str;
}

} // namespace zvtest
