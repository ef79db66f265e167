// CScriptLanguage: the interpreter of the runtime's small language (statements, expressions, procedures).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runtime/CKleValeur.h"

class CKleMachine;
class CKleContexte;

// One line of code with its number in its source (1 for the first).
using KleLigne = std::pair<unsigned int, std::string>;

struct CKleProcedure {
    std::string strNom;
    std::vector<std::string> vParametres;
    std::string strSource;  // file or name the procedure comes from, for the messages
    std::vector<KleLigne> vLignes;
};

// An application library: its procedures and the statements outside them, run when it opens.
struct CKleBibliotheque {
    std::string strChemin;
    std::map<std::string, CKleProcedure> mapProcedures;
    std::vector<KleLigne> vInit;
};

// Error codes of the runtime: the result of a failed call and the code of its error record
// (for `error`, the record holds the script's own code and the call returns eERR_UTILISATEUR).
enum eKLEERREUR : int32_t {
    eERR_SYNTAXE = 100,
    eERR_INCONNU = 101,      // unknown variable, property, procedure or library
    eERR_TYPE = 102,         // a value that cannot be converted, an integer overflow
    eERR_PILE = 103,         // too few pushed values, too many arguments, stack full
    eERR_ZVL = 104,          // an application library cannot be read
    eERR_DIVISION = 105,     // division by zero
    eERR_ARGUMENT = 106,     // a null or malformed argument of an export
    eERR_UTILISATEUR = 107,  // raised by the `error` statement
    eERR_PROFONDEUR = 108,   // calls or expressions nested too deeply
    eERR_CONTEXTE = 109,     // a context the runtime does not know
    eERR_TERMINE = 110,      // the runtime is not initialised
};

// Interprets code on behalf of one context. The caller holds the machine's lock for the whole
// life of the object. The first fault stops the run and is kept (nGetResultat and the rest).
//
// Statements (one per line; ';' also separates them outside strings):
//   NAME = EXPR                      a variable: local inside a procedure, global elsewhere
//   global NAME = EXPR               a global variable, from anywhere
//   ELEM.PROP = EXPR                 an element property; ELEM.SUB.PROP, PROP[i] and PROP[i, j] too
//   return [EXPR]                    ends the procedure (or the code) with the value (NULL without)
//   print EXPR                       hands the text form to the print callback (standard output without)
//   error CODE, EXPR                 raises an error with that code (an integer) and message
//   message KEY, EXPR                declares the translation of a message key
//   if EXPR then STATEMENT           runs the statement when the condition is true
//   EXPR                             evaluated for its effects (a procedure call)
// Expressions: integers, reals (1.5), "strings" (escapes \" \\ \n \r \t), true, false, null,
// variables, ELEM.PROP..., NAME(ARGS) procedure calls, the built-ins len(x), str(x), int(x),
// real(x), isnull(x); operators by rising precedence: or, and, not, = <> < <= > >=, + -, * / %,
// unary -. '+' joins texts when either side is a string. The element `self` is the context's
// current element.
class CScriptLanguage {
public:
    static constexpr unsigned int ms_nAppelsMax = 64;        // nested procedure calls
    static constexpr unsigned int ms_nImbricationMax = 200;  // nested sub-expressions, all calls together

    CScriptLanguage(CKleMachine& clMachine, CKleContexte& clContexte);

    // Splits a library text into procedures and opening statements and checks the syntax of
    // every line; false with the fault kept when the text is malformed.
    bool bLitBibliotheque(const std::string& strTexte, const std::string& strSource, CKleBibliotheque* pclBib);
    // Runs statements; *pclRetour receives the value of a `return` (NULL otherwise).
    bool bExecute(const std::vector<KleLigne>& vLignes, const std::string& strSource, CKleValeur* pclRetour);
    bool bExecuteTexte(const std::string& strCode, const std::string& strSource, CKleValeur* pclRetour);
    bool bEvalue(const std::string& strExpression, CKleValeur* pclResultat);
    bool bAppelle(const CKleProcedure& clProc, std::vector<CKleValeur> vArguments, CKleValeur* pclRetour);

    int32_t nGetResultat() const { return m_nResultat; }
    int32_t nGetCodeErreur() const { return m_nCodeErreur; }
    const std::string& strGetMessage() const { return m_strMessage; }
    // Records a fault found outside the interpreter (by an export); returns false.
    bool bFaute(int32_t nResultat, const std::string& strMessage, int32_t nCode = 0);

    // Splits code into statements at line feeds and at ';' outside strings.
    static std::vector<KleLigne> s_vDecoupe(const std::string& strCode);

private:
    struct _stJETON;
    class _CAnalyse;
    friend class _CAnalyse;

    CKleMachine& m_clMachine;
    CKleContexte& m_clContexte;
    unsigned int m_nAppels = 0;
    unsigned int m_nImbrication = 0;  // sub-expressions open, across nested calls
    int32_t m_nResultat = 0;
    int32_t m_nCodeErreur = 0;
    std::string m_strMessage;
};
