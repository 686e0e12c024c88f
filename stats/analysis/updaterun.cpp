#include "updaterun.h"

#include "datastats.h"
#include "eventaccumulator.h"
#include "logparser.h"
#include "logtext.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

// Enough of a file's start to tell it from a later file of the same name: its first line
// carries the time the server opened it.
constexpr qsizetype headSize = 4096;

QByteArray digest(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

bool isLogFileName(const QString &name)
{
    return name.size() >= 5 && name.startsWith(QLatin1Char('L'), Qt::CaseInsensitive)
        && name.endsWith(QLatin1String(".log"), Qt::CaseInsensitive);
}

QByteArrayView withoutApostrophes(QByteArrayView line, QByteArray &buffer)
{
    if (!line.contains('\''))
        return line;
    buffer.clear();
    for (const char c : line) {
        if (c != '\'')
            buffer.append(c);
    }
    return buffer;
}

} // namespace

UpdateRun::UpdateRun(DataStats &store, QString logFolder)
    : m_store(store), m_logFolder(std::move(logFolder))
{ }

bool UpdateRun::run(UpdateObserver *observer)
{
    QElapsedTimer clock;
    clock.start();
    m_summary = {};
    m_error.clear();
    m_store.closeRecordSets();

    auto fail = [this](const QString &reason) {
        m_error = reason;
        return false;
    };

    const QDir folder(m_logFolder);
    if (m_logFolder.isEmpty() || !folder.exists())
        return fail(QStringLiteral("the log folder %1 does not exist")
                        .arg(QDir::toNativeSeparators(m_logFolder)));

    QFileInfoList files;
    const QFileInfoList entries =
        folder.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (isLogFileName(entry.fileName()))
            files.append(entry);
    }

    EventAccumulator accumulator(m_store);
    if (!accumulator.load())
        return fail(m_store.errorString());

    const int total = int(files.size());
    for (int i = 0; i < total; ++i) {
        ++m_summary.files;
        if (!countFile(files.at(i), i + 1, total, accumulator, observer))
            return false;
    }

    if (!m_store.rankPlayers())
        return fail(m_store.errorString());
    m_summary.players = m_store.rowCount();
    m_summary.seconds = double(clock.nsecsElapsed()) / 1e9;
    return true;
}

bool UpdateRun::countFile(const QFileInfo &info, int number, int total,
                          EventAccumulator &accumulator, UpdateObserver *observer)
{
    const QString path = info.absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read %1: %2").arg(shown, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(file.size());
    if (file.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("cannot read %1: %2").arg(shown, file.errorString());
        return false;
    }
    file.close();

    const QString key = info.canonicalFilePath();
    const auto progress = m_store.fileProgress(key);
    if (!progress) {
        m_error = m_store.errorString();
        return false;
    }
    const LogText text(bytes);
    const bool closed = text.isClosed();
    const qsizetype end = text.countableEnd();
    qsizetype start = 0;
    if (progress->offset > 0 && progress->offset <= end && progress->headLength <= bytes.size()
        && digest(QByteArrayView(bytes).first(progress->headLength)) == progress->headDigest)
        start = progress->offset;

    if (observer)
        observer->fileStarted(number, total, LogText::lineCount(bytes, start, end) - 1);

    if (!m_store.beginTransaction()) {
        m_error = m_store.errorString();
        return false;
    }
    accumulator.forgetRawNames();
    auto decode = [&text](QByteArrayView name) {
        return text.decode(name);
    };
    QByteArray buffer;
    qint64 index = 0;
    LogText::forEachLine(bytes, start, end, [&](QByteArrayView line) {
        if (observer)
            observer->lineProcessed(index);
        ++index;
        const auto event = parseLogLineBytes(withoutApostrophes(line, buffer));
        if (!event) {
            ++m_summary.malformed;
        } else if (!event->isEmpty()) {
            ++m_summary.events;
            accumulator.accumulateRaw(*event, decode);
        }
    });
    m_summary.lines += index;

    const qsizetype headLength = std::min(end, headSize);
    const DataStats::FileProgress counted {end, digest(QByteArrayView(bytes).first(headLength)),
                                           headLength};
    if (!accumulator.flush() || !m_store.setFileProgress(key, counted) || !m_store.commit()) {
        m_error = m_store.errorString();
        m_store.rollback();
        return false;
    }

    // Only now that the counts are safely stored may the file go; a server still writing into
    // it would otherwise lose every later line into a deleted file.
    if (closed) {
        QFile counted(path);
        if (!counted.remove()) {
            m_error = QStringLiteral("cannot delete %1: %2").arg(shown, counted.errorString());
            return false;
        }
        ++m_summary.filesDeleted;
        m_store.removeFileProgress(key);
    }
    return true;
}
