#pragma once

#include <QLoggingCategory>

// The host's logins, programs and operations. Off unless switched on, for instance
// QT_LOGGING_RULES="tavrel.host.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcHost);
