// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Opens Tolvane's results window on a database, as the program does at start, and measures
// how long the grid takes to be painted with its first rows, then how long Ctrl+End takes to
// show the last row. Prints "open MS", "end MS ROW ROWS". Run by the benchmark's grid scenario.

#include "platform/dialogs/qtdialogs.h"
#include "platform/settings/settingsstore.h"
#include "stats/store/datastats.h"
#include "stats/ui/affiche.h"
#include "stats/ui/tolvanecontext.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

/** Tells when a widget has been painted. */
class PaintWatch final : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Measured without a display, as on the build machine.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tolvane-gridprobe DATABASE\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    QTemporaryDir settingsFolder;
    SettingsStore settings(settingsFolder.path());
    QtDialogs dialogs;
    DataStats store;
    if (const Result<> opened = store.open(QString::fromLocal8Bit(argv[1])); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.reason()));
        return 1;
    }
    TolvaneContext context {store, settings, dialogs};
    Affiche *window = Affiche::showNew(context);
    QTableView *grid = window->tabResult();
    PaintWatch watch;
    grid->viewport()->installEventFilter(&watch);
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("open %lld\n", clock.elapsed());

    clock.restart();
    watch.painted = false;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("end %lld %d %d\n", clock.elapsed(), grid->currentIndex().row() + 1,
                grid->model()->rowCount());
    delete window;
    return 0;
}
