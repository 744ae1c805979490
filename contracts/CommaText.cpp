#include "CommaText.h"

namespace tavrel {

namespace {

bool needsQuotes(const QString& entry)
{
    for (QChar c : entry) {
        if (c.unicode() <= ' ' || c == QLatin1Char(',') || c == QLatin1Char('"'))
            return true;
    }
    return false;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char(',') || c.unicode() <= ' ';
}

} // namespace

QStringList CommaText::split(const QString& text)
{
    QStringList entries;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i).unicode() <= ' ')
        ++i;
    while (i < n) {
        QString entry;
        if (text.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (text.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                        entry += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entry += text.at(i++);
            }
        } else {
            while (i < n && !isSeparator(text.at(i)))
                entry += text.at(i++);
        }
        entries.append(entry);
        // Blanks, then at most one comma, then blanks, separate two entries.
        while (i < n && text.at(i).unicode() <= ' ')
            ++i;
        if (i < n && text.at(i) == QLatin1Char(',')) {
            ++i;
            while (i < n && text.at(i).unicode() <= ' ')
                ++i;
            if (i == n)
                entries.append(QString());
        }
    }
    return entries;
}

QString CommaText::join(const QStringList& entries)
{
    // A list of one empty entry must not read back as an empty list.
    if (entries.size() == 1 && entries.first().isEmpty())
        return QStringLiteral("\"\"");
    QStringList parts;
    parts.reserve(entries.size());
    for (const QString& entry : entries) {
        if (needsQuotes(entry)) {
            QString quoted = entry;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            parts.append(QLatin1Char('"') + quoted + QLatin1Char('"'));
        } else {
            parts.append(entry);
        }
    }
    return parts.join(QLatin1Char(','));
}

} // namespace tavrel
