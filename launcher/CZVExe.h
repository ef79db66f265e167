// CZVExe: the launcher object that finds and starts the runtime, hands it the application and runs the project.
#pragma once

#include <atomic>

#include "base/strings/CTString.h"
#include "launcher/CTraceDemarrage.h"
#include "launcher/InfoDll.h"
#include "launcher/InfoExe.h"
#include "contract/RuntimeContract.h"

struct HINSTANCE__;
class CSimpleBuffer;
class CXError;

// The information block and the data-files directory of this executable, in its initialised
// data with their template values; the build tool patches them in the file.
extern "C" _stINFOEXE gstInfoExe;
extern "C" char gszFilePath[gnTailleRepFichiers];

// Start and stop order: bInit, then nRun (once), then bTerm, then destruction. The destructor
// does not unload the runtime: bTerm must have run. A failing bInit has already undone what it
// loaded. Used from one thread; the error callback may run on any runtime thread.
class CZVExe {
public:
    CZVExe(HINSTANCE__* hInstance, HINSTANCE__* hPrevInstance, const char* pszCmdLine);
    virtual ~CZVExe();
    CZVExe(const CZVExe&) = delete;
    CZVExe& operator=(const CZVExe&) = delete;

    // Error display: the message unchanged on standard error, then one line feed.
    virtual void _vAfficheErreur(const char* pszMessage) const;

    // The whole initialisation. On failure stores the process exit code (-1) through pnExit
    // (when given) and returns false.
    bool bInit(int* pnExit);
    // Runs the project; its return code, or -1 when the runtime reports that the run failed.
    int nRun();
    // Ends the runtime (when bound), calls its "TermLibrary" and unloads it. Safe to repeat;
    // always true.
    bool bTerm();

    // Copies the executable's information block into *pstInfoExe. False when the block is not
    // usable (a text area without its terminator).
    static bool s_bChargeInfoExe(HINSTANCE__* hInstance, _stINFOEXE* pstInfoExe);
    // Error callback installed in the runtime: writes the error's full report, then one line
    // feed, on standard error; returns 0. The two further arguments are not used.
    static int _CallBackErreurVM(const CXError* pclError, unsigned long dwParam, unsigned int nParam);
    // The object whose error display receives the runtime's reports instead of standard error
    // (a daemon has none); null restores standard error. The object must stay alive until the
    // runtime can no longer report, or be replaced before.
    static void s_SetAfficheurErreurVM(const CZVExe* pclAfficheur);

    // Steps of the desktop platform that have nothing to do here.
    static void s_KillSplash(void*) {}
    static void s_ExecuteAction(void*, unsigned int, unsigned long) {}
    void LibereMutex() {}
    void _InitElementIntegre() {}

    // Reads nLongueur bytes of the executable's own file, from the absolute position oPosition,
    // into pDestination (which has room for them). False when the file cannot be opened, the
    // position is negative or fewer bytes than asked lie there. A length of 0 reads nothing and
    // succeeds whenever the file opens.
    bool bChargeBlock(long long oPosition, unsigned int nLongueur, void* pDestination) const;
    // Expands the library embedded behind the descriptor stInfoDll, which lies at oPosition in
    // the executable file: its block follows the descriptor. The output buffer takes the size
    // recorded in the block and *pnSortie (when given) the length that the decompression
    // reports, 0 for a corrupt block or one of an unknown method (the buffer is then empty when
    // no size could be read, or when the size recorded is more than the block could expand
    // to). False, with the buffer and the length untouched, when the block cannot be read (a
    // length reaching past the end of the file included, checked before any memory is taken
    // for it); false too when the memory for it or for the output cannot be obtained.
    bool __bDecompresseDLL(long long oPosition, const _stINFODLL& stInfoDll, CSimpleBuffer* pclSortie,
                           unsigned int* pnSortie) const;

    const _stINFOEXE& stGetInfoExe() const { return m_stInfoExe; }
    const char* pszGetCheminExe() const { return m_clCheminExe.pszGet(); }
    // The command line the object was built with.
    const char* pszGetCmdLine() const { return m_clCmdLine.pszGet(); }

protected:
    bool _bChargeInfoExe(int* pnExit);
    bool _bCheckMonoInstance(int*) { return true; }
    bool _bInitFramework(int* pnExit);
    bool _bVerifMajReseau(int*) { return true; }
    bool _bInitZVL(int* pnExit);
    void _InitParamDQ();

private:
    // Size of the executable file in bytes; -1 when it cannot be opened or examined.
    long long _oTailleExe() const;

    HINSTANCE__* m_hInstance;
    [[maybe_unused]] HINSTANCE__* m_hPrevInstance; // kept as handed in; Linux has no previous instance
    CTString m_clCmdLine;
    _stINFOEXE m_stInfoExe;
    CTString m_clCheminExe;
    int32_t m_bVMInit;          // the entry table is bound
    void* m_hFramework;         // loader handle of the runtime library, owned
    PFN_TermLibrary m_pfnTermLibrary;
    CTraceDemarrage m_clTrace;  // on when ZVEXE_TRACE asks for it; the start-up observer meanwhile

    static std::atomic<const CZVExe*> ms_pclAfficheurVM;
};
