// Trace of the calls a sample component or image library receives, appended to a file the tests read.
#pragma once

// When the environment variable ZV_TRACE_COMPOSANTE names a file, each call appends one line
// "<path of this library as loaded>|<text>" to it, the text made from the printf format.
// Without the variable nothing is written. A file, not memory, so that calls made while the
// library is being unloaded, and calls received by several copies of it, are all kept.
void TraceComposante(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
