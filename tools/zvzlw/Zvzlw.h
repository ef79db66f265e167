// Zvzlw: the zvzlw program (compresses and expands files or standard streams in the block
// format, like gzip -c and gzip -dc), callable in the process for the tests.
#pragma once

// The whole program on its arguments (argv[0] is the program's name): writes the files,
// standard output and standard error, and returns the exit status (0 success, 1 an input
// could not be read, expanded or written, 2 bad usage).
int ZVZLW_nMain(int argc, char** argv);
