// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QHostAddress>
#include <QString>

/**
 * An IP address and a UDP port as the listener's command line writes them: "27500",
 * "192.0.2.7:27015", "[2001:db8::7]:27015", and for a sender also "192.0.2.7" or "2001:db8::7"
 * alone. A null address stands for every address, port 0 for any port (or, to listen on, a free
 * one).
 */
struct Endpoint
{
    QHostAddress address;
    quint16 port = 0;

    /// "[ADDRESS:]PORT", where to listen; port 0 asks for a free port.
    static Result<Endpoint> parseListen(const QString &text);
    /// "ADDRESS[:PORT]", a sender; without a port, any port of that address.
    static Result<Endpoint> parseSender(const QString &text);

    /// "192.0.2.7:27015", "[2001:db8::7]:27015", "192.0.2.7" without a port, "*:27500" for
    /// every address.
    QString toString() const;
};
