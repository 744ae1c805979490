#pragma once

#include "TavrelReportsExport.h"

#include <QLoggingCategory>

// The report engine's logging, off unless switched on with QT_LOGGING_RULES:
// "tavrel.report" each drawing of a report (PDF, printer), with its pages and milliseconds.
TAVREL_REPORTS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcReport);
