#include "stats/web/staticexport.h"

#include "stats/store/datastats.h"
#include "stats/web/rankingsite.h"
#include "stats/web/webpages.h"
#include "stats/web/webtexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Ranking = DataStats::Ranking;
using From = DataStats::PageRequest::From;

QString pageFile(Ranking order, int number)
{
    if (order == Ranking::Places)
        return number == 1 ? QStringLiteral("index.html")
                           : QStringLiteral("places-%1.html").arg(number);
    return QStringLiteral("kills-%1.html").arg(number);
}

Result<> writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.flush())
        return Result<>::failure(QStringLiteral("cannot write %1: %2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString()));
    return {};
}

/// Syncs the folder \a path itself, or with \a everything the whole file system it lies on.
Result<> sync(const QString &path, bool everything)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return Result<>::failure(QStringLiteral("cannot open %1: %2")
                                     .arg(path, QString::fromLocal8Bit(strerror(errno))));
    const int synced = everything ? ::syncfs(fd) : ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (synced != 0)
        return Result<>::failure(QStringLiteral("cannot sync %1: %2")
                                     .arg(path, QString::fromLocal8Bit(strerror(error))));
    return {};
}

/// Puts the folder \a from in the place of the folder \a to, which goes to \a from's name.
Result<> exchange(const QString &from, const QString &to)
{
    const QByteArray fromName = QFile::encodeName(from);
    const QByteArray toName = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, fromName.constData(), AT_FDCWD, toName.constData(), RENAME_EXCHANGE)
        == 0)
        return {};
    const int error = errno;
    auto failed = [&](int why) {
        return Result<>::failure(
            QStringLiteral("cannot put the new set in place of %1: %2")
                .arg(QDir::toNativeSeparators(to), QString::fromLocal8Bit(strerror(why))));
    };
    if (error != EINVAL && error != ENOSYS)
        return failed(error);
    // A file system that cannot exchange two names: two renames, a moment apart.
    const QByteArray aside = fromName + ".old";
    if (::rename(toName.constData(), aside.constData()) != 0)
        return failed(errno);
    if (::rename(fromName.constData(), toName.constData()) != 0) {
        const int why = errno;
        ::rename(aside.constData(), toName.constData());
        return failed(why);
    }
    ::rename(aside.constData(), fromName.constData());
    return {};
}

} // namespace

QString StaticExport::markerName()
{
    return QStringLiteral(".tolvane-html");
}

StaticExport::StaticExport(DataStats &store) : m_store(store) { }

Result<int> StaticExport::write(const QString &folder)
{
    auto failure = [](const QString &reason) {
        return Result<int>::failure(reason);
    };
    QFileInfo target(folder);
    const QString shown = QDir::toNativeSeparators(folder);
    // A link to the set's folder stays a link: the folder it leads to is the one replaced.
    if (target.isSymLink() && target.exists())
        target = QFileInfo(target.canonicalFilePath());
    const bool existed = target.exists();
    if (existed) {
        if (!target.isDir())
            return failure(QStringLiteral("%1 is not a folder").arg(shown));
        const QDir previous(target.absoluteFilePath());
        if (!previous.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
            && !previous.exists(markerName()))
            return failure(QStringLiteral("%1 holds other files than a ranking written by "
                                          "tolvane --html; give a new or empty folder")
                               .arg(shown));
    }
    const QString parent = target.absolutePath();
    if (!QDir().mkpath(parent))
        return failure(QStringLiteral("cannot create the folder %1").arg(parent));

    // Everything is read before anything is written.
    const Result<qint64> players = m_store.lastPlace();
    if (!players)
        return failure(players.reason());
    const Result<std::optional<QDateTime>> updated = m_store.lastUpdate();
    if (!updated)
        return failure(updated.reason());
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
                return failure(page.reason());
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
                return failure(standing.reason());
            if (*standing) {
                best.push_back(**standing);
                hasPage.insert(row.id, true);
            }
        }
    }

    QTemporaryDir staging(parent + QStringLiteral("/.") + target.fileName()
                          + QStringLiteral(".new-XXXXXX"));
    if (!staging.isValid())
        return failure(QStringLiteral("cannot create a folder beside %1: %2")
                           .arg(shown, staging.errorString()));
    const QDir out(staging.path());
    if (!out.mkdir(QStringLiteral("player")))
        return failure(QStringLiteral("cannot create a folder in %1").arg(staging.path()));
    // Readable by the web server that serves it, as the previous set was.
    const QFileDevice::Permissions permissions = existed
        ? QFile::permissions(target.absoluteFilePath())
        : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
            | QFileDevice::ExeOther;
    QFile::setPermissions(staging.path(), permissions);
    QFile::setPermissions(out.filePath(QStringLiteral("player")), permissions);

    int files = 0;
    auto put = [&](const QString &name, const QByteArray &content) {
        const Result<> written = writeFile(out.filePath(name), content);
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
                return failure(written.reason());
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
            return failure(written.reason());
    }
    for (const auto &[name, content] :
         {std::pair {QStringLiteral("style.css"), WebPages::styleSheet()},
          std::pair {markerName(),
                     QByteArrayLiteral("Written by tolvane --html: the next run replaces this "
                                       "whole folder.\n")}}) {
        if (const Result<> written = put(name, content); !written)
            return failure(written.reason());
    }
    // The files reach the disk before their folder takes the set's name.
    if (const Result<> synced = sync(staging.path(), true); !synced)
        return failure(synced.reason());
    if (existed) {
        // The old set goes with the temporary folder, whose name it takes.
        if (const Result<> swapped = exchange(staging.path(), target.absoluteFilePath()); !swapped)
            return failure(swapped.reason());
    } else {
        if (!QDir().rename(staging.path(), target.absoluteFilePath()))
            return failure(QStringLiteral("cannot put the new set in place at %1").arg(shown));
        staging.setAutoRemove(false);
    }
    if (const Result<> synced = sync(parent, false); !synced)
        return failure(synced.reason());
    return files;
}
