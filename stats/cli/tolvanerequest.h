#pragma once

#include "platform/cli/commandline.h"
#include "stats/analysis/updaterun.h"
#include "stats/listener/endpoint.h"
#include "stats/listener/loglistener.h"
#include "stats/listener/senderpolicy.h"
#include "stats/store/datastats.h"

#include <QHostAddress>
#include <QString>

#include <chrono>

/** What Tolvane's command line asks for, each value read and checked once. */
struct TolvaneRequest
{
    enum class Action { Windows, Update, Print, Store, CopyTo, Listen, Serve, Html };

    CommandLine::Ask ask = CommandLine::Ask::Run;
    Action action = Action::Windows;
    QString logFolder; ///< --logs; empty for the stored one
    QString database; ///< --db; empty for the stored one
    QString host; ///< --host; empty for the stored one
    QString copyTo; ///< --copy-to
    DataStats::Ranking order = DataStats::Ranking::Places; ///< --by
    std::chrono::seconds wait = UpdateRun::defaultWaitBound; ///< --wait
    Endpoint listen; ///< --listen
    SenderPolicy allow; ///< --allow
    std::chrono::seconds interval = LogListener::defaultInterval; ///< --interval
    qint64 keepFreeMiB = LogListener::defaultKeepFreeMiB; ///< --keep-free
    Endpoint serve {QHostAddress(QHostAddress::LocalHost)}; ///< --serve
    QString htmlFolder; ///< --html
};
