// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/maplist.h"
#include "mapmixer/tests/samplemod.h"
#include "mapmixer/ui/mixfrm.h"
#include "mapmixer/ui/picturebutton.h"
#include "platform/files/filestore.h"
#include "platform/settings/settingsstore.h"
#include "platform/speech/silentspeech.h"
#include "platform/testsupport/failingfilestore.h"
#include "platform/testsupport/fulldisk.h"
#include "platform/testsupport/manualspeech.h"
#include "platform/testsupport/scripteddialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QByteArray oldCycle("old_map\r\nde_dust2\r\n");

QStringList entries(const QString &list)
{
    QStringList pieces = MapList::pieces(list);
    pieces.removeAll(QString());
    pieces.sort();
    return pieces;
}

QString caption(const QWidget *widget)
{
    if (widget->isWindow())
        return widget->windowTitle();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *picture = qobject_cast<const PictureButton *>(widget))
        return picture->word();
    return {};
}

/// Each text prompt's answer in turn; "<cancel>" stands for Cancel.
QList<std::optional<QString>> answersOf(const QStringList &answers)
{
    QList<std::optional<QString>> result;
    for (const auto &answer : answers) {
        if (answer == QLatin1String("<cancel>"))
            result.append(std::nullopt);
        else
            result.append(answer);
    }
    return result;
}

} // namespace

class TestMixFrm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startUpFindsTheModFolder_data();
    void startUpFindsTheModFolder();
    void startUpGreetsAndRetrieves();
    void layout_data();
    void layout();
    void lookAtStart();
    void paneToggle();
    void tabMovesAlongTheTabOrder_data();
    void tabMovesAlongTheTabOrder();
    void buttonsRunTheOperations();
    void emptyFolderShowsEmptyList();
    void failedSaveKeepsTheOldFileAndSaysWhy_data();
    void failedSaveKeepsTheOldFileAndSaysWhy();
    void closeStateMachine_data();
    void closeStateMachine();

private:
    std::unique_ptr<MixFrm> window(FileStore *files = nullptr, const QString &modFolder = {});

    std::unique_ptr<SampleMod> m_mod;
    FileStore m_files;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<SilentSpeech> m_speech;
};

void TestMixFrm::init()
{
    m_mod = std::make_unique<SampleMod>();
    QVERIFY(m_mod->write({"de_dust2.bsp", "cs_office.bsp", "AIM_MAP.BSP"}, oldCycle));
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_speech = std::make_unique<SilentSpeech>(SilentSpeech::Delay::None);
}

std::unique_ptr<MixFrm> TestMixFrm::window(FileStore *files, const QString &modFolder)
{
    return std::make_unique<MixFrm>("cstrike", modFolder.isEmpty() ? m_mod->path() : modFolder,
                                    files ? *files : m_files, *m_dialogs, *m_speech);
}

void TestMixFrm::startUpFindsTheModFolder_data()
{
    QTest::addColumn<QString>("modName");
    QTest::addColumn<QString>("storedForCstrike");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("storedForMod");

    QTest::newRow("no argument: only the message") << ""
                                                   << "" << QStringList {} << 0 << "<none>"
                                                   << "";
    QTest::newRow("first start asks once")
        << "cstrike"
        << "" << QStringList {"/srv/cstrike"} << 1 << "/srv/cstrike"
        << "/srv/cstrike";
    QTest::newRow("cancel and empty ask again")
        << "cstrike"
        << "" << QStringList {"<cancel>", "", "D:\\Jeux\\cstrike\\"} << 3 << "D:/Jeux/cstrike"
        << "D:\\Jeux\\cstrike\\";
    QTest::newRow("blank is an answer") << "cstrike"
                                        << "" << QStringList {" "} << 1 << " "
                                        << " ";
    QTest::newRow("second start uses the stored folder")
        << "cstrike"
        << "/srv/1" << QStringList {"/srv/2"} << 0 << "/srv/1"
        << "/srv/1";
    QTest::newRow("another mod is another section")
        << "cstrike/old"
        << "/srv/1" << QStringList {"/srv/2"} << 1 << "/srv/2"
        << "/srv/2";
}

void TestMixFrm::startUpFindsTheModFolder()
{
    QFETCH(QString, modName);
    QFETCH(QString, storedForCstrike);
    QFETCH(QStringList, answers);
    QFETCH(int, questions);
    QFETCH(QString, folder);
    QFETCH(QString, storedForMod);

    const QString root = m_mod->beside("settings");
    SettingsStore settings(root);
    if (!storedForCstrike.isEmpty())
        QVERIFY(settings.write("Rondelay", "cstrike", "Dossier", storedForCstrike));
    m_dialogs->textAnswers = answersOf(answers);

    const auto found = MixFrm::startUp(modName, settings, *m_dialogs);
    QCOMPARE(found.value_or("<none>"), folder);
    QCOMPARE(m_dialogs->count("text"), questions);
    for (const auto &shown : std::as_const(m_dialogs->shown)) {
        if (shown.kind == "text") {
            QCOMPARE(shown.title, QStringLiteral("Nouveau Mod"));
            QCOMPARE(shown.text, QStringLiteral("Dossier du nouveau Mod"));
        }
    }
    if (modName.isEmpty()) {
        QCOMPARE(m_dialogs->kinds(), QStringList {"message"});
        QCOMPARE(m_dialogs->shown.first().title, QStringLiteral("Rondelay"));
        QCOMPARE(m_dialogs->messages(), QStringList {"Tapez un Argument"});
        QVERIFY(!QFileInfo::exists(root));
        return;
    }
    QVERIFY(m_dialogs->messages().isEmpty());
    const SettingsStore nextRun(root);
    QCOMPARE(nextRun.read("Rondelay", modName, "Dossier"), storedForMod);
    if (!storedForCstrike.isEmpty())
        QCOMPARE(nextRun.read("Rondelay", "cstrike", "Dossier"), storedForCstrike);
}

void TestMixFrm::startUpGreetsAndRetrieves()
{
    QSignalSpy ended(m_speech.get(), &SpeechOutput::speechEnded);
    MixFrm window("counter strike", m_mod->path(), m_files, *m_dialogs, *m_speech);
    QVERIFY(window.greetingPending());
    QCOMPARE(window.mapCyclePath(), m_mod->path() + "/mapcycle.txt");
    QCOMPARE(entries(window.listText()), (QStringList {"AIM_MAP", "cs_office", "de_dust2"}));
    QVERIFY(!window.listText().endsWith(QChar(13)));
    QCOMPARE(window.findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(),
             QStringLiteral("old_map\nde_dust2\n"));
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(ended.first().at(0).toString(), QStringLiteral("counter strike Shuffler"));
    QVERIFY(!window.greetingPending());
}

void TestMixFrm::layout_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    // Twips at 15 to the pixel; the window's row is its client area.
    QTest::newRow("window") << "MixFrm" << QRect(0, 0, 192, 550) << "Rondelay Shuffler";
    QTest::newRow("list area") << "MapBox" << QRect(13, 110, 167, 421) << "";
    QTest::newRow("retrieve picture") << "Command1" << QRect(37, 10, 120, 23) << "Récupérer";
    QTest::newRow("shuffle picture") << "Command3" << QRect(37, 42, 120, 23) << "Mélanger";
    QTest::newRow("save picture") << "Command2" << QRect(37, 74, 120, 23) << "Sauver";
    QTest::newRow("viewer") << "MapCycleViewer" << QRect(208, 70, 167, 421) << "";
    QTest::newRow("viewer's label") << "Label1" << QRect(208, 43, 167, 23) << "Liste en cours :";
    QTest::newRow("pane toggle") << "Command4" << QRect(166, 49, 22, 17) << ">>";
    QTest::newRow("progress bar") << "Progress" << QRect(0, 544, 192, 6) << "";
    QTest::newRow("separator line") << "Line1" << QRect(193, -1, 3, 548) << "";
}

void TestMixFrm::layout()
{
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    const auto mixFrm = window();
    mixFrm->show();
    QVERIFY(QTest::qWaitForWindowExposed(mixFrm.get()));
    const QWidget *widget =
        control == "MixFrm" ? mixFrm.get() : mixFrm->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(widget->isWindow() ? widget->rect() : widget->geometry(), geometry);
    QCOMPARE(::caption(widget), caption);
}

void TestMixFrm::lookAtStart()
{
    const auto mixFrm = window();
    mixFrm->show();
    QVERIFY(QTest::qWaitForWindowExposed(mixFrm.get()));
    QVERIFY(!(mixFrm->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(mixFrm->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(mixFrm->palette().color(QPalette::Window), QColor(Qt::black));

    const auto *mapBox = mixFrm->findChild<QPlainTextEdit *>("MapBox");
    QCOMPARE(mapBox->palette().color(QPalette::Base), QColor(255, 255, 0));
    // Drawn in the screen's own pixels, so sharp on a scaled desktop too (this test also runs at
    // QT_SCALE_FACTOR=2); the frame is one logical pixel wide.
    const int ratio = qRound(mixFrm->devicePixelRatioF());
    for (const auto *name : {"Command1", "Command3", "Command2"}) {
        const QPixmap &picture = mixFrm->findChild<PictureButton *>(name)->picture();
        QCOMPARE(picture.devicePixelRatio(), mixFrm->devicePixelRatioF());
        const QImage image = picture.toImage();
        QCOMPARE(image.size(), QSize(120, 23) * ratio);
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(ratio - 1, ratio - 1), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(120 * ratio - 1, 23 * ratio - 1), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(120 * ratio - ratio, 23 * ratio - ratio), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(ratio, ratio), QColor(0, 0, 0));
        QCOMPARE(image.pixelColor(2 * ratio, 2 * ratio), QColor(0, 0, 0));
        // The word is there, in yellow.
        bool yellow = false;
        for (int y = 0; y < image.height() && !yellow; ++y) {
            for (int x = 0; x < image.width() && !yellow; ++x)
                yellow = image.pixelColor(x, y) == QColor(255, 255, 0);
        }
        QVERIFY(yellow);
    }
    const auto *label = mixFrm->findChild<QLabel *>("Label1");
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    // The right pane lies beyond the right edge until the window is widened.
    QVERIFY(label->geometry().left() >= mixFrm->width());
    QVERIFY(!mixFrm->findChild<QProgressBar *>("Progress")->isVisible());
}

void TestMixFrm::paneToggle()
{
    const auto mixFrm = window();
    mixFrm->show();
    QVERIFY(QTest::qWaitForWindowExposed(mixFrm.get()));
    auto *toggle = mixFrm->findChild<QPushButton *>("Command4");
    const auto *viewer = mixFrm->findChild<QPlainTextEdit *>("MapCycleViewer");

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral("<<"));
    QCOMPARE(mixFrm->width(), 388);
    QVERIFY(mixFrm->rect().contains(viewer->geometry()));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral(">>"));
    QCOMPARE(mixFrm->width(), 192);
    QCOMPARE(mixFrm->height(), 550);
}

void TestMixFrm::tabMovesAlongTheTabOrder_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QString>("to");

    QTest::newRow("Tab leaves the list for Récupérer") << "MapBox" << false << "Command1";
    QTest::newRow("Tab from Récupérer to Mélanger") << "Command1" << false << "Command3";
    QTest::newRow("Tab from Mélanger to Sauver") << "Command3" << false << "Command2";
    QTest::newRow("Tab from Sauver to the viewer") << "Command2" << false << "MapCycleViewer";
    QTest::newRow("Tab leaves the viewer for the pane toggle")
        << "MapCycleViewer" << false << "Command4";
    QTest::newRow("Tab from the pane toggle back to the list") << "Command4" << false << "MapBox";
    QTest::newRow("Shift+Tab leaves the list for the pane toggle")
        << "MapBox" << true << "Command4";
    QTest::newRow("Shift+Tab from Récupérer to the list") << "Command1" << true << "MapBox";
    QTest::newRow("Shift+Tab leaves the viewer for Sauver")
        << "MapCycleViewer" << true << "Command2";
}

void TestMixFrm::tabMovesAlongTheTabOrder()
{
    QFETCH(QString, from);
    QFETCH(bool, backwards);
    QFETCH(QString, to);

    const auto mixFrm = window();
    mixFrm->show();
    QVERIFY(QTest::qWaitForWindowActive(mixFrm.get()));
    // The list has the focus at start.
    QTRY_COMPARE(QApplication::focusWidget(), mixFrm->findChild<QWidget *>("MapBox"));
    const QString list = mixFrm->listText();
    const QString viewer = mixFrm->findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText();

    auto *start = mixFrm->findChild<QWidget *>(from);
    start->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), start);
    QTest::keyClick(start, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);

    QCOMPARE(QApplication::focusWidget(), mixFrm->findChild<QWidget *>(to));
    QCOMPARE(mixFrm->listText(), list);
    QCOMPARE(mixFrm->findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(), viewer);
}

void TestMixFrm::buttonsRunTheOperations()
{
    const auto mixFrm = window();
    mixFrm->show();
    QVERIFY(QTest::qWaitForWindowExposed(mixFrm.get()));
    const QString retrieved = mixFrm->listText();
    auto *progress = mixFrm->findChild<QProgressBar *>("Progress");
    int lastValue = -1;
    connect(progress, &QProgressBar::valueChanged, this, [&](int value) { lastValue = value; });

    QTest::mouseClick(mixFrm->findChild<PictureButton *>("Command3"), Qt::LeftButton);
    QVERIFY(mixFrm->listText().endsWith(QChar(13)));
    QCOMPARE(entries(mixFrm->listText()), entries(retrieved));
    QVERIFY(!progress->isVisible());
    QCOMPARE(lastValue, progress->maximum());
    // Three maps and 1 to 120 exchanges, a single one when the draw comes out at zero.
    QVERIFY2(progress->maximum() >= 3 + 1 && progress->maximum() <= 3 + 120,
             qPrintable(QString::number(progress->maximum())));
    QCOMPARE(m_mod->mapCycle(), oldCycle);

    mixFrm->setListText("de_dust2\r\r  \rcs_office\n");
    QTest::mouseClick(mixFrm->findChild<PictureButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(m_mod->mapCycle(), QByteArray("de_dust2\r\n  \r\ncs_office\r\n"));
    QCOMPARE(mixFrm->listText(), QStringLiteral("de_dust2\r  \rcs_office\r"));
    QCOMPARE(mixFrm->findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(),
             QStringLiteral("de_dust2\n  \ncs_office\n"));
    QVERIFY(m_dialogs->shown.isEmpty());

    QTest::mouseClick(mixFrm->findChild<PictureButton *>("Command1"), Qt::LeftButton);
    QCOMPARE(mixFrm->listText(), retrieved);
}

void TestMixFrm::emptyFolderShowsEmptyList()
{
    const auto mixFrm = window(nullptr, m_mod->beside("nothing here"));
    QCOMPARE(mixFrm->listText(), QString());
    QCOMPARE(mixFrm->findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(), QString());
    QTest::mouseClick(mixFrm->findChild<PictureButton *>("Command3"), Qt::LeftButton);
    QCOMPARE(mixFrm->listText(), QString());
    QVERIFY(!mixFrm->findChild<QProgressBar *>("Progress")->isVisible());
}

void TestMixFrm::failedSaveKeepsTheOldFileAndSaysWhy_data()
{
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("original");

    // The system's reason in French; its own words behind the details button.
    QTest::newRow("file refused") << "refused"
                                  << "cs_office"
                                  << ": accès refusé\n"
                                  << "Permission denied";
    QTest::newRow("disk full") << "full disk"
                               << "cs_office"
                               << ": le disque est plein\n"
                               << "No space left on device";
    QTest::newRow("empty list") << ""
                                << ""
                                << "aucune carte"
                                << "";
    QTest::newRow("only line breaks") << ""
                                      << "\r\r\n"
                                      << "aucune carte"
                                      << "";
    QTest::newRow("only spaces") << ""
                                 << "  \r \r"
                                 << "aucune carte"
                                 << "";
    QTest::newRow("spaces, tabs and line breaks") << ""
                                                  << " \t\r\r\t\n   \t"
                                                  << "aucune carte"
                                                  << "";
}

void TestMixFrm::failedSaveKeepsTheOldFileAndSaysWhy()
{
    QFETCH(QString, why);
    QFETCH(QString, list);
    QFETCH(QString, reason);
    QFETCH(QString, original);

    std::unique_ptr<FullDisk> disk;
    if (why == "full disk") {
        disk = std::make_unique<FullDisk>(m_mod->path());
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
        QVERIFY(m_mod->write({"de_dust2.bsp"}, oldCycle));
    }
    FailingFileStore files;
    files.failAll = why == "refused";
    const auto mixFrm = window(&files);
    mixFrm->setListText(list);
    if (disk)
        QVERIFY(disk->fill());
    QTest::mouseClick(mixFrm->findChild<PictureButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(m_dialogs->messages().size(), 1);
    const QString message = m_dialogs->messages().first();
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY(message.contains("mapcycle.txt"));
    QVERIFY2(original.isEmpty() || !message.contains(original), qPrintable(message));
    const QString details = m_dialogs->shown.first().details;
    QVERIFY2(original.isEmpty() ? details.isEmpty() : details.contains(original),
             qPrintable(details));
    QCOMPARE(m_dialogs->shown.first().title, QStringLiteral("Rondelay"));
    QCOMPARE(m_mod->mapCycle(), oldCycle);
    QCOMPARE(mixFrm->findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(),
             QStringLiteral("old_map\nde_dust2\n"));
}

void TestMixFrm::closeStateMachine_data()
{
    QTest::addColumn<int>("greetingEnds");
    QTest::addColumn<int>("closeRequests");
    QTest::addColumn<int>("goodbyesEnded");
    QTest::addColumn<bool>("closedAtOnce");
    QTest::addColumn<bool>("ended");

    QTest::newRow("close while greeting") << 0 << 1 << 0 << true << true;
    QTest::newRow("close after greeting, goodbye spoken") << 1 << 1 << 1 << false << true;
    QTest::newRow("close twice while goodbye is spoken") << 1 << 2 << 1 << false << true;
    QTest::newRow("close after greeting, goodbye never ends") << 1 << 1 << 0 << false << true;
    QTest::newRow("goodbye not yet ended") << 1 << 1 << -1 << false << false;
}

void TestMixFrm::closeStateMachine()
{
    QFETCH(int, greetingEnds);
    QFETCH(int, closeRequests);
    QFETCH(int, goodbyesEnded);
    QFETCH(bool, closedAtOnce);
    QFETCH(bool, ended);

    ManualSpeech speech;
    MixFrm window("cstrike", m_mod->path(), m_files, *m_dialogs, speech);
    window.setGoodbyeTimeout(goodbyesEnded == 0 ? 200 : 60000);
    QSignalSpy programEnded(&window, &MixFrm::programEnded);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(speech.spoken, QStringList {"cstrike Shuffler"});

    if (greetingEnds)
        speech.endNext();
    QCOMPARE(window.greetingPending(), greetingEnds == 0);
    for (int i = 0; i < closeRequests; ++i) {
        const bool closed = window.close();
        QCOMPARE(closed, closedAtOnce);
        QCOMPARE(window.isVisible(), !closedAtOnce);
    }
    QCOMPARE(speech.spoken.size(), 1 + closeRequests);
    QCOMPARE(speech.spoken.last(), QStringLiteral("Good Bye"));
    if (closedAtOnce) {
        QCOMPARE(programEnded.count(), 1);
        return;
    }
    // Refused: the buttons keep working meanwhile.
    QTest::mouseClick(window.findChild<QPushButton *>("Command4"), Qt::LeftButton);
    QCOMPARE(window.width(), 388);
    QCOMPARE(programEnded.count(), 0);

    for (int i = 0; i < goodbyesEnded; ++i)
        speech.endNext();
    if (goodbyesEnded == 0)
        QTRY_COMPARE_WITH_TIMEOUT(programEnded.count(), 1, 3000);
    else
        QTest::qWait(50);
    QCOMPARE(programEnded.count(), ended ? 1 : 0);
    QCOMPARE(window.isVisible(), !ended);
    if (ended) {
        // A later notification or close request ends nothing twice and says nothing more.
        const auto spoken = speech.spoken.size();
        if (speech.isSpeaking())
            speech.endNext();
        window.close();
        QCOMPARE(programEnded.count(), 1);
        QCOMPARE(speech.spoken.size(), spoken);
    }
}

QTEST_MAIN(TestMixFrm)
#include "test_mixfrm.moc"
