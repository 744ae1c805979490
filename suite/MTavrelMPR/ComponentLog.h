#pragma once

#include "MTavrelMPRExport.h"

#include <QLoggingCategory>

// The components' logging, off unless switched on with QT_LOGGING_RULES:
// "tavrel.connection" the connections to the application server and the calls by name;
// "tavrel.dataset" the opens and posts of the client datasets.
MTAVRELMPR_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcConnection);
MTAVRELMPR_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcDataSet);
