#include "FormatSettings.h"

namespace tavrel {

FormatSettings::FormatSettings()
{
    reset();
}

FormatSettings& FormatSettings::instance()
{
    static FormatSettings settings;
    return settings;
}

void FormatSettings::reset()
{
    m_shortDateFormat = QStringLiteral("dd/MM/yyyy");
    m_longTimeFormat = QStringLiteral("HH:mm:ss");
    m_decimalSeparator = QLatin1Char(',');
    m_thousandSeparator = QLatin1Char('.');
}

} // namespace tavrel
