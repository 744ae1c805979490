#pragma once

#include "TavrelServerExport.h"

#include <QLoggingCategory>

// The application server's calls: provider, method, rows and time. Off unless switched
// on, for instance QT_LOGGING_RULES="tavrel.server.debug=true".
TAVREL_SERVER_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcServer);
