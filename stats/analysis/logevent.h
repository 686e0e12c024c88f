#pragma once

#include <QByteArrayView>
#include <QString>

/** One parsed log line: who did something, to whom, with which weapon or objective word. */
struct LogEvent
{
    QString Actor;
    QString Victim;
    QString Weapon;

    bool isEmpty() const { return Actor.isEmpty() && Victim.isEmpty(); }
    friend bool operator==(const LogEvent &, const LogEvent &) = default;
};

/** The same, as views into the raw bytes of the line, for the update run's fast path. */
struct RawLogEvent
{
    QByteArrayView Actor;
    QByteArrayView Victim;
    QByteArrayView Weapon;

    bool isEmpty() const { return Actor.isEmpty() && Victim.isEmpty(); }
};
