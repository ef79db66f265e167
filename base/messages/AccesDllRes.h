// Message access: load a built-in message by identifier, keep its singular or plural form, format it with inserts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/strings/CTString.h"

struct HINSTANCE__;

// Identifiers count modulo 65536. Message texts are printf formats with numbered inserts
// ("%1$s", "%2$u"); a message with a singular and a plural form holds both, separated by the
// three bytes 0x0A 0xA7 0x0A. The two marker entries of the table are not messages: loading
// identifier 0 or 65024 fails.
//
// args, in the "List" forms, is the address of the caller's own va_list, exactly as for
// FormatMessageA (base/messages/FormatMessage.h); the list is not advanced.

// Marks the module initialised; always true. The module handle and the integer are unused.
bool DLLRES_bInit(HINSTANCE__* hModule, int nReserve);
void DLLRES_Term();
// No external resource library exists here: false.
bool DLLRES_bUtiliseDLLRes();
// Null: the messages are built in.
HINSTANCE__* ghGetRessourceHandle();
// Does nothing (no external message file).
void DLLRES_SetFichierZVM(const char* pszChemin);

// Stores the text of message nId in *pclTexte; false, *pclTexte unchanged, when there is
// no such message or it cannot be decoded.
bool DLLRES_bLoadString(unsigned int nId, CTString* pclTexte);
// Decodes message nId into pszBuffer of nTaille bytes, cut to fit and NUL-terminated.
// Returns its length, nTaille - 1 when it was cut, 0 when the message is absent or cannot
// be decoded. An absent message, a null buffer or nTaille <= 0 leave the buffer untouched.
int DLLRES_nLoadString(unsigned int nId, char* pszBuffer, int nTaille);

// Formats pszFormat (printf syntax) into a new malloc block stored in *ppszSortie (null on
// failure; release it with free). Returns the number of characters, 0 on failure.
unsigned int DLLRES_dwFormatMessage(const char* pszFormat, char** ppszSortie, char** args);
// The same into *pclSortie, which becomes empty on failure.
unsigned int DLLRES_dwFormatMessage(const char* pszFormat, CTString* pclSortie, char** args);

// Loads message nId and formats it with the inserts that follow. True when the message
// exists and the result is not empty. *pclSortie is unchanged when the message is absent
// and empty when formatting fails.
bool DLLRES_bFormatMessage(unsigned int nId, CTString* pclSortie, ...);
bool DLLRES_bFormatMessageList(unsigned int nId, CTString* pclSortie, char** args);
// The same into a new malloc block in *ppszSortie (null when nothing was made). Returns the
// number of characters, 0 when the message is absent or formatting fails.
int DLLRES_nFormatMessage(unsigned int nId, char** ppszSortie, ...);
int DLLRES_nFormatMessageList(unsigned int nId, char** ppszSortie, char** args);
// As DLLRES_bFormatMessage, on the singular (bPluriel = 0) or the plural form.
bool DLLRES_bFormatMessageSingulierPluriel(int bPluriel, unsigned int nId, CTString* pclSortie, ...);
bool DLLRES_bFormatMessageSingulierPlurielList(int bPluriel, unsigned int nId, CTString* pclSortie, char** args);

// Loads message nId and keeps its singular (bPluriel = 0) or plural form; a message without
// the separator, or that begins with it, is kept whole. False when the message is absent
// (clSortie is then unchanged).
bool __bLoadStringSingulierPluriel(int bPluriel, unsigned int nId, CTString& clSortie);

// Record of a component command, shared with component libraries: 20 bytes on i386.
struct _stCOMMANDECOMPOSANTE {
    std::uint32_t dwReserve;       // not used by command 3
    std::uint32_t dwIdentifiant;   // message identifier
    char* pszBuffer;               // caller's character buffer
    std::int32_t nTaille;          // its size in bytes
    std::int32_t nResultat;        // outcome of the command
};

static_assert(sizeof(void*) != 4 ||
                  (sizeof(_stCOMMANDECOMPOSANTE) == 20 && offsetof(_stCOMMANDECOMPOSANTE, dwIdentifiant) == 4 &&
                   offsetof(_stCOMMANDECOMPOSANTE, pszBuffer) == 8 && offsetof(_stCOMMANDECOMPOSANTE, nTaille) == 12 &&
                   offsetof(_stCOMMANDECOMPOSANTE, nResultat) == 16),
              "i386 layout of the component command record");
static_assert(sizeof(void*) != 8 ||
                  (sizeof(_stCOMMANDECOMPOSANTE) == 24 && offsetof(_stCOMMANDECOMPOSANTE, dwIdentifiant) == 4 &&
                   offsetof(_stCOMMANDECOMPOSANTE, pszBuffer) == 8 && offsetof(_stCOMMANDECOMPOSANTE, nTaille) == 16 &&
                   offsetof(_stCOMMANDECOMPOSANTE, nResultat) == 20),
              "x86-64 layout of the component command record");

// Command 3 loads a message: pst->nResultat = DLLRES_nLoadString(dwIdentifiant, pszBuffer,
// nTaille). Every other command, and a null record, does nothing.
extern "C" void CommandeComposante(int nCommande, _stCOMMANDECOMPOSANTE* pst);
