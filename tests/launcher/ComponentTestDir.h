// Scratch directory and call trace shared by the tests of the component loader and of the component hooks.
#pragma once

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace zvtest {

// A fresh directory under /tmp, the trace file of the sample libraries inside it (set through
// ZV_TRACE_COMPOSANTE), and the current directory restored and everything removed at the end.
class ComponentTestDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.ok());
        m_sRacine = m_dir.dir();
        m_sTrace = m_sRacine + "/trace.txt";
        ASSERT_EQ(0, setenv("ZV_TRACE_COMPOSANTE", m_sTrace.c_str(), 1));
        char szCourant[4096];
        ASSERT_NE(nullptr, getcwd(szCourant, sizeof(szCourant)));
        m_sCourantAvant = szCourant;
    }

    void TearDown() override
    {
        EXPECT_EQ(0, chdir(m_sCourantAvant.c_str()));
        unsetenv("ZV_TRACE_COMPOSANTE");
    }

    // A new directory below the scratch directory; its path, without final slash.
    std::string Rep(const std::string& sNom)
    {
        const std::string sRep = m_sRacine + "/" + sNom;
        EXPECT_EQ(0, mkdir(sRep.c_str(), 0755)) << sRep;
        return sRep;
    }

    // Copies the sample library sVariante (file name without ".so") to sCible.
    static void Copie(const std::string& sVariante, const std::string& sCible)
    {
        std::ifstream in(std::string(ZV_COMPONENT_DIR) + sVariante + ".so", std::ios::binary);
        std::ofstream out(sCible, std::ios::binary | std::ios::trunc);
        out << in.rdbuf();
        ASSERT_TRUE(in.good() && out.good()) << sVariante << " -> " << sCible;
    }

    // The lines traced so far, each "<library path>|<call>"; the trace is emptied.
    std::vector<std::string> Trace()
    {
        std::vector<std::string> tab;
        std::ifstream in(m_sTrace);
        for (std::string s; std::getline(in, s);)
            tab.push_back(s);
        std::remove(m_sTrace.c_str());
        return tab;
    }

    // True when the library at sChemin is mapped in the process.
    static bool bEstCharge(const std::string& sChemin)
    {
        void* h = dlopen(sChemin.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (!h)
            return false;
        dlclose(h);
        return true;
    }

    // "%p" of a pointer, as the sample libraries trace it.
    static std::string P(const void* p)
    {
        char sz[32];
        std::snprintf(sz, sizeof(sz), "%p", p);
        return sz;
    }

    zvtest::TempDir m_dir{"zvexe-proxy"};
    std::string m_sRacine;
    std::string m_sTrace;
    std::string m_sCourantAvant;
};

}  // namespace zvtest
