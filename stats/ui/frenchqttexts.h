#pragma once

#include <QTranslator>

/**
 * The few texts of Qt's own dialogs that Tolvane's windows show next to their French ones: the
 * button that shows the details of a message. Everything else Qt writes is left as it is.
 */
class FrenchQtTexts final : public QTranslator
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrenchQtTexts)

public:
    explicit FrenchQtTexts(QObject *parent = nullptr);

    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText,
                      const char *disambiguation = nullptr, int n = -1) const override;
};
