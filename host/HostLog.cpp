#include "HostLog.h"

Q_LOGGING_CATEGORY(lcHost, "tavrel.host", QtWarningMsg)
