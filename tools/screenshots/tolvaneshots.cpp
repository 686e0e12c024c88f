// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/screenshots/shots.h"

#include "platform/dialogs/qtdialogs.h"
#include "platform/settings/settingsstore.h"
#include "stats/analysis/rankplayers.h"
#include "stats/store/datastats.h"
#include "stats/store/statscolumns.h"
#include "stats/tests/statstestsupport.h"
#include "stats/ui/affiche.h"
#include "stats/ui/calculs.h"
#include "stats/ui/tolvanecontext.h"
#include "stats/ui/tolvaneicon.h"
#include "stats/ui/tolvanetexts.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

bool save(QWidget *widget, const QString &folder, const QString &name)
{
    widget->show();
    QApplication::processEvents();
    return widget->grab().save(QDir(folder).filePath(name));
}

Result<> fillSample(DataStats &store)
{
    const QStringList names {"Fuzzy Logic", "Chris_Rock",        "Blah",  "Make my Day", "Jet_Li",
                             "Stacy_Keech", "Quentin_Tarantino", "Yanni", "Rambo",       "Gandhi"};
    for (int player = 0; player < names.size(); ++player) {
        DataStats::Counters counters {};
        // Varied but repeatable figures, so two pictures of the same code look the same.
        for (std::size_t i = 0; i < counters.size(); ++i)
            counters[i] = (player * 7 + int(i) * 3) % 11;
        const int kills = 40 - player * 3 + (player % 3) * 5;
        counters[StatsColumns::Kills - StatsColumns::FirstCounter] = kills;
        counters[StatsColumns::Deaths - StatsColumns::FirstCounter] = 12 + player * 2;
        counters[StatsColumns::TotalClass - StatsColumns::FirstCounter] = kills * 2 - player;
        if (const Result<QString> added = StatsTest::addToPlayer(store, names[player], counters);
            !added)
            return Result<>::failure(added.failure());
    }
    return RankPlayers(store);
}

} // namespace

int renderTolvaneWindows(const QString &folder)
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings")));
    QtDialogs dialogs;
    DataStats store;
    Result<> sample = dir.isValid() ? store.open(dir.filePath(QStringLiteral("Stats.db")))
                                    : Result<>::failure(QStringLiteral("no temporary folder"));
    if (sample)
        sample = fillSample(store);
    if (!sample) {
        std::fprintf(stderr, "screenshots: no sample database for Tolvane: %s\n",
                     qPrintable(sample.reason()));
        return 0;
    }
    TolvaneContext context {store, settings, dialogs};
    int written = 0;

    {
        Affiche window(context);
        written += save(&window, folder, QStringLiteral("tolvane-affiche.png"));
        window.MnuTrieSel_Click(1);
        written += save(&window, folder, QStringLiteral("tolvane-affiche-kills.png"));
    }
    {
        Calculs calculs(context, nullptr);
        calculs.fileStarted(3, 7, 1000);
        calculs.lineProcessed(420);
        written += save(&calculs, folder, QStringLiteral("tolvane-calculs.png"));
    }
    {
        Calculs calculs(context, nullptr);
        calculs.waitingForWriter(std::chrono::seconds(4), std::chrono::seconds(300));
        written += save(&calculs, folder, QStringLiteral("tolvane-calculs-attente.png"));
    }

    const struct
    {
        const char *file;
        QString label;
    } textPrompts[] = {
        {"tolvane-prompt-code.png", TolvaneTexts::codePrompt()},
        {"tolvane-prompt-current-code.png", TolvaneTexts::currentCodePrompt()},
        {"tolvane-prompt-new-code.png", TolvaneTexts::newCodePrompt()},
    };
    for (const auto &prompt : textPrompts) {
        const std::unique_ptr<QInputDialog> dialog =
            QtDialogs::textDialog(nullptr, TolvaneTexts::identificationTitle(), prompt.label, true);
        written += save(dialog.get(), folder, QLatin1String(prompt.file));
    }

    const struct
    {
        const char *file;
        QString title;
        QString text;
    } messages[] = {
        {"tolvane-message-wrong-code.png", TolvaneTexts::programTitle(), TolvaneTexts::wrongCode()},
        {"tolvane-message-erreur.png", TolvaneTexts::programTitle(), TolvaneTexts::runFailed()},
    };
    for (const auto &message : messages) {
        const std::unique_ptr<QMessageBox> box =
            QtDialogs::messageBox(nullptr, message.title, message.text);
        written += save(box.get(), folder, QLatin1String(message.file));
    }
    {
        const std::unique_ptr<QMessageBox> box = QtDialogs::yesNoBox(
            nullptr, TolvaneTexts::confirmationTitle(), TolvaneTexts::confirmation());
        written += save(box.get(), folder, QStringLiteral("tolvane-question-confirmation.png"));
    }

    written += TolvaneIcon().image(32).save(QDir(folder).filePath("tolvane-icon-32.png"));
    written += TolvaneIcon().image(16).save(QDir(folder).filePath("tolvane-icon-16.png"));
    return written;
}
