// Outside consumer of the installed base library: a few calls through the umbrella header.
#include <base/zvbase.h>

#include <cstdio>
#include <cstring>

int main()
{
    if (dwGetCodePageFromCharset(204) != 1251)
        return 1;
    CTString s("\xc9l\xe8ve");
    s.SansAccent();
    s.Majuscule();
    if (!s.bEstEgal("ELEVE"))
        return 2;
    char utf8[16];
    if (MultiByteToUTF8(1252, "\xe9", 1, utf8, sizeof utf8, 0) != 2 || std::strcmp(utf8, "\xc3\xa9") != 0)
        return 3;
    std::puts("consumer ok");
    return 0;
}
