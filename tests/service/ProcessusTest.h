// Processes of the daemon tests: runs with a time limit, reaping of orphans, what /proc says.
#pragma once

#include "support/TempDir.h"

#include <sys/types.h>

#include <string>
#include <vector>

// Makes this process the reaper of its orphaned descendants (the daemons), so that their end
// and exit status are seen here and none of them lingers as a zombie elsewhere.
void PT_DevientRecuperateur();
// Reaps every descendant that has ended, keeping the statuses.
void PT_Recolte();
// Waits at most nMs milliseconds for pid (a child or an orphan adopted by this process) to
// end; true with its wait status.
bool PT_bAttendFin(pid_t pid, int nMs, int* pnStatut);
// Runs the program with its arguments, standard streams on /dev/null (standard error into
// *psErreur when given), environment unchanged plus asEnv. Returns its exit code, or -1000 when
// it did not exit normally within nMs milliseconds (it is then killed).
int PT_nLance(const std::vector<std::string>& asArgs, int nMs, const std::vector<std::string>& asEnv = {},
              std::string* psErreur = nullptr);
// The process exists and is not a zombie.
bool PT_bVivant(pid_t pid);
// The live processes whose executable is sChemin.
std::vector<pid_t> PT_ProcessusDe(const std::string& sChemin);
// A line of /proc/PID/status ("Uid", "Umask"...), its value without the leading blanks.
std::string PT_Statut(pid_t pid, const std::string& sCle);
bool PT_bExiste(const std::string& sChemin);
