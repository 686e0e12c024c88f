#include "platform/windowkit/frenchqttexts.h"

#include <QLibraryInfo>

#include <cstring>

FrenchQtTexts::FrenchQtTexts(QObject *parent) : QTranslator(parent)
{
    m_hasQtCatalogue = m_qtCatalogue.load(QStringLiteral("qtbase_fr"), qtCatalogueFolder());
}

QString FrenchQtTexts::qtCatalogueFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QString FrenchQtTexts::translate(const char *context, const char *sourceText,
                                 const char *disambiguation, int n) const
{
    if (context && sourceText && std::strcmp(context, "QMessageBox") == 0) {
        if (std::strcmp(sourceText, "Show Details...") == 0)
            return QStringLiteral("Afficher les détails...");
        if (std::strcmp(sourceText, "Hide Details...") == 0)
            return QStringLiteral("Masquer les détails...");
    }
    return m_qtCatalogue.translate(context, sourceText, disambiguation, n);
}
