// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/frenchreasons.h"
#include "platform/files/windows1252.h"
#include "platform/testsupport/testfiles.h"
#include "stats/analysis/logfilereader.h"
#include "stats/analysis/logtext.h"

#include <QFile>
#include <QTemporaryDir>

#include <QTest>

class TestLogText : public QObject
{
    Q_OBJECT

private slots:
    void splitsEveryLineEnd_data();
    void splitsEveryLineEnd();
    void findsTheCountableEnd_data();
    void findsTheCountableEnd();
    void choosesTheEncoding_data();
    void choosesTheEncoding();
    void dropsApostrophes_data();
    void dropsApostrophes();
    void readsBigFilesInWholeLines_data();
    void readsBigFilesInWholeLines();
};

void TestLogText::splitsEveryLineEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList {"a", "b"};
    QTest::newRow("LF alone") << QByteArray("a\nb\n") << QStringList {"a", "b"};
    QTest::newRow("CR alone") << QByteArray("a\rb\r") << QStringList {"a", "b"};
    QTest::newRow("mixed, no end")
        << QByteArray("a\r\nb\nc\rd") << QStringList {"a", "b", "c", "d"};
    QTest::newRow("empty lines kept")
        << QByteArray("a\n\nb\r\r\n") << QStringList {"a", "", "b", ""};
    QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList {"a", "", "b"};
    QTest::newRow("empty") << QByteArray() << QStringList {};
    // Lines are looked for sixteen bytes at a time: ends at every place of such a block.
    QByteArray bytes;
    QStringList lines;
    for (int length = 0; length <= 40; ++length) {
        lines << QString(length, QLatin1Char('a' + length % 26));
        bytes += lines.last().toLatin1() + (length % 3 == 0 ? "\r\n" : "\n");
    }
    lines << QString(20, QLatin1Char('z'));
    bytes += lines.last().toLatin1();
    QTest::newRow("lines of every length up to 40, the last without end") << bytes << lines;
}

void TestLogText::splitsEveryLineEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QStringList seen;
    LogText::forEachLine(bytes, [&seen](QByteArrayView line) { seen << QString::fromUtf8(line); });
    QCOMPARE(seen, lines);
    QCOMPARE(LogText::lineCount(bytes), lines.size());
}

void TestLogText::findsTheCountableEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("cutTo"); // the size the file is cut to once open, or -1
    const QByteArray closedLine = "L 08/05/2013 - 21:25:40: Log file closed";
    QTest::newRow("closed with line end") << "x\n" + closedLine + "\n" << true << 43 << -1;
    QTest::newRow("closed without line end") << "x\n" + closedLine << true << 42 << -1;
    QTest::newRow("closed, blank lines after") << "x\r\n" + closedLine + "\r\n\r\n"
                                               << true << 47 << -1;
    QTest::newRow("live, partial last line") << QByteArray("a\r\nb\r\npart") << false << 6 << -1;
    QTest::newRow("live, complete lines") << QByteArray("a\nb\n") << false << 4 << -1;
    QTest::newRow("live, nothing complete") << QByteArray("partial") << false << 0 << -1;
    QTest::newRow("chat quoting the words")
        << QByteArray("\"A<1><><CT>\" say \"Log file closed\"\n") << false << 35 << -1;
    // A server's log rotated by copying and emptying it, under the reader's feet.
    QTest::newRow("cut short while read") << QByteArray("a\nb\nc\n") << false << 6 << 2;
}

void TestLogText::findsTheCountableEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closed);
    QFETCH(int, end);
    QFETCH(int, cutTo);
    QTemporaryDir dir;
    QVERIFY(TestFiles::write(dir.filePath("L1.log"), bytes));
    LogFileReader reader(dir.filePath("L1.log"));
    QVERIFY(reader.open());
    QCOMPARE(reader.isClosed(), closed);
    QCOMPARE(reader.countableEnd(), qint64(end));
    if (cutTo >= 0)
        QVERIFY(QFile::resize(dir.filePath("L1.log"), cutTo));
    QByteArray joined;
    const bool read = reader.forEachBlock(
        0, [&joined](QByteArrayView block) { joined += block; }, [] { QFAIL("no line is long"); });
    if (cutTo >= 0) {
        // Nothing of a file cut short is counted, and the user is told why in French.
        QVERIFY(!read);
        QVERIFY(joined.isEmpty());
        QCOMPARE(FrenchReasons::cause(reader.failure()),
                 QStringLiteral("le fichier a raccourci pendant sa lecture"));
        return;
    }
    QVERIFY(read);
    QCOMPARE(joined, bytes.first(end));
}

void TestLogText::choosesTheEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("ascii") << QByteArray("Blah") << true << "Blah";
    QTest::newRow("utf-8") << QByteArray("\xc3\x89lodie \xd0\x94") << true << "Élodie Д";
    QTest::newRow("windows-1252") << QByteArray("\xc9lodie \x80\x9c") << false << "Élodie €œ";
    QTest::newRow("overlong utf-8 is not utf-8") << QByteArray("\xc0\xaf") << false << "À¯";
    QTest::newRow("surrogate is not utf-8") << QByteArray("\xed\xa0\x80") << false << "í\u00a0€";
    QTest::newRow("truncated sequence") << QByteArray("abc\xe2\x82") << false << "abcâ‚";
    QTest::newRow("long ascii run then utf-8")
        << QByteArray("0123456789abcdef\xe2\x82\xac") << true << "0123456789abcdef€";
}

void TestLogText::choosesTheEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8);
    QFETCH(QString, decoded);
    QCOMPARE(LogText::isValidUtf8(bytes), utf8);
    QCOMPARE(utf8 ? QString::fromUtf8(bytes) : Windows1252::decode(bytes), decoded);
}

void TestLogText::dropsApostrophes_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArrayList>("expected");
    const QByteArray chat =
        "L 08/05/2013 - 21:25:40: \"O'Brien<2><STEAM_0:1:7><CT>\" say \"don't\"";
    QTest::newRow("none") << QByteArrayList {"a \"b\" c"} << QByteArrayList {"a \"b\" c"};
    QTest::newRow("in a name and in chat")
        << QByteArrayList {chat}
        << QByteArrayList {"L 08/05/2013 - 21:25:40: \"OBrien<2><STEAM_0:1:7><CT>\" say \"dont\""};
    QTest::newRow("at both ends, several in a row")
        << QByteArrayList {"''a'''b''"} << QByteArrayList {"ab"};
    QTest::newRow("nothing else") << QByteArrayList {"''''"} << QByteArrayList {""};
    // The room one line left must not show through in a shorter one, nor cut a longer one.
    QTest::newRow("long, short, long again")
        << QByteArrayList {chat + chat, "x'y", chat}
        << QByteArrayList {QByteArray(chat).replace('\'', "").repeated(2), "xy",
                           QByteArray(chat).replace('\'', "")};
}

void TestLogText::dropsApostrophes()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArrayList, expected);
    QByteArray buffer;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lines.at(i);
        const QByteArrayView without = LogText::withoutApostrophes(line, buffer);
        QCOMPARE(without.toByteArray(), expected.at(i));
        // A line without any is not copied.
        if (!line.contains('\''))
            QCOMPARE(without.data(), line.data());
    }

    // The same lines in one block, with lines of none and of nothing but apostrophes between:
    // the search for each line's end tells which hold one, across every width of search.
    const QByteArray block = lines.join("\n") + "\nnone\n'''\n" + lines.join("\r\n");
    QByteArrayList all = expected;
    all << "none"
        << "";
    all += expected;
    for (const qsizetype padding : {0, 1, 15, 16, 17, 40}) {
        const QByteArray padded = QByteArray(padding, 'p') + block;
        QByteArrayList seen;
        bool holdsRight = true;
        LogText::forEachLineNoting(padded, '\'', [&](QByteArrayView line, bool holds) {
            holdsRight = holdsRight && holds == line.contains('\'');
            seen << (holds ? LogText::withoutApostrophes(line, buffer) : line).toByteArray();
        });
        QByteArrayList wanted = all;
        wanted.first().prepend(QByteArray(padding, 'p'));
        QCOMPARE(seen, wanted);
        QVERIFY(holdsRight);
    }
}

void TestLogText::readsBigFilesInWholeLines_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<int>("longLine"); // length of one line among the others, 0 for none
    const int limit = int(LogFileReader::maxLineLength);
    for (const auto &[name, end] : {std::pair {"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}}) {
        QTest::newRow(name) << QByteArray(end) << 0;
        QTest::newRow(qPrintable(QString(name) + ", a line of 5 MiB"))
            << QByteArray(end) << 5 * limit + 3;
        QTest::newRow(qPrintable(QString(name) + ", a line one byte too long"))
            << QByteArray(end) << limit + 1;
        QTest::newRow(qPrintable(QString(name) + ", a line just short enough"))
            << QByteArray(end) << limit;
    }
}

void TestLogText::readsBigFilesInWholeLines()
{
    // Several blocks, so that line ends (a CR LF among them) fall on every block boundary; an
    // overlong line is skipped, whichever blocks it spans, and the lines around it stay whole.
    QFETCH(QByteArray, lineEnd);
    QFETCH(int, longLine);
    QByteArray bytes;
    int lines = 0;
    for (; bytes.size() < 3 * (1 << 20) + 17; ++lines) {
        if (lines == 1000 && longLine > 0)
            bytes += QByteArray(longLine - 4, 'y')
                + QByteArray::number(lines).rightJustified(4, '0') + lineEnd;
        else
            bytes += QByteArray(lines % 97, 'x') + QByteArray::number(lines) + lineEnd;
    }
    bytes += "L 1: Log file closed";
    ++lines;
    QTemporaryDir dir;
    QVERIFY(TestFiles::write(dir.filePath("L1.log"), bytes));
    LogFileReader reader(dir.filePath("L1.log"));
    QVERIFY(reader.open());
    QVERIFY(reader.isClosed());
    int seen = 0;
    int skipped = 0;
    bool wholeLines = true;
    QVERIFY(reader.forEachBlock(
        0,
        [&](QByteArrayView block) {
            LogText::forEachLine(block, [&](QByteArrayView line) {
                if (line.size() > LogFileReader::maxLineLength)
                    ++skipped;
                wholeLines = wholeLines
                    && (line.endsWith(
                            QByteArray::number(seen).rightJustified(seen == 1000 ? 4 : 0, '0'))
                        || seen == lines - 1);
                ++seen;
            });
        },
        [&] {
            ++skipped;
            ++seen;
        }));
    QCOMPARE(seen, lines);
    QVERIFY(wholeLines);
    QCOMPARE(skipped, longLine > LogFileReader::maxLineLength ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestLogText)
#include "test_logtext.moc"
