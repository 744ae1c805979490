#pragma once

#include <QtGlobal>

#if defined(MTAVRELMPR_BUILD)
#define MTAVRELMPR_EXPORT Q_DECL_EXPORT
#else
#define MTAVRELMPR_EXPORT Q_DECL_IMPORT
#endif
