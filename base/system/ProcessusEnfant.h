// A function run in a child process under a time limit, its messages and its output collected: a faulty library it loads cannot take the caller down.
#pragma once

#include <cstddef>
#include <string>

// How the child ended and what it sent.
struct _stRESULTATENFANT {
    bool bSortie = false;        // it called exit (or returned): nCode holds the status
    int nCode = -1;              // exit status, -1 when it did not exit
    int nSignal = 0;             // the signal that ended it, 0 when none
    bool bDelaiDepasse = false;  // the time limit ended it (SIGKILL to its process group)
    std::string sCanal;          // what the function wrote to its channel, at most nMaxCanal bytes
    std::string sSortie;         // what it wrote to standard output and error, at most nMaxSortie
    bool bCanalTronque = false, bSortieTronquee = false;
};

// The function run in the child: its context and the descriptor of its channel to the parent.
// Its result is the child's exit status.
typedef int (*PFNENFANT)(void* pContexte, int nFdCanal);

// Forks; the child leads a process group of its own, reads /dev/null, writes its standard
// output and error to the parent, runs pfn and ends with _exit of its result (no exit handlers
// or static destructors of the parent's image run in it). The parent collects both streams
// until the child has ended and they are closed, or until nDelaiMs have passed: then the whole
// process group is killed with SIGKILL. Whatever the child leaves running in its group is killed
// too once it has ended. False (errno kept) only when the child could not be created; then
// nothing was started.
bool bExecuteEnfant(PFNENFANT pfn, void* pContexte, unsigned nDelaiMs, size_t nMaxCanal, size_t nMaxSortie,
                    _stRESULTATENFANT* pstResultat);
