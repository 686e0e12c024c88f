#include "mapmixer/core/headlessshuffle.h"
#include "mapmixer/core/maplist.h"
#include "mapmixer/core/randomsource.h"
#include "mapmixer/core/rondelaycommandline.h"
#include "mapmixer/tests/samplemod.h"
#include "platform/files/filestore.h"
#include "platform/settings/settingsstore.h"
#include "platform/testsupport/fulldisk.h"

#include <QDir>
#include <QTest>
#include <QTextStream>

#include <memory>

class TestHeadlessShuffle : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
};

void TestHeadlessShuffle::run_data()
{
    QTest::addColumn<QStringList>("maps");
    QTest::addColumn<bool>("mapsFolder");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QStringList three = {"de_dust2.bsp", "cs_office.bsp", "AIM_MAP.BSP"};
    QTest::newRow("folder") << three << true << "folder" << 0 << "";
    QTest::newRow("folder with backslashes") << three << true << "backslashes" << 0 << "";
    QTest::newRow("stored mod") << three << true << "stored" << 0 << "";
    QTest::newRow("five times") << three << true << "five" << 0 << "";
    QTest::newRow("mod never stored")
        << three << true << "unknown mod" << 1
        << "no folder is stored for the mod \"hl2mp\"; start \"rondelay hl2mp\" once on a "
           "desktop, or give --folder DIR";
    QTest::newRow("missing maps folder")
        << QStringList {} << false << "folder" << 1 << "the maps folder %1/maps does not exist";
    QTest::newRow("no map") << QStringList {"readme.txt"} << true << "folder" << 1
                            << "no map (.bsp file) in %1/maps";
    QTest::newRow("disk full") << three << true << "full disk" << 1
                               << "cannot write %1/mapcycle.txt: No space left on device";
}

void TestHeadlessShuffle::run()
{
    QFETCH(QStringList, maps);
    QFETCH(bool, mapsFolder);
    QFETCH(QString, how);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    SampleMod sample;
    const QString mod = sample.path();
    QVERIFY(QDir().mkpath(mod));
    std::unique_ptr<FullDisk> disk;
    QByteArray oldCycle = "<missing>";
    if (how == "full disk") {
        disk = std::make_unique<FullDisk>(mod);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
        oldCycle = "de_dust2\r\ncs_office\r\n";
    }
    if (mapsFolder)
        QVERIFY(sample.write(maps, oldCycle == "<missing>" ? QByteArray() : oldCycle));
    SettingsStore settings(sample.beside("settings"));
    settings.write("Rondelay", "counter strike", "Dossier", mod);

    if (disk)
        QVERIFY(disk->fill());

    QStringList arguments = {"--shuffle"};
    if (how == "folder" || how == "full disk")
        arguments << "--folder" << mod;
    else if (how == "backslashes")
        arguments << "--folder" << QString(mod + "\\").replace('/', '\\');
    else if (how == "stored")
        arguments << "counter"
                  << "strike";
    else if (how == "five")
        arguments << "--times"
                  << "5"
                  << "--folder" << mod;
    else
        arguments << "hl2mp";
    const auto line = RondelayCommandLine::parse(arguments);
    QVERIFY2(line.ok(), qPrintable(line.reason()));
    QCOMPARE(line->mode, RondelayCommandLine::Mode::Shuffle);

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    FileStore files;
    RandomSource random;
    QCOMPARE(HeadlessShuffle::report(HeadlessShuffle::run(*line, settings, files, random),
                                     outStream, errStream),
             exitCode);

    if (exitCode != 0) {
        QVERIFY2(err.startsWith("rondelay: " + QString(message).replace("%1", mod)),
                 qPrintable(err));
        QVERIFY(err.endsWith('\n'));
        QVERIFY(out.isEmpty());
        QCOMPARE(sample.mapCycle(), oldCycle);
        return;
    }
    QVERIFY(err.isEmpty());
    QStringList printed = out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(sample.mapCycle(), (printed.join("\r\n") + "\r\n").toLatin1());
    printed.sort();
    QCOMPARE(printed, (QStringList {"AIM_MAP", "cs_office", "de_dust2"}));
}

QTEST_GUILESS_MAIN(TestHeadlessShuffle)
#include "test_headlessshuffle.moc"
