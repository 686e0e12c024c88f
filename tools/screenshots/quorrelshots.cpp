#include "tools/screenshots/shots.h"

#include "configmanager/core/gameconfig.h"
#include "configmanager/tests/recordinglauncher.h"
#include "configmanager/ui/create.h"
#include "configmanager/ui/fileview.h"
#include "configmanager/ui/menu.h"
#include "configmanager/ui/reg.h"
#include "platform/files/filestore.h"
#include "platform/settings/settingsstore.h"
#include "platform/speech/silentspeech.h"
#include "platform/testsupport/scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPixmap>
#include <QTemporaryDir>

namespace {

bool writeSample(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

bool save(QWidget *window, const QString &folder, const QString &name)
{
    return window->grab().save(QDir(folder).filePath(name));
}

} // namespace

int renderQuorrelWindows(const QString &folder)
{
    QTemporaryDir sandbox;
    if (!sandbox.isValid())
        return 0;
    const QString gameFolder = sandbox.filePath(QStringLiteral("Half-Life/cstrike"));
    const QString library = gameFolder + QStringLiteral("/Configs/");
    QDir().mkpath(library);
    writeSample(gameFolder + QStringLiteral("/config.cfg"), "name \"Player\"\r\nrate 25000\r\n");
    const QByteArray sample("// Configuration de match\r\nname \"J\xe9r\xf4me\"\r\nrate 25000\r\n"
                            "cl_updaterate 101\r\ncl_cmdrate 101\r\nbind \"w\" \"+forward\"\r\n"
                            "bind \"MOUSE1\" \"+attack\"\r\nsensitivity \"2.5\"\r\n");
    for (const char *name : {"match", "entrainement", "lan partie"})
        writeSample(library + QLatin1String(name) + QStringLiteral(".cfg"), sample);

    SettingsStore settings(sandbox.filePath(QStringLiteral("settings")));
    FileStore files;
    // Starts nothing: the pictures need the capture window's naming state, not a game.
    RecordingLauncher launcher;
    GameConfig config(QStringLiteral("cstrike"), settings, files, launcher);
    using Key = QuorrelSettings::Key;
    QuorrelSettings &stored = config.settings();
    if (!stored.setValue(Key::AlreadyUse, QStringLiteral("1"))
        || !stored.setValue(Key::RepertoryFile, gameFolder + QStringLiteral("/config.cfg"))
        || !stored.setValue(Key::ExecFile,
                            sandbox.filePath(QStringLiteral("Half-Life/hl.sh"))
                                + QStringLiteral(" -game cstrike")))
        return 0;
    SilentSpeech speech(SilentSpeech::Delay::None);
    // Answered at once, so that rendering never waits on a modal box.
    ScriptedDialogs dialogs;
    dialogs.yesNoCancelAnswer = Dialogs::Answer::No;

    int written = 0;
    Menu menu(config, speech, dialogs, [] {});
    menu.Form_Load();
    auto *list = menu.findChild<QListWidget *>(QStringLiteral("ConfigLst"));
    if (list && list->count() > 0)
        list->item(0)->setSelected(true);
    written += save(&menu, folder, QStringLiteral("quorrel-menu.png"));

    Create create(config, speech, dialogs);
    create.show();
    written += save(&create, folder, QStringLiteral("quorrel-create-waiting.png"));
    create.Timer1().setInterval(Create::FirstTickInterval);
    create.Timer1_Timer();
    create.Timer1().stop();
    written += save(&create, folder, QStringLiteral("quorrel-create-naming.png"));
    create.hide();

    Reg reg(config, dialogs);
    reg.show();
    written += save(&reg, folder, QStringLiteral("quorrel-reg.png"));
    reg.hide();

    FileView viewer(config, speech, dialogs);
    viewer.setAttribute(Qt::WA_DeleteOnClose, false);
    if (viewer.Form_Load(QStringLiteral("match"))) {
        viewer.show();
        written += save(&viewer, folder, QStringLiteral("quorrel-fileview.png"));
        viewer.hide();
    }
    menu.hide();
    return written;
}
