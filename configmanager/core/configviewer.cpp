#include "configmanager/core/configviewer.h"

#include "configmanager/core/gameconfig.h"
#include "platform/files/filestore.h"

ConfigViewer::ConfigViewer(GameConfig &config) : m_config(config) { }

bool ConfigViewer::open(const QString &name, QString *error)
{
    if (name.isEmpty()) {
        // The list can lose its selection (a refill) while the open button stays enabled.
        if (error)
            *error = QStringLiteral("Aucune configue n'est sélectionnée dans la liste.");
        return false;
    }
    m_path = m_config.storedConfigPath(name);
    const auto bytes =
        m_path.isEmpty() ? Result<QByteArray>::failure({}) : m_config.files().readAll(m_path);
    if (!bytes) {
        if (error) {
            *error =
                QStringLiteral("La configue \"%1\" n'a pas pu être lue :\n%2\n%3")
                    .arg(name, m_path,
                         m_path.isEmpty() ? QStringLiteral("aucun fichier de configuration n'est "
                                                           "enregistré (Alt_R).")
                                          : bytes.reason());
        }
        return false;
    }
    m_opened = ConfigText::fromBytes(*bytes);
    return true;
}

bool ConfigViewer::needsQuestion(const QString &editorText) const
{
    const auto bytes = m_config.files().readAll(m_path);
    return !bytes || ConfigText::fromBytes(*bytes).text() != editorText;
}

bool ConfigViewer::answerClose(Answer answer, const QString &editorText, QString *error)
{
    switch (answer) {
    case Answer::Cancel:
        return false;
    case Answer::No:
        return true;
    case Answer::Yes:
        break;
    }
    // The file keeps the line ends it has now; the one read at opening if it has gone since.
    const auto current = m_config.files().readAll(m_path);
    const ConfigText format = current ? ConfigText::fromBytes(*current) : m_opened;
    QString reason;
    const auto bytes = format.toBytes(editorText, &reason);
    if (!bytes) {
        // Replaced by "?" the character would be lost without a word; the user decides.
        if (error)
            *error = QStringLiteral("Les modifications n'ont pas été enregistrées dans %1 :\n%2")
                         .arg(m_path, reason);
        return false;
    }
    const auto written = m_config.files().writeAtomically(m_path, *bytes);
    if (written)
        return true;
    if (error)
        *error = QStringLiteral("Les modifications n'ont pas pu être enregistrées dans %1 :\n%2")
                     .arg(m_path, written.reason());
    return false;
}
