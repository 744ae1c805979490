#include "ComponentLog.h"

Q_LOGGING_CATEGORY(lcConnection, "tavrel.connection", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDataSet, "tavrel.dataset", QtWarningMsg)
