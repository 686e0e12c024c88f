#include "shots.h"

int renderQuorrelWindows(const QString &)
{
    return 0;
}
