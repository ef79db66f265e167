// Thread-specific keys: one pointer per thread under a process-wide key (POSIX thread keys).
#pragma once

// Creates a key; pfnDetruit, when given, runs at the exit of each thread whose value under
// the key is not null, with that value. False when the system refuses (too many keys).
bool TLS_bCreeCle(unsigned* pdwCle, void (*pfnDetruit)(void*));
// Deletes a key. The values still set in other threads are not destroyed.
void TLS_SupprimeCle(unsigned dwCle);
// The calling thread's value under the key; null when unset or for an unknown key.
void* TLS_pGetValeur(unsigned dwCle);
// Sets the calling thread's value; false for an unknown key or when memory is short.
bool TLS_bSetValeur(unsigned dwCle, void* p);
