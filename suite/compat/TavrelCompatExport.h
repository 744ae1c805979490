#pragma once

#include <QtGlobal>

#if defined(TAVREL_COMPAT_BUILD)
#define TAVREL_COMPAT_EXPORT Q_DECL_EXPORT
#else
#define TAVREL_COMPAT_EXPORT Q_DECL_IMPORT
#endif
