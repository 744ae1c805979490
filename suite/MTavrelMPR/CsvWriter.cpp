#include "CsvWriter.h"

namespace tavrel {

QByteArray CsvWriter::document(const QStringList& header, const QList<QStringList>& rows)
{
    QString text = line(header);
    for (const QStringList& row : rows)
        text += line(row);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString CsvWriter::line(const QStringList& values)
{
    QStringList quoted;
    quoted.reserve(values.size());
    for (const QString& v : values)
        quoted.append(quote(v));
    return quoted.join(separator()) + QStringLiteral("\r\n");
}

QString CsvWriter::quote(const QString& value)
{
    const bool needsQuotes =
        value.contains(separator()) || value.contains(QLatin1Char('"')) ||
        value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')) ||
        (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!needsQuotes)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace tavrel
