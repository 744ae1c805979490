#pragma once

#include "TavrelReportsExport.h"

#include <QFont>
#include <QString>

namespace tavrel::report {

// A font as a layout names it. The size is the character height in pixels at 96 dpi,
// that is in report units; a device font is made for a given units-to-device scale.
struct TAVREL_REPORTS_EXPORT FontSpec
{
    QString family = QStringLiteral("Arial");
    qreal pixelSize = 13;
    bool bold = false;
    bool italic = false;

    // The font for a device that has `scale` device pixels per report unit.
    QFont toFont(qreal scale) const;

    bool operator==(const FontSpec&) const = default;
};

} // namespace tavrel::report
