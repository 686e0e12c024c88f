#include "stats/ui/frenchqttexts.h"

#include <cstring>

FrenchQtTexts::FrenchQtTexts(QObject *parent) : QTranslator(parent) { }

QString FrenchQtTexts::translate(const char *context, const char *sourceText, const char *,
                                 int) const
{
    if (!context || !sourceText || std::strcmp(context, "QMessageBox") != 0)
        return {};
    if (std::strcmp(sourceText, "Show Details...") == 0)
        return QStringLiteral("Afficher les détails...");
    if (std::strcmp(sourceText, "Hide Details...") == 0)
        return QStringLiteral("Masquer les détails...");
    return {};
}
