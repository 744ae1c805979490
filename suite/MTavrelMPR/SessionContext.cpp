#include "SessionContext.h"

namespace tavrel {

namespace {
SessionContext::Source& source()
{
    static SessionContext::Source s;
    return s;
}
} // namespace

void SessionContext::setSource(Source s)
{
    source() = std::move(s);
}

QString SessionContext::companyCode()
{
    return source() ? source()().companyCode : QString();
}

QString SessionContext::userCode()
{
    return source() ? source()().userCode : QString();
}

} // namespace tavrel
