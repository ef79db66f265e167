// Message access: load a built-in message by identifier, keep its singular or plural form, format it with inserts.
#include "base/messages/AccesDllRes.h"

#include <cstdarg>
#include <cstdlib>

#include "base/compress/CDataCompressor.h"
#include "base/messages/CResAnsi.h"
#include "base/messages/FormatMessage.h"

namespace {

// Between the singular and the plural form: LF, section sign (Windows-1252), LF.
const char* const pszSeparateurSingulierPluriel = "\n\xA7\n";
constexpr long knLgSeparateur = 3;

bool gbDllResInitialise = false;

// Stored text of message nId, or null when nId names no message (a marker is not one).
const char* __pszTexteStocke(unsigned int nId)
{
    const int nEntree = CResAnsi::s_nTrouveEntree(nId);
    if (nEntree < 0 || CResAnsi::s_bEstMarqueur(nEntree))
        return nullptr;
    return CResAnsi::s_pszTexteEntree(nEntree);
}

} // namespace

bool DLLRES_bInit(HINSTANCE__* /*hModule*/, int /*nReserve*/)
{
    gbDllResInitialise = true;
    return true;
}

void DLLRES_Term() { gbDllResInitialise = false; }

bool DLLRES_bUtiliseDLLRes() { return false; }

HINSTANCE__* ghGetRessourceHandle() { return nullptr; }

void DLLRES_SetFichierZVM(const char* /*pszChemin*/) {}

bool DLLRES_bLoadString(unsigned int nId, CTString* pclTexte)
{
    if (pclTexte == nullptr)
        return false;
    const char* pszStocke = __pszTexteStocke(nId);
    if (pszStocke == nullptr)
        return false;
    char* psz = CDataCompressor::s_pszDeCompress(pszStocke);
    if (psz == nullptr)
        return false;
    pclTexte->Set(psz);
    std::free(psz);
    return true;
}

int DLLRES_nLoadString(unsigned int nId, char* pszBuffer, int nTaille)
{
    if (pszBuffer == nullptr || nTaille <= 0)
        return 0;
    const char* pszStocke = __pszTexteStocke(nId);
    if (pszStocke == nullptr)
        return 0;
    int nLongueur = nTaille;
    switch (CDataCompressor::s_nDeCompress(pszBuffer, &nLongueur, pszStocke)) {
    case 0: return nLongueur;
    case 2: return nTaille - 1;
    default: return 0;
    }
}

unsigned int DLLRES_dwFormatMessage(const char* pszFormat, char** ppszSortie, char** args)
{
    if (ppszSortie == nullptr)
        return 0;
    return FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING, pszFormat, 0, 0,
                          reinterpret_cast<char*>(ppszSortie), 0, args);
}

unsigned int DLLRES_dwFormatMessage(const char* pszFormat, CTString* pclSortie, char** args)
{
    if (pclSortie == nullptr)
        return 0;
    char* psz = nullptr;
    const unsigned int n = DLLRES_dwFormatMessage(pszFormat, &psz, args);
    // pszFormat may be pclSortie's own text: it is read before pclSortie changes.
    const bool bReussi = (psz != nullptr);
    pclSortie->Set(psz);
    std::free(psz);
    return bReussi ? n : 0;
}

bool __bLoadStringSingulierPluriel(int bPluriel, unsigned int nId, CTString& clSortie)
{
    CTString cl;
    if (!DLLRES_bLoadString(nId, &cl))
        return false;
    const long nPos = cl.nPos(pszSeparateurSingulierPluriel, 0);
    if (nPos > 0) {
        if (bPluriel)
            cl.TronqueDebut(nPos + knLgSeparateur);
        else
            cl.Tronque(nPos);
    }
    clSortie = cl;
    return true;
}

bool DLLRES_bFormatMessageList(unsigned int nId, CTString* pclSortie, char** args)
{
    CTString clTexte;
    if (pclSortie == nullptr || !DLLRES_bLoadString(nId, &clTexte))
        return false;
    DLLRES_dwFormatMessage(clTexte.pszGet(), pclSortie, args);
    return !pclSortie->bEstVide();
}

bool DLLRES_bFormatMessage(unsigned int nId, CTString* pclSortie, ...)
{
    va_list ap;
    va_start(ap, pclSortie);
    const bool b = DLLRES_bFormatMessageList(nId, pclSortie, reinterpret_cast<char**>(&ap));
    va_end(ap);
    return b;
}

int DLLRES_nFormatMessageList(unsigned int nId, char** ppszSortie, char** args)
{
    if (ppszSortie == nullptr)
        return 0;
    *ppszSortie = nullptr;
    CTString clTexte;
    if (!DLLRES_bLoadString(nId, &clTexte))
        return 0;
    return static_cast<int>(DLLRES_dwFormatMessage(clTexte.pszGet(), ppszSortie, args));
}

int DLLRES_nFormatMessage(unsigned int nId, char** ppszSortie, ...)
{
    va_list ap;
    va_start(ap, ppszSortie);
    const int n = DLLRES_nFormatMessageList(nId, ppszSortie, reinterpret_cast<char**>(&ap));
    va_end(ap);
    return n;
}

bool DLLRES_bFormatMessageSingulierPlurielList(int bPluriel, unsigned int nId, CTString* pclSortie, char** args)
{
    CTString clTexte;
    if (pclSortie == nullptr || !__bLoadStringSingulierPluriel(bPluriel, nId, clTexte))
        return false;
    DLLRES_dwFormatMessage(clTexte.pszGet(), pclSortie, args);
    return !pclSortie->bEstVide();
}

bool DLLRES_bFormatMessageSingulierPluriel(int bPluriel, unsigned int nId, CTString* pclSortie, ...)
{
    va_list ap;
    va_start(ap, pclSortie);
    const bool b = DLLRES_bFormatMessageSingulierPlurielList(bPluriel, nId, pclSortie, reinterpret_cast<char**>(&ap));
    va_end(ap);
    return b;
}

extern "C" void CommandeComposante(int nCommande, _stCOMMANDECOMPOSANTE* pst)
{
    if (nCommande != 3 || pst == nullptr)
        return;
    pst->nResultat = DLLRES_nLoadString(pst->dwIdentifiant, pst->pszBuffer, pst->nTaille);
}
