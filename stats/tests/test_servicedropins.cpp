// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/settings/settingsstore.h"
#include "stats/store/servicedropins.h"
#include "stats/store/statspaths.h"
#include "stats/store/tolvanesettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestServiceDropIns : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void namesTheStoredFolders_data();
    void namesTheStoredFolders();
    void refusesAFolderNoUnitFileCanName();

private:
    /// The ReadWritePaths= lines of \a unit's drop-in as written, {dir} for the test's folder.
    QStringList writtenLines(const QString &unit) const;
    void store(const QString &logs, const QString &database);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
};

void TestServiceDropIns::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // The drop-ins go where the user's own systemd reads them: under XDG_CONFIG_HOME.
    qputenv("XDG_CONFIG_HOME", m_dir->filePath("config").toUtf8());
    m_settings = std::make_unique<SettingsStore>(m_dir->filePath("settings"));
}

void TestServiceDropIns::store(const QString &logs, const QString &database)
{
    StatsPaths paths(*m_settings);
    QVERIFY(paths.setLogFolder(logs));
    QVERIFY(paths.setDatabasePath(database));
}

QStringList TestServiceDropIns::writtenLines(const QString &unit) const
{
    const QString path = ServiceDropIns::dropInPath(unit);
    if (!path.startsWith(m_dir->filePath("config/systemd/user/")))
        return {"written outside the test's folder: " + path};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {"not written: " + path};
    QStringList lines;
    for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith("ReadWritePaths="))
            lines << QString(line).replace(m_dir->path(), "{dir}");
    }
    return lines;
}

void TestServiceDropIns::namesTheStoredFolders_data()
{
    QTest::addColumn<QString>("logs"); // "" for none stored
    QTest::addColumn<QString>("database"); // "" for the default one
    QTest::addColumn<QStringList>("update"); // "{data}": the folder of the default database
    QTest::addColumn<QStringList>("listen");

    const QString logs = "ReadWritePaths=\"-{dir}/logs\"";
    const QString data = "ReadWritePaths=\"-{data}\"";
    QTest::newRow("a log folder and the default database")
        << "{dir}/logs"
        << "" << QStringList {logs, data} << QStringList {data};
    QTest::newRow("the database in a folder not made yet")
        << "{dir}/logs"
        << "{dir}/stats/ranking.db" << QStringList {logs, "ReadWritePaths=\"-{dir}/stats\""}
        << QStringList {"ReadWritePaths=\"-{dir}/stats\""};
    QTest::newRow("the database in the log folder")
        << "{dir}/logs"
        << "{dir}/logs/Stats.db" << QStringList {logs} << QStringList {logs};
    QTest::newRow("a folder given with dots")
        << "{dir}/logs/../logs/."
        << "{dir}/logs/../Stats.db" << QStringList {logs, "ReadWritePaths=\"-{dir}\""}
        << QStringList {"ReadWritePaths=\"-{dir}\""};
    QTest::newRow("a PostgreSQL database")
        << "{dir}/logs"
        << "postgresql://tolvane@stats.lan/ranking" << QStringList {logs} << QStringList {};
    QTest::newRow("no log folder") << ""
                                   << "" << QStringList {data} << QStringList {data};
    // A unit file splits a path list at blanks, reads '%' as a specifier and '\' and '"' as
    // quoting: each is written so that systemd reads the folder back letter for letter.
    QTest::newRow("blanks, a percent sign, quotes and a backslash")
        << "{dir}/hlds logs/100% \"real\" a\\b"
        << "{dir}/logs/Stats.db"
        << QStringList {"ReadWritePaths=\"-{dir}/hlds logs/100%% \\\"real\\\" a\\\\b\"", logs}
        << QStringList {logs};
}

void TestServiceDropIns::namesTheStoredFolders()
{
    QFETCH(QString, logs);
    QFETCH(QString, database);
    QFETCH(QStringList, update);
    QFETCH(QStringList, listen);
    logs.replace("{dir}", m_dir->path());
    database.replace("{dir}", m_dir->path());
    if (!logs.isEmpty())
        QVERIFY(QDir().mkpath(logs));
    const QString data =
        QFileInfo(TolvaneSettings::defaultValue(TolvaneSettings::Key::Database)).absolutePath();
    update.replaceInStrings("{data}", data);
    listen.replaceInStrings("{data}", data);

    // Written again by every --store: nothing of the folders stored before stays.
    QVERIFY(QDir().mkpath(m_dir->filePath("old logs")));
    store(m_dir->filePath("old logs"), m_dir->filePath("old/Stats.db"));
    QVERIFY(ServiceDropIns(*m_settings).write());

    store(logs, database);
    const Result<QString> written = ServiceDropIns(*m_settings).write();
    QVERIFY2(written, qPrintable(written.reason()));
    QCOMPARE(writtenLines("tolvane-update.service"), update);
    QCOMPARE(writtenLines("tolvane-listen.service"), listen);
    // Only a folder that exists can be made writable: the database's is made now.
    if (!database.startsWith("postgresql:"))
        QVERIFY(QFileInfo(QFileInfo(database.isEmpty() ? data + "/Stats.db" : database).path())
                    .isDir());
    QVERIFY2(written->contains("daemon-reload"), qPrintable(*written));
}

void TestServiceDropIns::refusesAFolderNoUnitFileCanName()
{
    const QString logs = m_dir->filePath("line\nbreak");
    QVERIFY(QDir().mkpath(logs));
    store(m_dir->filePath("logs"), m_dir->filePath("Stats.db"));
    QVERIFY(ServiceDropIns(*m_settings).write());

    store(logs, m_dir->filePath("Stats.db"));
    const Result<QString> written = ServiceDropIns(*m_settings).write();
    QVERIFY(!written);
    // Named as it can be shown on a terminal, and the drop-in of before left as it was.
    QVERIFY2(written.reason().contains(m_dir->path() + "/line\\x0abreak"),
             qPrintable(written.reason()));
    QCOMPARE(writtenLines("tolvane-update.service"),
             QStringList({"ReadWritePaths=\"-{dir}/logs\"", "ReadWritePaths=\"-{dir}\""}));
}

QTEST_GUILESS_MAIN(TestServiceDropIns)
#include "test_servicedropins.moc"
