#include "shots.h"

int renderRondelayWindows(const QString &)
{
    return 0;
}
