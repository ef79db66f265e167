// The runtime's entry table: binding of its "KL_" exports by name and the forwarders that call them.
#pragma once

#include "contract/RuntimeContract.h"

class CSimpleBuffer;
class ILogger;

// Execution mode of the runtime; only the low 8 bits reach it. A normal launch uses 5.
enum eMODEVM : int {
    eMODEVM_NORMAL = gnModeVMNormal,
};

// Binds the twelve exports of the entry table on the runtime library's loader handle, replacing
// any earlier binding. An absent export only disables its forwarder, so this never fails.
// Each export is reported to the start-up observer, when one is set, as bound or missing.
bool bInitVM(void* hFramework);

// Reports to the start-up observer, when one is set, whether the library exports the entries
// looked up outside the table: "bInitLibrary", "pQueryProxy" and "TermLibrary".
void SignaleExportsVM(void* hFramework);

// The runtime's interface: its "pQueryProxy" called with 100; null when the export is missing
// or answers null. The answer is reported to the start-up observer.
IZVRuntimeProxy* pclQueryProxyVM(void* hFramework);

// Tells the runtime to end ("KL_SetParam" 1012 with 0, when bound). With a non-zero argument the
// library is then unloaded and the unloader's result returned; otherwise the result of the
// 1012 call. Does nothing and returns 0 before bInitVM. The stored handle is kept either way.
int TermVM(int bDecharge);

// Forwarders: each calls its export with the arguments given, in that order, and returns its
// result; an unbound export gives false, 0 or null (or nothing). Texts, buffers and callbacks
// are passed by address and stay the caller's.
bool bRunExec(eMODEVM eMode, const char* pszProjet, const char* pszCmdLine, int* pnRetour);
bool bRunService(const char* pszProjet, const char* pszCmdLine, PFN_STOPSERVICE pfnStop);
bool bTermService();
bool bRunTest(eMODEVM eMode, const char* pszTexte);
bool bListeDLL(CSimpleBuffer* pclBuffer, const char* pszTexte);
bool bDonneZVL(const char* pszZVL, long long oPosition);
void DonneRepDQ(const char* pszRepertoire);
void DonneRepKRV(const char* pszPremier, const char* pszSecond);
void DonneFinInit(PFN_FININIT pfnCallBack, void* pContexte);
void InitGoRequete(void* pContexte);
bool bListeZVL(CSimpleBuffer* pclBuffer, const char* pszTexte);

// Parameter operations, all through "KL_SetParam" (0 or null when it is unbound).
// piInitDLL calls it only when bListeDLL(null, pszDLL) succeeds; the integer result is handed
// back as a pointer value, as the runtime returns it.
int* piInitDLL(const char* pszDLL);
// Passes the text "first\second".
int bInitRegistre(const char* pszPremier, const char* pszSecond);
unsigned int dwGetInformationVM(unsigned int nCode);
int SetModeExecution(int nMode);
int SetVersionActive(int nVersion);
int SetInfoLDAP(const char* pszTexte);
int DonneHistoConnexion(int nValeur);
int SetLogger(ILogger* pclLogger);
