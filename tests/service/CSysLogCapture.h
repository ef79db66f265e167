// CSysLogCapture: the system log of a test, read from a socket at /dev/log inside a private mount namespace.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// One datagram as the C library sends it: "<PRI>Mmm dd hh:mm:ss TAG: text".
struct stLIGNELOG {
    int nPriorite = -1;  // the level, PRI & 7
    int nFacilite = -1;  // PRI >> 3
    pid_t pid = 0;       // the sender, from the socket's credentials
    std::string sTag;    // the program name the C library put in front
    std::string sTexte;  // what follows "TAG: "
};

// The first use in a process moves it into a mount namespace of its own (nothing it mounts is
// seen outside), with a tmpfs on /var/run and, on /dev, a copy of the machine's /dev whose
// entries are bind mounts of the real ones plus the socket "log" owned by this object.
// Children started afterwards inherit the namespace. Needs root.
class CSysLogCapture {
public:
    // The one capture of the process; null, with the reason in *psRaison, when it cannot be
    // set up (not root, no mount namespace).
    static CSysLogCapture* s_pclGet(std::string* psRaison);

    // Reads what has arrived, without waiting.
    void Releve();
    // Reads until a line satisfies fn or nMs milliseconds have passed; true when one did.
    bool bAttend(const std::function<bool(const stLIGNELOG&)>& fn, int nMs);
    // Reads until the text appears (as a whole line text); true when it did.
    bool bAttendTexte(const std::string& sTexte, int nMs);
    const std::vector<stLIGNELOG>& Lignes() const { return m_astLignes; }
    // The lines read so far whose text is sTexte.
    std::vector<stLIGNELOG> Trouve(const std::string& sTexte) const;
    // Forgets the lines read so far (after reading what has arrived).
    void Vide();

private:
    CSysLogCapture() = default;
    bool _bPrepare(std::string* psRaison);
    bool _bLitUne(int nMs);

    int m_fd = -1;
    std::vector<stLIGNELOG> m_astLignes;
};
