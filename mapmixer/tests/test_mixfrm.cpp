#include "mapmixer/core/maplist.h"
#include "mapmixer/ui/mixfrm.h"
#include "mapmixer/ui/picturebutton.h"
#include "platform/files/filestore.h"
#include "platform/speech/silentspeech.h"
#include "platform/testsupport/failingfilestore.h"
#include "platform/testsupport/fulldisk.h"
#include "platform/testsupport/testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

/// Speech whose notifications the test hands out itself.
class ManualSpeech final : public SpeechOutput
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ManualSpeech)

public:
    using SpeechOutput::SpeechOutput;

    void speak(const QString &text) override { spoken << text; }
    bool isSpeaking() const override { return m_ended < spoken.size(); }
    void endNext() { emit speechEnded(spoken.at(m_ended++)); }

    QStringList spoken;

private:
    int m_ended = 0;
};

QStringList entries(const QString &list)
{
    QStringList pieces = MapList::pieces(list);
    pieces.removeAll(QString());
    pieces.sort();
    return pieces;
}

} // namespace

class TestMixFrm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startUpGreetsAndRetrieves();
    void layoutAtStart();
    void paneToggle();
    void buttonsRunTheOperations();
    void emptyFolderShowsEmptyList();
    void failedSaveKeepsTheOldFileAndSaysWhy_data();
    void failedSaveKeepsTheOldFileAndSaysWhy();
    void closeStateMachine_data();
    void closeStateMachine();

private:
    void makeMod(const QStringList &maps, const QByteArray &mapCycle);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mod;
};

void TestMixFrm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_mod = m_dir->filePath("cstrike");
    makeMod({"de_dust2.bsp", "cs_office.bsp", "AIM_MAP.BSP"}, "old_map\r\nde_dust2\r\n");
}

void TestMixFrm::makeMod(const QStringList &maps, const QByteArray &mapCycle)
{
    QVERIFY(QDir().mkpath(m_mod + "/maps"));
    for (const auto &name : maps)
        QVERIFY(TestFiles::write(m_mod + "/maps/" + name));
    if (!mapCycle.isNull())
        QVERIFY(TestFiles::write(MapList::mapCyclePath(m_mod), mapCycle));
}

void TestMixFrm::startUpGreetsAndRetrieves()
{
    auto *speech = new SilentSpeech(SilentSpeech::Delay::None);
    QSignalSpy ended(speech, &SpeechOutput::speechEnded);
    MixFrm window("counter strike", m_mod, speech);
    QVERIFY(window.greetingPending());
    QCOMPARE(window.mapCyclePath(), m_mod + "/mapcycle.txt");
    QCOMPARE(entries(window.listText()), (QStringList {"AIM_MAP", "cs_office", "de_dust2"}));
    QVERIFY(!window.listText().endsWith(QChar(13)));
    QCOMPARE(window.findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(),
             QStringLiteral("old_map\nde_dust2\n"));
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(ended.first().at(0).toString(), QStringLiteral("counter strike Shuffler"));
    QVERIFY(!window.greetingPending());
}

void TestMixFrm::layoutAtStart()
{
    MixFrm window("cstrike", m_mod, new SilentSpeech(SilentSpeech::Delay::None));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Rondelay Shuffler"));
    QCOMPARE(window.size(), QSize(192, 550));
    QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));

    const auto *mapBox = window.findChild<QPlainTextEdit *>("MapBox");
    QCOMPARE(mapBox->geometry(), QRect(13, 110, 167, 421));
    QCOMPARE(mapBox->palette().color(QPalette::Base), QColor(255, 255, 0));
    const QList<QPair<QString, QString>> pictures = {
        {"Command1", "Récupérer"}, {"Command3", "Mélanger"}, {"Command2", "Sauver"}};
    int top = 10;
    for (const auto &[name, word] : pictures) {
        const auto *button = window.findChild<PictureButton *>(name);
        QVERIFY(button);
        QCOMPARE(button->word(), word);
        QCOMPARE(button->geometry(), QRect(37, top, 120, 23));
        top += 32;
        const QImage image = button->picture().toImage();
        QCOMPARE(image.size(), QSize(120, 23));
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(119, 22), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(2, 2), QColor(0, 0, 0));
    }
    const auto *label = window.findChild<QLabel *>("Label1");
    QCOMPARE(label->text(), QStringLiteral("Liste en cours :"));
    QCOMPARE(label->geometry(), QRect(208, 43, 167, 23));
    QCOMPARE(window.findChild<QPlainTextEdit *>("MapCycleViewer")->geometry(),
             QRect(208, 70, 167, 421));
    // The right pane lies beyond the right edge until the window is widened.
    QVERIFY(label->geometry().left() >= window.width());
    QVERIFY(!window.findChild<QProgressBar *>("Progress")->isVisible());
    QCOMPARE(window.findChild<QPushButton *>("Command4")->text(), QStringLiteral(">>"));
}

void TestMixFrm::paneToggle()
{
    MixFrm window("cstrike", m_mod, new SilentSpeech(SilentSpeech::Delay::None));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *toggle = window.findChild<QPushButton *>("Command4");
    const auto *viewer = window.findChild<QPlainTextEdit *>("MapCycleViewer");

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral("<<"));
    QCOMPARE(window.width(), 388);
    QVERIFY(window.rect().contains(viewer->geometry()));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral(">>"));
    QCOMPARE(window.width(), 192);
    QCOMPARE(window.height(), 550);
}

void TestMixFrm::buttonsRunTheOperations()
{
    MixFrm window("cstrike", m_mod, new SilentSpeech(SilentSpeech::Delay::None));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString retrieved = window.listText();
    auto *progress = window.findChild<QProgressBar *>("Progress");
    int lastValue = -1;
    connect(progress, &QProgressBar::valueChanged, this, [&](int value) { lastValue = value; });

    QTest::mouseClick(window.findChild<PictureButton *>("Command3"), Qt::LeftButton);
    QVERIFY(window.listText().endsWith(QChar(13)));
    QCOMPARE(entries(window.listText()), entries(retrieved));
    QVERIFY(!progress->isVisible());
    QCOMPARE(lastValue, progress->maximum());
    QVERIFY(progress->maximum() >= 3 + 2 && progress->maximum() <= 3 + 121);
    QCOMPARE(TestFiles::read(MapList::mapCyclePath(m_mod)), QByteArray("old_map\r\nde_dust2\r\n"));

    window.setListText("de_dust2\r\r  \rcs_office\n");
    QTest::mouseClick(window.findChild<PictureButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(TestFiles::read(MapList::mapCyclePath(m_mod)),
             QByteArray("de_dust2\r\n  \r\ncs_office\r\n"));
    QCOMPARE(window.listText(), QStringLiteral("de_dust2\r  \rcs_office\r"));
    QCOMPARE(window.findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(),
             QStringLiteral("de_dust2\n  \ncs_office\n"));

    QTest::mouseClick(window.findChild<PictureButton *>("Command1"), Qt::LeftButton);
    QCOMPARE(window.listText(), retrieved);
}

void TestMixFrm::emptyFolderShowsEmptyList()
{
    const QString empty = m_dir->filePath("nothing here");
    MixFrm window("cstrike", empty, new SilentSpeech(SilentSpeech::Delay::None));
    QCOMPARE(window.listText(), QString());
    QCOMPARE(window.findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(), QString());
    QTest::mouseClick(window.findChild<PictureButton *>("Command3"), Qt::LeftButton);
    QCOMPARE(window.listText(), QString());
    QVERIFY(!window.findChild<QProgressBar *>("Progress")->isVisible());
}

void TestMixFrm::failedSaveKeepsTheOldFileAndSaysWhy_data()
{
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("reason");

    QTest::newRow("file refused") << "refused"
                                  << "cs_office"
                                  << "Permission denied";
    QTest::newRow("disk full") << "full disk"
                               << "cs_office"
                               << "No space left on device";
    QTest::newRow("empty list") << ""
                                << ""
                                << "aucune carte";
    QTest::newRow("only line breaks") << ""
                                      << "\r\r\n"
                                      << "aucune carte";
}

void TestMixFrm::failedSaveKeepsTheOldFileAndSaysWhy()
{
    QFETCH(QString, why);
    QFETCH(QString, list);
    QFETCH(QString, reason);

    std::unique_ptr<FullDisk> disk;
    if (why == "full disk") {
        disk = std::make_unique<FullDisk>(m_mod);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
        makeMod({"de_dust2.bsp"}, "old_map\r\nde_dust2\r\n");
    }
    MixFrm window("cstrike", m_mod, new SilentSpeech(SilentSpeech::Delay::None));
    FailingFileStore files;
    files.failAll = why == "refused";
    window.setFileStore(&files);
    QStringList messages;
    window.setMessageHandler([&](const QString &text) { messages << text; });
    window.setListText(list);
    if (disk)
        QVERIFY(disk->fill());
    QTest::mouseClick(window.findChild<PictureButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(reason), qPrintable(messages.first()));
    QVERIFY(messages.first().contains("mapcycle.txt"));
    QCOMPARE(TestFiles::read(MapList::mapCyclePath(m_mod)), QByteArray("old_map\r\nde_dust2\r\n"));
    QCOMPARE(window.findChild<QPlainTextEdit *>("MapCycleViewer")->toPlainText(),
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

    auto *speech = new ManualSpeech;
    MixFrm window("cstrike", m_mod, speech);
    window.setGoodbyeTimeout(goodbyesEnded == 0 ? 200 : 60000);
    QSignalSpy programEnded(&window, &MixFrm::programEnded);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(speech->spoken, QStringList {"cstrike Shuffler"});

    if (greetingEnds)
        speech->endNext();
    QCOMPARE(window.greetingPending(), greetingEnds == 0);
    for (int i = 0; i < closeRequests; ++i) {
        const bool closed = window.close();
        QCOMPARE(closed, closedAtOnce);
        QCOMPARE(window.isVisible(), !closedAtOnce);
    }
    QCOMPARE(speech->spoken.size(), 1 + closeRequests);
    QCOMPARE(speech->spoken.last(), QStringLiteral("Good Bye"));
    if (closedAtOnce) {
        QCOMPARE(programEnded.count(), 1);
        return;
    }
    // Refused: the buttons keep working meanwhile.
    QTest::mouseClick(window.findChild<QPushButton *>("Command4"), Qt::LeftButton);
    QCOMPARE(window.width(), 388);
    QCOMPARE(programEnded.count(), 0);

    for (int i = 0; i < goodbyesEnded; ++i)
        speech->endNext();
    if (goodbyesEnded == 0)
        QTRY_COMPARE_WITH_TIMEOUT(programEnded.count(), 1, 3000);
    else
        QTest::qWait(50);
    QCOMPARE(programEnded.count(), ended ? 1 : 0);
    QCOMPARE(window.isVisible(), !ended);
    if (ended) {
        // A later notification or close request ends nothing twice and says nothing more.
        const auto spoken = speech->spoken.size();
        if (speech->isSpeaking())
            speech->endNext();
        window.close();
        QCOMPARE(programEnded.count(), 1);
        QCOMPARE(speech->spoken.size(), spoken);
    }
}

QTEST_MAIN(TestMixFrm)
#include "test_mixfrm.moc"
