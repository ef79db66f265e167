// CScriptLanguage: the interpreter of the runtime's small language (statements, expressions, procedures).
#include "runtime/CScriptLanguage.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "runtime/CKleContexte.h"
#include "runtime/CKleMachine.h"

namespace {

using Locales = std::map<std::string, CKleValeur>;

bool __bDebutNom(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

bool __bSuiteNom(unsigned char c)
{
    return __bDebutNom(c) || (c >= '0' && c <= '9');
}

bool __bBlanc(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string __strDecrit(char c)
{
    char sz[16];
    const auto by = static_cast<unsigned char>(c);
    if (by >= 0x20 && by < 0x7F)
        std::snprintf(sz, sizeof sz, "'%c'", c);
    else
        std::snprintf(sz, sizeof sz, "byte 0x%02X", by);
    return sz;
}

const std::set<std::string>& __setMotsCles()
{
    static const std::set<std::string> set = {"and", "or", "not", "true", "false", "null", "global", "return",
                                              "print", "error", "message", "if", "then", "procedure", "end"};
    return set;
}

}  // namespace

struct CScriptLanguage::_stJETON {
    enum eGENRE { eENTIER, eREEL, eCHAINE, eNOM, eSYMBOLE } eGenre;
    std::string str;  // name, symbol or string value
    int64_t n = 0;
    double d = 0.0;
};

// Parses and runs one statement. While m_nSaute is non-zero (a branch not taken, or a syntax
// check) everything is parsed but nothing is looked up, called or changed.
class CScriptLanguage::_CAnalyse {
public:
    enum eSUITE { eCONTINUE, eRETOUR, eECHEC };

    _CAnalyse(CScriptLanguage& clLangage, const std::string& strSource, unsigned int nLigne, Locales* pmapLocales,
              bool bVerifie)
        : m_cl(clLangage), m_strSource(strSource), m_nLigne(nLigne), m_pmapLocales(pmapLocales),
          m_nSaute(bVerifie ? 1 : 0)
    {
    }

    eSUITE eInstruction(const std::string& strTexte, CKleValeur* pclRetour)
    {
        if (!_bDecoupe(strTexte))
            return eECHEC;
        eSUITE e = _eInstruction(pclRetour);
        if (e != eECHEC && m_nPos != m_vJetons.size()) {
            _bSyntaxe("unexpected " + _strJeton());
            return eECHEC;
        }
        return e;
    }

    bool bExpression(const std::string& strTexte, CKleValeur* pclValeur)
    {
        if (!_bDecoupe(strTexte))
            return false;
        if (m_vJetons.empty())
            return _bSyntaxe("an expression is missing");
        if (!_bExpr(pclValeur))
            return false;
        return m_nPos == m_vJetons.size() || _bSyntaxe("unexpected " + _strJeton());
    }

private:
    bool _bFaute(int32_t nResultat, const std::string& strTexte, int32_t nCode = 0)
    {
        return m_cl.bFaute(nResultat, m_strSource + ", line " + std::to_string(m_nLigne) + ": " + strTexte + ".",
                           nCode);
    }
    bool _bSyntaxe(const std::string& strTexte) { return _bFaute(eERR_SYNTAXE, strTexte); }
    bool _bSaute() const { return m_nSaute != 0; }

    bool _bDecoupe(const std::string& strTexte)
    {
        std::size_t i = 0;
        const std::size_t n = strTexte.size();
        while (i < n) {
            const char c = strTexte[i];
            if (__bBlanc(c)) {
                ++i;
                continue;
            }
            _stJETON j;
            if (c >= '0' && c <= '9') {
                std::size_t nDebut = i;
                while (i < n && strTexte[i] >= '0' && strTexte[i] <= '9')
                    ++i;
                bool bReel = i + 1 < n && strTexte[i] == '.' && strTexte[i + 1] >= '0' && strTexte[i + 1] <= '9';
                if (bReel) {
                    ++i;
                    while (i < n && strTexte[i] >= '0' && strTexte[i] <= '9')
                        ++i;
                }
                if (i < n && __bDebutNom(static_cast<unsigned char>(strTexte[i])))
                    return _bSyntaxe("malformed number");
                const std::string str = strTexte.substr(nDebut, i - nDebut);
                if (bReel) {
                    j.eGenre = _stJETON::eREEL;
                    j.d = std::strtod(str.c_str(), nullptr);
                } else {
                    j.eGenre = _stJETON::eENTIER;
                    // Digits only: compare against the largest value as text.
                    static const std::string strMax = "9223372036854775807";
                    std::string strSans = str.substr(std::min(str.find_first_not_of('0'), str.size()));
                    if (strSans.size() > strMax.size() || (strSans.size() == strMax.size() && strSans > strMax))
                        return _bFaute(eERR_TYPE, "the integer " + str + " is too large");
                    j.n = strSans.empty() ? 0 : std::stoll(strSans);
                }
            } else if (__bDebutNom(static_cast<unsigned char>(c))) {
                std::size_t nDebut = i;
                while (i < n && __bSuiteNom(static_cast<unsigned char>(strTexte[i])))
                    ++i;
                j.eGenre = _stJETON::eNOM;
                j.str = strTexte.substr(nDebut, i - nDebut);
            } else if (c == '"') {
                j.eGenre = _stJETON::eCHAINE;
                ++i;
                bool bFerme = false;
                while (i < n) {
                    char d = strTexte[i++];
                    if (d == '"') {
                        bFerme = true;
                        break;
                    }
                    if (d == '\\' && i < n) {
                        char e = strTexte[i++];
                        switch (e) {
                        case 'n': d = '\n'; break;
                        case 'r': d = '\r'; break;
                        case 't': d = '\t'; break;
                        case '"':
                        case '\\': d = e; break;
                        default: return _bSyntaxe("unknown escape \\" + std::string(1, e));
                        }
                    }
                    j.str += d;
                }
                if (!bFerme)
                    return _bSyntaxe("a string is not closed");
            } else {
                j.eGenre = _stJETON::eSYMBOLE;
                const char d = i + 1 < n ? strTexte[i + 1] : '\0';
                if ((c == '<' && (d == '=' || d == '>')) || (c == '>' && d == '=')) {
                    j.str = std::string{c, d};
                    i += 2;
                } else if (std::strchr("()[],.+-*/%=<>", c) && c != '\0') {
                    j.str = std::string(1, c);
                    ++i;
                } else
                    return _bSyntaxe("unexpected " + __strDecrit(c));
            }
            m_vJetons.push_back(std::move(j));
        }
        return true;
    }

    const _stJETON* _pJeton(std::size_t nDecalage = 0) const
    {
        return m_nPos + nDecalage < m_vJetons.size() ? &m_vJetons[m_nPos + nDecalage] : nullptr;
    }
    bool _bEst(const char* pszSymbole, std::size_t nDecalage = 0) const
    {
        const _stJETON* p = _pJeton(nDecalage);
        return p && p->eGenre == _stJETON::eSYMBOLE && p->str == pszSymbole;
    }
    bool _bMot(const char* pszMot, std::size_t nDecalage = 0) const
    {
        const _stJETON* p = _pJeton(nDecalage);
        return p && p->eGenre == _stJETON::eNOM && p->str == pszMot;
    }
    bool _bNomLibre(std::size_t nDecalage = 0) const
    {
        const _stJETON* p = _pJeton(nDecalage);
        return p && p->eGenre == _stJETON::eNOM && !__setMotsCles().count(p->str);
    }
    std::string _strJeton() const
    {
        const _stJETON* p = _pJeton();
        if (!p)
            return "end of statement";
        if (p->eGenre == _stJETON::eCHAINE)
            return "string";
        if (p->eGenre == _stJETON::eENTIER || p->eGenre == _stJETON::eREEL)
            return "number";
        return "'" + p->str + "'";
    }
    bool _bAttend(const char* pszSymbole)
    {
        if (!_bEst(pszSymbole))
            return _bSyntaxe(std::string("'") + pszSymbole + "' expected before " + _strJeton());
        ++m_nPos;
        return true;
    }
    bool _bNom(std::string* pstr)
    {
        if (!_bNomLibre())
            return _bSyntaxe("a name expected before " + _strJeton());
        *pstr = m_vJetons[m_nPos++].str;
        return true;
    }

    eSUITE _eInstruction(CKleValeur* pclRetour)
    {
        if (m_vJetons.empty())
            return eCONTINUE;
        CKleValeur cl, cl2;
        std::string strNom;
        if (_bMot("global")) {
            ++m_nPos;
            if (!_bNom(&strNom) || !_bAttend("=") || !_bExpr(&cl))
                return eECHEC;
            if (!_bSaute())
                m_cl.m_clMachine.EcritVariable(strNom, cl);
            return eCONTINUE;
        }
        if (_bMot("return")) {
            ++m_nPos;
            if (m_nPos < m_vJetons.size() && !_bExpr(&cl))
                return eECHEC;
            if (_bSaute())
                return eCONTINUE;
            *pclRetour = cl;
            return eRETOUR;
        }
        if (_bMot("print")) {
            ++m_nPos;
            if (!_bExpr(&cl))
                return eECHEC;
            if (!_bSaute())
                m_cl.m_clMachine.Imprime(cl.strEnTexte());
            return eCONTINUE;
        }
        if (_bMot("error") || _bMot("message")) {
            const bool bErreur = _bMot("error");
            ++m_nPos;
            if (!_bExpr(&cl) || !_bAttend(",") || !_bExpr(&cl2))
                return eECHEC;
            if (_bSaute())
                return eCONTINUE;
            if (!bErreur) {
                m_cl.m_clMachine.DeclareMessage(cl.strEnTexte(), cl2.strEnTexte());
                return eCONTINUE;
            }
            CKleValeur clCode;
            if (!cl.bConvertit(CKleValeur::eENTIER, &clCode) || clCode.nGetEntier() < INT32_MIN ||
                clCode.nGetEntier() > INT32_MAX || clCode.nGetEntier() == 0)
                return _bFaute(eERR_TYPE, "the error code is not a non-zero 32-bit integer"), eECHEC;
            m_cl.bFaute(eERR_UTILISATEUR, cl2.strEnTexte(), static_cast<int32_t>(clCode.nGetEntier()));
            return eECHEC;
        }
        if (_bMot("if")) {
            ++m_nPos;
            if (!_bExpr(&cl))
                return eECHEC;
            if (!_bMot("then"))
                return _bSyntaxe("'then' expected before " + _strJeton()), eECHEC;
            ++m_nPos;
            if (m_nPos == m_vJetons.size())
                return _bSyntaxe("a statement is missing after 'then'"), eECHEC;
            const bool bSaute = !_bSaute() && !cl.bVrai();
            if (bSaute)
                ++m_nSaute;
            eSUITE e = _eInstruction(pclRetour);
            if (bSaute)
                --m_nSaute;
            return e;
        }
        if (_bNomLibre() && _bEst("=", 1)) {
            strNom = m_vJetons[m_nPos].str;
            m_nPos += 2;
            if (!_bExpr(&cl))
                return eECHEC;
            if (!_bSaute()) {
                if (m_pmapLocales)
                    (*m_pmapLocales)[strNom] = cl;
                else
                    m_cl.m_clMachine.EcritVariable(strNom, cl);
            }
            return eCONTINUE;
        }
        if (_bNomLibre() && _bEst(".", 1)) {
            std::string strCle;
            if (!_bPropriete(&strCle))
                return eECHEC;
            if (_bEst("=")) {
                ++m_nPos;
                if (!_bExpr(&cl))
                    return eECHEC;
                if (!_bSaute())
                    m_cl.m_clMachine.EcritPropriete(strCle, cl);
                return eCONTINUE;
            }
            m_nPos = 0;
        }
        return _bExpr(&cl) ? eCONTINUE : eECHEC;
    }

    // ELEM.PROP, ELEM.SUB.PROP, with [i] or [i, j]: the key of the property.
    bool _bPropriete(std::string* pstrCle)
    {
        std::string strElement, strNom;
        if (!_bNom(&strElement))
            return false;
        if (strElement == "self" && !_bSaute()) {
            strElement = m_cl.m_clContexte.strGetElement();
            if (strElement.empty())
                return _bFaute(eERR_INCONNU, "there is no current element");
        }
        std::string strCle = strElement;
        int nNoms = 0;
        while (_bEst(".")) {
            ++m_nPos;
            if (++nNoms > 2)
                return _bSyntaxe("a property has at most one sub-element");
            if (!_bNom(&strNom))
                return false;
            strCle += "." + strNom;
        }
        if (_bEst("[")) {
            ++m_nPos;
            strCle += "[";
            for (int nIndice = 0;; ++nIndice) {
                CKleValeur cl, clEntier;
                if (!_bExpr(&cl))
                    return false;
                if (!_bSaute()) {
                    if (!cl.bConvertit(CKleValeur::eENTIER, &clEntier))
                        return _bFaute(eERR_TYPE, "an index is not an integer");
                    strCle += (nIndice ? "," : "") + clEntier.strEnTexte();
                }
                if (_bEst(",") && nIndice == 0) {
                    ++m_nPos;
                    continue;
                }
                break;
            }
            if (!_bAttend("]"))
                return false;
            strCle += "]";
        }
        *pstrCle = strCle;
        return true;
    }

    bool _bExpr(CKleValeur* pcl)
    {
        if (++m_cl.m_nImbrication > ms_nImbricationMax)
            return _bFaute(eERR_PROFONDEUR, "the expression is nested too deeply");
        bool b = _bOu(pcl);
        --m_cl.m_nImbrication;
        return b;
    }

    bool _bOu(CKleValeur* pcl) { return _bSuiteLogique(pcl, "or", true, &_CAnalyse::_bEt); }

    bool _bEt(CKleValeur* pcl) { return _bSuiteLogique(pcl, "and", false, &_CAnalyse::_bNon); }

    // Operands joined by pszMot: "or" (bOu) is decided by the first true one, "and" by the
    // first false one. The operands after the deciding one are parsed but not evaluated.
    bool _bSuiteLogique(CKleValeur* pcl, const char* pszMot, bool bOu, bool (_CAnalyse::*pfnOperande)(CKleValeur*))
    {
        if (!(this->*pfnOperande)(pcl))
            return false;
        while (_bMot(pszMot)) {
            ++m_nPos;
            const bool bDecide = !_bSaute() && pcl->bVrai() == bOu;
            CKleValeur cl;
            if (bDecide)
                ++m_nSaute;
            const bool b = (this->*pfnOperande)(&cl);
            if (bDecide)
                --m_nSaute;
            if (!b)
                return false;
            if (!_bSaute())
                *pcl = CKleValeur::s_Booleen(bDecide ? bOu : cl.bVrai());
        }
        return true;
    }

    bool _bNon(CKleValeur* pcl)
    {
        if (!_bMot("not"))
            return _bComparaison(pcl);
        ++m_nPos;
        if (++m_cl.m_nImbrication > ms_nImbricationMax)
            return _bFaute(eERR_PROFONDEUR, "the expression is nested too deeply");
        const bool b = _bNon(pcl);
        --m_cl.m_nImbrication;
        if (b && !_bSaute())
            *pcl = CKleValeur::s_Booleen(!pcl->bVrai());
        return b;
    }

    bool _bComparaison(CKleValeur* pcl)
    {
        if (!_bSomme(pcl))
            return false;
        static const char* const apsz[] = {"=", "<>", "<=", ">=", "<", ">"};
        for (const char* psz : apsz) {
            if (!_bEst(psz))
                continue;
            ++m_nPos;
            CKleValeur cl;
            if (!_bSomme(&cl))
                return false;
            if (_bSaute())
                return true;
            const std::string strOp = psz;
            if (strOp == "=" || strOp == "<>") {
                *pcl = CKleValeur::s_Booleen(pcl->bEgal(cl) == (strOp == "="));
                return true;
            }
            int nOrdre = 0;
            if (pcl->bEstNombre() && cl.bEstNombre()) {
                if (pcl->eGetType() == CKleValeur::eREEL || cl.eGetType() == CKleValeur::eREEL)
                    nOrdre = pcl->dGetReel() < cl.dGetReel() ? -1 : pcl->dGetReel() > cl.dGetReel() ? 1 : 0;
                else
                    nOrdre = pcl->nGetEntier() < cl.nGetEntier() ? -1 : pcl->nGetEntier() > cl.nGetEntier() ? 1 : 0;
            } else if (!pcl->bEstNULL() && !pcl->bEstNombre() && !cl.bEstNULL() && !cl.bEstNombre()) {
                int n = pcl->strGetOctets().compare(cl.strGetOctets());
                nOrdre = n < 0 ? -1 : n > 0 ? 1 : 0;
            } else
                return _bFaute(eERR_TYPE, "'" + strOp + "' compares two numbers or two strings");
            bool b = strOp == "<" ? nOrdre < 0 : strOp == ">" ? nOrdre > 0 : strOp == "<=" ? nOrdre <= 0 : nOrdre >= 0;
            *pcl = CKleValeur::s_Booleen(b);
            return true;
        }
        return true;
    }

    bool _bNombres(const CKleValeur& a, const CKleValeur& b, const std::string& strOp)
    {
        if (a.bEstNombre() && b.bEstNombre())
            return true;
        return _bFaute(eERR_TYPE, "'" + strOp + "' needs numbers");
    }

    bool _bArithmetique(CKleValeur* pcl, const CKleValeur& cl, const std::string& strOp)
    {
        if (strOp == "+" && (pcl->eGetType() == CKleValeur::eCHAINE || cl.eGetType() == CKleValeur::eCHAINE)) {
            if (pcl->bEstNULL() || cl.bEstNULL())
                return _bFaute(eERR_TYPE, "'+' cannot join NULL");
            *pcl = CKleValeur::s_Chaine(pcl->strEnTexte() + cl.strEnTexte());
            return true;
        }
        if (!_bNombres(*pcl, cl, strOp))
            return false;
        const bool bReel = pcl->eGetType() == CKleValeur::eREEL || cl.eGetType() == CKleValeur::eREEL;
        if (bReel) {
            const double a = pcl->dGetReel(), b = cl.dGetReel();
            if ((strOp == "/" || strOp == "%") && b == 0.0)
                return _bFaute(eERR_DIVISION, "division by zero");
            if (strOp == "%")
                return _bFaute(eERR_TYPE, "'%' needs integers");
            *pcl = CKleValeur::s_Reel(strOp == "+" ? a + b : strOp == "-" ? a - b : strOp == "*" ? a * b : a / b);
            return true;
        }
        const int64_t a = pcl->nGetEntier(), b = cl.nGetEntier();
        int64_t r = 0;
        bool bDebordement = false;
        if (strOp == "+")
            bDebordement = __builtin_add_overflow(a, b, &r);
        else if (strOp == "-")
            bDebordement = __builtin_sub_overflow(a, b, &r);
        else if (strOp == "*")
            bDebordement = __builtin_mul_overflow(a, b, &r);
        else {
            if (b == 0)
                return _bFaute(eERR_DIVISION, "division by zero");
            bDebordement = a == INT64_MIN && b == -1;
            if (!bDebordement)
                r = strOp == "/" ? a / b : a % b;
        }
        if (bDebordement)
            return _bFaute(eERR_TYPE, "integer overflow");
        *pcl = CKleValeur::s_Entier(r);
        return true;
    }

    bool _bSomme(CKleValeur* pcl)
    {
        if (!_bProduit(pcl))
            return false;
        while (_bEst("+") || _bEst("-")) {
            const std::string strOp = m_vJetons[m_nPos++].str;
            CKleValeur cl;
            if (!_bProduit(&cl))
                return false;
            if (!_bSaute() && !_bArithmetique(pcl, cl, strOp))
                return false;
        }
        return true;
    }

    bool _bProduit(CKleValeur* pcl)
    {
        if (!_bUnaire(pcl))
            return false;
        while (_bEst("*") || _bEst("/") || _bEst("%")) {
            const std::string strOp = m_vJetons[m_nPos++].str;
            CKleValeur cl;
            if (!_bUnaire(&cl))
                return false;
            if (!_bSaute() && !_bArithmetique(pcl, cl, strOp))
                return false;
        }
        return true;
    }

    bool _bUnaire(CKleValeur* pcl)
    {
        if (!_bEst("-"))
            return _bPrimaire(pcl);
        ++m_nPos;
        if (++m_cl.m_nImbrication > ms_nImbricationMax)
            return _bFaute(eERR_PROFONDEUR, "the expression is nested too deeply");
        const bool b = _bUnaire(pcl);
        --m_cl.m_nImbrication;
        if (!b || _bSaute())
            return b;
        CKleValeur clZero = CKleValeur::s_Entier(0);
        if (!_bArithmetique(&clZero, *pcl, "-"))
            return false;
        *pcl = clZero;
        return true;
    }

    bool _bPrimaire(CKleValeur* pcl)
    {
        const _stJETON* p = _pJeton();
        if (!p)
            return _bSyntaxe("a value expected before end of statement");
        switch (p->eGenre) {
        case _stJETON::eENTIER:
            *pcl = CKleValeur::s_Entier(p->n);
            ++m_nPos;
            return true;
        case _stJETON::eREEL:
            *pcl = CKleValeur::s_Reel(p->d);
            ++m_nPos;
            return true;
        case _stJETON::eCHAINE:
            *pcl = CKleValeur::s_Chaine(p->str);
            ++m_nPos;
            return true;
        case _stJETON::eSYMBOLE:
            if (p->str != "(")
                return _bSyntaxe("a value expected before " + _strJeton());
            ++m_nPos;
            return _bExpr(pcl) && _bAttend(")");
        case _stJETON::eNOM:
            break;
        }
        if (p->str == "true" || p->str == "false" || p->str == "null") {
            *pcl = p->str == "null" ? CKleValeur() : CKleValeur::s_Booleen(p->str == "true");
            ++m_nPos;
            return true;
        }
        if (!_bNomLibre())
            return _bSyntaxe("a value expected before " + _strJeton());
        if (_bEst("(", 1))
            return _bAppel(pcl);
        if (_bEst(".", 1)) {
            std::string strCle;
            if (!_bPropriete(&strCle))
                return false;
            if (!_bSaute() && !m_cl.m_clMachine.bLitPropriete(strCle, pcl))
                return _bFaute(eERR_INCONNU, "unknown property " + strCle);
            return true;
        }
        const std::string strNom = m_vJetons[m_nPos++].str;
        if (_bSaute())
            return true;
        if (m_pmapLocales) {
            auto it = m_pmapLocales->find(strNom);
            if (it != m_pmapLocales->end()) {
                *pcl = it->second;
                return true;
            }
        }
        if (!m_cl.m_clMachine.bLitVariable(strNom, pcl))
            return _bFaute(eERR_INCONNU, "unknown variable " + strNom);
        return true;
    }

    bool _bAppel(CKleValeur* pcl)
    {
        const std::string strNom = m_vJetons[m_nPos].str;
        m_nPos += 2;
        std::vector<CKleValeur> vArguments;
        if (!_bEst(")")) {
            for (;;) {
                CKleValeur cl;
                if (!_bExpr(&cl))
                    return false;
                vArguments.push_back(std::move(cl));
                if (!_bEst(","))
                    break;
                ++m_nPos;
            }
        }
        if (!_bAttend(")"))
            return false;
        if (_bSaute())
            return true;
        static const char* const apszFonctions[] = {"len", "str", "int", "real", "isnull"};
        for (const char* psz : apszFonctions) {
            if (strNom != psz)
                continue;
            if (vArguments.size() != 1)
                return _bFaute(eERR_PILE, strNom + " takes one argument");
            const CKleValeur& cl = vArguments[0];
            if (strNom == "isnull")
                *pcl = CKleValeur::s_Booleen(cl.bEstNULL());
            else if (strNom == "len")
                *pcl = CKleValeur::s_Entier(static_cast<int64_t>(cl.strEnTexte().size()));
            else {
                const int nType = strNom == "str" ? CKleValeur::eCHAINE
                                  : strNom == "int" ? CKleValeur::eENTIER
                                                    : CKleValeur::eREEL;
                if (!cl.bConvertit(nType, pcl))
                    return _bFaute(eERR_TYPE, strNom + "() cannot convert this value");
            }
            return true;
        }
        const CKleProcedure* pclProc = m_cl.m_clMachine.pclProcedure(nullptr, strNom);
        if (!pclProc)
            return _bFaute(eERR_INCONNU, "unknown procedure " + strNom);
        return m_cl.bAppelle(*pclProc, std::move(vArguments), pcl);
    }

    CScriptLanguage& m_cl;
    const std::string m_strSource;
    unsigned int m_nLigne;
    Locales* m_pmapLocales;  // null outside a procedure
    unsigned int m_nSaute;
    std::vector<_stJETON> m_vJetons;
    std::size_t m_nPos = 0;
};

CScriptLanguage::CScriptLanguage(CKleMachine& clMachine, CKleContexte& clContexte)
    : m_clMachine(clMachine), m_clContexte(clContexte)
{
}

bool CScriptLanguage::bFaute(int32_t nResultat, const std::string& strMessage, int32_t nCode)
{
    // The first fault is the one reported.
    if (m_nResultat == 0) {
        m_nResultat = nResultat;
        m_nCodeErreur = nCode ? nCode : nResultat;
        m_strMessage = strMessage;
    }
    return false;
}

std::vector<KleLigne> CScriptLanguage::s_vDecoupe(const std::string& strCode)
{
    std::vector<KleLigne> v;
    unsigned int nLigne = 1;
    std::string strCourante;
    bool bChaine = false;
    auto Ajoute = [&]() {
        std::size_t nDebut = strCourante.find_first_not_of(" \t\r");
        if (nDebut != std::string::npos) {
            std::size_t nFin = strCourante.find_last_not_of(" \t\r");
            v.emplace_back(nLigne, strCourante.substr(nDebut, nFin - nDebut + 1));
        }
        strCourante.clear();
    };
    for (std::size_t i = 0; i < strCode.size(); ++i) {
        const char c = strCode[i];
        if (c == '\n') {
            // A string never spans lines: what is open is reported by the analysis.
            bChaine = false;
            Ajoute();
            ++nLigne;
            continue;
        }
        if (bChaine) {
            strCourante += c;
            if (c == '\\' && i + 1 < strCode.size() && strCode[i + 1] != '\n')
                strCourante += strCode[++i];
            else if (c == '"')
                bChaine = false;
            continue;
        }
        if (c == '"')
            bChaine = true;
        else if (c == ';') {
            Ajoute();
            continue;
        } else if (c == '#') {
            while (i + 1 < strCode.size() && strCode[i + 1] != '\n')
                ++i;
            continue;
        }
        strCourante += c;
    }
    Ajoute();
    return v;
}

bool CScriptLanguage::bLitBibliotheque(const std::string& strTexte, const std::string& strSource,
                                       CKleBibliotheque* pclBib)
{
    CKleProcedure* pclCourante = nullptr;
    unsigned int nLigneProc = 0;
    auto Faute = [&](unsigned int nLigne, const std::string& str) {
        return bFaute(eERR_SYNTAXE, strSource + ", line " + std::to_string(nLigne) + ": " + str + ".");
    };
    for (const KleLigne& ligne : s_vDecoupe(strTexte)) {
        const std::string& str = ligne.second;
        if (str == "end") {
            if (!pclCourante)
                return Faute(ligne.first, "'end' without 'procedure'");
            pclCourante = nullptr;
            continue;
        }
        if (str.compare(0, 9, "procedure") == 0 && (str.size() == 9 || __bBlanc(str[9]))) {
            if (pclCourante)
                return Faute(ligne.first, "a procedure inside a procedure");
            // procedure NAME(P1, P2, ...)
            std::size_t i = 9;
            auto Blancs = [&]() {
                while (i < str.size() && __bBlanc(str[i]))
                    ++i;
            };
            auto Nom = [&](std::string* pstr) {
                Blancs();
                std::size_t nDebut = i;
                if (i < str.size() && __bDebutNom(static_cast<unsigned char>(str[i])))
                    while (i < str.size() && __bSuiteNom(static_cast<unsigned char>(str[i])))
                        ++i;
                *pstr = str.substr(nDebut, i - nDebut);
                return !pstr->empty() && !__setMotsCles().count(*pstr);
            };
            CKleProcedure clProc;
            if (!Nom(&clProc.strNom))
                return Faute(ligne.first, "a procedure needs a name");
            Blancs();
            if (i < str.size() && str[i] == '(') {
                ++i;
                Blancs();
                if (i < str.size() && str[i] == ')')
                    ++i;
                else
                    for (;;) {
                        std::string strParam;
                        if (!Nom(&strParam))
                            return Faute(ligne.first, "malformed parameter list");
                        for (const auto& s : clProc.vParametres)
                            if (s == strParam)
                                return Faute(ligne.first, "the parameter " + strParam + " is named twice");
                        clProc.vParametres.push_back(strParam);
                        Blancs();
                        if (i < str.size() && str[i] == ',') {
                            ++i;
                            continue;
                        }
                        if (i < str.size() && str[i] == ')') {
                            ++i;
                            break;
                        }
                        return Faute(ligne.first, "malformed parameter list");
                    }
            }
            Blancs();
            if (i != str.size())
                return Faute(ligne.first, "unexpected text after the procedure's name");
            if (pclBib->mapProcedures.count(clProc.strNom))
                return Faute(ligne.first, "the procedure " + clProc.strNom + " is defined twice");
            clProc.strSource = strSource;
            pclCourante = &pclBib->mapProcedures[clProc.strNom];
            *pclCourante = std::move(clProc);
            nLigneProc = ligne.first;
            continue;
        }
        // Every statement is checked now, so that a library never fails half-way on a typo.
        Locales mapVide;
        CKleValeur clIgnore;
        _CAnalyse clAnalyse(*this, strSource, ligne.first, pclCourante ? &mapVide : nullptr, true);
        if (clAnalyse.eInstruction(str, &clIgnore) == _CAnalyse::eECHEC)
            return false;
        (pclCourante ? pclCourante->vLignes : pclBib->vInit).push_back(ligne);
    }
    if (pclCourante)
        return Faute(nLigneProc, "the procedure " + pclCourante->strNom + " has no 'end'");
    return true;
}

bool CScriptLanguage::bExecute(const std::vector<KleLigne>& vLignes, const std::string& strSource,
                               CKleValeur* pclRetour)
{
    *pclRetour = CKleValeur();
    for (const KleLigne& ligne : vLignes) {
        _CAnalyse clAnalyse(*this, strSource, ligne.first, nullptr, false);
        _CAnalyse::eSUITE e = clAnalyse.eInstruction(ligne.second, pclRetour);
        if (e == _CAnalyse::eECHEC)
            return false;
        if (e == _CAnalyse::eRETOUR)
            return true;
    }
    return true;
}

bool CScriptLanguage::bExecuteTexte(const std::string& strCode, const std::string& strSource, CKleValeur* pclRetour)
{
    return bExecute(s_vDecoupe(strCode), strSource, pclRetour);
}

bool CScriptLanguage::bEvalue(const std::string& strExpression, CKleValeur* pclResultat)
{
    _CAnalyse clAnalyse(*this, "expression", 1, nullptr, false);
    return clAnalyse.bExpression(strExpression, pclResultat);
}

bool CScriptLanguage::bAppelle(const CKleProcedure& clProc, std::vector<CKleValeur> vArguments, CKleValeur* pclRetour)
{
    if (vArguments.size() > clProc.vParametres.size())
        return bFaute(eERR_PILE, clProc.strNom + ": " + std::to_string(vArguments.size()) + " arguments for " +
                                     std::to_string(clProc.vParametres.size()) + " parameters.");
    if (m_nAppels >= ms_nAppelsMax)
        return bFaute(eERR_PROFONDEUR, clProc.strNom + ": procedure calls are nested too deeply.");
    // Parameters without an argument are NULL.
    Locales mapLocales;
    for (std::size_t i = 0; i < clProc.vParametres.size(); ++i)
        mapLocales[clProc.vParametres[i]] = i < vArguments.size() ? std::move(vArguments[i]) : CKleValeur();
    ++m_nAppels;
    *pclRetour = CKleValeur();
    bool bOk = true;
    for (const KleLigne& ligne : clProc.vLignes) {
        _CAnalyse clAnalyse(*this, clProc.strSource, ligne.first, &mapLocales, false);
        _CAnalyse::eSUITE e = clAnalyse.eInstruction(ligne.second, pclRetour);
        if (e == _CAnalyse::eECHEC) {
            bOk = false;
            break;
        }
        if (e == _CAnalyse::eRETOUR)
            break;
    }
    --m_nAppels;
    return bOk;
}
