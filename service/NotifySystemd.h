// NotifySystemd: the readiness protocol of a service manager, one datagram per message to NOTIFY_SOCKET.
#pragma once

// A service manager that starts the program with NOTIFY_SOCKET in its environment waits for
// "READY=1" before it counts the service as started, and reads "STATUS=", "STOPPING=1" and
// "MAINPID=" lines. Each message is one datagram of "KEY=value" lines sent to the socket the
// variable names: a path ("/run/systemd/notify") or an abstract name ("@name", the '@' standing
// for the leading NUL). Only the daemon's main thread uses these functions.

// Reads NOTIFY_SOCKET once and removes it from the environment, so that the programs the
// application starts do not speak for the service. True when a manager waits for the messages
// (the variable was set and not empty, valid or not).
bool NOTIFY_bInit();
// What NOTIFY_bInit found; false before it ran.
bool NOTIFY_bActif();
// Sends the message as one datagram. False when no manager waits, the address is invalid or
// the send fails (the service goes on: the manager then sees a timeout, not a lie).
bool NOTIFY_bEnvoie(const char* pszMessage);
// Forgets the address (tests run several services in one process).
void NOTIFY_Oublie();
