// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/**
 * The only ways text reaches a page: player names and the text of a search are hostile input,
 * and each place they appear in has its own escaping.
 */
namespace WebEscape {

/// For the content of an element: the characters of markup as references, and characters
/// that would act rather than show (controls, direction overrides) as visible escapes.
QString html(const QString &text);
/// For an attribute value in double quotes: as html(), and the backquote as a reference too,
/// so that no quote of any kind can end the value.
QString attribute(const QString &text);
/// For a value in a URL's query or path: UTF-8, every byte but the unreserved ones
/// percent-encoded. The text keeps every character: a search comes back exactly as typed.
QString url(const QString &text);

} // namespace WebEscape
