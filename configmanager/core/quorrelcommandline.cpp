// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/quorrelcommandline.h"

#include <QCommandLineParser>

namespace {

const QString endOfOptions = QStringLiteral("--");

} // namespace

Result<QuorrelCommandLine> QuorrelCommandLine::parse(const QStringList &arguments)
{
    QuorrelCommandLine line;
    if (!arguments.isEmpty() && arguments.constFirst() == endOfOptions) {
        line.modName = arguments.mid(1).join(QLatin1Char(' '));
        return line;
    }

    // Long options only: "-h" or "-v" may be (part of) a mod name.
    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    // Whatever else the words hold is the mod name, so words that look like options are not an
    // error here.
    parser.parse(QStringList {QStringLiteral("quorrel")} + arguments);

    if (!arguments.isEmpty() && arguments.constFirst().startsWith(endOfOptions)) {
        const QString &first = arguments.constFirst();
        const QString name = first.section(QLatin1Char('='), 0, 0);
        if (name == QLatin1String("--help") || name == QLatin1String("--version")) {
            if (name.size() < first.size())
                return Result<QuorrelCommandLine>::failure(
                    QStringLiteral("%1 takes no value").arg(name));
        } else {
            // A mistyped option would otherwise open the registration of a mod named after it.
            return Result<QuorrelCommandLine>::failure(
                QStringLiteral("unknown option %1").arg(first));
        }
    }

    if (parser.isSet(help))
        line.mode = Mode::Help;
    else if (parser.isSet(version))
        line.mode = Mode::Version;
    else
        line.modName = arguments.join(QLatin1Char(' '));
    return line;
}

QString QuorrelCommandLine::usage()
{
    return QStringLiteral("Usage: quorrel MOD        the configuration manager for the mod MOD\n"
                          "                          (all arguments together, blanks included)\n"
                          "       quorrel -- MOD     the same, for a MOD that starts with --\n"
                          "       quorrel --help     show this text\n"
                          "       quorrel --version  show the version\n");
}
