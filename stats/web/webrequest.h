// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

/** An HTTP request as the ranking site sees it, whatever server received it. */
struct WebRequest
{
    enum class Method { Get, Head, Other };

    Method method = Method::Get;
    QByteArray path; ///< as sent, percent-encoded: "/player/12"
    QByteArray query; ///< as sent after "?", percent-encoded; empty without one
    QByteArray acceptLanguage; ///< the languages the browser asks for; empty without any
    QByteArray acceptEncoding; ///< the compressions the client reads; empty without any
    QByteArray ifNoneMatch; ///< the entity tags of the copies the client holds; empty without any
};
