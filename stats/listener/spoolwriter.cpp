#include "stats/listener/spoolwriter.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>

namespace {

// The end of a file that holds its last line whatever a server writes into it.
constexpr qint64 tailSize = 4096;

QRegularExpression spoolName(const QString &server = {})
{
    const QString who =
        server.isEmpty() ? QStringLiteral(".+_\\d+") : QRegularExpression::escape(server);
    return QRegularExpression(QStringLiteral("^L%1_(\\d+)\\.log$").arg(who));
}

QByteArray closingLine()
{
    return QDateTime::currentDateTime()
        .toString(QStringLiteral("'L 'MM/dd/yyyy' - 'hh:mm:ss': Log file closed'"))
        .toLatin1();
}

QString failure(const QFile &file, const QString &what)
{
    return QStringLiteral("cannot %1 %2: %3")
        .arg(what, QDir::toNativeSeparators(file.fileName()), file.errorString());
}

} // namespace

SpoolWriter::SpoolWriter(QString folder, std::function<bool(QByteArrayView)> closesLog)
    : m_folder(std::move(folder)), m_closesLog(std::move(closesLog))
{ }

SpoolWriter::~SpoolWriter() = default;

QString SpoolWriter::serverName(const QHostAddress &address, quint16 port)
{
    QString name = address.toString();
    name.replace(QLatin1Char(':'), QLatin1Char('-'));
    return name + QLatin1Char('_') + QString::number(port);
}

Result<QStringList> SpoolWriter::closeLeftovers()
{
    QStringList closed;
    const QRegularExpression ours = spoolName();
    const QStringList names = QDir(m_folder).entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (!ours.match(name).hasMatch())
            continue;
        QFile file(QDir(m_folder).filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return Result<QStringList>::failure(failure(file, QStringLiteral("open")));
        const qint64 size = file.size();
        QByteArray tail;
        if (size > 0) {
            if (!file.seek(std::max<qint64>(0, size - tailSize)))
                return Result<QStringList>::failure(failure(file, QStringLiteral("read")));
            tail = file.read(tailSize);
        }
        if (tail.size() != std::min(size, tailSize))
            return Result<QStringList>::failure(failure(file, QStringLiteral("read")));
        if (!tail.isEmpty() && m_closesLog(tail))
            continue;
        Open leftover;
        leftover.size = size;
        leftover.file = std::make_unique<QFile>(file.fileName());
        file.close();
        if (!leftover.file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return Result<QStringList>::failure(failure(*leftover.file, QStringLiteral("open")));
        // A line cut short by a crash stays a line of its own, which the count skips.
        if (!tail.isEmpty() && !tail.endsWith('\n') && !tail.endsWith('\r')) {
            if (const Result<> ended = write(leftover, {}); !ended)
                return Result<QStringList>::failure(ended.reason());
        }
        if (const Result<> done = close(leftover); !done)
            return Result<QStringList>::failure(done.reason());
        closed << name;
    }
    return closed;
}

int SpoolWriter::largestSequence(const QString &server) const
{
    int largest = 0;
    const QRegularExpression ours = spoolName(server);
    const QStringList names = QDir(m_folder).entryList(
        {QStringLiteral("L") + server + QStringLiteral("_*.log")}, QDir::Files);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = ours.match(name);
        if (match.hasMatch())
            largest = std::max(largest, match.captured(1).toInt());
    }
    return largest;
}

Result<SpoolWriter::Open> SpoolWriter::open(const QString &server)
{
    // The count deletes finished files: the sequence this writer used is kept as well.
    int sequence = std::max(m_sequence[server], largestSequence(server));
    Open open;
    open.file = std::make_unique<QFile>();
    for (int attempt = 0; attempt < 100; ++attempt) {
        ++sequence;
        open.file->setFileName(QDir(m_folder).filePath(
            QStringLiteral("L%1_%2.log").arg(server).arg(sequence, 6, 10, QLatin1Char('0'))));
        if (open.file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered
                            | QIODevice::NewOnly)) {
            m_sequence[server] = sequence;
            return open;
        }
        if (!open.file->exists())
            break;
    }
    return Result<Open>::failure(failure(*open.file, QStringLiteral("create")));
}

Result<> SpoolWriter::write(Open &open, QByteArrayView line)
{
    m_buffer.clear();
    m_buffer.append(line);
    m_buffer.append('\n');
    if (open.file->write(m_buffer) != m_buffer.size()) {
        const QString reason = failure(*open.file, QStringLiteral("write to"));
        // Whatever part of the line went out would join the next line: it goes.
        open.file->resize(open.size);
        return Result<>::failure(reason);
    }
    open.size += m_buffer.size();
    return {};
}

Result<> SpoolWriter::append(const QString &server, QByteArrayView line, Clock::time_point now)
{
    auto it = m_open.find(server);
    if (it == m_open.end()) {
        Result<Open> opened = open(server);
        if (!opened)
            return Result<>::failure(opened.reason());
        it = m_open.emplace(server, std::move(opened).value()).first;
    }
    if (const Result<> written = write(it->second, line); !written)
        return written;
    it->second.lastLine = now;
    if (m_closesLog(line))
        m_open.erase(it);
    return {};
}

Result<> SpoolWriter::close(Open &open)
{
    const Result<> written = write(open, closingLine());
    open.file->close();
    return written;
}

Result<QStringList> SpoolWriter::closeWhere(const std::function<bool(const Open &)> &which)
{
    QStringList closed;
    QString failed;
    for (auto it = m_open.begin(); it != m_open.end();) {
        if (!which(it->second)) {
            ++it;
            continue;
        }
        closed << QFileInfo(it->second.file->fileName()).fileName();
        if (const Result<> done = close(it->second); !done && failed.isEmpty())
            failed = done.reason();
        it = m_open.erase(it);
    }
    if (!failed.isEmpty())
        return Result<QStringList>::failure(failed);
    return closed;
}

Result<QStringList> SpoolWriter::closeIdle(Clock::time_point now, Clock::duration silence)
{
    return closeWhere([&](const Open &open) { return now - open.lastLine >= silence; });
}

Result<QStringList> SpoolWriter::closeAll()
{
    return closeWhere([](const Open &) { return true; });
}
