// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "configmanager/core/configtext.h"
#include "platform/dialogs/dialogs.h"
#include "platform/result/result.h"

#include <QString>

class GameConfig;

/**
 * The viewer's hold on one stored configuration: the text it opened, and on closing the check
 * against the file as it is then, and the write-back of the edits.
 */
class ConfigViewer
{
public:
    explicit ConfigViewer(GameConfig &config);

    /// Reads the stored configuration \a name; fails, with the reason, when it cannot be read.
    Result<> open(const QString &name);
    const QString &path() const { return m_path; }
    const QString &text() const { return m_opened.text(); }

    /// Whether \a editorText differs from the file as it is now (a vanished file differs).
    bool needsQuestion(const QString &editorText) const;
    /// Carries out the answer to the save question: true when the viewer may close, false when
    /// it stays open (Cancel). A failed write fails, and the viewer stays open, so the edits are
    /// not lost.
    Result<bool> answerClose(Dialogs::Answer answer, const QString &editorText);

private:
    GameConfig &m_config;
    QString m_path;
    ConfigText m_opened;
};
