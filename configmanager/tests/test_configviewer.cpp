// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/configviewer.h"
#include "configmanager/tests/quorreltestbed.h"
#include "platform/testsupport/fulldisk.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

using Answer = Dialogs::Answer;

class TestConfigViewer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void textRoundTrip_data();
    void textRoundTrip();
    void openShowsStoredConfig();
    void openMissing_data();
    void openMissing();
    void question_data();
    void question();
    void answers_data();
    void answers();
    void failedSaveKeepsViewerOpen_data();
    void failedSaveKeepsViewerOpen();

private:
    std::unique_ptr<QuorrelTestbed> m_bed;
    QString m_library;
};

void TestConfigViewer::init()
{
    m_bed = std::make_unique<QuorrelTestbed>();
    QVERIFY(m_bed->isValid());
    QVERIFY(m_bed->registerGameFile());
    m_library = m_bed->library();
}

void TestConfigViewer::cleanup()
{
    m_bed.reset();
}

void TestConfigViewer::textRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("unix line ends") << QByteArray("a 1\nb 2\n") << QStringLiteral("a 1\nb 2\n");
    QTest::newRow("windows line ends")
        << QByteArray("a 1\r\nb 2\r\n") << QStringLiteral("a 1\nb 2\n");
    QTest::newRow("old mac line ends") << QByteArray("a\rb\r") << QStringLiteral("a\nb\n");
    QTest::newRow("no line end at all") << QByteArray("bind x") << QStringLiteral("bind x");
    QTest::newRow("accented and high bytes")
        << QByteArray("name \"J\xe9r\xf4me\"\r\nsay \xa0\xff\x80\r\n")
        << QStringLiteral("name \"Jérôme\"\nsay \u00a0ÿ€\n");
    QTest::newRow("windows-1252 letters and quotes")
        << QByteArray("say \x93\x8c\x9c\x85\x94 \x99\n") << QStringLiteral("say “Œœ…” ™\n");
    QTest::newRow("codes 1252 leaves unassigned")
        << QByteArray("\x81\x8d\x8f\x90\x9d") << QStringLiteral("\u0081\u008d\u008f\u0090\u009d");
    QTest::newRow("tabs and quotes")
        << QByteArray("bind \"\t\" \"say ;\"\n") << QStringLiteral("bind \"\t\" \"say ;\"\n");
}

void TestConfigViewer::textRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    const ConfigText config = ConfigText::fromBytes(bytes);
    QCOMPARE(config.text(), text);
    const auto written = config.toBytes(config.text());
    QVERIFY2(written, qPrintable(written.reason()));
    QCOMPARE(*written, bytes);
}

void TestConfigViewer::openShowsStoredConfig()
{
    QVERIFY(TestFiles::write(m_library + QStringLiteral("cfg1.cfg"), "rate 9999\r\n"));
    ConfigViewer viewer(m_bed->config());
    QVERIFY(viewer.open(QStringLiteral("cfg1")).ok());
    QCOMPARE(viewer.path(), m_library + QStringLiteral("cfg1.cfg"));
    QCOMPARE(viewer.text(), QStringLiteral("rate 9999\n"));
}

void TestConfigViewer::openMissing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("registered");

    QTest::newRow("deleted since listed") << QStringLiteral("gone") << true;
    QTest::newRow("no entry selected") << QString() << true;
    QTest::newRow("no configuration file registered") << QStringLiteral("cfg1") << false;
}

void TestConfigViewer::openMissing()
{
    QFETCH(QString, name);
    QFETCH(bool, registered);

    QVERIFY(TestFiles::write(m_library + QStringLiteral("cfg1.cfg"), "rate 9999\r\n"));
    if (!registered)
        QVERIFY(m_bed->set(QuorrelSettings::Key::RepertoryFile, QString()));
    ConfigViewer viewer(m_bed->config());
    const auto opened = viewer.open(name);
    QVERIFY(!opened);
    QVERIFY(!opened.reason().isEmpty());
}

void TestConfigViewer::question_data()
{
    QTest::addColumn<QString>("editorText");
    QTest::addColumn<QByteArray>("fileAtClose");
    QTest::addColumn<bool>("asks");

    const QByteArray original("rate 9999\r\nname \"J\xe9r\xf4me\"\r\n");
    const QString shown = QString::fromLatin1("rate 9999\nname \"J\xe9r\xf4me\"\n");
    QTest::newRow("no edit") << shown << original << false;
    QTest::newRow("edited") << shown + QStringLiteral("fps_max 100") << original << true;
    QTest::newRow("letter case counts") << shown.toUpper() << original << true;
    QTest::newRow("changed on disk meanwhile") << shown << QByteArray("other\r\n") << true;
    QTest::newRow("file gone meanwhile") << shown << QByteArray() << true;
}

void TestConfigViewer::question()
{
    QFETCH(QString, editorText);
    QFETCH(QByteArray, fileAtClose);
    QFETCH(bool, asks);

    const QString path = m_library + QStringLiteral("cfg1.cfg");
    QVERIFY(TestFiles::write(path, "rate 9999\r\nname \"J\xe9r\xf4me\"\r\n"));
    ConfigViewer viewer(m_bed->config());
    QVERIFY(viewer.open(QStringLiteral("cfg1")).ok());
    if (fileAtClose.isEmpty())
        QVERIFY(QFile::remove(path));
    else
        QVERIFY(TestFiles::write(path, fileAtClose));
    QCOMPARE(viewer.needsQuestion(editorText), asks);
}

void TestConfigViewer::answers_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("edited");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("fileAfter");

    const QByteArray original("rate 9999\r\nname \"J\xe9r\xf4me\"\r\nbind w +forward\r\n");
    QTest::newRow("yes writes a shorter text exactly")
        << Answer::Yes << QString::fromLatin1("rate 9999\nname \"J\xe9r\xf4me\"\n") << true
        << QByteArray("rate 9999\r\nname \"J\xe9r\xf4me\"\r\n");
    QTest::newRow("yes writes a longer text exactly")
        << Answer::Yes
        << QString::fromLatin1("rate 9999\nname \"J\xe9r\xf4me\"\nbind w +forward\nfps_max 101")
        << true << QByteArray(original + "fps_max 101");
    QTest::newRow("yes writes a typed oe ligature as its byte")
        << Answer::Yes << QStringLiteral("rate 9999\nname \"Jérôme\"\nsay cœur €5") << true
        << QByteArray("rate 9999\r\nname \"J\xe9r\xf4me\"\r\nsay c\x9cur \x80"
                      "5");
    QTest::newRow("yes refuses a character the file cannot hold")
        << Answer::Yes << QStringLiteral("rate 9999\nname \"Дима\"\n") << false << original;
    QTest::newRow("yes refuses a character beyond the basic plane")
        << Answer::Yes << QStringLiteral("say 🙂\n") << false << original;
    QTest::newRow("no leaves the file") << Answer::No << QStringLiteral("x") << true << original;
    QTest::newRow("cancel keeps viewer and file")
        << Answer::Cancel << QStringLiteral("x") << false << original;
}

void TestConfigViewer::answers()
{
    QFETCH(Answer, answer);
    QFETCH(QString, edited);
    QFETCH(bool, closes);
    QFETCH(QByteArray, fileAfter);

    const QString path = m_library + QStringLiteral("cfg1.cfg");
    QVERIFY(TestFiles::write(path, "rate 9999\r\nname \"J\xe9r\xf4me\"\r\nbind w +forward\r\n"));
    ConfigViewer viewer(m_bed->config());
    QVERIFY(viewer.open(QStringLiteral("cfg1")).ok());
    QVERIFY(viewer.needsQuestion(edited));
    const auto closing = viewer.answerClose(answer, edited);
    QCOMPARE(closing.ok() && *closing, closes);
    QCOMPARE(TestFiles::read(path), fileAfter);
    // A refused save fails, and says which character stopped it and where the file is.
    QCOMPARE(closing.ok(), closes || answer != Answer::Yes);
    const QString error = closing.reason();
    if (!closes && answer == Answer::Yes) {
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY2(error.contains(edited.contains(u'Д')
                                    ? QStringLiteral("« Д » (U+0414, ligne 2)")
                                    : QStringLiteral("« 🙂 » (U+1F642, ligne 1)")),
                 qPrintable(error));
    }
    QCOMPARE(QDir(m_library).entryList(QDir::Files), QStringList {QStringLiteral("cfg1.cfg")});
}

void TestConfigViewer::failedSaveKeepsViewerOpen_data()
{
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("systemWords");

    QTest::newRow("file refused") << false << QStringLiteral("Accès refusé")
                                  << QStringLiteral("Permission denied");
    QTest::newRow("disk full") << true << QStringLiteral("Le disque est plein")
                               << QStringLiteral("No space left on device");
}

void TestConfigViewer::failedSaveKeepsViewerOpen()
{
    QFETCH(bool, fullDisk);
    QFETCH(QString, reason);
    QFETCH(QString, systemWords);

    const QString path = m_library + QStringLiteral("cfg1.cfg");
    std::unique_ptr<FullDisk> disk;
    if (fullDisk) {
        disk = std::make_unique<FullDisk>(m_library);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
    }
    QVERIFY(TestFiles::write(path, "rate 9999\n"));
    ConfigViewer viewer(m_bed->config());
    QVERIFY(viewer.open(QStringLiteral("cfg1")).ok());
    if (disk)
        QVERIFY(disk->fill());
    else
        m_bed->files().failingPath = path;
    const auto closing = viewer.answerClose(Answer::Yes, QStringLiteral("rate 1\n"));
    QVERIFY(!closing);
    const QString error = closing.reason();
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY(error.contains(path));
    // The system's own words stay with the failure, for the details of its message.
    QCOMPARE(closing.failure().text(), systemWords);
    QCOMPARE(TestFiles::read(path), QByteArray("rate 9999\n"));
}

QTEST_GUILESS_MAIN(TestConfigViewer)
#include "test_configviewer.moc"
