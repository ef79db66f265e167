// Processes and signals as the Win32 calls of those names: CreateProcess, WaitPid, TerminateProcess, GetCurrentProcessId.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Starts a program and gives it one second. The child runs pszApplication when given (argument
// 0, the tokens of pszCommandLine following it), otherwise the first token of the command line
// (the whole line when it has no token); the program is a path, PATH is not searched.
// *pnPid receives the child's pid. When the child ends within the second, *pnExitCode holds its
// exit code and the result is false for 255 (the code of a program that could not be started)
// and true otherwise; a child killed by a signal reports 128 + the signal number. When the child
// still runs, *pbStillRunning is 1, *pnExitCode 0, the result true: the caller reaps it
// (WaitPid). False when the process cannot be created or waited for. Each out-parameter is
// optional; *pbStillRunning starts at 0 and *pnExitCode at 255.
bool CreateProcess(const char* pszApplication, const char* pszCommandLine, pid_t* pnPid, int* pbStillRunning,
                   int* pnExitCode);

// Splits a command line into the child's arguments: tokens separated by white space; a double
// quote at the start of a token or not preceded by a backslash opens a quoted part that runs to
// the next such quote, and white space inside it belongs to the token. The quotes that open and
// close quoted parts are removed; a backslash and the quote after it are both kept. Trailing
// white space of a token is removed and empty tokens are dropped. Returns the token count.
std::size_t nDecoupeLigneCommande(const char* pszLigne, std::vector<std::string>* pvArguments);

// Waits for the child pid to change state, polling once a second for up to nTimeoutMs
// milliseconds (0: one poll). Returns the pid when it ended, 0 when it still runs, -1 on
// error. When it ended and pnStatus is given, *pnStatus becomes its exit code (128 + signal
// number when a signal killed it); otherwise *pnStatus is left as it was. A SIGALRM handler is
// installed first when SIGALRM has none, so that the one-second alarm cannot end the process.
pid_t WaitPid(pid_t nPid, unsigned nTimeoutMs, int* pnStatus);

// The SIGALRM handler that does nothing: it only makes pause() and blocking calls return.
void DefaultAlarmHandler(int nSignal);

// Installs pfnHandler (DefaultAlarmHandler when null) for SIGALRM, without restarting the
// system calls that the signal interrupts.
void InitAlarmHandler(void (*pfnHandler)(int));

// Sends SIGTERM to the process nPid; true when it was sent. nPid 0 or below (a process group
// or every process) is refused with false. The exit code is not used.
bool TerminateProcess(pid_t nPid, unsigned nExitCode);

// The process id of the caller.
unsigned long GetCurrentProcessId();
