#include "ReportLog.h"

Q_LOGGING_CATEGORY(lcReport, "tavrel.report", QtWarningMsg)
