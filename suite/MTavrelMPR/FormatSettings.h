#pragma once

#include "MTavrelMPRExport.h"

#include <QChar>
#include <QString>

namespace tavrel {

// The process-wide formats with which fields show their values: Spanish (Colombia) by
// default. Formats use Qt's date-time notation ("dd/MM/yyyy", "HH:mm:ss").
class MTAVRELMPR_EXPORT FormatSettings
{
public:
    static FormatSettings& instance();

    QString shortDateFormat() const { return m_shortDateFormat; }
    void setShortDateFormat(const QString& format) { m_shortDateFormat = format; }
    QString longTimeFormat() const { return m_longTimeFormat; }
    void setLongTimeFormat(const QString& format) { m_longTimeFormat = format; }
    QChar decimalSeparator() const { return m_decimalSeparator; }
    void setDecimalSeparator(QChar separator) { m_decimalSeparator = separator; }
    QChar thousandSeparator() const { return m_thousandSeparator; }
    void setThousandSeparator(QChar separator) { m_thousandSeparator = separator; }

    // Back to the Colombian defaults.
    void reset();

private:
    FormatSettings();

    QString m_shortDateFormat;
    QString m_longTimeFormat;
    QChar m_decimalSeparator;
    QChar m_thousandSeparator;
};

} // namespace tavrel
