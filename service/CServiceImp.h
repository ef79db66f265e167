// CServiceImp: the interface through which the daemon procedure drives a service.
#pragma once

class ILogger;

// Sizes of the buffers handed to vbGetServiceUser and vbGetOwnDirectory.
constexpr unsigned gnTailleUtilisateurService = 300;
constexpr unsigned gnTailleRepService = 261;

class CServiceImp {
public:
    // Blocks until the service is stopped.
    virtual void MainLoop() = 0;
    virtual ILogger* pclGetLogger() = 0;
    // Starts the service; false when it could not start.
    virtual int bStart() = 0;
    // Ends the service and ends the main loop; safe to repeat.
    virtual void Stop() = 0;
    // True: the core-file size limit is lifted.
    virtual int vbWithCoreDump();
    // True, with the name in pszUser (gnTailleUtilisateurService bytes): the service takes on
    // that user's identity.
    virtual int vbGetServiceUser(char* pszUser);
    // True, with the path in pszDirectory (gnTailleRepService bytes): the service's own
    // directory, handed over to the service user.
    virtual int vbGetOwnDirectory(char* pszDirectory);
    virtual int vbLogStartOK();
    // True when the service's settings can be used; false after logging what is wrong, and the
    // daemon then starts nothing. Called once, before the daemon detaches.
    virtual int vbVerifieParametres();

protected:
    CServiceImp() = default;
    ~CServiceImp() = default;
    CServiceImp(const CServiceImp&) = delete;
    CServiceImp& operator=(const CServiceImp&) = delete;
};
