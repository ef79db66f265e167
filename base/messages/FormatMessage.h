// The two message formatters with the Win32 FormatMessage signature: printf syntax and Win32 insert syntax.
#pragma once

// Flag values, those of Win32.
#ifndef FORMAT_MESSAGE_ALLOCATE_BUFFER
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#endif
#ifndef FORMAT_MESSAGE_IGNORE_INSERTS
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#endif
#ifndef FORMAT_MESSAGE_FROM_STRING
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#endif
#ifndef FORMAT_MESSAGE_FROM_SYSTEM
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#endif
#ifndef FORMAT_MESSAGE_ARGUMENT_ARRAY
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#endif

// Common contract of both formatters.
//
// source is the format text (0x400 is implied); with 0x1000 the C library's text for the
// current errno replaces it. messageId and languageId are ignored.
//
// With 0x100 (allocate), buffer is really a char** that receives a new malloc'd block, which
// the caller releases with free; it receives null on failure. Otherwise buffer is the
// caller's memory of size bytes, never written past its end.
//
// args is the address of the caller's own va_list, taken in the variadic function itself:
//     va_list ap; va_start(ap, fmt); ... reinterpret_cast<char**>(&ap) ...; va_end(ap);
// A function that merely received a va_list parameter must va_copy it into a local first
// and pass the address of that local (on x86-64 a va_list parameter is already a pointer).
// The caller's list is never advanced. A null args means there are no arguments.

// printf formatting (numbered inserts such as "%2$u" allowed) through the C library.
// Returns the length of the whole formatted text, even when it was cut to fit size bytes;
// 0 on failure. With a null args, a format that needs arguments fails.
unsigned int FormatMessageA(unsigned int flags, const void* source, unsigned int messageId,
                            unsigned int languageId, char* buffer, unsigned int size, char** args);

// Win32 insert syntax: %1 .. %99, %1!u! (a printf conversion without its '%'), %n line end,
// %0 end of output, %% and %x give the character; CR and CR LF become a space and a lone LF
// becomes CR LF. 0x200 copies the text untouched.
//
// Insert k is read from argument slot k. A slot is one pointer-sized cell: 4 bytes on i386,
// where a 64-bit or floating insert spans slots k and k+1 (and the next insert is then k+2,
// as on Win32); 8 bytes on x86-64, where every insert takes exactly one slot. With 0x2000
// args points to an array of such slots (uintptr_t). Without it, args is the address of a
// va_list: on i386 the list is the slot array itself; on x86-64 the values are fetched in
// order 1..highest, each with the type its conversion names, so an insert that is not
// referenced is read as a pointer-sized integer - a floating insert must be referenced to
// be read correctly. A '*' width or precision takes the slot(s) before the value.
//
// Conversions that write through a pointer (n), long double (L) and unknown ones produce
// nothing. A null wide text gives "(null)". With a null args an insert with a '!...!'
// conversion is copied unformatted and a bare one produces nothing.
//
// Returns the length of the text delivered (cut to size - 1 without 0x100), 0 on failure.
unsigned int FormatMessageWin(unsigned int flags, const void* source, unsigned int messageId,
                              unsigned int languageId, char* buffer, unsigned int size, char** args);
