// The text typed into the lookup dialog's search box, read as the value type of the
// searched column (the dialog locates the first row that starts with that value).

#include "FieldType.h"
#include "FuzzCheck.h"
#include "ModuleError.h"

#include <QDateTime>
#include <cmath>
#include <limits>
#include <optional>

using tavrel::FieldType;
using tavrel::ModuleError;

namespace {

constexpr FieldType AllTypes[] = {FieldType::String,   FieldType::FixedChar, FieldType::SmallInt,
                                  FieldType::Integer,  FieldType::LargeInt,  FieldType::Float,
                                  FieldType::DateTime, FieldType::Blob,      FieldType::Boolean};

std::optional<QVariant> coerced(const QVariant& value, FieldType type)
{
    try {
        return tavrel::coerce(value, type);
    } catch (const ModuleError& error) {
        FUZZ_CHECK(error.kind() == ModuleError::Kind::Conversion, error.message());
        FUZZ_CHECK(!error.message().isEmpty(), value.toString());
        return std::nullopt;
    }
}

QString label(const QString& text, FieldType type)
{
    return QLatin1Char('\'') + text + QStringLiteral("' as ") + tavrel::fieldTypeName(type);
}

// The value has the representation its type promises.
void checkShape(const QString& text, FieldType type, const QVariant& value)
{
    const int id = value.typeId();
    switch (type) {
    case FieldType::String:
        FUZZ_CHECK(id == QMetaType::QString && value.toString() == text, label(text, type));
        break;
    case FieldType::FixedChar:
        FUZZ_CHECK(id == QMetaType::QString && !value.toString().endsWith(u' ') &&
                       text.startsWith(value.toString()),
                   label(text, type));
        break;
    case FieldType::SmallInt:
        FUZZ_CHECK(id == QMetaType::Int && value.toInt() >= -32768 && value.toInt() <= 32767,
                   label(text, type));
        break;
    case FieldType::Integer:
        FUZZ_CHECK(id == QMetaType::Int, label(text, type));
        break;
    case FieldType::LargeInt:
        FUZZ_CHECK(id == QMetaType::LongLong, label(text, type));
        break;
    case FieldType::Float:
        FUZZ_CHECK(id == QMetaType::Double && std::isfinite(value.toDouble()), label(text, type));
        break;
    case FieldType::DateTime:
        FUZZ_CHECK(id == QMetaType::QDateTime && value.toDateTime().isValid() &&
                       value.toDateTime().timeSpec() == Qt::LocalTime,
                   label(text, type));
        break;
    case FieldType::Blob:
        FUZZ_CHECK(id == QMetaType::QByteArray, label(text, type));
        break;
    case FieldType::Boolean:
        FUZZ_CHECK(id == QMetaType::Bool, label(text, type));
        break;
    }
}

// The value written as the text the server stores reads back as the same value.
void checkCanonicalText(const QString& text, FieldType type, const QVariant& value)
{
    QString written;
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::LargeInt:
        written = QString::number(value.toLongLong());
        break;
    case FieldType::Float:
        written = QString::number(value.toDouble(), 'g', 17);
        break;
    case FieldType::DateTime:
        written = value.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
        break;
    default:
        return;
    }
    const std::optional<QVariant> back = coerced(written, type);
    FUZZ_CHECK(back.has_value(), label(text, type) + QStringLiteral(" -> ") + written);
    if (type == FieldType::DateTime) {
        // Compared on the clock: an hour that the clock repeats reads as its first time.
        const QDateTime a = value.toDateTime(), b = back->toDateTime();
        FUZZ_CHECK(a.date() == b.date() && a.time() == b.time(),
                   label(text, type) + QStringLiteral(" -> ") + written + QStringLiteral(" -> ") +
                       b.toString(Qt::ISODateWithMs));
    } else {
        FUZZ_CHECK(*back == value, label(text, type) + QStringLiteral(" -> ") + written);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::textOf(data, size);
    if (text.isEmpty())
        return 0; // the dialog does not search for an empty box
    for (FieldType type : AllTypes) {
        const std::optional<QVariant> value = coerced(text, type);
        if (!value)
            continue;
        checkShape(text, type, *value);
        checkCanonicalText(text, type, *value);
        // A value already of its type stays as it is.
        const std::optional<QVariant> again = coerced(*value, type);
        FUZZ_CHECK(again && *again == *value, label(text, type));
    }
    // An integer column takes what a large-integer column takes, if it fits.
    const std::optional<QVariant> large = coerced(text, FieldType::LargeInt);
    const std::optional<QVariant> integer = coerced(text, FieldType::Integer);
    if (large) {
        const qlonglong n = large->toLongLong();
        const bool fits = n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max();
        FUZZ_CHECK(fits == integer.has_value(), label(text, FieldType::Integer));
    }
    return 0;
}
