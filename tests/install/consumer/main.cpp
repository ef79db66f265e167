// Outside consumer of the installed base library.
#include <base/zvbase.h>

#include <cstdio>

int main()
{
    if (dwGetCodePageFromCharset(204) != 1251)
        return 1;
    std::puts("consumer ok");
    return 0;
}
