// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/staticexport.h"

#include "stats/store/datastats.h"
#include "stats/store/statscolumns.h"
#include "stats/web/rankingsite.h"
#include "stats/web/webpages.h"
#include "stats/web/webtexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

using Ranking = DataStats::Ranking;
using From = DataStats::PageRequest::From;

const QString playerFolder = QStringLiteral("player");
// The list's first line; a set written before sets listed their files has a marker instead.
const QByteArray listHeading = "# Written by tolvane --html: the files listed below are its own, "
                               "and its next run replaces them.\n"
                               "# Nothing else in this folder is touched.\n";
const QByteArray markerText = "Written by tolvane --html";

QString pageFile(Ranking order, int number)
{
    if (order == Ranking::Places)
        return number == 1 ? QStringLiteral("index.html")
                           : QStringLiteral("places-%1.html").arg(number);
    return QStringLiteral("kills-%1.html").arg(number);
}

/// Whether \a name is one the set could have written: nothing else is ever replaced or removed.
bool ownName(const QString &name)
{
    static const QRegularExpression own(
        QStringLiteral(R"(^(index\.html|style\.css|(places|kills)-[1-9][0-9]{0,8}\.html)"
                       R"(|player/[1-9][0-9]{0,17}\.html)$)"));
    return own.match(name).hasMatch();
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString reasonOf(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

/// What has the name \a path, a link not followed: 0 for nothing, else its st_mode.
mode_t kindOf(const QString &path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode : 0;
}

/// Writes \a content into the new file \a path; a failure names the file as \a named.
Result<> writeFile(const QString &path, const QByteArray &content, const QString &named)
{
    auto failed = [&named](int error) {
        return Result<>::failure(
            QStringLiteral("cannot write %1: %2").arg(shown(named), reasonOf(error)));
    };
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return failed(errno);
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t written =
            ::write(fd, content.constData() + done, std::size_t(content.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            ::close(fd);
            return failed(error);
        }
        done += written;
    }
    // Some file systems say only when the file is closed that the disk is full.
    if (::close(fd) != 0)
        return failed(errno);
    return {};
}

Result<> makeFolder(const QString &path, mode_t mode)
{
    if (::mkdir(QFile::encodeName(path).constData(), mode) == 0 || S_ISDIR(kindOf(path)))
        return {};
    return Result<>::failure(
        QStringLiteral("cannot create the folder %1: %2").arg(shown(path), reasonOf(errno)));
}

/// Makes the folder \a path and those above it that are missing.
Result<> makePath(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (S_ISDIR(kindOf(absolute)))
        return {};
    const qsizetype slash = absolute.lastIndexOf(QLatin1Char('/'));
    if (slash > 0)
        if (const Result<> made = makePath(absolute.left(slash)); !made)
            return made;
    return makeFolder(absolute, 0777);
}

/// Puts the file or folder \a from in the place of \a to, replacing a file of that name.
Result<> moveInPlace(const QString &from, const QString &to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return {};
    return Result<>::failure(
        QStringLiteral("cannot put %1 in place: %2").arg(shown(to), reasonOf(errno)));
}

/// Syncs the folder \a path itself, or with \a everything the whole file system it lies on.
Result<> sync(const QString &path, bool everything)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Result<>::failure(
            QStringLiteral("cannot open %1: %2").arg(shown(path), reasonOf(errno)));
    const int synced = everything ? ::syncfs(fd) : ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (synced != 0)
        return Result<>::failure(
            QStringLiteral("cannot sync %1: %2").arg(shown(path), reasonOf(error)));
    return {};
}

QByteArray listOf(const QStringList &names)
{
    QStringList sorted = names;
    sorted.sort();
    sorted.removeDuplicates();
    return listHeading + sorted.join(QLatin1Char('\n')).toUtf8() + '\n';
}

/// The files of the set written earlier into \a folder, as its list names them.
Result<QSet<QString>> earlierSet(const QString &folder)
{
    const QString path = folder + QLatin1Char('/') + StaticExport::listName();
    const mode_t kind = kindOf(path);
    if (kind == 0)
        return QSet<QString>();
    QFile file(path);
    if (!S_ISREG(kind) || !file.open(QIODevice::ReadOnly))
        return Result<QSet<QString>>::failure(
            QStringLiteral("cannot read %1: %2")
                .arg(shown(path), S_ISREG(kind) ? file.errorString() : reasonOf(EISDIR)));
    const QByteArray text = file.readAll();
    QSet<QString> names;
    if (text.startsWith(markerText)) {
        // Such a set replaced its whole folder, so the files it wrote are those of its names.
        for (const QString &under : {QString(), playerFolder + QLatin1Char('/')})
            for (const QString &name : QDir(folder + QLatin1Char('/') + under)
                                           .entryList(QDir::Files | QDir::Hidden | QDir::System))
                if (ownName(under + name))
                    names.insert(under + name);
        return names;
    }
    for (const QByteArray &line : text.split('\n')) {
        const QString name = QString::fromUtf8(line.trimmed());
        if (ownName(name))
            names.insert(name);
    }
    return names;
}

} // namespace

QString StaticExport::listName()
{
    return QStringLiteral(".tolvane-html");
}

StaticExport::StaticExport(DataStats &store) : m_store(store) { }

Result<int> StaticExport::write(const QString &folder)
{
    auto failure = [](auto why) {
        return Result<int>::failure(std::move(why));
    };
    QFileInfo target(folder);
    // A link to the set's folder stays a link: the folder it leads to is the one written.
    if (target.isSymLink() && target.exists())
        target = QFileInfo(target.canonicalFilePath());
    const QString into = target.absoluteFilePath();
    const bool existed = kindOf(into) != 0;
    if (existed && !target.isDir())
        return failure(QStringLiteral("%1 is not a folder").arg(shown(folder)));
    const QString parent = target.absolutePath();
    if (const Result<> made = makePath(parent); !made)
        return failure(made.failure());

    // Everything is read before anything is written.
    const Result<qint64> players = m_store.lastPlace();
    if (!players)
        return failure(players.failure());
    const Result<std::optional<QDateTime>> updated = m_store.lastUpdate();
    if (!updated)
        return failure(updated.failure());
    struct Order
    {
        Ranking order;
        std::vector<DataStats::RankingPage> pages;
    };
    Order orders[] = {{Ranking::Places, {}}, {Ranking::Kills, {}}};
    for (Order &order : orders) {
        DataStats::PageRequest request;
        request.order = order.order;
        request.size = RankingSite::pageSize;
        while (int(order.pages.size()) < pagesPerOrder) {
            Result<DataStats::RankingPage> page = m_store.rankingPage(request);
            if (!page)
                return failure(page.failure());
            if (page->rows.empty())
                break;
            order.pages.push_back(std::move(page).value());
            if (!order.pages.back().hasAfter)
                break;
            request.from = From::After;
            request.key = order.pages.back().rows.back().key();
        }
    }
    std::vector<DataStats::PlayerStanding> best;
    QHash<qint64, bool> hasPage;
    for (const DataStats::RankingPage &page : orders[0].pages) {
        for (const DataStats::PlayerRow &row : page.rows) {
            if (row.id <= 0 || int(best.size()) >= playerPages)
                continue;
            const auto standing = m_store.player(row.id);
            if (!standing)
                return failure(standing.failure());
            if (*standing) {
                best.push_back(**standing);
                hasPage.insert(row.id, true);
            }
        }
    }

    // An empty ranking still has the first page of each order, which says so.
    for (Order &order : orders)
        if (order.pages.empty())
            order.pages.emplace_back();

    // The set's names, in the order they are put in place: what a page links to comes first,
    // the way in last.
    QStringList names {QStringLiteral("style.css")};
    for (const DataStats::PlayerStanding &standing : best)
        names << QStringLiteral("player/%1.html").arg(standing.row.id);
    for (const Order *order : {&orders[1], &orders[0]})
        for (int n = int(order->pages.size()); n >= 1; --n)
            names << pageFile(order->order, n);

    // Nothing is written over a file the earlier sets did not write.
    QSet<QString> earlier;
    if (existed) {
        const Result<QSet<QString>> listed = earlierSet(into);
        if (!listed)
            return failure(listed.failure());
        earlier = *listed;
        auto refused = [&](const QString &name) {
            return failure(QStringLiteral("%1 was not written by tolvane --html; move it away or "
                                          "give another folder")
                               .arg(shown(into + QLatin1Char('/') + name)));
        };
        const mode_t players = kindOf(into + QLatin1Char('/') + playerFolder);
        if (players != 0 && !S_ISDIR(players))
            return refused(playerFolder);
        for (const QString &name : names)
            if (!earlier.contains(name) && kindOf(into + QLatin1Char('/') + name) != 0)
                return refused(name);
    }

    // A new folder is made beside its place and takes its name at once; in a folder that
    // exists, the new files wait in a hidden folder inside it, on the same file system.
    QTemporaryDir staging(existed
                              ? into + QLatin1Char('/') + listName() + QStringLiteral(".new-XXXXXX")
                              : parent + QStringLiteral("/.") + target.fileName()
                                  + QStringLiteral(".new-XXXXXX"));
    if (!staging.isValid())
        return failure(QStringLiteral("cannot create a folder in %1: %2")
                           .arg(shown(existed ? into : parent), staging.errorString()));
    const QDir out(staging.path());
    // Readable by the web server that serves it, as a folder made by hand would be.
    if (!existed)
        ::chmod(QFile::encodeName(staging.path()).constData(), 0755);
    if (const Result<> made = makeFolder(out.filePath(playerFolder), 0755); !made)
        return failure(made.failure());

    int files = 0;
    auto put = [&](const QString &name, const QByteArray &content) {
        const Result<> written =
            writeFile(out.filePath(name), content, into + QLatin1Char('/') + name);
        if (written)
            ++files;
        return written;
    };
    for (const Order &order : orders) {
        const int count = int(order.pages.size());
        for (int n = 1; n <= count; ++n) {
            const DataStats::RankingPage &page = order.pages[std::size_t(n - 1)];
            RankingView view;
            view.order = order.order;
            view.column = order.order == Ranking::Kills ? StatsColumns::Kills : StatsColumns::Place;
            view.page = &page;
            for (const DataStats::PlayerRow &row : page.rows)
                view.playerHrefs.push_back(hasPage.contains(row.id)
                                               ? QStringLiteral("player/%1.html").arg(row.id)
                                               : QString());
            view.players = *players;
            view.updated = *updated;
            view.placesHref = pageFile(Ranking::Places, 1);
            view.killsHref = pageFile(Ranking::Kills, 1);
            const bool more = n < count;
            view.first = {WebTexts::firstPage(), n > 1 ? pageFile(order.order, 1) : QString()};
            view.previous = {WebTexts::previousPage(),
                             n > 1 ? pageFile(order.order, n - 1) : QString()};
            view.next = {WebTexts::nextPage(), more ? pageFile(order.order, n + 1) : QString()};
            view.last = {WebTexts::lastPage(), more ? pageFile(order.order, count) : QString()};
            for (int m = 1; m <= count; ++m)
                view.numbered.push_back(
                    {QString::number(m), m == n ? QString() : pageFile(order.order, m)});
            view.pageNumber = n;
            view.pageCount = count;
            view.styleHref = QStringLiteral("style.css");
            if (const Result<> written = put(pageFile(order.order, n), WebPages::ranking(view));
                !written)
                return failure(written.failure());
        }
    }
    const int killsPages = int(orders[1].pages.size());
    for (const DataStats::PlayerStanding &standing : best) {
        PlayerView view;
        view.standing = &standing;
        view.players = *players;
        view.updated = *updated;
        view.rankingHref = QStringLiteral("../index.html");
        view.styleHref = QStringLiteral("../style.css");
        const auto placesPage = int((standing.row.place - 1) / RankingSite::pageSize + 1);
        const auto killsPage = int((standing.killsPlace - 1) / RankingSite::pageSize + 1);
        if (standing.row.place > 0 && placesPage <= int(orders[0].pages.size()))
            view.placesHref = QStringLiteral("../") + pageFile(Ranking::Places, placesPage);
        if (standing.killsPlace > 0 && killsPage <= killsPages)
            view.killsHref = QStringLiteral("../") + pageFile(Ranking::Kills, killsPage);
        if (const Result<> written =
                put(QStringLiteral("player/%1.html").arg(standing.row.id), WebPages::player(view));
            !written)
            return failure(written.failure());
    }
    if (const Result<> written = put(QStringLiteral("style.css"), WebPages::styleSheet()); !written)
        return failure(written.failure());
    if (const Result<> written = put(listName(), listOf(names)); !written)
        return failure(written.failure());
    // Until the new set is whole, the list names both sets: a run cut short leaves no file of
    // either that the next run would take for someone else's.
    const QString bothLists = out.filePath(QStringLiteral("both"));
    if (existed)
        if (const Result<> written = writeFile(bothLists, listOf(names + earlier.values()),
                                               into + QLatin1Char('/') + listName());
            !written)
            return failure(written.failure());
    // The files reach the disk before they take their names.
    if (const Result<> synced = sync(staging.path(), true); !synced)
        return failure(synced.failure());

    if (!existed) {
        if (const Result<> moved = moveInPlace(staging.path(), into); !moved)
            return failure(moved.failure());
        staging.setAutoRemove(false);
        if (const Result<> synced = sync(parent, false); !synced)
            return failure(synced.failure());
        return files;
    }

    const QString list = into + QLatin1Char('/') + listName();
    if (const Result<> moved = moveInPlace(bothLists, list); !moved)
        return failure(moved.failure());
    if (const Result<> synced = sync(into, false); !synced)
        return failure(synced.failure());
    // The players' folder, if new, as open to the web server as the folder it is in.
    if (const Result<> made =
            makeFolder(into + QLatin1Char('/') + playerFolder, kindOf(into) & 07777);
        !made)
        return failure(made.failure());
    for (const QString &name : names)
        if (const Result<> moved = moveInPlace(out.filePath(name), into + QLatin1Char('/') + name);
            !moved)
            return failure(moved.failure());
    // The pages that left the set go once nothing of the new set links to them; one that
    // cannot go stays listed, to be removed by the next run.
    const QSet<QString> current(names.begin(), names.end());
    QStringList kept;
    for (const QString &name : std::as_const(earlier)) {
        if (current.contains(name))
            continue;
        const QString path = into + QLatin1Char('/') + name;
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
            kept << name;
    }
    if (!kept.isEmpty()) {
        QFile::remove(out.filePath(listName()));
        if (const Result<> written = writeFile(out.filePath(listName()), listOf(names + kept),
                                               into + QLatin1Char('/') + listName());
            !written)
            return failure(written.failure());
    }
    if (const Result<> moved = moveInPlace(out.filePath(listName()), list); !moved)
        return failure(moved.failure());
    for (const QString &synced : {into, into + QLatin1Char('/') + playerFolder})
        if (const Result<> done = sync(synced, false); !done)
            return failure(done.failure());
    return files;
}
