#include "logfilereader.h"
#include "logtext.h"
#include "testfiles.h"
#include "windows1252.h"

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
    const QByteArray closedLine = "L 08/05/2013 - 21:25:40: Log file closed";
    QTest::newRow("closed with line end") << "x\n" + closedLine + "\n" << true << 43;
    QTest::newRow("closed without line end") << "x\n" + closedLine << true << 42;
    QTest::newRow("closed, blank lines after") << "x\r\n" + closedLine + "\r\n\r\n" << true << 47;
    QTest::newRow("live, partial last line") << QByteArray("a\r\nb\r\npart") << false << 6;
    QTest::newRow("live, complete lines") << QByteArray("a\nb\n") << false << 4;
    QTest::newRow("live, nothing complete") << QByteArray("partial") << false << 0;
    QTest::newRow("chat quoting the words")
        << QByteArray("\"A<1><><CT>\" say \"Log file closed\"\n") << false << 35;
}

void TestLogText::findsTheCountableEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closed);
    QFETCH(int, end);
    QTemporaryDir dir;
    QVERIFY(TestFiles::write(dir.filePath("L1.log"), bytes));
    LogFileReader reader(dir.filePath("L1.log"));
    QVERIFY(reader.open());
    QCOMPARE(reader.isClosed(), closed);
    QCOMPARE(reader.countableEnd(), qint64(end));
    QByteArray joined;
    QVERIFY(reader.forEachBlock(0, [&joined](QByteArrayView block) { joined += block; }));
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

void TestLogText::readsBigFilesInWholeLines_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR") << QByteArray("\r");
}

void TestLogText::readsBigFilesInWholeLines()
{
    // Several blocks, so that line ends (a CR LF among them) fall on every block boundary.
    QFETCH(QByteArray, lineEnd);
    QByteArray bytes;
    int lines = 0;
    for (; bytes.size() < 3 * (1 << 20) + 17; ++lines)
        bytes += QByteArray(lines % 97, 'x') + QByteArray::number(lines) + lineEnd;
    bytes += "L 1: Log file closed";
    ++lines;
    QTemporaryDir dir;
    QVERIFY(TestFiles::write(dir.filePath("L1.log"), bytes));
    LogFileReader reader(dir.filePath("L1.log"));
    QVERIFY(reader.open());
    QVERIFY(reader.isClosed());
    int seen = 0;
    bool wholeLines = true;
    QVERIFY(reader.forEachBlock(0, [&](QByteArrayView block) {
        LogText::forEachLine(block, [&](QByteArrayView line) {
            wholeLines =
                wholeLines && (line.endsWith(QByteArray::number(seen)) || seen == lines - 1);
            ++seen;
        });
    }));
    QCOMPARE(seen, lines);
    QVERIFY(wholeLines);
}

QTEST_GUILESS_MAIN(TestLogText)
#include "test_logtext.moc"
