#pragma once

#include "MTavrelMPRExport.h"

#include <QLoggingCategory>

// The components' logging, off unless switched on with QT_LOGGING_RULES:
// "tavrel.connection" the connections to the application server and the calls by name;
// "tavrel.dataset" the client datasets' opens, refreshes and applied updates, with rows and
// milliseconds.
MTAVRELMPR_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcConnection);
MTAVRELMPR_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcDataSet);
