#include "configmanager/core/quorrelsettings.h"

QuorrelSettings::QuorrelSettings(SettingsStore &store, QString modName)
    : ProgramSettings(store, application()), m_modName(std::move(modName))
{ }

QuorrelSettings::Entry QuorrelSettings::entry(Key key) const
{
    switch (key) {
    case Key::AlreadyUse:
        return {m_modName, QStringLiteral("AlreadyUse")};
    case Key::RepertoryFile:
        return {m_modName, QStringLiteral("RepertoryFile")};
    case Key::ExecFile:
        return {m_modName, QStringLiteral("ExecFile")};
    }
    return {};
}
