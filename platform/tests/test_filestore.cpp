#include "filestore.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFileStore : public QObject
{
    Q_OBJECT

private slots:
    void writesExactBytes_data();
    void writesExactBytes();
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

void TestFileStore::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.cfg");
    QVERIFY(FileStore().writeAtomically(path, "bind w +forward\n"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QString error;
    const bool written = FileStore().writeAtomically(path, "other", &error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (written)
        QSKIP("running with permission to write into read-only folders (root)");
    QVERIFY(!error.isEmpty());
    QCOMPARE(TestFiles::read(path), QByteArray("bind w +forward\n"));
}

void TestFileStore::missingFileReportsReason()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!FileStore().readAll(dir.filePath("nope.cfg"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!FileStore().copyAtomically(dir.filePath("nope.cfg"), dir.filePath("t.cfg")));
    QVERIFY(!QFile::exists(dir.filePath("t.cfg")));
}

void TestFileStore::copyReplacesTarget()
{
    QTemporaryDir dir;
    QVERIFY(FileStore().writeAtomically(dir.filePath("a.cfg"), "A\r\n"));
    QVERIFY(FileStore().writeAtomically(dir.filePath("b.cfg"), "BBBBBB"));
    QVERIFY(FileStore().copyAtomically(dir.filePath("a.cfg"), dir.filePath("b.cfg")));
    QCOMPARE(TestFiles::read(dir.filePath("b.cfg")), QByteArray("A\r\n"));
}

QTEST_GUILESS_MAIN(TestFileStore)
#include "test_filestore.moc"
