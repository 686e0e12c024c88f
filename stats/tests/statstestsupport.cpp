#include "stats/tests/statstestsupport.h"

#include "stats/store/datastats.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>

namespace StatsTest {

QByteArray stamp(int second)
{
    return QStringLiteral("L 08/05/2013 - 20:%1:%2: ")
        .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(second % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray kill(const QByteArray &killer, const QByteArray &victim, const QByteArray &weapon)
{
    return stamp() + '"' + killer + "<2><STEAM_0:1:2><CT>\" killed \"" + victim
        + "<3><BOT><TERRORIST>\" with \"" + weapon + '"';
}

QByteArray suicide(const QByteArray &player)
{
    return stamp() + '"' + player + "<4><BOT><CT>\" committed suicide with \"world\"";
}

QByteArray triggered(const QByteArray &player, const QByteArray &event)
{
    return stamp() + '"' + player + "<5><STEAM_0:0:5><CT>\" triggered \"" + event + '"';
}

QByteArray started()
{
    return stamp() + "Log file started (file \"logs/L0805064.log\") (game \"cstrike\")";
}

QByteArray closed()
{
    return stamp(59) + "Log file closed";
}

QByteArray log(const QList<QByteArray> &lines, const QByteArray &lineEnd)
{
    QByteArray text = started() + lineEnd;
    for (const QByteArray &line : lines)
        text += line + lineEnd;
    return text + closed() + lineEnd;
}

QVariantMap row(DataStats &store, const QString &nom)
{
    QSqlQuery query(store.database());
    query.prepare(QStringLiteral("SELECT * FROM Stats WHERE Nom = ?"));
    query.addBindValue(nom);
    QVariantMap values;
    if (query.exec() && query.next()) {
        const QSqlRecord record = query.record();
        for (int c = 0; c < record.count(); ++c)
            values.insert(record.fieldName(c), query.value(c));
    }
    return values;
}

QMap<QString, QStringList> table(DataStats &store)
{
    QSqlQuery query(store.database());
    QMap<QString, QStringList> rows;
    query.exec(QStringLiteral("SELECT * FROM Stats"));
    while (query.next()) {
        QStringList values;
        for (int c = 0; c < query.record().count(); ++c)
            values << query.value(c).toString();
        rows.insert(query.value(1).toString(), values);
    }
    return rows;
}

int rowCount(DataStats &store)
{
    const Result<int> rows = store.rowCount();
    return rows ? *rows : -1;
}

} // namespace StatsTest
