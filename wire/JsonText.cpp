#include "JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QVariant>

namespace tavrel {

namespace {

// Texts whose every character goes as UTF-8 without escape.
bool plain(QStringView text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == u'"' || u == u'\\' || QChar::isSurrogate(u))
            return false;
    }
    return true;
}

} // namespace

void JsonText::appendString(QByteArray& out, QStringView text)
{
    if (!plain(text)) {
        // Escapes and surrogates, rare in data, as Qt writes them: between the brackets
        // of a one-element array.
        const QByteArray one =
            QJsonDocument(QJsonArray{text.toString()}).toJson(QJsonDocument::Compact);
        out.append(one.constData() + 1, one.size() - 2);
        return;
    }
    out += '"';
    out += text.toUtf8();
    out += '"';
}

void JsonText::appendScalar(QByteArray& out, const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        out += value.toBool() ? "true" : "false";
        return;
    case QJsonValue::Double: {
        // A whole number is kept as one, so that a 64-bit integer keeps every digit.
        const QVariant number = value.toVariant();
        if (number.typeId() == QMetaType::LongLong)
            out += QByteArray::number(number.toLongLong());
        else
            out += QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        return;
    }
    case QJsonValue::String:
        appendString(out, value.toString());
        return;
    default:
        out += "null";
    }
}

} // namespace tavrel
