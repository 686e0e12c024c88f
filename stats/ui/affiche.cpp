// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/ui/affiche.h"

#include "platform/dialogs/dialogs.h"
#include "platform/windowkit/windowkit.h"
#include "stats/store/accesscode.h"
#include "stats/store/datastats.h"
#include "stats/store/rankingsource.h"
#include "stats/store/statscolumns.h"
#include "stats/store/statspaths.h"
#include "stats/ui/calculs.h"
#include "stats/ui/statsgridmodel.h"
#include "stats/ui/tolvanecontext.h"
#include "stats/ui/tolvanetexts.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

const QSize clientSize = WindowKit::fromTwips(13920, 9855);

// The texts that size the columns, one per column; they are not the captions.
QStringList columnTemplate()
{
    QStringList entries {QString(12, QLatin1Char(' ')), QString(39, QLatin1Char(' '))};
    entries +=
        QStringLiteral("Kills|Deaths|TotalClass|1_1_usp|1_2_glock18|1_3_deagle|1_4_p228|1_5_elite|"
                       "1_6_fiveseven|2_1_m3|2_2_xm1014|3_1_mp5navy|3_2_tmp|3_3_p90|3_4_mac10|"
                       "3_5_ump45|4_1_ak47|4_2_sg552|4_33_m4a1|4_4_aug|4_5_scout|4_6_awp|4_7_g3sg1|"
                       "4_8_sg550|5_1_m249|Couteau|grenade|suicide|Hostage|BombePosée|"
                       "BombeDesamorcée")
            .split(QLatin1Char('|'));
    return entries;
}

} // namespace

Affiche::Affiche(TolvaneContext &context, QWidget *parent) : QMainWindow(parent), m_context(context)
{
    setObjectName(QStringLiteral("Affiche"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(TolvaneTexts::programTitle());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);

    createMenus();

    // The grid lives outside any layout: it keeps its place and size whatever the window does.
    auto *client = new QWidget(this);
    setCentralWidget(client);
    m_TabResult = new QTableView(client);
    WindowKit::place(m_TabResult, "TabResult", 15, 60, 15060, 11010);
    m_TabResult->setFont(WindowKit::oldFont(8.25));
    m_TabResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_TabResult->setSelectionMode(QAbstractItemView::NoSelection);
    m_TabResult->setWordWrap(false);
    m_TabResult->verticalHeader()->hide();
    m_TabResult->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_TabResult->verticalHeader()->setDefaultSectionSize(m_TabResult->fontMetrics().height() + 4);

    QHeaderView *header = m_TabResult->horizontalHeader();
    header->setFont(WindowKit::oldFont(8.25));
    header->setTextElideMode(Qt::ElideNone);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setHighlightSections(false);
    m_gridModel = new StatsGridModel(this);
    m_TabResult->setModel(m_gridModel);

    setDataMember(QStringLiteral("Class2"));
    // The rows first shown size the columns at once; the whole table's extents follow, read
    // in slices between events, so that a large database opens without waiting for them.
    sizeColumns(shownExtents());
    if (const auto end = m_context.store.rowIdEnd()) {
        m_measureEnd = *end;
        QTimer::singleShot(0, this, &Affiche::measureColumns);
    } else {
        m_columnsMeasured = true;
    }

    resize(clientSize.width(), clientSize.height() + menuBar()->sizeHint().height());
}

DataStats::Extents Affiche::shownExtents() const
{
    // The first page of rows, which is what the grid shows first.
    DataStats::Extents extents;
    const QAbstractItemModel *model = m_TabResult->model();
    const int rows = std::min(model->rowCount(), 256);
    for (int row = 0; row < rows; ++row) {
        DataStats::Extents one;
        one.empty = false;
        one.smallestPlace = one.largestPlace =
            model->index(row, StatsColumns::Place).data().toLongLong();
        for (int c = StatsColumns::FirstCounter; c < StatsColumns::Count; ++c) {
            const auto i = std::size_t(c - StatsColumns::FirstCounter);
            one.smallest[i] = one.largest[i] = model->index(row, c).data().toLongLong();
        }
        one.longestNames << model->index(row, StatsColumns::Nom).data().toString();
        extents.merge(one);
    }
    return extents;
}

void Affiche::measureColumns()
{
    // Slices of rowids: each takes the database a few dozen milliseconds.
    constexpr qint64 slice = 50000;
    const auto extents = m_context.store.extents(m_measuredTo, m_measuredTo + slice);
    m_measuredTo += slice;
    if (!extents) {
        m_columnsMeasured = true;
        return;
    }
    m_extents.merge(*extents);
    if (m_measuredTo < m_measureEnd) {
        QTimer::singleShot(0, this, &Affiche::measureColumns);
        return;
    }
    sizeColumns(m_extents);
    m_columnsMeasured = true;
}

void Affiche::sizeColumns(const DataStats::Extents &extents)
{
    QHeaderView *header = m_TabResult->horizontalHeader();
    const QFontMetrics metrics(m_TabResult->font());
    // Room for the caption margins, so that a caption as long as its template entry shows whole.
    const int captionMargins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    // A cell as the grid lays it out: its text as the grid writes it (numbers in the grid's
    // locale, with their group separators), its margins, and the grid line.
    QStyleOptionViewItem cell;
    cell.initFrom(m_TabResult);
    cell.font = m_TabResult->font();
    cell.fontMetrics = metrics;
    cell.locale = m_TabResult->locale();
    cell.features = QStyleOptionViewItem::HasDisplay;
    cell.widget = m_TabResult;
    auto textWidth = [&](const QString &text) {
        cell.text = text;
        return m_TabResult->style()
                   ->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), m_TabResult)
                   .width()
            + (m_TabResult->showGrid() ? 1 : 0);
    };
    auto numberWidth = [&](qint64 value) {
        return textWidth(cell.locale.toString(value));
    };
    const QStringList entries = columnTemplate();
    // Without any (a store that cannot be read) the columns keep at least their template widths.
    for (int column = 0; column < int(entries.size()); ++column) {
        int width = std::max(metrics.horizontalAdvance(entries[column]) + captionMargins,
                             header->sectionSizeHint(column));
        if (!extents.empty) {
            int widest = 0;
            if (column == StatsColumns::Nom) {
                for (const QString &name : extents.longestNames)
                    widest = std::max(widest, textWidth(name));
                // A name made up by a broken log line must not push every count out of sight.
                widest = std::min(widest, m_TabResult->width() / 2);
            } else if (column == StatsColumns::Place) {
                widest =
                    std::max(numberWidth(extents.smallestPlace), numberWidth(extents.largestPlace));
            } else {
                const auto counter = std::size_t(column - StatsColumns::FirstCounter);
                widest = std::max(numberWidth(extents.smallest[counter]),
                                  numberWidth(extents.largest[counter]));
            }
            width = std::max({width, widest, header->sectionSize(column)});
        }
        header->resizeSection(column, width);
    }
}

Affiche::~Affiche() = default;

Affiche *Affiche::showNew(TolvaneContext &context)
{
    auto *window = new Affiche(context);
    window->show();
    return window;
}

void Affiche::createMenus()
{
    auto addMenu = [](auto *owner, const char *name, const QString &caption) {
        QMenu *menu = owner->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addAction = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };

    m_MnuFile = addMenu(menuBar(), "MnuFile", QStringLiteral("&Fichier"));
    m_MnuUpdate = addAction(m_MnuFile, "MnuUpdate", QStringLiteral("&Mettre a jour"));
    connect(m_MnuUpdate, &QAction::triggered, this, &Affiche::MnuUpdate_Click);
    m_MnuQuit = addAction(m_MnuFile, "MnuQuit", QStringLiteral("&Quitter"));
    connect(m_MnuQuit, &QAction::triggered, this, &Affiche::MnuQuit_Click);

    m_MnuOptn = addMenu(menuBar(), "MnuOptn", QStringLiteral("&Options"));
    m_MnuTrie = addMenu(m_MnuOptn, "MnuTrie", QStringLiteral("&Trier selon"));
    const std::array<QString, 2> sortCaptions {QStringLiteral("&Places"), QStringLiteral("&Kills")};
    for (int index = 0; index < int(sortCaptions.size()); ++index) {
        QAction *entry = addAction(m_MnuTrie, "MnuTrieSel", sortCaptions[std::size_t(index)]);
        entry->setCheckable(true);
        entry->setChecked(index == 0);
        connect(entry, &QAction::triggered, this, [this, index] { MnuTrieSel_Click(index); });
        m_MnuTrieSel[std::size_t(index)] = entry;
    }
    m_MnuRAZ = addAction(m_MnuOptn, "MnuRAZ", QStringLiteral("&RAZ des stats"));
    connect(m_MnuRAZ, &QAction::triggered, this, &Affiche::MnuRAZ_Click);
    m_MnuCodeChg = addAction(m_MnuOptn, "MnuCodeChg", QStringLiteral("&Changer Code"));
    connect(m_MnuCodeChg, &QAction::triggered, this, &Affiche::MnuCodeChg_Click);
}

void Affiche::setDataMember(const QString &dataMember)
{
    m_dataMember = dataMember;
    m_gridModel->setSourceModel(m_context.store.recordSource(dataMember));
}

void Affiche::MnuUpdate_Click()
{
    showCalculs(&Calculs::startUpdate);
}

void Affiche::showCalculs(void (Calculs::*start)())
{
    if (!knowsLogFolder())
        return;
    auto *calculs = new Calculs(m_context, this);
    calculs->show();
    (calculs->*start)();
}

bool Affiche::knowsLogFolder()
{
    StatsPaths paths(m_context.settings);
    if (!paths.logFolder().isEmpty())
        return true;
    // Not chosen at start-up: asked again, rather than running on no folder at all.
    const QString folder = m_context.dialogs.chooseFolder(this, TolvaneTexts::chooseLogFolder());
    if (folder.isEmpty())
        return false;
    // A folder that cannot be remembered would be counted from nowhere: said, and no run.
    if (const Result<> stored = paths.setLogFolder(folder); !stored) {
        m_context.dialogs.informFailure(this, TolvaneTexts::programTitle(),
                                        TolvaneTexts::logFolderNotStored(stored.failure()));
        return false;
    }
    return true;
}

void Affiche::MnuQuit_Click()
{
    QCoreApplication::quit();
}

void Affiche::MnuTrieSel_Click(int index)
{
    setDataMember(index == 0 ? QStringLiteral("Class2") : QStringLiteral("Class"));
    // The entries toggle themselves when chosen; the marks are set here in both cases.
    m_MnuTrieSel[std::size_t(1 - index)]->setChecked(false);
    m_MnuTrieSel[std::size_t(index)]->setChecked(true);
}

bool Affiche::askedCodeMatches(const AccessCode &code, const QString &prompt)
{
    // Cancel answers the empty text, which is the code while none is set.
    const QString typed =
        m_context.dialogs.askSecret(this, TolvaneTexts::identificationTitle(), prompt)
            .value_or(QString());
    if (code.matches(typed))
        return true;
    m_context.dialogs.inform(this, TolvaneTexts::programTitle(), TolvaneTexts::wrongCode());
    return false;
}

void Affiche::MnuRAZ_Click()
{
    const AccessCode code(m_context.settings, m_context.accessCodeIterations);
    if (!askedCodeMatches(code, TolvaneTexts::codePrompt()))
        return;
    if (m_context.dialogs.askYesNo(this, TolvaneTexts::confirmationTitle(),
                                   TolvaneTexts::confirmation()))
        RazStats();
}

void Affiche::MnuCodeChg_Click()
{
    Dialogs &dialogs = m_context.dialogs;
    AccessCode code(m_context.settings, m_context.accessCodeIterations);
    if (!askedCodeMatches(code, TolvaneTexts::currentCodePrompt()))
        return;
    const std::optional<QString> newCode =
        dialogs.askSecret(this, TolvaneTexts::identificationTitle(), TolvaneTexts::newCodePrompt());
    // Cancel keeps the code in force: whoever cancels expects nothing to have changed.
    if (!newCode)
        return;
    if (!code.change(*newCode))
        dialogs.inform(this, TolvaneTexts::programTitle(), TolvaneTexts::codeNotStored());
}

void Affiche::RazStats()
{
    // The progress window empties the statistics before it counts: it waits there, in sight,
    // for any other update to finish, and holds the database from the emptying to the ranking.
    showCalculs(&Calculs::startReset);
}
