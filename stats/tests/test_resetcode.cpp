// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/qtdialogs.h"
#include "platform/testsupport/testfiles.h"
#include "stats/store/accesscode.h"
#include "stats/store/tolvanesettings.h"
#include "stats/tests/tolvanetestbed.h"
#include "stats/ui/affiche.h"
#include "stats/ui/tolvanetexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <optional>

#include <sys/resource.h>

using Answers = QList<std::optional<QString>>;
Q_DECLARE_METATYPE(std::optional<QString>)

class TestResetCode : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void resetRefusesAWrongCode_data();
    void resetRefusesAWrongCode();
    void resetAnsweredNoChangesNothing();
    void resetEmptiesAndReopensWithTheHeaderOnly_data();
    void resetEmptiesAndReopensWithTheHeaderOnly();
    void resetKeepsThePlayersOfTheLogsPresent();
    void changeCode_data();
    void changeCode();
    void codePromptsMaskWhatIsTyped_data();
    void codePromptsMaskWhatIsTyped();

private:
    static QString storedCode(TolvaneTestBed &bed)
    {
        return TolvaneSettings(bed.settings).value(TolvaneSettings::Key::Code);
    }
    static QByteArray settingsFile(TolvaneTestBed &bed)
    {
        return TestFiles::read(TolvaneSettings(bed.settings).location());
    }
};

namespace {

/**
 * A disk that takes no more than \a bytes in any file this process writes, as a full one does;
 * the limit holds for root too, which no file mode stops.
 */
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved {};
};

} // namespace

void TestResetCode::cleanup()
{
    WindowedStart::closeWindows();
}

void TestResetCode::resetRefusesAWrongCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<std::optional<QString>>("answer");

    QTest::newRow("wrong code") << "Secret" << std::optional<QString>("Hidden");
    QTest::newRow("wrong letter case") << "Secret" << std::optional<QString>("secret");
    QTest::newRow("extra blank") << "Secret" << std::optional<QString>("Secret ");
    QTest::newRow("cancelled while a code is set") << "Secret" << std::optional<QString>();
    QTest::newRow("any text while no code is set") << "" << std::optional<QString>("Secret");
}

void TestResetCode::resetRefusesAWrongCode()
{
    QFETCH(QString, code);
    QFETCH(std::optional<QString>, answer);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.accessCode().change(code));
    QVERIFY(bed.addPlayer("Alice", 1, 1));
    Affiche window(bed.context);
    window.show();
    bed.dialogs.textAnswers = {answer};
    bed.dialogs.yesNoAnswers = {true};

    window.MnuRAZ_Click();

    QCOMPARE(bed.dialogs.kinds(), QStringList({"secret", "message"}));
    const ScriptedDialogs::Shown &asked = bed.dialogs.shown.at(0);
    QCOMPARE(asked.title, QStringLiteral("Identification"));
    QCOMPARE(asked.text, QStringLiteral("Veuillez entrer votre\ncode d'authentification"));
    const ScriptedDialogs::Shown &refused = bed.dialogs.shown.at(1);
    QCOMPARE(refused.title, QStringLiteral("Tolvane"));
    QCOMPARE(refused.text, QStringLiteral("Votre code n'est pas valide."));
    QCOMPARE(StatsTest::rowCount(bed.store), 1);
    QVERIFY(TolvaneTestBed::progressWindows().isEmpty());
    QVERIFY(window.isVisible());
}

void TestResetCode::resetAnsweredNoChangesNothing()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.accessCode().change("Secret"));
    QVERIFY(bed.addPlayer("Alice", 1, 1) && bed.addPlayer("Bob", 2, 2) && bed.rank());
    Affiche window(bed.context);
    window.show();
    bed.dialogs.textAnswers = {QStringLiteral("Secret")};
    bed.dialogs.yesNoAnswers = {false};

    window.MnuRAZ_Click();
    QTest::qWait(20);

    QCOMPARE(bed.dialogs.kinds(), QStringList({"secret", "yesno"}));
    const ScriptedDialogs::Shown &question = bed.dialogs.shown.at(1);
    QCOMPARE(question.title, QStringLiteral("Confirmation"));
    QCOMPARE(question.text,
             QStringLiteral("Etes-vous sûr de vouloir totalement supprimer les "
                            "statistiques ?"));
    QCOMPARE(StatsTest::rowCount(bed.store), 2);
    QVERIFY(window.isVisible());
    QVERIFY(TolvaneTestBed::progressWindows().isEmpty());
    QCOMPARE(TolvaneTestBed::namesShown(window.tabResult()), QStringList({"Bob", "Alice"}));
}

void TestResetCode::resetEmptiesAndReopensWithTheHeaderOnly_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<int>("players");

    QTest::newRow("right code") << "Secret" << std::optional<QString>("Secret") << 3;
    QTest::newRow("no code set, empty answer") << "" << std::optional<QString>("") << 3;
    QTest::newRow("no code set, cancelled") << "" << std::optional<QString>() << 3;
    QTest::newRow("empty table") << "Secret" << std::optional<QString>("Secret") << 0;
}

void TestResetCode::resetEmptiesAndReopensWithTheHeaderOnly()
{
    QFETCH(QString, code);
    QFETCH(std::optional<QString>, answer);
    QFETCH(int, players);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.accessCode().change(code));
    for (int i = 0; i < players; ++i)
        QVERIFY(bed.addPlayer(QStringLiteral("Player %1").arg(i), i, i));
    QVERIFY(bed.rank());
    auto *window = Affiche::showNew(bed.context);
    bed.dialogs.textAnswers = {answer};
    bed.dialogs.yesNoAnswers = {true};

    window->MnuRAZ_Click();

    Affiche *fresh = TolvaneTestBed::waitForNewResults(window);
    QVERIFY(fresh);
    QTRY_VERIFY(TolvaneTestBed::progressWindows().isEmpty());
    QCOMPARE(bed.dialogs.kinds(), QStringList({"secret", "yesno"}));
    QCOMPARE(StatsTest::rowCount(bed.store), 0);
    QCOMPARE(fresh->tabResult()->model()->rowCount(), 0);
    QCOMPARE(fresh->tabResult()->model()->columnCount(), 33);
    QVERIFY(fresh->mnuTrieSel(0)->isChecked());
}

void TestResetCode::resetKeepsThePlayersOfTheLogsPresent()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.addPlayer("Alice", 1, 1) && bed.rank());
    QVERIFY(bed.writeLog("L0000002.log", {StatsTest::kill("Dave", "Erin", "deagle")}));
    auto *window = Affiche::showNew(bed.context);
    bed.dialogs.textAnswers = {QString()};
    bed.dialogs.yesNoAnswers = {true};

    window->MnuRAZ_Click();

    Affiche *fresh = TolvaneTestBed::waitForNewResults(window);
    QVERIFY(fresh);
    QStringList names = TolvaneTestBed::namesShown(fresh->tabResult());
    names.sort();
    QCOMPARE(names, QStringList({"Dave", "Erin"}));
}

void TestResetCode::changeCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QString>("acceptedAfter");
    QTest::addColumn<QString>("refusedAfter");

    const QStringList bothPrompts {"secret", "secret"};
    QTest::newRow("new code") << "Secret" << Answers {"Secret", "Other"} << false << bothPrompts
                              << "Other"
                              << "Secret";
    QTest::newRow("first code, from none")
        << "" << Answers {"", "Secret"} << false << bothPrompts << "Secret"
        << "";
    QTest::newRow("cancel keeps the old code")
        << "Secret" << Answers {"Secret", std::nullopt} << false << bothPrompts << "Secret"
        << "";
    QTest::newRow("OK with an empty field clears the code")
        << "Secret" << Answers {"Secret", ""} << false << bothPrompts << ""
        << "Secret";
    QTest::newRow("wrong current code") << "Secret" << Answers {"secret", "Other"} << false
                                        << QStringList {"secret", "message"} << "Secret"
                                        << "Other";
    QTest::newRow("current code with a blank") << "Secret" << Answers {" Secret", "Other"} << false
                                               << QStringList {"secret", "message"} << "Secret"
                                               << "Other";
    const QStringList refusedByTheDisk {"secret", "secret", "message"};
    QTest::newRow("a code the disk refuses leaves the old one in force")
        << "Secret" << Answers {"Secret", "Other"} << true << refusedByTheDisk << "Secret"
        << "Other";
    QTest::newRow("a cleared code the disk refuses leaves the old one in force")
        << "Secret" << Answers {"Secret", ""} << true << refusedByTheDisk << "Secret"
        << "";
    QTest::newRow("a first code the disk refuses leaves none in force")
        << "" << Answers {"", "Secret"} << true << refusedByTheDisk << ""
        << "Secret";
}

void TestResetCode::changeCode()
{
    QFETCH(QString, code);
    QFETCH(Answers, answers);
    QFETCH(bool, diskFull);
    QFETCH(QStringList, prompts);
    QFETCH(QString, acceptedAfter);
    QFETCH(QString, refusedAfter);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.accessCode().change(code));
    Affiche window(bed.context);
    bed.dialogs.textAnswers = answers;
    const QString stored = storedCode(bed);
    const QByteArray onDisk = settingsFile(bed);

    {
        std::optional<FileSizeLimit> full;
        if (diskFull)
            full.emplace(0);
        window.MnuCodeChg_Click();
    }

    QCOMPARE(bed.dialogs.kinds(), prompts);
    QCOMPARE(bed.dialogs.shown.at(0).title, QStringLiteral("Identification"));
    QCOMPARE(bed.dialogs.shown.at(0).text,
             QStringLiteral("Veuillez entrer votre\ncode d'authentification actuel"));
    if (prompts.at(1) == QLatin1String("secret")) {
        QCOMPARE(bed.dialogs.shown.at(1).title, QStringLiteral("Identification"));
        QCOMPARE(bed.dialogs.shown.at(1).text,
                 QStringLiteral("Veuillez entrer votre nouveau\ncode d'authentification"));
    } else {
        QCOMPARE(bed.dialogs.shown.at(1).text, QStringLiteral("Votre code n'est pas valide."));
    }
    if (diskFull) {
        QCOMPARE(bed.dialogs.shown.at(2).text,
                 QStringLiteral("Le nouveau code n'a pas pu être enregistré."));
        QCOMPARE(storedCode(bed), stored);
        QCOMPARE(settingsFile(bed), onDisk);
    }
    QVERIFY(bed.accessCode().matches(acceptedAfter));
    QVERIFY(!bed.accessCode().matches(refusedAfter));
    if (!acceptedAfter.isEmpty())
        QVERIFY(!storedCode(bed).contains(acceptedAfter));
}

void TestResetCode::codePromptsMaskWhatIsTyped_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("codeAfter");

    QTest::newRow("reset's code prompt") << "RAZ des stats" << QStringList {"Secret"} << "Secret";
    QTest::newRow("change's current and new code prompts")
        << "Changer Code" << QStringList {"Secret", "Other code"} << "Other code";
}

void TestResetCode::codePromptsMaskWhatIsTyped()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, typed);
    QFETCH(QString, codeAfter);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.accessCode().change("Secret"));
    QVERIFY(bed.addPlayer("Alice", 1, 1) && bed.rank());
    // The dialogs the user meets, answered key by key as the user would.
    QtDialogs dialogs;
    TolvaneContext context {bed.store, bed.settings, dialogs};
    context.accessCodeIterations = bed.context.accessCodeIterations;
    Affiche window(context);
    window.show();

    QStringList toType = typed;
    QList<QLineEdit::EchoMode> echoModes;
    QStringList shown;
    QStringList questions;
    QTimer user;
    user.setInterval(10);
    connect(&user, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *prompt = qobject_cast<QInputDialog *>(modal)) {
            auto *field = prompt->findChild<QLineEdit *>();
            if (!field || toType.isEmpty()) {
                prompt->reject();
                return;
            }
            QTest::keyClicks(field, toType.takeFirst());
            echoModes << field->echoMode();
            shown << field->displayText();
            QTest::keyClick(field, Qt::Key_Return);
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            questions << box->text();
            // No: the statistics stay as they are.
            if (QAbstractButton *no = box->button(QMessageBox::No))
                no->click();
            else
                box->accept();
        }
    });
    user.start();
    if (menu == QLatin1String("RAZ des stats"))
        window.MnuRAZ_Click();
    else
        window.MnuCodeChg_Click();
    user.stop();

    QCOMPARE(echoModes.size(), typed.size());
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QCOMPARE(echoModes.at(i), QLineEdit::Password);
        QCOMPARE(shown.at(i).size(), typed.at(i).size());
        for (const QChar c : typed.at(i))
            QVERIFY2(!shown.at(i).contains(c), qPrintable(shown.at(i)));
    }
    // OK still gives what was typed: the right code passed, or became the new code.
    if (menu == QLatin1String("RAZ des stats"))
        QCOMPARE(questions, QStringList {TolvaneTexts::confirmation()});
    else
        QVERIFY(questions.isEmpty());
    QVERIFY(bed.accessCode().matches(codeAfter));
    QCOMPARE(StatsTest::rowCount(bed.store), 1);
}

QTEST_MAIN(TestResetCode)
#include "test_resetcode.moc"
