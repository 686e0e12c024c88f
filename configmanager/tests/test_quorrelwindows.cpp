#include "configmanager/core/quorreltexts.h"
#include "configmanager/tests/quorreltestbed.h"
#include "configmanager/ui/create.h"
#include "configmanager/ui/fileview.h"
#include "configmanager/ui/menu.h"
#include "configmanager/ui/quorrelicon.h"
#include "configmanager/ui/reg.h"
#include "platform/dialogs/qtdialogs.h"
#include "platform/speech/silentspeech.h"
#include "platform/testsupport/fulldisk.h"
#include "platform/testsupport/scripteddialogs.h"
#include "platform/windowkit/windowedprogram.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

using Key = QuorrelSettings::Key;

template<typename T>
T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

} // namespace

class TestQuorrelWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void firstStartOpensRegWithMenuHidden();
    void altRReachesHiddenRegButton();
    void regSaveRule_data();
    void regSaveRule();
    void regSaveStoresAndRefreshesList();
    void regSaveOnFullDiskSaysWhere();
    void regFileDialogs_data();
    void regFileDialogs();
    void fileDialogsListWhatTheyAskFor_data();
    void fileDialogsListWhatTheyAskFor();
    void fileReadEnabling();
    void dragMovesByDisplacement_data();
    void dragMovesByDisplacement();
    void captureTimerStates();
    void captureWithoutCommandLine();
    void captureNaming_data();
    void captureNaming();
    void doubleClickAppliesAfterSpeech_data();
    void doubleClickAppliesAfterSpeech();
    void enterWithoutSelectionAppliesNothing();
    void desktopCloseRequests_data();
    void desktopCloseRequests();
    void viewerRoundTripThroughEditor_data();
    void viewerRoundTripThroughEditor();

private:
    void startMenu(bool alreadyUsed = true);
    void storeConfig(const QString &name, const QByteArray &content);
    void selectEntry(const QString &name);

    std::unique_ptr<QuorrelTestbed> m_bed;
    std::unique_ptr<SilentSpeech> m_speech;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Menu> m_menu;
    int m_ends = 0;
    QString m_library;
};

void TestQuorrelWindows::init()
{
    m_bed = std::make_unique<QuorrelTestbed>();
    QVERIFY(m_bed->isValid());
    m_speech = std::make_unique<SilentSpeech>(SilentSpeech::Delay::None);
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_ends = 0;
    m_library = m_bed->library();
    QVERIFY(QDir().mkpath(m_library));
}

void TestQuorrelWindows::cleanup()
{
    m_menu.reset();
    m_dialogs.reset();
    m_speech.reset();
    m_bed.reset();
}

void TestQuorrelWindows::startMenu(bool alreadyUsed)
{
    if (alreadyUsed) {
        QVERIFY(m_bed->set(Key::AlreadyUse, QStringLiteral("1")));
        QVERIFY(m_bed->registerGameFile());
    }
    m_menu = std::make_unique<Menu>(m_bed->config(), *m_speech, *m_dialogs, [this] { ++m_ends; });
    m_menu->Form_Load();
}

void TestQuorrelWindows::storeConfig(const QString &name, const QByteArray &content)
{
    QVERIFY(m_bed->storeConfig(name + QStringLiteral(".cfg"), content));
}

void TestQuorrelWindows::selectEntry(const QString &name)
{
    auto *list = child<QListWidget>(m_menu.get(), "ConfigLst");
    const auto found = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    found.first()->setSelected(true);
}

void TestQuorrelWindows::layout_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QByteArray>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    // In pixels: the design's twips divided by 15. No control means the window's own client area.
    const auto row = [](const char *window, const char *control, const QRect &geometry,
                        const char *caption = "") {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QByteArray(control) << geometry
            << QString::fromUtf8(caption);
    };
    row("Menu", "", QRect(0, 0, 320, 159));
    row("Menu", "Label1", QRect(56, 8, 217, 17), "Selectionnez votre configue ci-dessous :");
    row("Menu", "ConfigLst", QRect(24, 36, 273, 43));
    row("Menu", "CmdFileRead", QRect(24, 82, 121, 17), "&Ouvrir le fichier");
    row("Menu", "ConfigRef", QRect(175, 82, 121, 17), "R&efresh Configs");
    row("Menu", "CmdCreate", QRect(24, 110, 273, 17), "&Créer une configue");
    row("Menu", "CmdQuit", QRect(24, 134, 273, 17), "&Quitter");
    row("Menu", "CmdReg", QRect(374, 19, 35, 15), "&Reg");
    row("Create", "", QRect(0, 0, 312, 111));
    row("Create", "Label1", QRect(16, 16, 281, 49),
        "Faites votre configuration puis quitter le jeu.");
    row("Create", "Label2", QRect(24, 16, 273, 17), "Tapez ci-dessous le nom de votre configue:");
    row("Create", "Text1", QRect(18, 40, 273, 19));
    row("Create", "Command1_0", QRect(48, 80, 97, 21), "&Ok");
    row("Create", "Command1_1", QRect(169, 80, 97, 21), "&Annuler");
    row("Reg", "", QRect(0, 0, 339, 166));
    row("Reg", "Label1", QRect(8, 16, 129, 17), "Fichier de configuration :");
    row("Reg", "Text1", QRect(88, 32, 217, 19));
    row("Reg", "Command3", QRect(312, 32, 25, 17), "...");
    row("Reg", "Label3", QRect(8, 69, 209, 17), "Ligne de commande de Counter-Strike :");
    row("Reg", "Text3", QRect(88, 85, 217, 19));
    row("Reg", "Command4", QRect(312, 85, 25, 17), "...");
    row("Reg", "Command2", QRect(35, 127, 97, 17), "&Abort");
    row("Reg", "Command1", QRect(211, 127, 97, 17), "&Save");
    row("FileView", "", QRect(0, 0, 473, 391));
    row("FileView", "Afficheur", QRect(4, 6, 465, 382));
}

void TestQuorrelWindows::layout()
{
    QFETCH(QString, window);
    QFETCH(QByteArray, control);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    GameConfig &config = m_bed->config();
    std::unique_ptr<QWidget> shown;
    if (window == QLatin1String("Menu"))
        shown = std::make_unique<Menu>(config, *m_speech, *m_dialogs, [] {});
    else if (window == QLatin1String("Create"))
        shown = std::make_unique<Create>(config, *m_speech, *m_dialogs);
    else if (window == QLatin1String("Reg"))
        shown = std::make_unique<Reg>(config, *m_dialogs);
    else
        shown = std::make_unique<FileView>(config, *m_speech, *m_dialogs);
    if (control.isEmpty()) {
        QCOMPARE(QRect(QPoint(), shown->size()), geometry);
        // No title bar, or the stored configuration's path once the viewer has opened it.
        QCOMPARE(shown->windowTitle(), QString());
        return;
    }
    const QWidget *widget = child<QWidget>(shown.get(), control.constData());
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->property("text").toString(), caption);
}

void TestQuorrelWindows::firstStartOpensRegWithMenuHidden()
{
    startMenu(false);
    QVERIFY(!m_menu->isVisible());
    QVERIFY(m_menu->regWindow());
    QVERIFY(m_menu->regWindow()->isVisible());
    QCOMPARE(m_bed->config().settings().value(Key::AlreadyUse), QStringLiteral("1"));
    QVERIFY(!child<QPushButton>(m_menu->regWindow(), "Command1")->isEnabled());

    child<QPushButton>(m_menu->regWindow(), "Command2")->click();
    QVERIFY(m_menu->isVisible());
    QVERIFY(!m_menu->regWindow()->isVisible());

    // The next start for the same mod goes straight to the main window.
    m_menu = std::make_unique<Menu>(m_bed->config(), *m_speech, *m_dialogs, [this] { ++m_ends; });
    m_menu->Form_Load();
    QVERIFY(m_menu->isVisible());
    QVERIFY(!m_menu->regWindow());
}

void TestQuorrelWindows::altRReachesHiddenRegButton()
{
    startMenu();
    QVERIFY(QTest::qWaitForWindowExposed(m_menu.get()));
    auto *cmdReg = child<QPushButton>(m_menu.get(), "CmdReg");
    QVERIFY(!m_menu->rect().intersects(cmdReg->geometry()));
    m_menu->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_menu.get()));
    QTest::keyClick(m_menu.get(), Qt::Key_R, Qt::AltModifier);
    QTRY_VERIFY(m_menu->regWindow() && m_menu->regWindow()->isVisible());
    QVERIFY(m_menu->isVisible());
}

void TestQuorrelWindows::regSaveRule_data()
{
    QTest::addColumn<QString>("storedFile");
    QTest::addColumn<QString>("storedCommand");
    QTest::addColumn<bool>("enabledAtLoad");
    QTest::addColumn<QString>("typedFile");
    QTest::addColumn<bool>("enabledAfter");

    QTest::newRow("nothing stored, file typed")
        << QString() << QString() << false << QStringLiteral("x") << false;
    QTest::newRow("command stored, file typed")
        << QString() << QStringLiteral("hl") << false << QStringLiteral("x") << true;
    QTest::newRow("both stored, file cleared")
        << QStringLiteral("/c/config.cfg") << QStringLiteral("hl") << true << QString() << false;
    QTest::newRow("blanks count as filled")
        << QString() << QStringLiteral("hl") << false << QStringLiteral("  ") << true;
}

void TestQuorrelWindows::regSaveRule()
{
    QFETCH(QString, storedFile);
    QFETCH(QString, storedCommand);
    QFETCH(bool, enabledAtLoad);
    QFETCH(QString, typedFile);
    QFETCH(bool, enabledAfter);

    QVERIFY(m_bed->set(Key::RepertoryFile, storedFile));
    QVERIFY(m_bed->set(Key::ExecFile, storedCommand));
    Reg reg(m_bed->config(), *m_dialogs);
    auto *save = child<QPushButton>(&reg, "Command1");
    QCOMPARE(child<QLineEdit>(&reg, "Text1")->text(), storedFile);
    QCOMPARE(child<QLineEdit>(&reg, "Text3")->text(), storedCommand);
    QCOMPARE(save->isEnabled(), enabledAtLoad);

    auto *text1 = child<QLineEdit>(&reg, "Text1");
    text1->clear();
    QTest::keyClicks(text1, typedFile);
    QCOMPARE(save->isEnabled(), enabledAfter);
}

void TestQuorrelWindows::regSaveStoresAndRefreshesList()
{
    startMenu(false);
    const QString otherFolder = m_bed->path(QStringLiteral("other"));
    QVERIFY(QDir().mkpath(otherFolder + QStringLiteral("/Configs")));
    QVERIFY(TestFiles::write(otherFolder + QStringLiteral("/Configs/elsewhere.cfg"), "x\n"));

    Reg *reg = m_menu->regWindow();
    child<QLineEdit>(reg, "Text1")->setText(otherFolder + QStringLiteral("/config.cfg"));
    child<QLineEdit>(reg, "Text3")->setText(QStringLiteral("hl -game cstrike"));
    child<QPushButton>(reg, "Command1")->click();

    QCOMPARE(m_bed->config().ConfigFilePath(), otherFolder + QStringLiteral("/config.cfg"));
    QCOMPARE(m_bed->config().LaunchCommand(), QStringLiteral("hl -game cstrike"));
    QVERIFY(!reg->isVisible());
    QVERIFY(m_menu->isVisible());
    auto *list = child<QListWidget>(m_menu.get(), "ConfigLst");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("elsewhere"));
}

void TestQuorrelWindows::regSaveOnFullDiskSaysWhere()
{
    const QString folder = m_bed->path(QStringLiteral("settings"));
    FullDisk disk(folder);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.whyNot()));
    startMenu(false);
    QVERIFY(disk.fill());

    Reg *reg = m_menu->regWindow();
    child<QLineEdit>(reg, "Text1")->setText(m_bed->gameFile());
    child<QLineEdit>(reg, "Text3")->setText(QStringLiteral("hl -game cstrike"));
    child<QPushButton>(reg, "Command1")->click();

    const QStringList messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 1);
    const QString settingsFile = folder + QStringLiteral("/Vantrel.conf");
    QVERIFY2(messages.first().contains(settingsFile), qPrintable(messages.first()));
    QVERIFY(reg->isVisible());
    QCOMPARE(TestFiles::read(settingsFile), QByteArray("[cstrike]\nAlreadyUse=1\n"));
}

void TestQuorrelWindows::regFileDialogs_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("title");

    QTest::newRow("configuration file chosen")
        << QByteArray("Command3") << QByteArray("Text1") << QStringLiteral("/g/cstrike/config.cfg")
        << QStringLiteral("/g/cstrike/config.cfg") << QStringLiteral("Fichier de sauvegarde");
    QTest::newRow("configuration dialog cancelled")
        << QByteArray("Command3") << QByteArray("Text1") << QString()
        << QStringLiteral("/old/config.cfg") << QStringLiteral("Fichier de sauvegarde");
    QTest::newRow("program replaces path and arguments")
        << QByteArray("Command4") << QByteArray("Text3") << QStringLiteral("/g/hl.sh")
        << QStringLiteral("/g/hl.sh") << QStringLiteral("Counter-Strike");
    QTest::newRow("program dialog cancelled")
        << QByteArray("Command4") << QByteArray("Text3") << QString()
        << QStringLiteral("/old/hl.sh -game cstrike") << QStringLiteral("Counter-Strike");
#ifndef Q_OS_WIN
    QTest::newRow("program path with a blank is quoted")
        << QByteArray("Command4") << QByteArray("Text3") << QStringLiteral("/g/Half Life/hl.sh")
        << QStringLiteral("\"/g/Half Life/hl.sh\"") << QStringLiteral("Counter-Strike");
#endif
}

void TestQuorrelWindows::regFileDialogs()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, field);
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QFETCH(QString, title);

    QVERIFY(m_bed->set(Key::RepertoryFile, QStringLiteral("/old/config.cfg")));
    QVERIFY(m_bed->set(Key::ExecFile, QStringLiteral("/old/hl.sh -game cstrike")));
    Reg reg(m_bed->config(), *m_dialogs);
    m_dialogs->fileAnswer = chosen;
    child<QPushButton>(&reg, button.constData())->click();

    QCOMPARE(child<QLineEdit>(&reg, field.constData())->text(), expected);
    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    const Dialogs::FileRequest request = m_dialogs->fileRequests.first();
    QCOMPARE(request.title, title);
    if (button == "Command3") {
        QVERIFY(!request.executablesOnly);
        // The filter's pattern must take the game's file in any letter case.
        const QString pattern = request.nameFilter.section(QLatin1Char('('), 1).chopped(1);
        const auto matcher = QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive);
        for (const char *name : {"config.cfg", "Config.cfg", "CONFIG.CFG"})
            QVERIFY2(matcher.match(QLatin1String(name)).hasMatch(), name);
        QVERIFY(!matcher.match(QStringLiteral("autoexec.cfg")).hasMatch());
    } else {
#ifndef Q_OS_WIN
        QVERIFY(request.executablesOnly);
#endif
    }
}

void TestQuorrelWindows::fileDialogsListWhatTheyAskFor_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("configuration file")
        << QByteArray("Command3") << QStringLiteral("Config.cfg")
        << QStringList {QStringLiteral("CONFIG.CFG"), QStringLiteral("config.cfg"),
                        QStringLiteral("sub")};
#ifdef Q_OS_WIN
    QTest::newRow("program") << QByteArray("Command4") << QStringLiteral("Programmes(*.exe)")
                             << QStringList {QStringLiteral("hl.exe"), QStringLiteral("sub")};
#else
    QTest::newRow("program") << QByteArray("Command4") << QStringLiteral("Programmes")
                             << QStringList {QStringLiteral("hl.sh"), QStringLiteral("sub")};
#endif
}

void TestQuorrelWindows::fileDialogsListWhatTheyAskFor()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, label);
    QFETCH(QStringList, listed);

    const QString folder = m_bed->path(QStringLiteral("pick"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
    for (const char *name : {"config.cfg", "CONFIG.CFG", "autoexec.cfg", "readme.txt", "hl.exe"})
        QVERIFY(TestFiles::write(folder + u'/' + QLatin1String(name), "x\n"));
    QVERIFY(TestFiles::write(folder + QStringLiteral("/hl.sh"), "#!/bin/sh\n"));
    QVERIFY(QFile::setPermissions(folder + QStringLiteral("/hl.sh"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    Reg reg(m_bed->config(), *m_dialogs);
    child<QPushButton>(&reg, button.constData())->click();
    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    // The dialog the real chooser shows for what the window asked.
    const auto dialog = QtDialogs::fileDialog(&reg, m_dialogs->fileRequests.first());
    dialog->setDirectory(folder);
    dialog->show();
    QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->currentText(), label);
    const auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
    QVERIFY(view);
    const auto shown = [view] {
        QStringList names;
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row)
            names << view->model()->index(row, 0, root).data().toString();
        names.sort();
        return names;
    };
    QTRY_COMPARE(shown(), listed);
}

void TestQuorrelWindows::fileReadEnabling()
{
    storeConfig(QStringLiteral("cfg1"), "a\n");
    storeConfig(QStringLiteral("cfg2"), "b\n");
    QVERIFY(m_bed->set(Key::ExecFile, QStringLiteral("hl")));
    startMenu();
    auto *fileRead = child<QPushButton>(m_menu.get(), "CmdFileRead");
    auto *list = child<QListWidget>(m_menu.get(), "ConfigLst");
    QVERIFY(!fileRead->isEnabled());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QVERIFY(fileRead->isEnabled());

    child<QPushButton>(m_menu.get(), "ConfigRef")->click();
    QVERIFY(!fileRead->isEnabled());
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(list->count(), 2);

    selectEntry(QStringLiteral("cfg2"));
    QVERIFY(fileRead->isEnabled());

    // A completed capture disables it again.
    child<QPushButton>(m_menu.get(), "CmdCreate")->click();
    Create *create = m_menu->createWindow();
    create->Timer1_Timer();
    child<QLineEdit>(create, "Text1")->setText(QStringLiteral("cfg3"));
    create->Command1_Click(0);
    QVERIFY(!fileRead->isEnabled());
    QCOMPARE(list->count(), 3);
}

void TestQuorrelWindows::dragMovesByDisplacement_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QPoint>("displacement");

    QTest::newRow("on the list") << QByteArray("ConfigLst") << QPoint(10, 5);
    QTest::newRow("on the label") << QByteArray("Label1") << QPoint(10, 5);
    QTest::newRow("on the background") << QByteArray() << QPoint(10, 5);
    QTest::newRow("up and left") << QByteArray("ConfigLst") << QPoint(-7, -3);
    QTest::newRow("click without motion") << QByteArray("ConfigLst") << QPoint(0, 0);
}

void TestQuorrelWindows::dragMovesByDisplacement()
{
    QFETCH(QByteArray, target);
    QFETCH(QPoint, displacement);

    storeConfig(QStringLiteral("cfg1"), "a\n");
    startMenu();
    QVERIFY(QTest::qWaitForWindowExposed(m_menu.get()));
    QWidget *widget = m_menu.get();
    if (target == "ConfigLst")
        widget = child<QListWidget>(m_menu.get(), "ConfigLst")->viewport();
    else if (!target.isEmpty())
        widget = child<QWidget>(m_menu.get(), target.constData());

    const QPoint start = m_menu->pos();
    const QPoint press(5, 3);
    QTest::mousePress(widget, Qt::LeftButton, {}, press);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, press + displacement);
    QCOMPARE(m_menu->pos(), start + displacement);
}

void TestQuorrelWindows::captureTimerStates()
{
    QVERIFY(m_bed->set(Key::ExecFile, QStringLiteral("hl -game cstrike")));
    startMenu();
    child<QPushButton>(m_menu.get(), "CmdCreate")->click();

    Create *create = m_menu->createWindow();
    QVERIFY(create);
    QVERIFY(!m_menu->isVisible());
    QVERIFY(create->isVisible());
    QCOMPARE(create->Timer1().interval(), 5000);
    QVERIFY(create->Timer1().isActive());
    QVERIFY(child<QLabel>(create, "Label1")->isVisible());
    for (const char *name : {"Label2", "Text1", "Command1_0", "Command1_1"})
        QVERIFY2(!child<QWidget>(create, name)->isVisible(), name);

    create->Timer1_Timer();
    QCOMPARE(m_bed->launcher().commands, QStringList {QStringLiteral("hl -game cstrike")});
    QCOMPARE(create->Timer1().interval(), 10);
    QVERIFY(create->Timer1().isActive());
    QVERIFY(!child<QLabel>(create, "Label1")->isVisible());
    for (const char *name : {"Label2", "Text1", "Command1_0", "Command1_1"})
        QVERIFY2(child<QWidget>(create, name)->isVisible(), name);
    // The name is typed at once, without a click into the field first.
    create->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(create));
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(create, "Text1"));

    // Later ticks only bring the window back to the centre of the screen.
    create->move(3, 4);
    create->Timer1_Timer();
    QCOMPARE(m_bed->launcher().commands.size(), 1);
    const QRect screen = create->screen()->geometry();
    const QSize outer = create->frameGeometry().size();
    QCOMPARE(create->pos(),
             QPoint(screen.x() + (screen.width() - outer.width()) / 2,
                    screen.y() + (screen.height() - outer.height()) / 2));
}

void TestQuorrelWindows::captureWithoutCommandLine()
{
    startMenu();
    child<QPushButton>(m_menu.get(), "CmdCreate")->click();
    Create *create = m_menu->createWindow();
    create->Timer1_Timer();

    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown.first().title, QStringLiteral("Quorrel"));
    QCOMPARE(m_dialogs->shown.first().text, QuorrelTexts::noCommand());
    QVERIFY(m_bed->launcher().commands.isEmpty());
    QVERIFY(!create->isVisible());
    QVERIFY(!create->Timer1().isActive());
    QVERIFY(m_menu->isVisible());
}

void TestQuorrelWindows::captureNaming_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("stillOpen");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("lastSpoken");

    QTest::newRow("enter with a name stores it")
        << QStringLiteral("my match") << false << false
        << QStringList {QStringLiteral("cfg1.cfg"), QStringLiteral("my match.cfg")}
        << QStringLiteral("Your Configuration has been created");
    QTest::newRow("refused name keeps the field")
        << QStringLiteral("../config") << false << true << QStringList {QStringLiteral("cfg1.cfg")}
        << QString();
    QTest::newRow("annuler writes nothing")
        << QStringLiteral("cfg2") << true << false << QStringList {QStringLiteral("cfg1.cfg")}
        << QStringLiteral("Your Configuration has not been created");
}

void TestQuorrelWindows::captureNaming()
{
    QFETCH(QString, name);
    QFETCH(bool, cancel);
    QFETCH(bool, stillOpen);
    QFETCH(QStringList, stored);
    QFETCH(QString, lastSpoken);

    storeConfig(QStringLiteral("cfg1"), "a\n");
    QVERIFY(m_bed->set(Key::ExecFile, QStringLiteral("hl")));
    startMenu();
    child<QPushButton>(m_menu.get(), "CmdCreate")->click();
    Create *create = m_menu->createWindow();
    create->Timer1_Timer();
    QVERIFY(QTest::qWaitForWindowExposed(create));
    QTRY_VERIFY(!m_speech->isSpeaking());
    QSignalSpy spoken(m_speech.get(), &SpeechOutput::speechEnded);

    auto *text1 = child<QLineEdit>(create, "Text1");
    text1->setFocus();
    QTest::keyClick(text1, Qt::Key_Return);
    QVERIFY(create->isVisible());
    QTest::keyClicks(text1, name);
    if (cancel) {
        child<QPushButton>(create, "Command1_1")->click();
    } else {
        QTest::keyClick(text1, Qt::Key_Return);
        // The Enter that dismisses a message box is pressed in the box but released in the
        // field; that release alone must not confirm again.
        if (create->isVisible())
            QTest::keyRelease(text1, Qt::Key_Return);
    }

    QCOMPARE(create->isVisible(), stillOpen);
    QCOMPARE(m_menu->isVisible(), !stillOpen);
    QCOMPARE(create->Timer1().isActive(), stillOpen);
    QCOMPARE(m_dialogs->count(QStringLiteral("message")), stillOpen ? 1 : 0);
    QStringList files = QDir(m_library).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, stored);
    QCOMPARE(child<QListWidget>(m_menu.get(), "ConfigLst")->count(), stored.size());
    QTRY_VERIFY(!m_speech->isSpeaking());
    QStringList phrases;
    for (const QList<QVariant> &ended : std::as_const(spoken))
        phrases << ended.first().toString();
    phrases.removeAll(QStringLiteral("Ennntter your ConfigName"));
    QCOMPARE(phrases.isEmpty() ? QString() : phrases.last(), lastSpoken);
}

void TestQuorrelWindows::doubleClickAppliesAfterSpeech_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("gone");
    QTest::addColumn<bool>("launchFails");
    QTest::addColumn<int>("ends");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");

    const QString hl = QStringLiteral("hl -game cstrike");
    const QString doubleClick = QStringLiteral("double-click");
    QTest::newRow("everything in place: the game starts, the program ends")
        << doubleClick << hl << false << false << 1 << true << QString() << QString();
    QTest::newRow("file deleted since the list was filled")
        << doubleClick << hl << true << false << 0 << false
        << QStringLiteral("Erreure de chargement")
        << QStringLiteral("Cette configue n'existe pas, veuillez rafraichire.");
    QTest::newRow("no command line: copied, and told to press Alt_R")
        << doubleClick << QString() << false << false << 0 << true << QStringLiteral("Quorrel")
        << QuorrelTexts::noCommand();
    QTest::newRow("game does not start")
        << doubleClick << hl << false << true << 0 << true << QStringLiteral("Quorrel")
        << QStringLiteral("Le jeu n'a pas pu être lancé avec la ligne de commande :\n") + hl;
    // The keyboard's way: the entry chosen with the arrow keys, then Enter.
    QTest::newRow("Enter: the game starts, the program ends")
        << "Enter" << hl << false << false << 1 << true << QString() << QString();
    QTest::newRow("keypad Enter: the game starts, the program ends")
        << "keypad Enter" << hl << false << false << 1 << true << QString() << QString();
    QTest::newRow("Enter on a file deleted since the list was filled")
        << "Enter" << hl << true << false << 0 << false << QStringLiteral("Erreure de chargement")
        << QStringLiteral("Cette configue n'existe pas, veuillez rafraichire.");
    QTest::newRow("Enter without a command line")
        << "Enter" << QString() << false << false << 0 << true << QStringLiteral("Quorrel")
        << QuorrelTexts::noCommand();
}

void TestQuorrelWindows::doubleClickAppliesAfterSpeech()
{
    QFETCH(QString, gesture);
    QFETCH(QString, command);
    QFETCH(bool, gone);
    QFETCH(bool, launchFails);
    QFETCH(int, ends);
    QFETCH(bool, copied);
    QFETCH(QString, title);
    QFETCH(QString, message);

    storeConfig(QStringLiteral("fast"), "rate 25000\r\n");
    QVERIFY(m_bed->set(Key::ExecFile, command));
    m_bed->launcher().fails = launchFails;
    startMenu();
    QVERIFY(QTest::qWaitForWindowExposed(m_menu.get()));
    auto *list = child<QListWidget>(m_menu.get(), "ConfigLst");
    const QPoint at = list->visualItemRect(list->item(0)).center();
    if (gesture == QLatin1String("double-click")) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    } else {
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(m_menu->selectedEntry(), QStringLiteral("fast"));
    }
    if (gone)
        QVERIFY(QFile::remove(m_library + QStringLiteral("fast.cfg")));
    QSignalSpy spoken(m_speech.get(), &SpeechOutput::speechEnded);
    if (gesture == QLatin1String("double-click"))
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    else if (gesture == QLatin1String("Enter"))
        QTest::keyClick(list, Qt::Key_Return);
    else
        QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);

    QVERIFY(m_menu->applyPending());
    QCOMPARE(m_ends, 0);
    // Applied once the greeting has been spoken, and only once.
    QTRY_VERIFY(!m_menu->applyPending());
    QCOMPARE(m_ends, ends);
    QCOMPARE(spoken.last().first().toString(), QStringLiteral("Welcome fast"));
    QCOMPARE(TestFiles::read(m_bed->gameFile()),
             copied ? QByteArray("rate 25000\r\n") : QByteArray("name \"player\"\r\n"));
    const bool started = !gone && !command.isEmpty();
    QCOMPARE(m_bed->launcher().commands, started ? QStringList {command} : QStringList {});
    QCOMPARE(m_dialogs->shown.size(), title.isEmpty() ? 0 : 1);
    if (!title.isEmpty()) {
        QCOMPARE(m_dialogs->shown.first().title, title);
        QVERIFY2(m_dialogs->shown.first().text.startsWith(message),
                 qPrintable(m_dialogs->shown.first().text));
    }
}

void TestQuorrelWindows::enterWithoutSelectionAppliesNothing()
{
    storeConfig(QStringLiteral("fast"), "rate 25000\r\n");
    QVERIFY(m_bed->set(Key::ExecFile, QStringLiteral("hl")));
    startMenu();
    QVERIFY(QTest::qWaitForWindowExposed(m_menu.get()));
    QTRY_VERIFY(!m_speech->isSpeaking());
    auto *list = child<QListWidget>(m_menu.get(), "ConfigLst");
    list->setFocus(Qt::TabFocusReason);
    QSignalSpy spoken(m_speech.get(), &SpeechOutput::speechEnded);

    QTest::keyClick(list, Qt::Key_Return);

    QVERIFY(!m_menu->applyPending());
    QVERIFY(!m_speech->isSpeaking());
    QCOMPARE(spoken.count(), 0);
    QCOMPARE(m_ends, 0);
    QCOMPARE(TestFiles::read(m_bed->gameFile()), QByteArray("name \"player\"\r\n"));
    QVERIFY(m_bed->launcher().commands.isEmpty());
}

void TestQuorrelWindows::desktopCloseRequests_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("ends");
    QTest::addColumn<QString>("spoken");

    // A close box or Alt+F4 sends the window the same request as close().
    QTest::newRow("main window ends the program") << "Menu" << 1 << QString();
    QTest::newRow("capture while waiting starts no game")
        << "Create waiting" << 0 << "Your Configuration has not been created";
    QTest::newRow("capture while naming stores nothing")
        << "Create naming" << 0 << "Your Configuration has not been created";
    QTest::newRow("registration aborts") << "Reg" << 0 << QString();
}

void TestQuorrelWindows::desktopCloseRequests()
{
    QFETCH(QString, window);
    QFETCH(int, ends);
    QFETCH(QString, spoken);

    QVERIFY(m_bed->set(Key::ExecFile, QStringLiteral("hl")));
    startMenu(window != QLatin1String("Reg"));
    QWidget *target = m_menu.get();
    if (window.startsWith(QLatin1String("Create"))) {
        child<QPushButton>(m_menu.get(), "CmdCreate")->click();
        target = m_menu->createWindow();
        if (window.endsWith(QLatin1String("naming"))) {
            m_menu->createWindow()->Timer1_Timer();
            m_bed->launcher().commands.clear();
            child<QLineEdit>(target, "Text1")->setText(QStringLiteral("never"));
        }
    } else if (window == QLatin1String("Reg")) {
        target = m_menu->regWindow();
        child<QLineEdit>(target, "Text3")->setText(QStringLiteral("typed, not saved"));
    }
    QVERIFY(target->isVisible());
    QTRY_VERIFY(!m_speech->isSpeaking());
    QSignalSpy phrases(m_speech.get(), &SpeechOutput::speechEnded);

    target->close();
    QCOMPARE(m_ends, ends);
    if (ends)
        return;
    QVERIFY(!target->isVisible());
    QVERIFY(m_menu->isVisible());
    if (auto *create = m_menu->createWindow())
        QVERIFY(!create->Timer1().isActive());
    QVERIFY(m_bed->launcher().commands.isEmpty());
    QCOMPARE(QDir(m_library).entryList(QDir::Files), QStringList {});
    QCOMPARE(m_bed->config().LaunchCommand(), QStringLiteral("hl"));
    QTRY_VERIFY(!m_speech->isSpeaking());
    QCOMPARE(phrases.isEmpty() ? QString() : phrases.last().first().toString(), spoken);
}

void TestQuorrelWindows::viewerRoundTripThroughEditor_data()
{
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QByteArray>("fileAfter");
    QTest::addColumn<QString>("told");
    QTest::addColumn<QString>("details");

    const QByteArray original("rate 9999\r\nname \"J\xe9r\xf4me\xa0\"\r\n");
    QTest::newRow("no edit, no question") << Dialogs::Answer::Yes << QString() << false << false
                                          << false << original << QString() << QString();
    QTest::newRow("edit then yes")
        << Dialogs::Answer::Yes << QStringLiteral("fps_max 99") << false << true << false
        << QByteArray(original + "fps_max 99") << QString() << QString();
    QTest::newRow("edit then no") << Dialogs::Answer::No << QStringLiteral("fps_max 99") << false
                                  << true << false << original << QString() << QString();
    QTest::newRow("edit then cancel")
        << Dialogs::Answer::Cancel << QStringLiteral("fps_max 99") << false << true << true
        << original << QString() << QString();
    QTest::newRow("typed oe ligature saved as its byte")
        << Dialogs::Answer::Yes << QStringLiteral("say cœur") << false << true << false
        << QByteArray(original + "say c\x9cur") << QString() << QString();
    QTest::newRow("character the file cannot hold keeps the viewer open")
        << Dialogs::Answer::Yes << QStringLiteral("say Д") << false << true << true << original
        << QStringLiteral("« Д »") << QString();
    // The system's reason in French, its own words behind the details button.
    QTest::newRow("full disk keeps the viewer open and says why in French")
        << Dialogs::Answer::Yes << QStringLiteral("fps_max 99") << true << true << true << original
        << QStringLiteral("n'ont pas pu être enregistrées dans %1cfg1.cfg :\nLe disque est plein")
        << QStringLiteral("No space left on device");
}

void TestQuorrelWindows::viewerRoundTripThroughEditor()
{
    QFETCH(Dialogs::Answer, answer);
    QFETCH(QString, typed);
    QFETCH(bool, fullDisk);
    QFETCH(bool, asked);
    QFETCH(bool, open);
    QFETCH(QByteArray, fileAfter);
    QFETCH(QString, told);
    QFETCH(QString, details);
    // As the program starts: its icon once for all its windows.
    const WindowedProgram program {QuorrelIcon()};

    std::unique_ptr<FullDisk> disk;
    if (fullDisk) {
        disk = std::make_unique<FullDisk>(m_library);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
    }
    storeConfig(QStringLiteral("cfg1"), "rate 9999\r\nname \"J\xe9r\xf4me\xa0\"\r\n");
    startMenu();
    selectEntry(QStringLiteral("cfg1"));
    child<QPushButton>(m_menu.get(), "CmdFileRead")->click();
    QPointer<FileView> viewer = m_menu->fileView();
    QVERIFY(viewer);
    QCOMPARE(viewer->windowTitle(), m_library + QStringLiteral("cfg1.cfg"));
    QCOMPARE(viewer->windowIcon().pixmap(32).toImage(), QuorrelIcon().image(32).toImage());

    auto *editor = child<QPlainTextEdit>(viewer, "Afficheur");
    editor->moveCursor(QTextCursor::End);
    // Key by key as a keyboard layout sends them, letters outside ASCII included.
    for (const QChar c : std::as_const(typed))
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
    m_dialogs->yesNoCancelAnswer = answer;
    if (disk)
        QVERIFY(disk->fill());
    viewer->close();
    QCoreApplication::processEvents();

    QCOMPARE(m_dialogs->count(QStringLiteral("yesnocancel")), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(m_dialogs->shown.first().title, QStringLiteral("Brassolin"));
        QCOMPARE(m_dialogs->shown.first().text,
                 QStringLiteral("Voulez-vous enregistrer les modifications ?"));
    }
    QCOMPARE(bool(viewer), open);
    QCOMPARE(TestFiles::read(m_library + QStringLiteral("cfg1.cfg")), fileAfter);
    // Edits kept open after Yes were refused, and the user was told why.
    const QStringList messages = m_dialogs->messages();
    QCOMPARE(messages.size(), told.isEmpty() ? 0 : 1);
    if (told.isEmpty())
        return;
    told.replace(QStringLiteral("%1"), m_library);
    QVERIFY2(messages.first().contains(told), qPrintable(messages.first()));
    const ScriptedDialogs::Shown &message = m_dialogs->shown.last();
    QCOMPARE(message.title, QStringLiteral("Quorrel"));
    QCOMPARE(message.details, details);
    if (!details.isEmpty())
        QVERIFY2(!message.text.contains(details), qPrintable(message.text));
}

QTEST_MAIN(TestQuorrelWindows)
#include "test_quorrelwindows.moc"
