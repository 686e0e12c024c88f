// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windowkit/frenchqttexts.h"

#include <QLibraryInfo>

#include <array>
#include <cstring>

FrenchQtTexts::FrenchQtTexts(QObject *parent) : QTranslator(parent)
{
    m_hasQtCatalogue = m_qtCatalogue.load(QStringLiteral("qtbase_fr"), qtCatalogueFolder());
}

QString FrenchQtTexts::qtCatalogueFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

namespace {

// The system's words for a failed file operation, which Qt would translate as it makes a file's
// error text: kept as the system gave them, so that a message shows them behind its details
// button while FrenchReasons puts them into French, in the same words as in every program.
constexpr std::array systemWords {
    "Permission denied",
    "Too many open files",
    "No such file or directory",
    "No space left on device",
};

} // namespace

QString FrenchQtTexts::translate(const char *context, const char *sourceText,
                                 const char *disambiguation, int n) const
{
    if (context && sourceText && std::strcmp(context, "QIODevice") == 0) {
        for (const char *words : systemWords) {
            if (std::strcmp(sourceText, words) == 0)
                return {};
        }
    }
    if (context && sourceText && std::strcmp(context, "QMessageBox") == 0) {
        if (std::strcmp(sourceText, "Show Details...") == 0)
            return QStringLiteral("Afficher les détails...");
        if (std::strcmp(sourceText, "Hide Details...") == 0)
            return QStringLiteral("Masquer les détails...");
    }
    return m_qtCatalogue.translate(context, sourceText, disambiguation, n);
}
