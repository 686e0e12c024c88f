#pragma once

#include <QString>

/**
 * The reasons of the engine's failures, which the command line prints in English for server
 * operators, put into French for the windows. A reason the table does not know is shown as it
 * stands; the names of files and the system's own words inside a known reason are kept.
 */
namespace FrenchReasons {

QString translate(const QString &reason);

} // namespace FrenchReasons
