#include "SessionContext.h"

#include "SessionServices.h"

namespace tavrel {

namespace {
SessionValues values()
{
    const auto& source = SessionServices::current().sessionValues;
    return source ? source() : SessionValues();
}
} // namespace

QString SessionContext::companyCode()
{
    return values().companyCode;
}

QString SessionContext::userCode()
{
    return values().userCode;
}

} // namespace tavrel
