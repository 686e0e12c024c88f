// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/settings/settingsstore.h"
#include "platform/testsupport/scripteddialogs.h"
#include "stats/store/datastats.h"
#include "stats/tests/statstestsupport.h"
#include "stats/ui/tolvanecontext.h"
#include "stats/ui/windowedstart.h"

#include <QStringList>
#include <QTemporaryDir>

class Affiche;
class Calculs;
class QTableView;

/**
 * A store, settings, a log folder and scripted dialogs in a temporary folder, and the helpers
 * the window tests share. Its windows are deleted with it (WindowedStart::closeWindows()).
 */
class TolvaneTestBed
{
    QTemporaryDir m_dir;

public:
    TolvaneTestBed();
    ~TolvaneTestBed();
    TolvaneTestBed(const TolvaneTestBed &) = delete;
    TolvaneTestBed &operator=(const TolvaneTestBed &) = delete;

    bool isReady() const { return m_ready; }
    /// The access code as the windows of this bed check and set it.
    AccessCode accessCode() { return AccessCode(settings, context.accessCodeIterations); }
    QString logFolder() const;

    /// Adds a player with these counters; call rank() afterwards to give the places.
    bool addPlayer(const QString &nom, int kills, int totalClass);
    bool rank();
    /// A whole log of \a lines, as the server writes it, in the log folder.
    bool writeLog(const QString &fileName, const QList<QByteArray> &lines);

    /// The names in the grid, top to bottom.
    static QStringList namesShown(const QTableView *grid);
    static QList<Affiche *> resultsWindows();
    static QList<Calculs *> progressWindows();
    /// Lets queued events run until a results window other than \a previous is shown.
    static Affiche *waitForNewResults(const Affiche *previous, int timeoutMs = 10000);

    DataStats store;
    SettingsStore settings;
    ScriptedDialogs dialogs;
    TolvaneContext context {store, settings, dialogs};

private:
    bool m_ready = false;
};
