#pragma once

#include "platform/result/result.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

/**
 * A program's command line, read the same way by the three programs. Qt's own options
 * (-style, -platform...) are taken out first: they belong to the windows, which take them from
 * argv. A word that starts with "--" is an option, "--name value" or "--name=value"; an option
 * the program does not know is refused. "--" ends the options. "--help" and "--version" are
 * answered on standard output; a wrong command line is refused in one line and a hint, with exit
 * status 2.
 */
class CommandLine
{
public:
    /// What a command line asks of a program besides its own work.
    enum class Ask { Run, Help, Version };
    /// How the words that do not start with "--" are read.
    enum class Words {
        Text, ///< one text, such as a mod name, whatever dashes its words hold
        Options, ///< options too, "-update" as "--update"; no other word is taken
    };
    struct Option
    {
        QString name;
        QString valueName = {}; ///< empty for an option that takes no value
    };
    /// What read() found.
    struct Read
    {
        Ask ask = Ask::Run;
        QHash<QString, QStringList> values; ///< every value of each option given
        QStringList text; ///< the other words, in order

        bool isSet(const QString &name) const { return values.contains(name); }
    };

    /// \a program as it is typed ("tolvane"); \a usage what --help prints.
    CommandLine(QString program, QString usage, QList<Option> options, Words words);

    /// The words of \a argv after the program's name, without Qt's own options.
    static QStringList arguments(int argc, char **argv);
    static QStringList withoutQtOptions(const QStringList &arguments);

    /// Reads \a arguments, the words after the program's name.
    Result<Read> read(const QStringList &arguments) const;

    /// Answers what a program's own parse of its command line left to every program alike: the
    /// exit status of a wrong command line, --help or --version; nothing when the program runs.
    template<typename Request>
    std::optional<int> reply(const Result<Request> &request, QTextStream &out,
                             QTextStream &err) const
    {
        return request ? answer(request->ask, out) : refuse(request.reason(), err);
    }
    std::optional<int> answer(Ask ask, QTextStream &out) const;
    int refuse(const QString &reason, QTextStream &err) const;

private:
    const Option *option(const QString &name) const;

    QString m_program;
    QString m_usage;
    QList<Option> m_options;
    Words m_words;
};
