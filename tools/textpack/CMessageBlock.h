// CMessageBlock: the built-in message block built from a readable message source.
#pragma once

#include <string>
#include <vector>

// Source: one message a line, "identifier<TAB>text" or "identifier name<TAB>text". The
// identifier is decimal, 1 to 65023, strictly ascending through the file. The name, after one
// space, is a C++ identifier given to the identifier in the generated header of names (see
// s_Noms), so that code names the messages it uses instead of copying their numbers; names
// are unique. The text runs to the end of the line (a
// final CR is dropped) in the executable's single-byte code page; the escapes \n, \r,
// \t, \\ and \xHH (two hex digits, not 00) stand for the bytes that a line cannot hold.
// Empty lines and lines starting with '#' are skipped.
//
// Block: the entries in ascending identifier order, each made of the identifier as two
// base-255 digits stored plus 1, the text and a 0 byte: first the start marker
// (identifier 0, "ZORVAN RES BLOC START" as it is), then the messages in compact form,
// last the stop marker (identifier 65024, "ZORVAN RES BLOC STOP" as it is). Beside it,
// the size table: 0, then the text size of every entry but the last. Offsets into the
// block are 16-bit, so the block is at most 65535 bytes.
class CMessageBlock {
public:
    struct _stMessage {
        unsigned nIdentifiant;
        std::string strTexte;  // decoded text, escapes resolved
        int nLigne;            // source line, from 1
        std::string strNom;    // C++ name of the identifier; empty when it has none
    };

    static constexpr const char* s_pszMarqueurDebut = "ZORVAN RES BLOC START";
    static constexpr const char* s_pszMarqueurFin = "ZORVAN RES BLOC STOP";
    static constexpr unsigned s_nIdentifiantFin = 65024;

    // Reads the messages of a source; on failure *pstrErreur says "line N: reason".
    static bool s_bLitSource(const std::string& strSource, std::vector<_stMessage>& vecMessages,
                             std::string* pstrErreur = nullptr);
    // Resolves the escapes of a text field.
    static bool s_bResoutEchappements(const std::string& strChamp, std::string& strTexte,
                                      std::string* pstrErreur = nullptr);
    // Builds the block and its size table.
    static bool s_bConstruit(const std::vector<_stMessage>& vecMessages, std::string& strBloc,
                             std::vector<unsigned short>& vecTailles,
                             std::string* pstrErreur = nullptr);
    // C++ header declaring, for every named message, "constexpr unsigned NAME = identifier;".
    static void s_Noms(const std::vector<_stMessage>& vecMessages, const std::string& strOrigine,
                       std::string& strSource);
    // C++ source defining the block (unsigned char array strNomBloc) and the size table
    // (unsigned short array strNomTailles), both with external linkage.
    static bool s_bSource(const std::vector<_stMessage>& vecMessages,
                          const std::string& strOrigine, const std::string& strNomBloc,
                          const std::string& strNomTailles, std::string& strSource,
                          std::string* pstrErreur = nullptr);
};
