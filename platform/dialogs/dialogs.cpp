// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/dialogs.h"

#include "platform/dialogs/frenchreasons.h"

void Dialogs::informFailure(QWidget *parent, const QString &title, const Failure &failure)
{
    const QString french = FrenchReasons::translate(failure);
    const QString original = failure.text();
    // A message that says the failure in its own words needs no details.
    inform(parent, title, french, french.contains(original) ? QString() : original);
}
