#pragma once

#include "TavrelServerAdminExport.h"

#include <QByteArray>

namespace tavrel {

// The logos of the demo companies: a small emblem drawn with QPainter (shapes only, so
// no font and no GUI application are needed) and encoded as PNG. The same company
// always gets the same bytes.
class TAVREL_SERVER_ADMIN_EXPORT DemoLogo
{
public:
    static QByteArray png(int company, int size = 128);
};

} // namespace tavrel
