#include "mapmixer/core/rondelaysettings.h"

RondelaySettings::RondelaySettings(SettingsStore &store, QString modName)
    : ProgramSettings(store, application()), m_modName(std::move(modName))
{ }

RondelaySettings::Entry RondelaySettings::entry(Key key) const
{
    switch (key) {
    case Key::Dossier:
        return {m_modName, QStringLiteral("Dossier")};
    }
    return {};
}
