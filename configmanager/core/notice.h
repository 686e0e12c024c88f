#pragma once

#include <QString>

/// A message for the user, shown by the windows in a modal box with an OK button.
struct Notice
{
    QString title;
    QString text;
};
