// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/frenchreasons.h"
#include "platform/dialogs/qtdialogs.h"
#include "platform/files/filestore.h"
#include "platform/testsupport/scripteddialogs.h"
#include "platform/windowkit/frenchqttexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <system_error>

/** Qt's own texts and the reasons of failures, as the French windows of the programs show them. */
Q_DECLARE_METATYPE(Failure)

class TestFrenchTexts : public QObject
{
    Q_OBJECT

private slots:
    void qtOwnButtonsAreFrench_data();
    void qtOwnButtonsAreFrench();
    void systemWordsAreLeftForTheReasons_data();
    void systemWordsAreLeftForTheReasons();
    void failuresAreFrenchByTheirKind_data();
    void failuresAreFrenchByTheirKind();
    void failureKeepsTheOriginalInTheDetails_data();
    void failureKeepsTheOriginalInTheDetails();
};

namespace {

QString buttonText(QMessageBox &box, QMessageBox::ButtonRole role)
{
    for (QAbstractButton *button : box.buttons()) {
        if (box.buttonRole(button) == role)
            return button->text();
    }
    return QStringLiteral("<no such button>");
}

} // namespace

void TestFrenchTexts::qtOwnButtonsAreFrench_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");

    QTest::newRow("details of a message") << "message"
                                          << "details"
                                          << "Afficher les détails...";
    QTest::newRow("Yes of a question") << "yesno"
                                       << "yes"
                                       << "&Oui";
    QTest::newRow("No of a question") << "yesno"
                                      << "no"
                                      << "&Non";
    QTest::newRow("Yes of a question with Cancel") << "yesnocancel"
                                                   << "yes"
                                                   << "&Oui";
    QTest::newRow("Cancel of a question") << "yesnocancel"
                                          << "cancel"
                                          << "Annuler";
    QTest::newRow("Cancel of a prompt") << "prompt"
                                        << "cancel"
                                        << "Annuler";
    QTest::newRow("Cancel of a code prompt") << "code prompt"
                                             << "cancel"
                                             << "Annuler";
}

void TestFrenchTexts::qtOwnButtonsAreFrench()
{
    QFETCH(QString, dialog);
    QFETCH(QString, button);
    QFETCH(QString, caption);

    FrenchQtTexts texts;
    QVERIFY2(texts.hasQtCatalogue(),
             qPrintable(QStringLiteral("no qtbase_fr.qm in %1: the Debian package "
                                       "qt6-translations-l10n is missing")
                            .arg(texts.qtCatalogueFolder())));
    QVERIFY(QCoreApplication::installTranslator(&texts));

    QString shown;
    if (dialog == QLatin1String("message")) {
        const auto box = QtDialogs::messageBox(nullptr, "Tolvane", "erreur", "the reason");
        shown = buttonText(*box, QMessageBox::ActionRole);
        QCOMPARE(box->text(), QStringLiteral("erreur"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Tolvane"));
    } else if (dialog.startsWith(QLatin1String("yesno"))) {
        const auto box = dialog == QLatin1String("yesno")
            ? QtDialogs::yesNoBox(nullptr, "Confirmation", "Sûr ?")
            : QtDialogs::yesNoCancelBox(nullptr, "Brassolin", "Enregistrer ?");
        const auto role = button == QLatin1String("yes") ? QMessageBox::YesRole
            : button == QLatin1String("no")              ? QMessageBox::NoRole
                                                         : QMessageBox::RejectRole;
        shown = buttonText(*box, role);
    } else {
        const auto prompt = QtDialogs::textDialog(nullptr, "Identification", "Code",
                                                  dialog == QLatin1String("code prompt"));
        prompt->show();
        if (auto *buttons = prompt->findChild<QDialogButtonBox *>()) {
            if (QAbstractButton *cancel = buttons->button(QDialogButtonBox::Cancel))
                shown = cancel->text();
        }
    }
    QCoreApplication::removeTranslator(&texts);
    QCOMPARE(shown, caption);
}

void TestFrenchTexts::systemWordsAreLeftForTheReasons_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("french");

    QTest::newRow("access refused")
        << "Permission denied" << int(std::errc::permission_denied) << "Accès refusé";
    QTest::newRow("too many files") << "Too many open files" << int(std::errc::too_many_files_open)
                                    << "Trop de fichiers ouverts";
    QTest::newRow("missing file") << "No such file or directory"
                                  << int(std::errc::no_such_file_or_directory)
                                  << "Fichier ou dossier introuvable";
    QTest::newRow("full disk") << "No space left on device" << int(std::errc::no_space_on_device)
                               << "Le disque est plein";
}

void TestFrenchTexts::systemWordsAreLeftForTheReasons()
{
    QFETCH(QString, words);
    QFETCH(int, error);
    QFETCH(QString, french);

    // Qt would put them into French as it makes a file's error text, and the message would have
    // no original to show behind its details button; the failure's system error does it.
    FrenchQtTexts texts;
    QVERIFY(texts.hasQtCatalogue());
    QVERIFY(QCoreApplication::installTranslator(&texts));
    const QString made = QCoreApplication::translate("QIODevice", words.toLatin1().constData());
    const auto missing = FileStore().readAll(QStringLiteral("/nonexistent folder/config.cfg"));
    QCoreApplication::removeTranslator(&texts);

    QCOMPARE(made, words);
    QVERIFY(!missing);
    QCOMPARE(missing.reason(), QStringLiteral("No such file or directory"));
    QCOMPARE(FrenchReasons::translate(missing.failure()),
             QStringLiteral("Fichier ou dossier introuvable"));
    const Failure failure = Failure::ofSystem(std::make_error_code(std::errc(error)));
    QCOMPARE(failure.detail(), words);
    QCOMPARE(FrenchReasons::translate(failure), french);
}

void TestFrenchTexts::failuresAreFrenchByTheirKind_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("french");

    // The engines' words differ; the kind says what the user meets.
    QTest::newRow("a server's lock time-out")
        << Failure(Failure::Kind::Busy, "cannot commit", "postgresql://u@h/ranking",
                   "ERROR:  canceling statement due to lock timeout\n(55P03)")
        << "Impossible d'enregistrer les changements dans la base postgresql://u@h/ranking : "
           "elle est occupée par un autre programme.";
    QTest::newRow("a server's full disk")
        << Failure(Failure::Kind::DiskFull, "cannot record the log progress", "postgresql://h/r",
                   "ERROR:  could not extend file \"base/16384/2619\"")
        << "Impossible d'enregistrer l'avancement des logs dans la base postgresql://h/r : le "
           "disque est plein.";
    QTest::newRow("a read-only database")
        << Failure(Failure::Kind::ReadOnly, "cannot add a player", "/srv/Stats.db",
                   "attempt to write a readonly database")
        << "Impossible d'ajouter un joueur à la base /srv/Stats.db : elle est en lecture seule.";
    QTest::newRow("a file that is no database")
        << Failure(Failure::Kind::Corrupt, "cannot open the database", "/srv/Stats.db",
                   "file is not a database Unable to fetch row")
        << "Impossible d'ouvrir la base /srv/Stats.db : ce n'est pas une base de statistiques, "
           "ou elle est endommagée.";
    QTest::newRow("another update's lock, with who holds it and how long")
        << Failure(Failure::Kind::LockTimeout, "another update is writing", "/srv/Stats.db",
                   "process 42 still holds the database after 1.5 s")
               .withValues({"42", "1.5"})
        << "Une autre mise à jour écrit dans la base /srv/Stats.db : le programme 42 la garde "
           "encore après 1,5 s.";
    QTest::newRow("a lock whose holder is unknown")
        << Failure(Failure::Kind::LockTimeout, "another update is writing", "/srv/Stats.db",
                   "another process still holds the database after 30.0 s")
               .withValues({"", "30.0"})
        << "Une autre mise à jour écrit dans la base /srv/Stats.db : un autre programme la garde "
           "encore après 30,0 s.";
    QTest::newRow("a log that cannot be read, in the system's words")
        << Failure::ofSystem(std::make_error_code(std::errc::permission_denied),
                             "cannot read the log", "/logs/L0101000.log", "Permission denied")
        << "Impossible de lire le log /logs/L0101000.log : accès refusé.";
    QTest::newRow("a missing log folder")
        << Failure(Failure::Kind::Other, "the log folder does not exist", "/logs", {})
        << "Le dossier des logs n'existe pas : /logs";
    QTest::newRow("a failure in the system's error only")
        << Failure::ofSystem(std::make_error_code(std::errc::no_space_on_device))
        << "Le disque est plein";
    QTest::newRow("words nobody knows are kept as they came")
        << Failure("execve: Exec format error") << "execve: Exec format error";
    QTest::newRow("a message a program wrote for people")
        << Failure::ofSystem(std::make_error_code(std::errc::no_space_on_device))
               .toldAs("La configue \"fast\" n'a pas pu être copiée sur /jeu/config.cfg :\nLe "
                       "disque est plein")
        << "La configue \"fast\" n'a pas pu être copiée sur /jeu/config.cfg :\nLe disque est "
           "plein";
}

void TestFrenchTexts::failuresAreFrenchByTheirKind()
{
    QFETCH(Failure, failure);
    QFETCH(QString, french);
    QCOMPARE(FrenchReasons::translate(failure), french);
}

void TestFrenchTexts::failureKeepsTheOriginalInTheDetails_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("details");

    QTest::newRow("the system's words")
        << Failure::ofSystem(std::make_error_code(std::errc::no_space_on_device))
               .toldAs("Les modifications n'ont pas pu être enregistrées dans /c/fast.cfg :\nLe "
                       "disque est plein")
        << "Les modifications n'ont pas pu être enregistrées dans /c/fast.cfg :\nLe disque est "
           "plein"
        << "No space left on device";
    QTest::newRow("the engine's words")
        << Failure(Failure::Kind::Busy, "cannot commit", "/srv/Stats.db", "database is locked")
        << "Impossible d'enregistrer les changements dans la base /srv/Stats.db : elle est "
           "occupée par un autre programme."
        << "cannot commit (/srv/Stats.db): database is locked";
    QTest::newRow("nothing to translate, no details")
        << Failure("Le jeu n'a pas pu être lancé.") << "Le jeu n'a pas pu être lancé."
        << "";
}

void TestFrenchTexts::failureKeepsTheOriginalInTheDetails()
{
    QFETCH(Failure, failure);
    QFETCH(QString, shown);
    QFETCH(QString, details);

    ScriptedDialogs dialogs;
    dialogs.informFailure(nullptr, "Quorrel", failure);
    QCOMPARE(dialogs.kinds(), QStringList {"message"});
    QCOMPARE(dialogs.shown.first().title, QStringLiteral("Quorrel"));
    QCOMPARE(dialogs.shown.first().text, shown);
    QCOMPARE(dialogs.shown.first().details, details);
}

QTEST_MAIN(TestFrenchTexts)
#include "test_frenchtexts.moc"
