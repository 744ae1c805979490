#include "ServerLog.h"

Q_LOGGING_CATEGORY(lcServer, "tavrel.server", QtWarningMsg)
