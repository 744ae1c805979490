#include "BatchCall.h"

namespace tavrel {

namespace {

bool sameValue(const QVariant& a, const QVariant& b)
{
    return a.metaType() == b.metaType() && a == b;
}

bool sameValues(const QVariantList& a, const QVariantList& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameValue(a[i], b[i]))
            return false;
    }
    return true;
}

} // namespace

BatchCall BatchCall::open(const QString& provider, const QString& commandText,
                          const ParamList& params)
{
    return {Kind::Open, provider, commandText, params, {}};
}

BatchCall BatchCall::invoke(const QString& method, const QVariantList& args)
{
    return {Kind::Invoke, method, {}, {}, args};
}

bool BatchCall::sameAs(const BatchCall& other) const
{
    if (kind != other.kind || name.compare(other.name, Qt::CaseInsensitive) != 0 ||
        commandText != other.commandText || params.size() != other.params.size() ||
        !sameValues(args, other.args))
        return false;
    for (qsizetype i = 0; i < params.size(); ++i) {
        const Param& a = params[i];
        const Param& b = other.params[i];
        if (a.name.compare(b.name, Qt::CaseInsensitive) != 0 || a.type != b.type ||
            !sameValue(a.value, b.value))
            return false;
    }
    return true;
}

} // namespace tavrel
