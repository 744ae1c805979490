#include "LocalZone.h"

#include <QByteArray>
#include <QFileInfo>
#include <QTimeZone>

#include <ctime>

namespace tavrel {

void LocalZone::pin()
{
    if (qEnvironmentVariableIsSet("TZ"))
        return;
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    const QByteArray dir =
        qEnvironmentVariableIsSet("TZDIR") ? qgetenv("TZDIR") : QByteArray("/usr/share/zoneinfo");
    if (zone.isEmpty() || zone.contains("..") || !QFileInfo(dir + '/' + zone).isFile())
        return;
    qputenv("TZ", zone);
    tzset();
}

} // namespace tavrel
