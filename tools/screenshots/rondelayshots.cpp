// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/screenshots/shots.h"

#include "mapmixer/tests/samplemod.h"
#include "mapmixer/ui/mixfrm.h"
#include "platform/files/filestore.h"
#include "platform/speech/silentspeech.h"
#include "platform/testsupport/scripteddialogs.h"

#include <QCoreApplication>

namespace {

int grabTo(QWidget &window, const QString &path)
{
    window.repaint();
    return window.grab().save(path) ? 1 : 0;
}

} // namespace

int renderRondelayWindows(const QString &folder)
{
    SampleMod mod;
    if (!mod.isValid()
        || !mod.write({"de_dust2.bsp", "cs_office.bsp", "de_aztec.bsp", "cs_italy.bsp",
                       "de_nuke.bsp", "de_inferno.bsp", "as_oilrig.bsp", "cs_assault.bsp",
                       "de_train.bsp", "aim_map.bsp"},
                      "de_dust2\r\nde_aztec\r\ncs_office\r\nde_nuke\r\ncs_italy\r\n"))
        return 0;

    FileStore files;
    ScriptedDialogs dialogs;
    SilentSpeech parle(SilentSpeech::Delay::None);
    MixFrm window(QStringLiteral("cstrike"), mod.path(), files, dialogs, parle);
    window.show();
    QCoreApplication::processEvents();
    int written = grabTo(window, folder + QStringLiteral("/rondelay-mixfrm.png"));
    window.Command3_Click();
    window.Command4_Click();
    written += grabTo(window, folder + QStringLiteral("/rondelay-mixfrm-wide.png"));
    return written;
}
