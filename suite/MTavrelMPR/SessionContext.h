#pragma once

#include "MTavrelMPRExport.h"

#include <QString>

namespace tavrel {

// The session values that the components need from the framework hosting them: the
// current company code and the user code, both as text, from the session services'
// sessionValues (the module application reads its session globals there). Without
// them both are empty.
class MTAVRELMPR_EXPORT SessionContext
{
public:
    static QString companyCode();
    static QString userCode();
};

} // namespace tavrel
