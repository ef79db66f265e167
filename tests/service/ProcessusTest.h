// Processes of the daemon tests: runs with a time limit, reaping of orphans, what /proc says.
#pragma once

#include "support/TempDir.h"

#include <sys/types.h>

#include <string>
#include <vector>

// The wait status of a process that was not this one's to reap.
constexpr int knStatutInconnu = -1;

// Makes this process the reaper of its orphaned descendants (the daemons), so that their end
// and exit status are seen here and none of them lingers as a zombie elsewhere. False when the
// system refuses (qemu-user does not offer it): orphans then go to the harness's reaper.
bool PT_bDevientRecuperateur();
// Reaps every descendant that has ended, keeping the statuses.
void PT_Recolte();
// Waits at most nMs milliseconds for pid to end; true with its wait status. A child of this
// process (or an orphan it adopted) has ended once reaped, even when /proc already shows it
// as a zombie: a multi-threaded process does while its other threads are still ending. Any
// other process has ended when /proc shows it dead or gone; its status is knStatutInconnu.
bool PT_bAttendFin(pid_t pid, int nMs, int* pnStatut);
// Kills every process descended from this one and reaps them.
void PT_TueDescendants();
// Runs the program with its arguments, standard streams on /dev/null (standard error into
// *psErreur when given), environment unchanged plus asEnv. Returns its exit code, or -1000 when
// it did not exit normally within nMs milliseconds (it is then killed).
int PT_nLance(const std::vector<std::string>& asArgs, int nMs, const std::vector<std::string>& asEnv = {},
              std::string* psErreur = nullptr);
// The process exists and is not a zombie.
bool PT_bVivant(pid_t pid);
// The live processes whose executable is sChemin. Under user-mode emulation the executable
// of an emulated process is the emulator: the program it runs is its first argument.
std::vector<pid_t> PT_ProcessusDe(const std::string& sChemin);
// A line of /proc/PID/status ("Uid", "Umask"...), its value without the leading blanks.
std::string PT_Statut(pid_t pid, const std::string& sCle);
bool PT_bExiste(const std::string& sChemin);
