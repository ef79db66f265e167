// CXError: the error object shared with the runtime library, its typed items, sub-errors and text report.
#include "base/errors/CXError.h"

#include "base/generated/NomsMessages.h"

#include <netdb.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "base/messages/AccesDllRes.h"
#include "base/messages/FormatMessage.h"

const _stERRORDEF gstErrorDef[3] = {
    {1, 0, 0, 3},
    {2, 0, 0, 3},
    {3, 0, 0, 3},
};

namespace {

// Fall-back texts: developer texts, never translated, single-byte (0xE9 is é).
const char kszRessourceVide[] = "##(CXError)-Ressource <%1$u> vide. LastError = <%2$u>##";
const char kszRessourceNonChargee[] = "##(CXError)-Ressource <%1$u> non charg\xE9" "e##";
const char kszErreurNonDefinie[] = "##(CXError)-Erreur <%1$u> non d\xE9" "finie dans gstErrorDef##";
const char kszMessageNonFormate[] = "##(CXError)-Message non format\xE9 : <";

const char kszModuleExe[] = "ZVExe.exe";
const char kszVersionExe[] = "15.00Ab";

constexpr unsigned int kFormatAlloueDepuisTexte = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING;

// ---- Members at unaligned addresses ---------------------------------------------------
// Text members of the packed layout sit at any address: they are read and written byte-wise.
template <typename T>
T* LitPointeur(T* const* pp)
{
    T* p;
    std::memcpy(&p, static_cast<const void*>(pp), sizeof p);
    return p;
}

template <typename T>
void EcritPointeur(T** pp, T* p)
{
    std::memcpy(static_cast<void*>(pp), &p, sizeof p);
}

// ---- Information item kinds ------------------------------------------------------------
enum class Genre { Aucun, Texte, Large, Entier32, Entier64, Objet, Pointeur };

Genre GenreInfo(int32_t nType)
{
    switch (nType) {
    case EIT_RECNUM:
        return Genre::Entier64;
    case EIT_BASECODE:
    case EIT_NATIVECODE:
    case EIT_ADOCODE:
    case EIT_XINFO:
        return Genre::Entier32;
    case EIT_DATAACCESS:
        return Genre::Objet;
    case EIT_POINTER:
        return Genre::Pointeur;
    case EIT_SRCFILEUNICODE:
    case EIT_DSTFILEUNICODE:
        return Genre::Large;
    default:
        return nType >= EIT_SRCFILE && nType <= EIT_DSTFILEUNICODE ? Genre::Texte : Genre::Aucun;
    }
}

// Report line formats, by item type (null: never printed).
const char* const kaszLibelleInfo[] = {
    nullptr,
    "EIT_SRCFILE : <%s>",
    "EIT_DSTFILE : <%s>",
    "EIT_USERNAME : <%s>",
    "EIT_HELPFILE : <%s>",
    "EIT_PATHZVD : <%s>",
    "EIT_LOGICALTABLENAME : <%s>",
    "EIT_ITEMNAME : <%s>",
    "EIT_PATHFIC : <%s>",
    "EIT_PATHNDX : <%s>",
    "EIT_PATHMMO : <%s>",
    "EIT_LINKNAME : <%s>",
    "EIT_RECNUM : <%lld>",
    "EIT_ODBCCODE : <%s>",
    "EIT_ODBCDESCRIPTION : <%s>",
    "EIT_BASECODE : <%d>",
    "EIT_NATIVECODE : <%d>",
    "EIT_ADOCODE : <%d>",
    "EIT_BASEMESSAGE : <%s>",
    "EIT_NATIVEMESSAGE : <%s>",
    "EIT_ADOMESSAGE : <%s>",
    "EIT_DATAACCESS : <%p>",
    "EIT_INFOCLIENT : <%s>",
    "EIT_INFOSERVEUR : <%s>",
    "EIT_PILEKL :\r\n%s",
    "EIT_DATEHEURE : %s",
    "EIT_LOCKINFO : %s",
    "EIT_CORRIGE_ETAT : %s",
    "EIT_INFOCS : <%s>",
    nullptr,
    "EIT_XINFO : <%d>",
    "EIT_COMPOSANT :\r\n%s",
    "EIT_SERVEURCS : <%s>",
    "EIT_PILEC :\r\n%s",
    "EIT_SRCFILEUNICODE : <%ls>",
    "EIT_DSTFILEUNICODE : <%ls>",
};
static_assert(sizeof(kaszLibelleInfo) / sizeof(kaszLibelleInfo[0]) == EIT_DSTFILEUNICODE + 1,
              "one report format per item type");

// An inline 32-bit value travels as the pointer value itself.
const void* PointeurDeEntier(int32_t n)
{
    return reinterpret_cast<const void*>(static_cast<intptr_t>(n));
}

int32_t EntierDePointeur(const void* p)
{
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(p));
}

// ---- Messages of the table ---------------------------------------------------------------
enum class Ressource { Formatee, Vide, Absente };

// Message nId formatted with the inserts args (address of a va_list, or null). Absente when
// the table lacks the message or its text cannot be formatted, Vide when it formats to "".
Ressource FormateRessource(unsigned int nId, char** args, CTString& clOut)
{
    CTString clTexte;
    if (!DLLRES_bLoadString(nId, &clTexte))
        return Ressource::Absente;
    char* psz = nullptr;
    FormatMessageA(kFormatAlloueDepuisTexte, clTexte.pszGet(), 0, 0, reinterpret_cast<char*>(&psz), 0, args);
    if (psz == nullptr)
        return Ressource::Absente;
    clOut.SetBuffer(psz);
    return clOut.bEstVide() ? Ressource::Vide : Ressource::Formatee;
}

// printf formatting into a new malloc block; null when the text cannot be formatted.
char* FormateTexte(const char* pszFormat, char** args)
{
    if (pszFormat == nullptr)
        return nullptr;
    char* psz = nullptr;
    FormatMessageA(kFormatAlloueDepuisTexte, pszFormat, 0, 0, reinterpret_cast<char*>(&psz), 0, args);
    return psz;
}

} // namespace

// ---- Construction ----------------------------------------------------------------------------

CXError::CXError() : m_tabErrorId(1, 30), m_tabInfo(1, 30)
{
    __Initialise();
}

CXError::CXError(unsigned int nCode, ...) : m_tabErrorId(1, 30), m_tabInfo(1, 30)
{
    __Initialise();
    va_list ap;
    va_start(ap, nCode);
    SetUserErrorList(nCode, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

CXError::CXError(unsigned int nCode, char** args) : m_tabErrorId(1, 30), m_tabInfo(1, 30)
{
    __Initialise();
    SetUserErrorList(nCode, args);
}

CXError::CXError(const char* pszDebug, unsigned int nCode, ...) : m_tabErrorId(1, 30), m_tabInfo(1, 30)
{
    __Initialise();
    va_list ap;
    va_start(ap, nCode);
    SetUserErrorList(nCode, reinterpret_cast<char**>(&ap));
    va_end(ap);
    AddDebugMessageList(pszDebug, nullptr);
}

CXError::CXError(const char* pszDebug, unsigned int nCode, char** args) : m_tabErrorId(1, 30), m_tabInfo(1, 30)
{
    __Initialise();
    SetUserErrorList(nCode, args);
    AddDebugMessageList(pszDebug, nullptr);
}

CXError::CXError(const CXError& clSource) : CZVUnknown(), m_tabErrorId(1, 30), m_tabInfo(1, 30)
{
    __Initialise();
    Copy(clSource);
}

CXError::CXError(CXError& clSource, int bLight) : m_tabErrorId(1, 30), m_tabInfo(1, 30)
{
    __Initialise();
    if (bLight)
        LightCopy(&clSource);
    else
        Copy(clSource);
}

CXError::CXError(CXError* pclSource, int bLight) : m_tabErrorId(1, 30), m_tabInfo(1, 30)
{
    __Initialise();
    if (bLight)
        LightCopy(pclSource);
    else
        Copy(pclSource);
}

void CXError::__Initialise()
{
    m_nRefCount = 0;
    m_eLevel = EL_CLEAR;
    m_nUserErrorCode = 0;
    m_pszUserMessage = nullptr;
    m_pszDebugMessage = nullptr;
    m_pszFunctionName = nullptr;
    m_pszModName = nullptr;
    m_pszModVersion = nullptr;
    m_nFunctionSyntax = 0;
    m_nDetailId = 0;
    m_dwSystemErrorCode = 0;
    m_pszSystemErrorMessage = nullptr;
    m_pszTraitmentCaption = nullptr;
    m_wTraitmentLine = 0;
    m_wTraitmentThread = 0;
    m_ptabSubError = nullptr;
    m_pszObjectName = nullptr;
    m_pszInternalModName = nullptr;
    m_nUserErrorCode55 = 0;
    __vpszAllocString(&m_pszInternalModName, kszModuleExe);
}

CXError::~CXError()
{
    RAZ();
    __vDeleteString(&m_pszInternalModName);
}

void CXError::InitInternalModName(const char* psz)
{
    __CopieTexte(&m_pszInternalModName, psz);
}

// ---- String primitives -----------------------------------------------------------------------

char* CXError::__vpszAllocString(char** pm, const char* psz)
{
    if (pm == nullptr)
        return nullptr;
    char* pszNouveau = nullptr;
    if (psz != nullptr) {
        const std::size_t n = std::strlen(psz) + 1;
        pszNouveau = static_cast<char*>(std::malloc(n));
        if (pszNouveau != nullptr)
            std::memcpy(pszNouveau, psz, n);
    }
    EcritPointeur(pm, pszNouveau);
    return pszNouveau;
}

char* CXError::__vpszReallocString(char** pm, const char* psz)
{
    if (pm == nullptr)
        return nullptr;
    char* pszAncien = LitPointeur(pm);
    if (psz == nullptr) {
        __vDeleteString(pm);
        return nullptr;
    }
    if (pszAncien == psz)
        return pszAncien;
    const std::size_t n = std::strlen(psz) + 1;
    if (pszAncien != nullptr && psz > pszAncien && psz <= pszAncien + std::strlen(pszAncien)) {
        // psz is a tail of the current text: bring it to the front before the block shrinks.
        std::memmove(pszAncien, psz, n);
        char* pszReduit = static_cast<char*>(std::realloc(pszAncien, n));
        if (pszReduit != nullptr)
            EcritPointeur(pm, pszReduit);
        return LitPointeur(pm);
    }
    char* pszNouveau = static_cast<char*>(std::realloc(pszAncien, n));
    if (pszNouveau == nullptr) {
        std::free(pszAncien);
        EcritPointeur<char>(pm, nullptr);
        return nullptr;
    }
    std::memcpy(pszNouveau, psz, n);
    EcritPointeur(pm, pszNouveau);
    return pszNouveau;
}

char* CXError::__vpszReallocString(char** pm, unsigned int n)
{
    if (pm == nullptr)
        return nullptr;
    char* pszAncien = LitPointeur(pm);
    char* pszNouveau = static_cast<char*>(std::realloc(pszAncien, std::size_t(n) + 1));
    if (pszNouveau == nullptr) {
        std::free(pszAncien);
        EcritPointeur<char>(pm, nullptr);
        return nullptr;
    }
    if (pszAncien == nullptr)
        pszNouveau[0] = '\0';
    pszNouveau[n] = '\0';
    EcritPointeur(pm, pszNouveau);
    return pszNouveau;
}

char* CXError::__vpszConcatString(char** pm, const char* psz)
{
    if (pm == nullptr)
        return nullptr;
    char* pszAncien = LitPointeur(pm);
    if (psz == nullptr)
        return pszAncien;
    if (pszAncien == nullptr)
        return __vpszAllocString(pm, psz);
    const std::size_t nAncien = std::strlen(pszAncien);
    const std::size_t nAjout = std::strlen(psz);
    // psz may lie in the current text: keep its offset, the block may move.
    const bool bInterne = psz >= pszAncien && psz <= pszAncien + nAncien;
    const std::size_t nDecalage = bInterne ? std::size_t(psz - pszAncien) : 0;
    char* pszNouveau = static_cast<char*>(std::realloc(pszAncien, nAncien + nAjout + 1));
    if (pszNouveau == nullptr) {
        std::free(pszAncien);
        EcritPointeur<char>(pm, nullptr);
        return nullptr;
    }
    std::memmove(pszNouveau + nAncien, bInterne ? pszNouveau + nDecalage : psz, nAjout);
    pszNouveau[nAncien + nAjout] = '\0';
    EcritPointeur(pm, pszNouveau);
    return pszNouveau;
}

void CXError::__vDeleteString(char** pm)
{
    if (pm == nullptr)
        return;
    std::free(LitPointeur(pm));
    EcritPointeur<char>(pm, nullptr);
}

wchar_t* CXError::__vpszAllocStringW(wchar_t** pm, const wchar_t* pwsz)
{
    if (pm == nullptr)
        return nullptr;
    wchar_t* pwszNouveau = nullptr;
    if (pwsz != nullptr) {
        const std::size_t n = (std::wcslen(pwsz) + 1) * sizeof(wchar_t);
        pwszNouveau = static_cast<wchar_t*>(std::malloc(n));
        if (pwszNouveau != nullptr)
            std::memcpy(pwszNouveau, pwsz, n);
    }
    EcritPointeur(pm, pwszNouveau);
    return pwszNouveau;
}

void CXError::__vDeleteStringW(wchar_t** pm)
{
    if (pm == nullptr)
        return;
    std::free(LitPointeur(pm));
    EcritPointeur<wchar_t>(pm, nullptr);
}

void CXError::__AjouteTexte(char** pm, const char* pszText)
{
    if (pszText == nullptr)
        return;
    if (LitPointeur(pm) == nullptr) {
        __vpszConcatString(pm, pszText);
        return;
    }
    // One append, so that a text taken from *pm itself is read before the block moves.
    CTString clAjout;
    clAjout.Set("\r\n", pszText, nullptr);
    __vpszConcatString(pm, clAjout.pszGet());
}

void CXError::__InsereTexte(char** pm, const char* pszText)
{
    if (pszText == nullptr)
        return;
    const char* pszAncien = LitPointeur(pm);
    CTString clNouveau;
    if (pszAncien == nullptr)
        clNouveau.Set(pszText);
    else
        clNouveau.Set(pszText, "\r\n", pszAncien);
    if (clNouveau.bEstVide())
        __vpszReallocString(pm, "");
    else
        __vpszReallocString(pm, clNouveau.pszGet());
}

void CXError::__CopieTexte(char** pm, const char* psz)
{
    if (psz == nullptr)
        __vDeleteString(pm);
    else
        __vpszReallocString(pm, psz);
}

// ---- Module identity, codes, context and level ------------------------------------------------

void CXError::InitModInfo(int bForce)
{
    if (!bForce && m_pszModName != nullptr)
        return;
    __vpszReallocString(&m_pszModName, kszModuleExe);
    __vpszReallocString(&m_pszModVersion, kszVersionExe);
}

void CXError::InitModName(const char* psz)
{
    __CopieTexte(&m_pszModName, psz);
}

void CXError::InitModVersion(const char* psz)
{
    __CopieTexte(&m_pszModVersion, psz);
}

void CXError::SetFunctionName(const char* pszName, unsigned char nSyntax)
{
    __CopieTexte(&m_pszFunctionName, pszName);
    if (m_pszFunctionName != nullptr)
        m_nFunctionSyntax = nSyntax;
}

void CXError::SetVMContext(const char* pszCaption, const char* pszObjectName, unsigned short wLine,
                           unsigned short wThread)
{
    __CopieTexte(&m_pszTraitmentCaption, pszCaption);
    if (pszCaption != nullptr && m_pszTraitmentCaption == nullptr)
        return;
    __CopieTexte(&m_pszObjectName, pszObjectName);
    if (pszObjectName != nullptr && m_pszObjectName == nullptr)
        return;
    m_wTraitmentLine = wLine;
    m_wTraitmentThread = wThread;
}

void CXError::SetErrorLevel(eERRORLEVEL eLevel)
{
    // Level 1 always clears, even an error that was filled without ever leaving level 1.
    if (eLevel == EL_CLEAR)
        RAZ();
    else
        m_eLevel = eLevel;
}

// ---- User errors ----------------------------------------------------------------------------

namespace {

const _stERRORDEF* pstTrouveErrorDef(unsigned int nCode)
{
    for (const _stERRORDEF& st : gstErrorDef)
        if (st.nUserErrorCode == nCode)
            return &st;
    return nullptr;
}

} // namespace

unsigned int CXError::nGetRessourceIdFromUserErrorCode(unsigned int nCode)
{
    const _stERRORDEF* pst = pstTrouveErrorDef(nCode);
    return pst ? pst->nRessourceId : 0;
}

void CXError::ChangeUserError(unsigned int nCode, ...)
{
    va_list ap;
    va_start(ap, nCode);
    ChangeUserErrorList(nCode, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::ChangeUserErrorList(unsigned int nCode, char** args)
{
    InitModInfo(1);
    const _stERRORDEF* pst = pstTrouveErrorDef(nCode);
    if (pst == nullptr) {
        SetErrorLevel(EL_USERERROR);
        AddDebugMessage(kszErreurNonDefinie, nCode);
        return;
    }
    m_nUserErrorCode = nCode;
    AddUserMessageListFirst(pst->nRessourceId, args);
    m_nDetailId = pst->nDetailId;
    SetErrorLevel(static_cast<eERRORLEVEL>(pst->nLevel));
}

void CXError::SetUserError(unsigned int nCode, ...)
{
    va_list ap;
    va_start(ap, nCode);
    SetUserErrorList(nCode, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::SetUserErrorList(unsigned int nCode, char** args)
{
    RAZ();
    ChangeUserErrorList(nCode, args);
}

void CXError::SetUserErrorMessage(unsigned int nCode, const char* pszText)
{
    RAZ();
    InitModInfo(1);
    const _stERRORDEF* pst = pstTrouveErrorDef(nCode);
    if (pst == nullptr) {
        SetErrorLevel(EL_USERERROR);
        AddDebugMessage(kszErreurNonDefinie, nCode);
        return;
    }
    m_nUserErrorCode = nCode;
    AddUserMessageFirst(pszText);
    m_nDetailId = pst->nDetailId;
    SetErrorLevel(static_cast<eERRORLEVEL>(pst->nLevel));
}

// ---- User message ---------------------------------------------------------------------------

void CXError::AddUserMessage(const char* pszText)
{
    __AjouteTexte(&m_pszUserMessage, pszText);
}

void CXError::AddUserMessageNoFormat(const char* pszText)
{
    if (pszText != nullptr && *pszText != '\0')
        __AjouteTexte(&m_pszUserMessage, pszText);
}

void CXError::AddUserMessage(unsigned int nId, ...)
{
    va_list ap;
    va_start(ap, nId);
    AddUserMessageList(nId, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::AddUserMessageList(unsigned int nId, char** args)
{
    __AddUserMessageIdList(nId, args, false);
}

void CXError::AddUserMessageFirst(const char* pszText)
{
    __InsereTexte(&m_pszUserMessage, pszText);
}

void CXError::AddUserMessageFirst(unsigned int nId, ...)
{
    va_list ap;
    va_start(ap, nId);
    AddUserMessageListFirst(nId, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::AddUserMessageListFirst(unsigned int nId, char** args)
{
    __AddUserMessageIdList(nId, args, true);
}

void CXError::__AddUserMessageIdList(unsigned int nId, char** args, bool bFirst)
{
    const unsigned int nErrno = static_cast<unsigned int>(errno);
    InitModInfo(0);
    if (bFirst)
        m_tabErrorId.Insere(&nId, 0);
    else
        m_tabErrorId.Ajoute(&nId);
    CTString clTexte;
    switch (FormateRessource(nId, args, clTexte)) {
    case Ressource::Formatee:
        if (bFirst)
            AddUserMessageFirst(clTexte.pszGet());
        else
            AddUserMessage(clTexte.pszGet());
        break;
    case Ressource::Vide:
        AddDebugMessage(kszRessourceVide, nId, nErrno);
        break;
    case Ressource::Absente:
        AddDebugMessage(kszRessourceNonChargee, nId);
        break;
    }
}

void CXError::RAZUserMessage()
{
    __vDeleteString(&m_pszUserMessage);
}

// ---- Debug message --------------------------------------------------------------------------

void CXError::AddDebugMessage(const char* pszFormat, ...)
{
    va_list ap;
    va_start(ap, pszFormat);
    AddDebugMessageList(pszFormat, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::AddDebugMessageList(const char* pszFormat, char** args)
{
    if (pszFormat == nullptr)
        return;
    char* psz = FormateTexte(pszFormat, args);
    if (psz != nullptr) {
        if (*psz != '\0')
            __AjouteTexte(&m_pszDebugMessage, psz);
        std::free(psz);
        return;
    }
    // The format is kept as it is, on a line of its own even in an empty debug message.
    CTString clRepli;
    clRepli.Set("\r\n", kszMessageNonFormate, pszFormat);
    clRepli.Add(">##");
    __vpszConcatString(&m_pszDebugMessage, clRepli.pszGet());
}

void CXError::AddDebugMessage(unsigned int nId, ...)
{
    if (nId == 0xFFFFFFFFu)
        return;
    va_list ap;
    va_start(ap, nId);
    AddDebugMessageList(nId, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::AddDebugMessageList(unsigned int nId, char** args)
{
    const unsigned int nErrno = static_cast<unsigned int>(errno);
    CTString clTexte;
    switch (FormateRessource(nId, args, clTexte)) {
    case Ressource::Formatee:
        __AjouteTexte(&m_pszDebugMessage, clTexte.pszGet());
        break;
    case Ressource::Vide:
        AddDebugMessage(kszRessourceVide, nId, nErrno);
        break;
    case Ressource::Absente:
        AddDebugMessage(kszRessourceNonChargee, nId);
        break;
    }
}

void CXError::AddDebugMessageNoFormat(const char* pszText)
{
    if (pszText != nullptr && *pszText != '\0')
        __AjouteTexte(&m_pszDebugMessage, pszText);
}

void CXError::AddDebugMessageFirst(const char* pszText)
{
    if (pszText != nullptr && *pszText != '\0')
        __InsereTexte(&m_pszDebugMessage, pszText);
}

// ---- System error ---------------------------------------------------------------------------

void CXError::SetSystemError(unsigned int nCode)
{
    const int nErrno = errno;
    m_dwSystemErrorCode = nCode;
    if (nCode == 0)
        __vDeleteString(&m_pszSystemErrorMessage);
    else
        __vpszReallocString(&m_pszSystemErrorMessage, std::strerror(nErrno));
}

void CXError::SetSystemErrorForGetHostBy(unsigned int nCode)
{
    const int nHErrno = h_errno;
    m_dwSystemErrorCode = nCode;
    __vpszReallocString(&m_pszSystemErrorMessage, hstrerror(nHErrno));
}

void CXError::SetSystemErrorMessage(unsigned int nCode, const char* pszFormat, ...)
{
    va_list ap;
    va_start(ap, pszFormat);
    __SetSystemErrorFormatList(nCode, pszFormat, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::SetSystemErrorMessage(const char* pszFormat, ...)
{
    va_list ap;
    va_start(ap, pszFormat);
    __SetSystemErrorFormatList(0, pszFormat, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::__SetSystemErrorFormatList(unsigned int nCode, const char* pszFormat, char** args)
{
    m_dwSystemErrorCode = nCode;
    char* psz = FormateTexte(pszFormat, args);
    __vpszReallocString(&m_pszSystemErrorMessage, psz ? psz : "");
    std::free(psz);
}

void CXError::SetSystemErrorMessage(unsigned int nId, ...)
{
    va_list ap;
    va_start(ap, nId);
    SetSystemErrorMessageList(nId, reinterpret_cast<char**>(&ap));
    va_end(ap);
}

void CXError::SetSystemErrorMessageList(unsigned int nId, char** args)
{
    const unsigned int nErrno = static_cast<unsigned int>(errno);
    CTString clTexte;
    switch (FormateRessource(nId, args, clTexte)) {
    case Ressource::Formatee:
        m_dwSystemErrorCode = 0;
        __vpszReallocString(&m_pszSystemErrorMessage, clTexte.pszGet());
        break;
    case Ressource::Vide:
        SetSystemErrorMessage(kszRessourceVide, nId, nErrno);
        break;
    case Ressource::Absente:
        SetSystemErrorMessage(kszRessourceNonChargee, nId);
        break;
    }
}

// ---- Error identifiers ----------------------------------------------------------------------

unsigned int CXError::nNumErrorId() const
{
    return static_cast<unsigned int>(m_tabErrorId.nGetNombre());
}

unsigned int CXError::nGetErrorId(unsigned int nIndex) const
{
    if (nIndex >= nNumErrorId())
        return 0;
    unsigned int nId;
    std::memcpy(&nId, m_tabErrorId.pGetElem(static_cast<int>(nIndex)), sizeof nId);
    return nId;
}

// ---- Information items ----------------------------------------------------------------------

unsigned int CXError::nNumInfo() const
{
    return static_cast<unsigned int>(m_tabInfo.nGetNombre());
}

int CXError::__nIndexInfo(eERRORINFOTYPE eType) const
{
    const int n = m_tabInfo.nGetNombre();
    for (int i = 0; i < n; ++i)
        if (static_cast<const _stERRORINFO*>(m_tabInfo.pGetElem(i))->eType == eType)
            return i;
    return -1;
}

void CXError::__LibereValeurInfo(_stERRORINFO& stInfo)
{
    switch (GenreInfo(stInfo.eType)) {
    case Genre::Texte: {
        char* psz = static_cast<char*>(stInfo.uValeur.p);
        __vDeleteString(&psz);
        break;
    }
    case Genre::Large: {
        wchar_t* pwsz = static_cast<wchar_t*>(stInfo.uValeur.p);
        __vDeleteStringW(&pwsz);
        break;
    }
    case Genre::Objet:
        if (stInfo.uValeur.p != nullptr)
            static_cast<CZVUnknown*>(stInfo.uValeur.p)->dwRelease();
        break;
    default:
        break;
    }
    std::memset(stInfo.uValeur.ab, 0, sizeof stInfo.uValeur.ab);
}

void CXError::__SupprimeToutesInfos()
{
    for (int i = m_tabInfo.nGetNombre() - 1; i >= 0; --i) {
        // The record leaves the array before its value is released: a release may run code
        // of another module, which must find this error consistent.
        _stERRORINFO st;
        std::memcpy(&st, m_tabInfo.pGetElem(i), sizeof st);
        m_tabInfo.Supprime(i, 1);
        __LibereValeurInfo(st);
    }
    m_tabInfo.Compacter();
}

bool CXError::AddInfo(eERRORINFOTYPE eType, const void* pValue)
{
    const int nIndex = __nIndexInfo(eType);
    if (pValue == nullptr)
        return nIndex >= 0;
    const Genre eGenre = GenreInfo(eType);
    if (eGenre == Genre::Aucun)
        return nIndex >= 0;

    // The new value is made before the old one is freed: pValue may be the stored text.
    _stERRORINFO stNouveau;
    std::memset(&stNouveau, 0, sizeof stNouveau);
    stNouveau.eType = eType;
    switch (eGenre) {
    case Genre::Texte: {
        char* psz = nullptr;
        if (__vpszAllocString(&psz, static_cast<const char*>(pValue)) == nullptr)
            return false;
        stNouveau.uValeur.p = psz;
        break;
    }
    case Genre::Large: {
        wchar_t* pwsz = nullptr;
        if (__vpszAllocStringW(&pwsz, static_cast<const wchar_t*>(pValue)) == nullptr)
            return false;
        stNouveau.uValeur.p = pwsz;
        break;
    }
    case Genre::Entier32:
        std::memcpy(stNouveau.uValeur.ab, pValue, 4);
        break;
    case Genre::Entier64:
        std::memcpy(stNouveau.uValeur.ab, pValue, 8);
        break;
    default:  // Objet, Pointeur
        stNouveau.uValeur.p = const_cast<void*>(pValue);
        break;
    }

    if (nIndex >= 0) {
        _stERRORINFO* pst = static_cast<_stERRORINFO*>(m_tabInfo.pGetElem(nIndex));
        if (eGenre == Genre::Objet) {
            if (pst->uValeur.p == pValue)
                return true;
            static_cast<CZVUnknown*>(const_cast<void*>(pValue))->AddRefDirect();
        }
        _stERRORINFO stAncien;
        std::memcpy(&stAncien, pst, sizeof stAncien);
        std::memcpy(pst, &stNouveau, sizeof stNouveau);
        __LibereValeurInfo(stAncien);
        return true;
    }

    if (!m_tabInfo.Ajoute(&stNouveau)) {
        if (eGenre != Genre::Objet)  // no reference taken yet
            __LibereValeurInfo(stNouveau);
        return false;
    }
    if (eGenre == Genre::Objet)
        static_cast<CZVUnknown*>(const_cast<void*>(pValue))->AddRefDirect();
    return true;
}

bool CXError::bGetInfo(eERRORINFOTYPE eType, const void** ppValue) const
{
    const int nIndex = __nIndexInfo(eType);
    if (nIndex < 0)
        return false;
    eERRORINFOTYPE eLu;
    GetInfo(static_cast<unsigned int>(nIndex), &eLu, ppValue);
    return true;
}

void CXError::GetInfo(unsigned int nIndex, eERRORINFOTYPE* peType, const void** ppValue) const
{
    const _stERRORINFO* pst = nIndex < nNumInfo()
        ? static_cast<const _stERRORINFO*>(m_tabInfo.pGetElem(static_cast<int>(nIndex)))
        : nullptr;
    const Genre eGenre = pst ? GenreInfo(pst->eType) : Genre::Aucun;
    if (peType != nullptr)
        *peType = eGenre == Genre::Aucun ? EIT_NONE : pst->eType;
    if (eGenre == Genre::Aucun || ppValue == nullptr)
        return;
    switch (eGenre) {
    case Genre::Entier32:
        *ppValue = PointeurDeEntier(pst->uValeur.n);
        break;
    case Genre::Entier64:
        if (*ppValue != nullptr)
            std::memcpy(const_cast<void*>(*ppValue), pst->uValeur.ab, 8);
        break;
    default:
        *ppValue = pst->uValeur.p;
        break;
    }
}

void CXError::DeleteInfo(eERRORINFOTYPE eType)
{
    const int nIndex = __nIndexInfo(eType);
    if (nIndex < 0)
        return;
    _stERRORINFO st;
    std::memcpy(&st, m_tabInfo.pGetElem(nIndex), sizeof st);
    m_tabInfo.SupprimeCompacte(nIndex);
    __LibereValeurInfo(st);
}

void CXError::DumpInfo(eERRORINFOTYPE eType, const void* pValue, CTString* pclOut) const
{
    if (pclOut == nullptr)
        return;
    CTString clLigne;
    __DumpInfo(eType, pValue, clLigne, 1);
    pclOut->Add(clLigne.pszGet());
}

void CXError::__DumpInfo(eERRORINFOTYPE eType, const void* pValue, CTString& clOut, int bPrintEmpty) const
{
    clOut.Vide();
    const Genre eGenre = GenreInfo(eType);
    const char* pszLibelle = eGenre == Genre::Aucun ? nullptr : kaszLibelleInfo[eType];
    if (pszLibelle == nullptr)
        return;
    switch (eGenre) {
    case Genre::Texte: {
        const char* psz = static_cast<const char*>(pValue);
        if ((psz == nullptr || *psz == '\0') && !bPrintEmpty)
            return;
        clOut.printf(pszLibelle, psz ? psz : "");
        break;
    }
    case Genre::Large: {
        const wchar_t* pwsz = static_cast<const wchar_t*>(pValue);
        if (clOut.printf(pszLibelle, pwsz ? pwsz : L"") < 0) {
            // The C library cannot write the text in the current locale: show its
            // Windows-1252 form, the code page of the report, rather than lose the line.
            const CTString clAnsi(pwsz ? pwsz : L"");
            CTString clLibelle(pszLibelle);
            clLibelle.Remplace("%ls", "%s");
            clOut.printf(clLibelle.pszGet(), clAnsi.pszGet());
        }
        break;
    }
    case Genre::Entier32:
        clOut.printf(pszLibelle, EntierDePointeur(pValue));
        break;
    case Genre::Entier64: {
        if (pValue == nullptr)
            return;
        int64_t ll;
        std::memcpy(&ll, pValue, sizeof ll);
        clOut.printf(pszLibelle, static_cast<long long>(ll));
        break;
    }
    case Genre::Objet:
        clOut.printf(pszLibelle, pValue);
        break;
    default:
        break;
    }
}

void CXError::__SetXInfo(int nMask, int bSet)
{
    const void* pValeur = nullptr;
    int32_t nFlags = bGetInfo(EIT_XINFO, &pValeur) ? EntierDePointeur(pValeur) : 0;
    nFlags = bSet ? (nFlags | nMask) : (nFlags & ~nMask);
    AddInfo(EIT_XINFO, &nFlags);
}

bool CXError::__bGetXInfo(int nMask) const
{
    const void* pValeur = nullptr;
    return bGetInfo(EIT_XINFO, &pValeur) && (EntierDePointeur(pValeur) & nMask) != 0;
}

// ---- Sub-errors -----------------------------------------------------------------------------

void CXError::__AddSubError(CXError* pclSource, int bLight, int bNoUserMessage)
{
    if (pclSource == nullptr)
        return;
    // The copy comes first: a light copy of this very error takes its sub-error array away.
    CXError* pclSous = bLight ? new (std::nothrow) CXError(pclSource, 1) : new (std::nothrow) CXError(*pclSource);
    if (pclSous == nullptr)
        return;
    if (m_ptabSubError == nullptr)
        m_ptabSubError = new (std::nothrow) CTTableau<CXError*>(10, 30);
    if (m_ptabSubError == nullptr || !m_ptabSubError->Ajoute(&pclSous)) {
        delete pclSous;
        return;
    }
    // An absent or empty message of the first sub-error adds nothing, not even a line end.
    if (!bNoUserMessage && m_ptabSubError->nGetNombre() == 1)
        AddUserMessageNoFormat(pclSous->m_pszUserMessage);
}

void CXError::__DeleteAllSubError()
{
    CTTableau<CXError*>* ptab = m_ptabSubError;
    if (ptab == nullptr)
        return;
    m_ptabSubError = nullptr;
    for (int i = 0; i < ptab->nGetNombre(); ++i) {
        CXError* pclSous;
        std::memcpy(&pclSous, ptab->pGetElem(i), sizeof pclSous);
        delete pclSous;
    }
    delete ptab;
}

CXError* CXError::pclGetSubError(int nIndex) const
{
    if (m_ptabSubError == nullptr)
        return nullptr;
    const void* pv = m_ptabSubError->pGetElem(nIndex);
    if (pv == nullptr)
        return nullptr;
    CXError* pclSous;
    std::memcpy(&pclSous, pv, sizeof pclSous);
    return pclSous;
}

int CXError::nGetNbSubError() const
{
    return m_ptabSubError ? m_ptabSubError->nGetNombre() : 0;
}

// ---- Copies and reset -----------------------------------------------------------------------

bool CXError::__bMemeModule(const CXError& clAutre) const
{
    // An unknown builder is never taken for this one.
    return m_pszInternalModName != nullptr && clAutre.m_pszInternalModName != nullptr &&
           std::strcmp(m_pszInternalModName, clAutre.m_pszInternalModName) == 0;
}

void CXError::Copy(const CXError* pclSource)
{
    if (pclSource != nullptr)
        Copy(*pclSource);
}

void CXError::Copy(const CXError& clSource)
{
    if (&clSource == this)
        return;
    m_eLevel = clSource.m_eLevel;
    m_nUserErrorCode = clSource.m_nUserErrorCode;
    m_nUserErrorCode55 = clSource.m_nUserErrorCode55;

    __CopieTexte(&m_pszUserMessage, clSource.m_pszUserMessage);
    __CopieTexte(&m_pszModName, clSource.m_pszModName);
    __CopieTexte(&m_pszModVersion, clSource.m_pszModVersion);
    __CopieTexte(&m_pszDebugMessage, clSource.m_pszDebugMessage);
    __CopieTexte(&m_pszFunctionName, clSource.m_pszFunctionName);

    m_dwSystemErrorCode = clSource.m_dwSystemErrorCode;
    __CopieTexte(&m_pszSystemErrorMessage, clSource.m_pszSystemErrorMessage);
    __CopieTexte(&m_pszTraitmentCaption, clSource.m_pszTraitmentCaption);
    __CopieTexte(&m_pszObjectName, clSource.m_pszObjectName);

    m_tabErrorId.SupprimeToutEtLibere();
    for (unsigned int i = 0; i < clSource.nNumErrorId(); ++i) {
        const unsigned int nId = clSource.nGetErrorId(i);
        m_tabErrorId.Ajoute(&nId);
    }
    m_nDetailId = clSource.m_nDetailId;
    m_nFunctionSyntax = clSource.m_nFunctionSyntax;
    m_wTraitmentLine = clSource.m_wTraitmentLine;
    m_wTraitmentThread = clSource.m_wTraitmentThread;

    __SupprimeToutesInfos();
    const bool bMemeModule = __bMemeModule(clSource);
    for (int i = 0; i < clSource.m_tabInfo.nGetNombre(); ++i) {
        const _stERRORINFO* pst = static_cast<const _stERRORINFO*>(clSource.m_tabInfo.pGetElem(i));
        switch (GenreInfo(pst->eType)) {
        case Genre::Aucun:
            break;
        case Genre::Entier32:
        case Genre::Entier64:
            AddInfo(pst->eType, pst->uValeur.ab);
            break;
        case Genre::Objet:
            if (bMemeModule)
                AddInfo(pst->eType, pst->uValeur.p);
            break;
        default:
            AddInfo(pst->eType, pst->uValeur.p);
            break;
        }
    }

    for (int i = 0; i < clSource.nGetNbSubError(); ++i) {
        CXError* pclSous = clSource.pclGetSubError(i);
        if (pclSous != nullptr)
            __AddSubError(pclSous, 0, 1);
    }
}

void CXError::LightCopy(CXError* pclSource)
{
    if (pclSource == nullptr || pclSource == this)
        return;
    CXError& cl = *pclSource;

    m_eLevel = cl.m_eLevel;
    m_nUserErrorCode = cl.m_nUserErrorCode;
    m_nUserErrorCode55 = cl.m_nUserErrorCode55;
    m_dwSystemErrorCode = cl.m_dwSystemErrorCode;
    m_nDetailId = cl.m_nDetailId;
    m_nFunctionSyntax = cl.m_nFunctionSyntax;
    m_wTraitmentLine = cl.m_wTraitmentLine;
    m_wTraitmentThread = cl.m_wTraitmentThread;
    cl.m_eLevel = EL_CLEAR;
    cl.m_nUserErrorCode = 0;
    cl.m_nUserErrorCode55 = 0;
    cl.m_dwSystemErrorCode = 0;
    cl.m_nDetailId = 0;
    cl.m_nFunctionSyntax = 0;
    cl.m_wTraitmentLine = 0;
    cl.m_wTraitmentThread = 0;

    char** const apszMiens[] = {&m_pszUserMessage,      &m_pszDebugMessage,       &m_pszFunctionName,
                                &m_pszModName,          &m_pszModVersion,         &m_pszSystemErrorMessage,
                                &m_pszTraitmentCaption, &m_pszObjectName};
    char** const apszSiens[] = {&cl.m_pszUserMessage,      &cl.m_pszDebugMessage,       &cl.m_pszFunctionName,
                                &cl.m_pszModName,          &cl.m_pszModVersion,         &cl.m_pszSystemErrorMessage,
                                &cl.m_pszTraitmentCaption, &cl.m_pszObjectName};
    for (std::size_t i = 0; i < sizeof apszMiens / sizeof apszMiens[0]; ++i) {
        __vDeleteString(apszMiens[i]);
        EcritPointeur(apszMiens[i], LitPointeur(apszSiens[i]));
        EcritPointeur<char>(apszSiens[i], nullptr);
    }

    m_tabErrorId.SupprimeToutEtLibere();
    for (unsigned int i = 0; i < cl.nNumErrorId(); ++i) {
        const unsigned int nId = cl.nGetErrorId(i);
        m_tabErrorId.Ajoute(&nId);
    }
    cl.m_tabErrorId.SupprimeToutEtLibere();

    // Records move as they are. An object of another module cannot be carried: it stays
    // with the source, which keeps its reference and releases it in its own time.
    __SupprimeToutesInfos();
    const bool bMemeModule = __bMemeModule(cl);
    for (int i = 0; i < cl.m_tabInfo.nGetNombre();) {
        const _stERRORINFO* pst = static_cast<const _stERRORINFO*>(cl.m_tabInfo.pGetElem(i));
        if ((GenreInfo(pst->eType) == Genre::Objet && !bMemeModule) || !m_tabInfo.Ajoute(pst)) {
            ++i;
            continue;
        }
        cl.m_tabInfo.Supprime(i, 1);
    }
    cl.m_tabInfo.Compacter();

    // The source's array is detached first: the source may be one of this error's own
    // sub-errors, destroyed just below.
    CTTableau<CXError*>* ptab = cl.m_ptabSubError;
    cl.m_ptabSubError = nullptr;
    __DeleteAllSubError();
    m_ptabSubError = ptab;
}

void CXError::RAZ()
{
    __vDeleteString(&m_pszUserMessage);
    __vDeleteString(&m_pszDebugMessage);
    __vDeleteString(&m_pszFunctionName);
    __vDeleteString(&m_pszTraitmentCaption);
    __vDeleteString(&m_pszObjectName);
    __vDeleteString(&m_pszSystemErrorMessage);
    __vDeleteString(&m_pszModName);
    __vDeleteString(&m_pszModVersion);
    m_tabErrorId.SupprimeToutEtLibere();
    __SupprimeToutesInfos();
    __DeleteAllSubError();
    m_eLevel = EL_CLEAR;
    m_nUserErrorCode = 0;
    m_nUserErrorCode55 = 0;
    m_nFunctionSyntax = 0;
    m_nDetailId = 0;
    m_dwSystemErrorCode = 0;
    m_wTraitmentLine = 0;
    m_wTraitmentThread = 0;
}

// ---- Report ---------------------------------------------------------------------------------

namespace {


const char kszFinDeLigne[] = "\r\n";

bool bRempli(const char* psz)
{
    return psz != nullptr && *psz != '\0';
}

// Message nId as it stands in the table; a message missing from the table is replaced by a
// text naming it, so that a section never vanishes silently.
void AjouteMessage(CTString& clOut, unsigned int nId)
{
    CTString clTexte;
    if (DLLRES_bLoadString(nId, &clTexte))
        clOut.Add(clTexte.pszGet());
    else
        clOut.AddPrintf(kszRessourceNonChargee, nId);
}

// Message nId formatted with the inserts that follow (texts as const char*, numbers as
// unsigned int); missing from the table (or not formattable): as above.
void AjouteMessageFormate(CTString& clOut, unsigned int nId, ...)
{
    va_list ap;
    va_start(ap, nId);
    CTString clTexte;
    if (FormateRessource(nId, reinterpret_cast<char**>(&ap), clTexte) == Ressource::Absente)
        clOut.AddPrintf(kszRessourceNonChargee, nId);
    else
        clOut.Add(clTexte.pszGet());
    va_end(ap);
}

void AjouteLigne(CTString& clOut, const char* psz)
{
    clOut.Add(psz);
    clOut.Add(kszFinDeLigne);
}

// State of a report being written: an empty line is owed before the next section.
class CRapport {
public:
    explicit CRapport(CTString& clOut) : m_clOut(clOut) {}

    void Ouvre()
    {
        if (m_bEcart)
            m_clOut.Add(kszFinDeLigne);
    }
    void Ecart(bool b) { m_bEcart = b; }
    void Ligne(unsigned int nId)
    {
        AjouteMessage(m_clOut, nId);
        m_clOut.Add(kszFinDeLigne);
    }
    CTString& Sortie() { return m_clOut; }

private:
    CTString& m_clOut;
    bool m_bEcart = false;
};

unsigned int IdMessageNiveau(int32_t nLevel)
{
    switch (nLevel) {
    case 1:
        return gnMsgNiveau1;
    case 2:
        return gnMsgNiveau2;
    case 3:
    case 0x40000004:
    case 0x40000008:
        return gnMsgNiveau3;
    case 0x10001:
    case 0x10002:
    case 0x10003:
    case 0x10004:
    case 0x20001:
        return gnMsgNiveauInterne;
    default:
        return gnMsgNiveauAutre;
    }
}

} // namespace

CTString CXError::StringDump(eXERROR_INFO eFlags) const
{
    CTString clOut;
    StringDump(clOut, eFlags);
    return clOut;
}

void CXError::StringDump(CTString& clOut, eXERROR_INFO eFlags) const
{
    const bool bRempliSeul = (eFlags & XEI_FILLEDONLY) != 0;
    CRapport clRapport(clOut);

    // Context: only when there is something to say, it has no message for an absent value.
    if ((eFlags & XEI_CONTEXT) && (bRempli(m_pszFunctionName) || bRempli(m_pszTraitmentCaption))) {
        clRapport.Ligne(gnMsgTitreContexte);
        if (bRempli(m_pszTraitmentCaption)) {
            CTString clObjet;
            if (bRempli(m_pszObjectName))
                clObjet.Set(" (", m_pszObjectName, ")");
            AjouteMessageFormate(clOut, gnMsgTraitement, m_pszTraitmentCaption, clObjet.pszGet(),
                                 static_cast<unsigned int>(m_wTraitmentLine),
                                 static_cast<unsigned int>(m_wTraitmentThread));
            clOut.Add(kszFinDeLigne);
        }
        if (bRempli(m_pszFunctionName)) {
            AjouteMessageFormate(clOut, gnMsgFonction, m_pszFunctionName,
                                 static_cast<unsigned int>(m_nFunctionSyntax));
            clOut.Add(kszFinDeLigne);
        }
        clRapport.Ecart(true);
    }

    // User message.
    if (eFlags & XEI_USERMESSAGE) {
        if (bRempli(m_pszUserMessage)) {
            clRapport.Ouvre();
            if (!(eFlags & XEI_NOUSERTITLE))
                clRapport.Ligne(gnMsgTitreMessageUtilisateur);
            AjouteLigne(clOut, m_pszUserMessage);
            clRapport.Ecart(true);
        } else if (!bRempliSeul) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgSansMessageUtilisateur);
            clRapport.Ecart(true);
        }
    }

    // Codes and level, without empty lines between them.
    bool bGroupe = false;
    if (eFlags & XEI_USERCODE) {
        clRapport.Ouvre();
        AjouteMessageFormate(clOut, gnMsgCodeUtilisateur, m_nUserErrorCode);
        clOut.Add(kszFinDeLigne);
        clRapport.Ecart(false);
        bGroupe = true;
    }
    if (eFlags & XEI_LEVEL) {
        clRapport.Ouvre();
        const unsigned int nId = IdMessageNiveau(m_eLevel);
        if (nId == gnMsgNiveauAutre)
            AjouteMessageFormate(clOut, nId, static_cast<unsigned int>(m_eLevel));
        else
            AjouteMessage(clOut, nId);
        clOut.Add(kszFinDeLigne);
        clRapport.Ecart(false);
        bGroupe = true;
    }
    if ((eFlags & XEI_USERCODE55) && (m_nUserErrorCode55 != 0 || !bRempliSeul)) {
        clRapport.Ouvre();
        AjouteMessageFormate(clOut, gnMsgCodeUtilisateur55, m_nUserErrorCode55);
        clOut.Add(kszFinDeLigne);
        bGroupe = true;
    }
    if (bGroupe)
        clRapport.Ecart(true);

    // System error. The system message carries no line end of its own: the next section's
    // opening ends its last line.
    bGroupe = false;
    if (eFlags & XEI_SYSTEMCODE) {
        if (m_dwSystemErrorCode != 0) {
            clRapport.Ouvre();
            AjouteMessageFormate(clOut, gnMsgCodeSysteme, m_dwSystemErrorCode);
            clOut.Add(kszFinDeLigne);
            clRapport.Ecart(false);
            bGroupe = true;
        } else if (!bRempliSeul) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgSansCodeSysteme);
            clRapport.Ecart(false);
            bGroupe = true;
        }
    }
    if (eFlags & XEI_SYSTEMMESSAGE) {
        if (bRempli(m_pszSystemErrorMessage)) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgTitreMessageSysteme);
            clOut.Add(m_pszSystemErrorMessage);
            bGroupe = true;
        } else if (!bRempliSeul) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgSansMessageSysteme);
            bGroupe = true;
        }
    }
    if (bGroupe)
        clRapport.Ecart(true);

    // Module, detail and debug message, without empty lines between them.
    bGroupe = false;
    if (eFlags & XEI_MODULE) {
        if (bRempli(m_pszModName)) {
            clRapport.Ouvre();
            AjouteMessageFormate(clOut, gnMsgModule, m_pszModName, __pszOuVide(m_pszModVersion));
            clOut.Add(kszFinDeLigne);
            clRapport.Ecart(false);
            bGroupe = true;
        } else if (!bRempliSeul) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgSansModule);
            clRapport.Ecart(false);
            bGroupe = true;
        }
    }
    if (eFlags & XEI_DETAIL) {
        if (m_nDetailId != 0) {
            clRapport.Ouvre();
            AjouteMessageFormate(clOut, gnMsgDetail, m_nDetailId);
            clOut.Add(kszFinDeLigne);
            clRapport.Ecart(false);
            bGroupe = true;
        } else if (!bRempliSeul) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgSansDetail);
            clRapport.Ecart(false);
            bGroupe = true;
        }
    }
    if (eFlags & XEI_DEBUGMESSAGE) {
        if (bRempli(m_pszDebugMessage)) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgTitreMessageDebug);
            AjouteLigne(clOut, m_pszDebugMessage);
            clRapport.Ecart(false);
            bGroupe = true;
        } else if (!bRempliSeul) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgSansMessageDebug);
            clRapport.Ecart(false);
            bGroupe = true;
        }
    }

    // Information items: the title without line end, then one line per item that prints.
    bool bInfo = false;
    if (eFlags & XEI_INFO) {
        if (nNumInfo() > 0) {
            clRapport.Ouvre();
            AjouteMessage(clOut, gnMsgTitreInfo);
            CTString clLigne;
            for (unsigned int i = 0; i < nNumInfo(); ++i) {
                eERRORINFOTYPE eType = EIT_NONE;
                int64_t llRecNum = 0;
                const void* pValeur = &llRecNum;
                GetInfo(i, &eType, &pValeur);
                __DumpInfo(eType, pValeur, clLigne, 0);
                if (!clLigne.bEstVide()) {
                    clOut.Add(kszFinDeLigne);
                    clOut.Add(clLigne.pszGet());
                }
            }
            clRapport.Ecart(true);
            bInfo = true;
        } else if (!bRempliSeul) {
            clRapport.Ouvre();
            clRapport.Ligne(gnMsgSansInfo);
            clRapport.Ecart(true);
            bInfo = true;
        }
    }
    if (!bInfo && bGroupe)
        clRapport.Ecart(true);

    // Sub-errors, each framed and reported with the same flags.
    const int nSous = nGetNbSubError();
    if ((eFlags & XEI_SUBERROR) && nSous > 0) {
        clRapport.Ouvre();
        for (int i = 0; i < nSous; ++i) {
            clOut.Add("\r\n----- ");
            AjouteMessageFormate(clOut, gnMsgSousErreur, static_cast<unsigned int>(i + 1));
            clOut.Add(" -----\r\n\r\n");
            const CXError* pclSous = pclGetSubError(i);
            if (pclSous != nullptr)
                pclSous->StringDump(clOut, eFlags);
            clOut.Add(kszFinDeLigne);
        }
    }
}
