#include "logtext.h"

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
    LogText::forEachLine(bytes, 0, bytes.size(),
                         [&seen](QByteArrayView line) { seen << QString::fromUtf8(line); });
    QCOMPARE(seen, lines);
    QCOMPARE(LogText::lineCount(bytes, 0, bytes.size()), lines.size());
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
    const LogText text(bytes);
    QCOMPARE(text.isClosed(), closed);
    QCOMPARE(text.countableEnd(), qsizetype(end));
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
    const LogText text(bytes);
    QCOMPARE(text.isUtf8(), utf8);
    QCOMPARE(text.decode(bytes), decoded);
}

QTEST_GUILESS_MAIN(TestLogText)
#include "test_logtext.moc"
