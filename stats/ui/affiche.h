// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/store/datastats.h"

#include <QMainWindow>

#include <array>

struct TolvaneContext;
class AccessCode;
class Calculs;
class QAction;
class QMenu;
class QTableView;
class StatsGridModel;

/**
 * The results window: the players of the store in the grid TabResult, in place order
 * ("Class2") or in kills order ("Class"), and the menus that update, reset and protect them.
 * It deletes itself when closed; every update run replaces it by a new one.
 */
class Affiche final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Affiche)

public:
    explicit Affiche(TolvaneContext &context, QWidget *parent = nullptr);
    ~Affiche() override;

    /// Creates a results window on "Class2" and shows it.
    static Affiche *showNew(TolvaneContext &context);

    QTableView *tabResult() const { return m_TabResult; }
    /// The record source the grid is bound to: "Class2" or "Class".
    QString dataMember() const { return m_dataMember; }
    /// Whether the columns fit every value of the table yet (they are measured after opening).
    bool columnsMeasured() const { return m_columnsMeasured; }
    QAction *mnuTrieSel(int index) const { return m_MnuTrieSel.at(std::size_t(index)); }

    void MnuUpdate_Click();
    void MnuQuit_Click();
    void MnuTrieSel_Click(int index);
    void MnuRAZ_Click();
    void MnuCodeChg_Click();
    void RazStats();

private:
    void createMenus();
    void setDataMember(const QString &dataMember);
    /// Each column at least as wide as its template entry, and wide enough for its caption and
    /// the widest value of \a extents; none is ever narrowed.
    void sizeColumns(const DataStats::Extents &extents);
    /// The extents of the rows shown first.
    DataStats::Extents shownExtents() const;
    /// Takes in the extents of the next slice of the table, and sizes the columns after the last.
    void measureColumns();
    /// Whether the log folder is known, asking for it when it is not; false when cancelled.
    bool knowsLogFolder();
    /// Opens the progress window on a known log folder and has it \a start.
    void showCalculs(void (Calculs::*start)());
    /// Asks for the code with \a prompt; when the answer is not \a code, says so and is false.
    bool askedCodeMatches(const AccessCode &code, const QString &prompt);

    TolvaneContext &m_context;
    QMenu *m_MnuFile = nullptr;
    QAction *m_MnuUpdate = nullptr;
    QAction *m_MnuQuit = nullptr;
    QMenu *m_MnuOptn = nullptr;
    QMenu *m_MnuTrie = nullptr;
    std::array<QAction *, 2> m_MnuTrieSel {};
    QAction *m_MnuRAZ = nullptr;
    QAction *m_MnuCodeChg = nullptr;
    QTableView *m_TabResult = nullptr;
    StatsGridModel *m_gridModel = nullptr;
    QString m_dataMember;
    DataStats::Extents m_extents; // of the slices measured so far
    qint64 m_measuredTo = 0;
    qint64 m_measureEnd = 0;
    bool m_columnsMeasured = false;
};
