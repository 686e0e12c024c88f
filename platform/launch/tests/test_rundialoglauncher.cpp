// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/launch/rundialoglauncher.h"

#include <QTest>

namespace {

/// Records what would have reached the keyboard, one line per event.
class RecordingKeystrokes final : public KeystrokeSender
{
public:
    void keyEvent(std::uint8_t virtualKey, Direction direction) override
    {
        events << QStringLiteral("key 0x%1 %2")
                      .arg(virtualKey, 2, 16, QLatin1Char('0'))
                      .arg(direction == Direction::Down ? QStringLiteral("down")
                                                        : QStringLiteral("up"));
    }
    void sendKeys(const QString &keys) override { events << QStringLiteral("send ") + keys; }

    QStringList events;
};

} // namespace

class TestRunDialogLauncher : public QObject
{
    Q_OBJECT

private slots:
    void sequence_data();
    void sequence();
};

void TestRunDialogLauncher::sequence_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("typed");

    QTest::newRow("plain command line")
        << QStringLiteral("D:\\SIERRA\\Half-Life\\hl.exe -game cstrike")
        << QStringLiteral("D:\\SIERRA\\Half-Life\\hl.exe -game cstrike");
    QTest::newRow("reserved characters typed literally")
        << QStringLiteral("C:\\Jeux (2)\\hl.exe +connect {x} 50%")
        << QStringLiteral("C:\\Jeux {(}2{)}\\hl.exe {+}connect {{}x{}} 50{%}");
    QTest::newRow("caret, tilde and brackets")
        << QStringLiteral("a^b~[c]") << QStringLiteral("a{^}b{~}{[}c{]}");
}

void TestRunDialogLauncher::sequence()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, typed);

    RecordingKeystrokes keys;
    RunDialogLauncher launcher(keys, 10);
    QVERIFY(launcher.launch(commandLine).ok());

    const QStringList expected {
        QStringLiteral("key 0x5b down"), QStringLiteral("key 0x52 down"),
        QStringLiteral("key 0x52 up"),   QStringLiteral("key 0x5b up"),
        QStringLiteral("send ") + typed, QStringLiteral("send {ENTER}"),
    };
    QCOMPARE(keys.events, expected);
}

QTEST_GUILESS_MAIN(TestRunDialogLauncher)
#include "test_rundialoglauncher.moc"
