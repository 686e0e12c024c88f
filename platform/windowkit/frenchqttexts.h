// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTranslator>

/**
 * Qt's own texts in French, for the three programs' windows, whose own texts are French: the
 * buttons of the message boxes and prompts (Oui, Non, Annuler), the file dialogs, and the
 * reasons Qt gives for a failure. They come from Qt's French catalogue, qtbase_fr.qm, where Qt
 * keeps its translations (Debian's package qt6-translations-l10n); the few texts it lacks, such
 * as the button that shows the details of a message, are added here. Install it once, after the
 * application object is made.
 */
class FrenchQtTexts final : public QTranslator
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrenchQtTexts)

public:
    explicit FrenchQtTexts(QObject *parent = nullptr);

    /// Whether Qt's French catalogue was found; without it only the few texts added here are
    /// French.
    bool hasQtCatalogue() const { return m_hasQtCatalogue; }
    /// Where Qt's French catalogue is looked for.
    static QString qtCatalogueFolder();

    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText,
                      const char *disambiguation = nullptr, int n = -1) const override;

private:
    QTranslator m_qtCatalogue;
    bool m_hasQtCatalogue = false;
};
