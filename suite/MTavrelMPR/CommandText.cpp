#include "CommandText.h"

namespace tavrel {

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

QStringList CommandText::parameterNames(const QString& text)
{
    QStringList names;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A doubled quote inside the literal closes and reopens it: same effect.
            const qsizetype close = text.indexOf(c, i + 1);
            i = close < 0 ? n : close + 1;
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            const qsizetype end = text.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? n : end + 1;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char(':') && next == QLatin1Char(':')) {
            i += 2;
        } else if (c == QLatin1Char(':') && isNameStart(next)) {
            qsizetype end = i + 1;
            while (end < n && isNamePart(text.at(end)))
                ++end;
            const QString name = text.mid(i + 1, end - i - 1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
            i = end;
        } else {
            ++i;
        }
    }
    return names;
}

void CommandText::setText(const QString& text)
{
    ParamList params;
    for (const QString& name : parameterNames(text)) {
        const Param* old = findParam(name);
        Param p = old ? *old : Param{};
        p.name = name;
        params.append(p);
    }
    m_text = text;
    m_params = params;
}

QStringList CommandText::lines() const
{
    if (m_text.isEmpty())
        return {};
    QStringList lines = m_text.split(QLatin1Char('\n'));
    if (m_text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

void CommandText::setLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1Char('\n');
    setText(text);
}

Param* CommandText::findParam(const QString& name)
{
    for (Param& p : m_params) {
        if (p.name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

} // namespace tavrel
