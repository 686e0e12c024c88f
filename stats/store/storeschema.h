// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <vector>

/**
 * The objects of the statistics store (tables, views, indexes) and the statements that create
 * them, on SQLite and on PostgreSQL: creation, the checks of a database opened and the rebuilds
 * of the indexes all take their names from here.
 */
namespace StoreSchema {

enum class Engine { Sqlite, Postgres };
enum class Kind { Table, View, Index };

struct Object
{
    Kind kind;
    QString name;
    /// CREATE ... that leaves an existing object alone.
    QString statement;
    /// A table a recount empties; the others hold facts about the statistics as a whole.
    bool counted = false;
    /// An index of the places, which a ranking of many players builds again.
    bool ofPlaces = false;
};

/// The unique index on Nom: one row per spelling, and with the key table one per player. A
/// SQLite database that holds rows whose names fold alike receives it only once they are merged.
inline const QString nomIndex = QStringLiteral("StatsNom");

/// Every object in the order of creation, the index on Nom last.
std::vector<Object> objects(Engine engine);
/// The statement that creates the object called \a name.
QString statement(Engine engine, const QString &name);
/// The names of the objects of \a kind (on SQLite; a server has one table more).
QStringList names(Kind kind);
/// The statements of every index.
QStringList indexStatements(Engine engine);
/// The indexes of the places.
QStringList placeIndexes();
/// The tables a recount empties.
QStringList countedTables(Engine engine);
/// What the ranking is read from: table Stats and its views.
QStringList rankingSources();

} // namespace StoreSchema
