// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/tests/tolvanetestbed.h"

#include "platform/testsupport/testfiles.h"
#include "stats/analysis/rankplayers.h"
#include "stats/store/statscolumns.h"
#include "stats/store/statspaths.h"
#include "stats/tests/statstestsupport.h"
#include "stats/ui/affiche.h"
#include "stats/ui/calculs.h"
#include "stats/ui/windowedstart.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTableView>
#include <QTest>

TolvaneTestBed::TolvaneTestBed() : settings(m_dir.filePath(QStringLiteral("settings")))
{
    m_ready = m_dir.isValid() && QDir(m_dir.path()).mkpath(QStringLiteral("logs"))
        && StatsPaths(settings).setLogFolder(logFolder())
        && store.open(m_dir.filePath(QStringLiteral("Stats.db")));
    // The windows' handling of the code does not depend on the cost of checking it.
    context.accessCodeIterations = 2;
}

TolvaneTestBed::~TolvaneTestBed()
{
    WindowedStart::closeWindows();
}

QString TolvaneTestBed::logFolder() const
{
    return m_dir.filePath(QStringLiteral("logs"));
}

bool TolvaneTestBed::addPlayer(const QString &nom, int kills, int totalClass)
{
    DataStats::Counters counters {};
    counters[std::size_t(StatsColumns::Kills - StatsColumns::FirstCounter)] = kills;
    counters[std::size_t(StatsColumns::TotalClass - StatsColumns::FirstCounter)] = totalClass;
    return StatsTest::addToPlayer(store, nom, counters).ok();
}

bool TolvaneTestBed::rank()
{
    // One transaction, as in an update: a place written at a time would be a commit each.
    Result<> ranked = store.beginTransaction();
    if (ranked)
        ranked = RankPlayers(store);
    if (ranked)
        ranked = store.commit();
    else
        store.rollback();
    return ranked.ok();
}

bool TolvaneTestBed::writeLog(const QString &fileName, const QList<QByteArray> &lines)
{
    return TestFiles::write(QDir(logFolder()).filePath(fileName), StatsTest::log(lines));
}

QStringList TolvaneTestBed::namesShown(const QTableView *grid)
{
    QAbstractItemModel *model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(model->index(row, StatsColumns::Nom).data().toString());
    return names;
}

namespace {

template<typename Window>
QList<Window *> shown()
{
    QList<Window *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Window *>(widget); window && window->isVisible())
            windows.append(window);
    }
    return windows;
}

} // namespace

QList<Affiche *> TolvaneTestBed::resultsWindows()
{
    return shown<Affiche>();
}

QList<Calculs *> TolvaneTestBed::progressWindows()
{
    return shown<Calculs>();
}

Affiche *TolvaneTestBed::waitForNewResults(const Affiche *previous, int timeoutMs)
{
    // Once the previous window is deleted its address may well come back for the new one.
    const QPointer<const Affiche> old(previous);
    Affiche *found = nullptr;
    const bool shown = QTest::qWaitFor(
        [&] {
            for (Affiche *window : resultsWindows()) {
                if (old.isNull() || window != old.data())
                    found = window;
            }
            return found != nullptr;
        },
        timeoutMs);
    return shown ? found : nullptr;
}
