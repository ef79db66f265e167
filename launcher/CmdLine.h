// Command-line services of ZVExe: option tests and the process-wide rebuilt command line.
#pragma once

class CTString;

// Room of the rebuilt command line: 1024 characters and the terminating NUL.
constexpr unsigned gnTailleCmdLine = 1025;

// The command line rebuilt from the program's arguments (program name excluded). Written once
// by SetCommandLine before any other thread exists, read afterwards without a lock.
extern char tabCmdLine[gnTailleCmdLine];

// True when an argument from index 1 on equals pszOption as a whole, ignoring ASCII case.
// False when nArgc is below 2.
bool bSetOnCmdLine(int nArgc, char** ppszArgv, const char* pszOption);

// Finds the first argument from index 1 on equal to pszOption (same comparison) and stores the
// argument that follows it in *pclValeur; an option given last leaves *pclValeur empty. False,
// *pclValeur untouched, when the option is absent or nArgc is below 2.
bool bGetCmdLineValue(int nArgc, char** ppszArgv, const char* pszOption, CTString* pclValeur);

// Rebuilds tabCmdLine from nArgc arguments: each argument followed by one blank; an argument
// holding a blank is quoted whole, or after its first '=' when that '=' comes before the first
// blank ('KEY=two words' gives 'KEY="two words"'). What does not fit in 1024 characters is cut.
void SetCommandLine(int nArgc, char** ppszArgv);

// The rebuilt command line.
const char* GetCommandLine();
