// zvzlw: compresses and expands files or standard streams in the block format.
#include "tools/zvzlw/Zvzlw.h"

int main(int argc, char** argv)
{
    return ZVZLW_nMain(argc, argv);
}
