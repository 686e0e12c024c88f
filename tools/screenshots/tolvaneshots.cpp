#include "shots.h"

int renderTolvaneWindows(const QString &)
{
    return 0;
}
