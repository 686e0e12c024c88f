#include "stats/tests/scriptedprompts.h"

std::optional<QString> ScriptedPrompts::askText(QWidget *, const QString &title,
                                                const QString &label)
{
    shown.append({QStringLiteral("text"), title, label, {}});
    return textAnswers.isEmpty() ? std::nullopt : textAnswers.takeFirst();
}

void ScriptedPrompts::showMessage(QWidget *, const QString &title, const QString &text,
                                  const QString &details)
{
    shown.append({QStringLiteral("message"), title, text, details});
}

bool ScriptedPrompts::askYesNo(QWidget *, const QString &title, const QString &text)
{
    shown.append({QStringLiteral("yesno"), title, text, {}});
    return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
}

QString ScriptedPrompts::chooseFolder(QWidget *, const QString &title)
{
    shown.append({QStringLiteral("folder"), title, {}, {}});
    return folderAnswer;
}

QStringList ScriptedPrompts::kinds() const
{
    QStringList result;
    for (const Shown &prompt : shown)
        result.append(prompt.kind);
    return result;
}

int ScriptedPrompts::count(const QString &kind) const
{
    return int(kinds().count(kind));
}
