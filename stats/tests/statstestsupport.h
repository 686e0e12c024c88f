#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class DataStats;

/** Log lines in the server's own layout, and readers of the store, for the Tolvane tests. */
namespace StatsTest {

QByteArray stamp(int second = 0);
QByteArray kill(const QByteArray &killer, const QByteArray &victim, const QByteArray &weapon);
QByteArray suicide(const QByteArray &player);
QByteArray triggered(const QByteArray &player, const QByteArray &event);
QByteArray started();
QByteArray closed();

/// A whole log: "Log file started", the lines, "Log file closed", each ended by \a lineEnd.
QByteArray log(const QList<QByteArray> &lines, const QByteArray &lineEnd = "\n");

/// Every column of the row whose Nom is exactly \a nom; empty when there is none.
QVariantMap row(DataStats &store, const QString &nom);
/// Nom -> all 33 values in table order (Place included), for comparing two whole stores.
QMap<QString, QStringList> table(DataStats &store);
/// The number of rows in table Stats, or -1 when it cannot be read.
int rowCount(DataStats &store);

} // namespace StatsTest
