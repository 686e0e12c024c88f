#include "configmanager/tests/quorreltestbed.h"

QuorrelTestbed::QuorrelTestbed()
    : m_gameFolder(m_dir.filePath(QStringLiteral("Half Life/cstrike"))),
      m_gameFile(m_gameFolder + QStringLiteral("/config.cfg")), m_settings(settingsFolder()),
      m_config(QStringLiteral("cstrike"), m_settings, m_files, m_launcher)
{
    m_valid = m_dir.isValid() && TestFiles::write(m_gameFile, "name \"player\"\r\n");
}

bool QuorrelTestbed::set(QuorrelSettings::Key key, const QString &value)
{
    return m_config.settings().setValue(key, value).ok();
}

bool QuorrelTestbed::storeConfig(const QString &fileName, const QByteArray &content)
{
    return TestFiles::write(library() + fileName, content);
}
