#pragma once

#include <QtGlobal>

#if defined(MVGNNORMAMP_BUILD)
#define MVGNNORMAMP_EXPORT Q_DECL_EXPORT
#else
#define MVGNNORMAMP_EXPORT Q_DECL_IMPORT
#endif
