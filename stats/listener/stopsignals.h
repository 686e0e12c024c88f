// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

class QSocketNotifier;

/**
 * SIGTERM and SIGINT as a Qt signal: the handler only writes the signal's number into a socket
 * pair, and the event loop reads it there, so that stopping runs as ordinary code between two
 * events rather than inside a signal handler. The handlers in force before are put back when it
 * goes. One at a time per process.
 */
class StopSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StopSignals)

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    bool isReady() const { return m_notifier != nullptr; }

signals:
    /// SIGTERM or SIGINT arrived.
    void stopRequested(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};
