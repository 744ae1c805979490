#pragma once

#include <QLoggingCategory>

// The application server's calls: provider, method, rows and time. Off unless switched
// on, for instance QT_LOGGING_RULES="tavrel.server.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcServer);
