#pragma once

#include "MTavrelMPRExport.h"

#include <QString>
#include <functional>

namespace tavrel {

// The session values that the components need from the framework hosting them: the
// current company code and the user code, both as text. The framework package
// installs a source that reads its session globals when it is loaded; without a source
// both are empty.
class MTAVRELMPR_EXPORT SessionContext
{
public:
    struct Values
    {
        QString companyCode;
        QString userCode;
    };
    using Source = std::function<Values()>;

    // An empty source makes both values empty.
    static void setSource(Source source);
    static QString companyCode();
    static QString userCode();
};

} // namespace tavrel
