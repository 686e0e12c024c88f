#pragma once

#include "configmanager/core/configtext.h"

#include <QString>

class GameConfig;

/**
 * The viewer's hold on one stored configuration: the text it opened, and on closing the check
 * against the file as it is then, and the write-back of the edits.
 */
class ConfigViewer
{
public:
    enum class Answer { Yes, No, Cancel };

    explicit ConfigViewer(GameConfig &config);

    /// Reads the stored configuration \a name; false (with the reason) when it cannot be read.
    bool open(const QString &name, QString *error = nullptr);
    const QString &path() const { return m_path; }
    const QString &text() const { return m_opened.text(); }

    /// Whether \a editorText differs from the file as it is now (a vanished file differs).
    bool needsQuestion(const QString &editorText) const;
    /// Carries out the answer to the save question; true when the viewer may close. A failed
    /// write keeps the viewer open, so the edits are not lost.
    bool answerClose(Answer answer, const QString &editorText, QString *error = nullptr);

private:
    GameConfig &m_config;
    QString m_path;
    ConfigText m_opened;
};
