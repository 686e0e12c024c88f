// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/files/filestore.h"
#include "platform/testsupport/fulldisk.h"
#include "platform/testsupport/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <system_error>

namespace {

// A copy as the programs would make one: the whole source read, then written in one replacement.
Result<> copyAtomically(FileStore &files, const QString &source, const QString &target)
{
    const auto content = files.readAll(source);
    if (!content)
        return Result<>::failure(content.failure());
    return files.writeAtomically(target, *content);
}

} // namespace

class TestFileStore : public QObject
{
    Q_OBJECT

private slots:
    void writesExactBytes_data();
    void writesExactBytes();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void missingFileReportsReason();
    void copyReplacesTarget();
};

void TestFileStore::writesExactBytes_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("new file") << QByteArray() << QByteArray("de_dust2\r\ncs_office\r\n");
    QTest::newRow("shorter than old") << QByteArray(1000, 'x') << QByteArray("a\r\n");
    QTest::newRow("empty") << QByteArray("old") << QByteArray();
    QTest::newRow("high bytes") << QByteArray("a") << QByteArray("bind \xe9\xe8\r\n\x00z", 12);
}

void TestFileStore::writesExactBytes()
{
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath("mapcycle.txt");
    if (!old.isEmpty())
        QVERIFY(FileStore().writeAtomically(path, old));
    QVERIFY(FileStore().writeAtomically(path, content));
    QCOMPARE(TestFiles::read(path), content);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {"mapcycle.txt"});
}

void TestFileStore::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("why");
    QTest::addColumn<QByteArray>("content");
    // The system's error the failure carries, which its French is made from; 0 for none.
    QTest::addColumn<int>("error");
    QTest::newRow("read-only folder")
        << "read-only" << QByteArray("other") << int(std::errc::permission_denied);
    QTest::newRow("full disk, a few bytes")
        << "full" << QByteArray("other") << int(std::errc::no_space_on_device);
    QTest::newRow("full disk, more than a buffer")
        << "full" << QByteArray(100000, 'x') << int(std::errc::no_space_on_device);
    // Qt refuses it on its own, after calls that left another error behind: none is told.
    QTest::newRow("a folder where the file should be") << "folder" << QByteArray("other") << 0;
}

void TestFileStore::failedWriteKeepsOldFile()
{
    QFETCH(QString, why);
    QFETCH(QByteArray, content);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString folder = dir.filePath("cstrike");
    const QString path = folder + "/config.cfg";
    QVERIFY(QDir().mkpath(folder));
    std::unique_ptr<FullDisk> disk;
    if (why == "full") {
        disk = std::make_unique<FullDisk>(folder);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
    }
    QVERIFY(FileStore().writeAtomically(path, "bind w +forward\n"));
    Result<> written;
    if (why == "folder") {
        QVERIFY(QDir().mkpath(folder + "/maps"));
        written = FileStore().writeAtomically(folder + "/maps", content);
    } else if (disk) {
        QVERIFY(disk->fill());
        written = FileStore().writeAtomically(path, content);
    } else {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        written = FileStore().writeAtomically(path, content);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (written)
            QSKIP("running with permission to write into read-only folders (root)");
    }
    QVERIFY(!written);
    QVERIFY(!written.reason().isEmpty());
    QCOMPARE(written.failure().system().value(), error);
    if (error != 0)
        QCOMPARE(written.failure().system().category(), std::generic_category());
    QCOMPARE(TestFiles::read(path), QByteArray("bind w +forward\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList {"config.cfg"});
}

void TestFileStore::missingFileReportsReason()
{
    QTemporaryDir dir;
    const auto missing = FileStore().readAll(dir.filePath("nope.cfg"));
    QVERIFY(!missing);
    QVERIFY(!missing.reason().isEmpty());
    FileStore files;
    QVERIFY(!copyAtomically(files, dir.filePath("nope.cfg"), dir.filePath("t.cfg")));
    QVERIFY(!QFile::exists(dir.filePath("t.cfg")));

    QVERIFY(FileStore().makeFolder(dir.filePath("a/b/Configs/")));
    QVERIFY(FileStore().makeFolder(dir.filePath("a/b/Configs")));
    QVERIFY(FileStore().writeAtomically(dir.filePath("file"), "x"));
    const auto made = FileStore().makeFolder(dir.filePath("file/Configs/"));
    QVERIFY(!made);
    QVERIFY(!made.reason().isEmpty());
}

void TestFileStore::copyReplacesTarget()
{
    QTemporaryDir dir;
    QVERIFY(FileStore().writeAtomically(dir.filePath("a.cfg"), "A\r\n"));
    QVERIFY(FileStore().writeAtomically(dir.filePath("b.cfg"), "BBBBBB"));
    FileStore files;
    QVERIFY(copyAtomically(files, dir.filePath("a.cfg"), dir.filePath("b.cfg")));
    QCOMPARE(TestFiles::read(dir.filePath("b.cfg")), QByteArray("A\r\n"));
}

QTEST_GUILESS_MAIN(TestFileStore)
#include "test_filestore.moc"
