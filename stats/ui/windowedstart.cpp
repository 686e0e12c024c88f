#include "windowedstart.h"

#include <cstdio>

int startWindowed(int, char **)
{
    std::fputs("tolvane: the windows are not built yet; use --update or --print\n", stderr);
    return 2;
}
