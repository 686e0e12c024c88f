// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/settings/settingsstore.h"
#include "stats/store/accesscode.h"

#include <QTemporaryDir>
#include <QTest>

class TestAccessCode : public QObject
{
    Q_OBJECT

private slots:
    void pbkdf2KnownAnswers_data();
    void pbkdf2KnownAnswers();
    void typedCodes_data();
    void typedCodes();
    void nothingStoredAcceptsOnlyTheEmptyCode_data();
    void nothingStoredAcceptsOnlyTheEmptyCode();
    void codeIsNeverStoredAsText();
    void sameCodeGetsADifferentSaltEachTime();
    void emptyCodeClearsTheCode();
    void valueWrittenByHandIsComparedAsText_data();
    void valueWrittenByHandIsComparedAsText();
    void damagedDigestRejectsEverything();

private:
    // Where older installs keep the code: the value must never move.
    static QString storedValue(const SettingsStore &settings)
    {
        return settings.read("Tolvane", "Authentification", "Code");
    }
    static void storeByHand(SettingsStore &settings, const QString &value)
    {
        QVERIFY(settings.write("Tolvane", "Authentification", "Code", value));
    }
    // A derivation as cheap as can be: what is checked here does not depend on its cost.
    static constexpr int cheap = 2;
};

void TestAccessCode::pbkdf2KnownAnswers_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<int>("iterations");
    QTest::addColumn<QByteArray>("expected");

    // RFC 7914, section 11.
    QTest::newRow("one iteration, two blocks")
        << QByteArray("passwd") << QByteArray("salt") << 1
        << QByteArray::fromHex("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                               "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    QTest::newRow("80000 iterations")
        << QByteArray("Password") << QByteArray("NaCl") << 80000
        << QByteArray::fromHex("4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
                               "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d");
}

void TestAccessCode::pbkdf2KnownAnswers()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, salt);
    QFETCH(int, iterations);
    QFETCH(QByteArray, expected);
    QCOMPARE(AccessCode::pbkdf2Sha256(password, salt, iterations, int(expected.size())).toHex(),
             expected.toHex());
}

void TestAccessCode::typedCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("same text") << "Secret"
                               << "Secret" << true;
    QTest::newRow("other letter case") << "Secret"
                                       << "secret" << false;
    QTest::newRow("all capitals") << "Secret"
                                  << "SECRET" << false;
    QTest::newRow("extra blank after") << "Secret"
                                       << "Secret " << false;
    QTest::newRow("extra blank before") << "Secret"
                                        << " Secret" << false;
    QTest::newRow("one letter short") << "Secret"
                                      << "Secre" << false;
    QTest::newRow("empty answer") << "Secret"
                                  << "" << false;
    QTest::newRow("blanks are part of a code") << "two words"
                                               << "two words" << true;
    QTest::newRow("accented letters") << "Mot-clé"
                                      << "Mot-clé" << true;
    QTest::newRow("accent missing") << "Mot-clé"
                                    << "Mot-cle" << false;
}

void TestAccessCode::typedCodes()
{
    QFETCH(QString, code);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);

    QTemporaryDir dir;
    SettingsStore settings(dir.path());
    QVERIFY(AccessCode(settings, cheap).change(code));
    QCOMPARE(AccessCode(settings).matches(typed), accepted);
}

void TestAccessCode::nothingStoredAcceptsOnlyTheEmptyCode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("empty answer") << "" << true;
    QTest::newRow("a blank") << " " << false;
    QTest::newRow("any word") << "Secret" << false;
}

void TestAccessCode::nothingStoredAcceptsOnlyTheEmptyCode()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);

    QTemporaryDir dir;
    SettingsStore settings(dir.path());
    QCOMPARE(AccessCode(settings).matches(typed), accepted);
}

void TestAccessCode::codeIsNeverStoredAsText()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.path());
    QVERIFY(AccessCode(settings).change(QStringLiteral("Secret")));

    const QString stored = storedValue(settings);
    QVERIFY(!stored.isEmpty());
    QVERIFY(!stored.contains(QLatin1String("Secret")));
    // The full cost unless a test asks for less.
    QVERIFY(stored.startsWith(QLatin1String("pbkdf2-sha256$100000$")));
    QVERIFY(AccessCode(settings).matches(QStringLiteral("Secret")));
}

void TestAccessCode::sameCodeGetsADifferentSaltEachTime()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.path());
    QVERIFY(AccessCode(settings, cheap).change(QStringLiteral("Secret")));
    const QString first = storedValue(settings);
    QVERIFY(AccessCode(settings, cheap).change(QStringLiteral("Secret")));
    QVERIFY(storedValue(settings) != first);
    QVERIFY(AccessCode(settings).matches(QStringLiteral("Secret")));
}

void TestAccessCode::emptyCodeClearsTheCode()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.path());
    AccessCode code(settings, cheap);
    QVERIFY(code.change(QStringLiteral("Secret")));
    QVERIFY(code.change(QString()));

    QCOMPARE(storedValue(settings), QString());
    QVERIFY(code.matches(QString()));
    QVERIFY(!code.matches(QStringLiteral("Secret")));
}

void TestAccessCode::valueWrittenByHandIsComparedAsText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("same text") << "letmein" << true;
    QTest::newRow("other letter case") << "LetMeIn" << false;
    QTest::newRow("empty answer") << "" << false;
}

void TestAccessCode::valueWrittenByHandIsComparedAsText()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);

    QTemporaryDir dir;
    SettingsStore settings(dir.path());
    storeByHand(settings, QStringLiteral("letmein"));
    QCOMPARE(AccessCode(settings).matches(typed), accepted);
}

void TestAccessCode::damagedDigestRejectsEverything()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.path());
    storeByHand(settings, QStringLiteral("pbkdf2-sha256$1000$c2FsdA==$"));
    QVERIFY(!AccessCode(settings).matches(QString()));
    QVERIFY(!AccessCode(settings).matches(QStringLiteral("pbkdf2-sha256$1000$c2FsdA==$")));
}

QTEST_GUILESS_MAIN(TestAccessCode)
#include "test_accesscode.moc"
