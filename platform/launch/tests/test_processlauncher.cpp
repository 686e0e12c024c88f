// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/launch/processlauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString writeScript(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

using LaunchFailure = GameLauncher::Failure;

// Every part of a failure, so that a test sees which one the launcher reported.
QString word(LaunchFailure failure, const QString &subject, const QString &detail)
{
    return QStringLiteral("%1|%2|%3").arg(int(failure)).arg(subject, detail);
}

} // namespace

class TestProcessLauncher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void plan_data();
    void plan();
    void refused_data();
    void refused();
    void launchRunsDetachedFromProgramFolder();

private:
    ProcessLauncher m_launcher {&word};
    QTemporaryDir m_dir;
    QString m_gameFolder;
};

void TestProcessLauncher::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_gameFolder = m_dir.filePath(QStringLiteral("Half Life"));
    QVERIFY(QDir().mkpath(m_gameFolder));
    QVERIFY(!writeScript(m_gameFolder + QStringLiteral("/hl.sh"),
                         "pwd > launched.tmp\nfor a in \"$@\"; do echo \"$a\" >> launched.tmp; "
                         "done\nmv launched.tmp launched.txt\n")
                 .isEmpty());
    QFile plain(m_gameFolder + QStringLiteral("/readme.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
}

void TestProcessLauncher::plan_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("arguments");

    const QString program = m_gameFolder + QStringLiteral("/hl.sh");
    QTest::newRow("quoted program with a blank, two arguments")
        << QStringLiteral("\"%1\" -game cstrike").arg(program)
        << QStringList {QStringLiteral("-game"), QStringLiteral("cstrike")};
    QTest::newRow("quoted argument keeps its blank")
        << QStringLiteral("\"%1\" -game \"my mod\"").arg(program)
        << QStringList {QStringLiteral("-game"), QStringLiteral("my mod")};
    QTest::newRow("runs of blanks separate once")
        << QStringLiteral("  \"%1\"    +connect   1.2.3.4  ").arg(program)
        << QStringList {QStringLiteral("+connect"), QStringLiteral("1.2.3.4")};
    QTest::newRow("program alone") << QStringLiteral("\"%1\"").arg(program) << QStringList {};
}

void TestProcessLauncher::plan()
{
    QFETCH(QString, commandLine);
    QFETCH(QStringList, arguments);

    const auto plan = m_launcher.plan(commandLine);
    QVERIFY2(plan, qPrintable(plan.reason()));
    QCOMPARE(plan->program, m_gameFolder + QStringLiteral("/hl.sh"));
    QCOMPARE(plan->arguments, arguments);
    QCOMPARE(plan->workingDirectory, m_gameFolder);
}

void TestProcessLauncher::refused_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<LaunchFailure>("failure");
    QTest::addColumn<QString>("subject");

    QTest::newRow("empty") << QString() << LaunchFailure::EmptyCommand << QString();
    QTest::newRow("blanks only") << QStringLiteral("   ") << LaunchFailure::EmptyCommand
                                 << QString();
    QTest::newRow("missing program")
        << m_dir.filePath(QStringLiteral("nothing/hl.sh -game x")) << LaunchFailure::ProgramNotFound
        << m_dir.filePath(QStringLiteral("nothing/hl.sh"));
    QTest::newRow("name not on PATH")
        << QStringLiteral("no-such-game-program-here -applaunch 10")
        << LaunchFailure::ProgramNotFound << QStringLiteral("no-such-game-program-here");
    QTest::newRow("not executable, in a folder with a blank")
        << QStringLiteral("\"%1/readme.txt\"").arg(m_gameFolder) << LaunchFailure::NotAProgram
        << m_gameFolder + QStringLiteral("/readme.txt");
    QTest::newRow("a folder") << QStringLiteral("\"%1\"").arg(m_gameFolder)
                              << LaunchFailure::NotAProgram << m_gameFolder;
}

void TestProcessLauncher::refused()
{
    QFETCH(QString, commandLine);
    QFETCH(LaunchFailure, failure);
    QFETCH(QString, subject);

    const QString reason = word(failure, subject, {});
    const auto plan = m_launcher.plan(commandLine);
    QVERIFY(!plan);
    QCOMPARE(plan.reason(), reason);
    const auto launched = m_launcher.launch(commandLine);
    QVERIFY(!launched);
    QCOMPARE(launched.reason(), reason);
}

void TestProcessLauncher::launchRunsDetachedFromProgramFolder()
{
    const auto launched =
        m_launcher.launch(QStringLiteral("\"%1/hl.sh\" -game \"c strike\"").arg(m_gameFolder));
    QVERIFY2(launched, qPrintable(launched.reason()));

    // The script renames its output into place as its last step, so it is complete once seen.
    QFile marker(m_gameFolder + QStringLiteral("/launched.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(marker.exists(), 10000);
    QVERIFY(marker.open(QIODevice::ReadOnly));
    QCOMPARE(marker.readAll(),
             (m_gameFolder + QStringLiteral("\n-game\nc strike\n")).toLocal8Bit());
}

QTEST_GUILESS_MAIN(TestProcessLauncher)
#include "test_processlauncher.moc"
