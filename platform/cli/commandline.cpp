#include "platform/cli/commandline.h"

#include <QTextStream>

#include <algorithm>

namespace {

const QString endOfOptions = QStringLiteral("--");

// The options QGuiApplication and QApplication take out of argv for themselves, with one dash
// or two, as Qt's documentation lists them: with a value after them, without one, and with a
// value only after "=".
const QStringList qtTakingValues {
    "style",         "stylesheet", "platform",        "platformpluginpath",
    "platformtheme", "plugin",     "qwindowgeometry", "qwindowicon",
    "qwindowtitle",  "session",    "display",         "geometry"};
const QStringList qtAlone {"reverse", "widgetcount"};
const QStringList qtAttached {"qmljsdebugger", "dialogs", "fontengine"};

} // namespace

CommandLine::CommandLine(QString program, QString usage, QList<Option> options, Words words)
    : m_program(std::move(program)), m_usage(std::move(usage)), m_options(std::move(options)),
      m_words(words)
{
    m_options << Option {QStringLiteral("help")} << Option {QStringLiteral("version")};
    // A mod name may be "-h".
    if (m_words == Words::Options)
        m_options << Option {QStringLiteral("h")};
}

QStringList CommandLine::arguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return withoutQtOptions(arguments);
}

QStringList CommandLine::withoutQtOptions(const QStringList &arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        // Qt reads them anywhere, "--" or not.
        const QString name = word.mid(word.startsWith(endOfOptions) ? 2 : 1);
        const QString spelled = name.section(QLatin1Char('='), 0, 0);
        const bool attached = spelled.size() < name.size();
        if (!word.startsWith(QLatin1Char('-')))
            kept << word;
        else if (qtAlone.contains(name))
            continue;
        else if (attached && (qtTakingValues.contains(spelled) || qtAttached.contains(spelled)))
            continue;
        // Qt leaves a last "-style" without its value in place, as any word it does not take.
        else if (qtTakingValues.contains(name) && i + 1 < arguments.size())
            ++i;
        else
            kept << word;
    }
    return kept;
}

const CommandLine::Option *CommandLine::option(const QString &name) const
{
    const auto found = std::find_if(m_options.cbegin(), m_options.cend(),
                                    [&name](const Option &o) { return o.name == name; });
    return found == m_options.cend() ? nullptr : &*found;
}

Result<CommandLine::Read> CommandLine::read(const QStringList &arguments) const
{
    // Not QCommandLineParser: it takes every word that starts with a dash for an option, and a
    // mod's name may hold such words.
    Read read;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        if (options && word == endOfOptions) {
            options = false;
            continue;
        }
        const bool isOption = options && word.size() > 1
            && word.startsWith(m_words == Words::Options ? QStringLiteral("-") : endOfOptions);
        if (!isOption) {
            if (m_words == Words::Options)
                return Result<Read>::failure(QStringLiteral("unexpected argument %1").arg(word));
            read.text << word;
            continue;
        }
        const QString spelled = word.section(QLatin1Char('='), 0, 0);
        const QString name = spelled.mid(spelled.startsWith(endOfOptions) ? 2 : 1);
        const Option *known = option(name);
        if (!known)
            return Result<Read>::failure(QStringLiteral("unknown option %1").arg(spelled));
        QStringList &values = read.values[name];
        const bool attached = spelled.size() < word.size();
        if (known->valueName.isEmpty() && attached)
            return Result<Read>::failure(QStringLiteral("%1 takes no value").arg(spelled));
        if (known->valueName.isEmpty())
            continue;
        if (attached)
            values << word.mid(spelled.size() + 1);
        else if (i + 1 < arguments.size())
            values << arguments.at(++i);
        else
            return Result<Read>::failure(QStringLiteral("%1 needs a value").arg(spelled));
    }
    if (read.isSet(QStringLiteral("help")) || read.isSet(QStringLiteral("h")))
        read.ask = Ask::Help;
    else if (read.isSet(QStringLiteral("version")))
        read.ask = Ask::Version;
    return read;
}

std::optional<int> CommandLine::answer(Ask ask, QTextStream &out) const
{
    switch (ask) {
    case Ask::Run:
        return std::nullopt;
    case Ask::Help:
        out << m_usage;
        break;
    case Ask::Version:
        out << m_program << ' ' << PROJECT_VERSION << '\n';
        break;
    }
    out.flush();
    return 0;
}

int CommandLine::refuse(const QString &reason, QTextStream &err) const
{
    err << m_program << ": " << reason << "\nTry '" << m_program
        << " --help' for more information.\n";
    err.flush();
    return 2;
}
