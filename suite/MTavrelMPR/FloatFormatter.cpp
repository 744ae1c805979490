#include "FloatFormatter.h"

#include "FormatSettings.h"

#include <QStringList>
#include <cmath>

namespace tavrel {

namespace {

// One section of a pattern, digested.
struct Section
{
    QString prefix;
    QString suffix;
    int minIntegerDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
    bool hasPlaceholder = false;
};

// The pattern split at the semicolons that are not inside quotes.
QStringList splitSections(const QString& pattern)
{
    QStringList sections{QString()};
    QChar quote;
    for (const QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections.append(QString());
            continue;
        }
        sections.last().append(c);
    }
    return sections;
}

Section parseSection(const QString& text)
{
    Section s;
    bool afterPoint = false;
    int decimalPlaces = 0;
    QChar quote;
    for (const QChar c : text) {
        QString& literal = s.hasPlaceholder ? s.suffix : s.prefix;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                literal.append(c);
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            s.hasPlaceholder = true;
            if (afterPoint) {
                ++decimalPlaces;
                s.maxDecimals = decimalPlaces;
                if (c == QLatin1Char('0'))
                    s.minDecimals = decimalPlaces;
            } else if (c == QLatin1Char('0')) {
                ++s.minIntegerDigits;
            }
        } else if (c == QLatin1Char('.') && !afterPoint) {
            s.hasPlaceholder = true;
            afterPoint = true;
        } else if (c == QLatin1Char(',') && !afterPoint) {
            s.hasPlaceholder = true;
            s.grouping = true;
        } else {
            literal.append(c);
        }
    }
    return s;
}

// |value| rounded to a number of decimals: the integer digits and the decimal digits.
struct Rounded
{
    QString integerDigits; // without leading zeros; empty for zero
    QString decimalDigits; // exactly the number of decimals asked for
    bool isZero = true;
};

Rounded roundDecimal(double value, int decimals)
{
    // 15 significant digits and the power of ten of the first one.
    const QString e = QString::number(std::fabs(value), 'e', 14);
    const qsizetype ePos = e.indexOf(QLatin1Char('e'));
    QString digits = e.left(ePos).remove(QLatin1Char('.'));
    int integerCount = e.mid(ePos + 1).toInt() + 1;

    const int keep = integerCount + decimals;
    if (keep < 0) {
        digits.clear();
    } else if (keep < digits.size()) {
        const bool up = digits.at(keep) >= QLatin1Char('5');
        digits.truncate(keep);
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits.at(i) == QLatin1Char('9')) {
                digits[i] = QLatin1Char('0');
                --i;
            }
            if (i >= 0) {
                digits[i] = QChar(digits.at(i).unicode() + 1);
            } else {
                digits.prepend(QLatin1Char('1'));
                ++integerCount;
            }
        }
    }

    Rounded r;
    if (integerCount > 0) {
        r.integerDigits = digits.left(integerCount);
        r.integerDigits += QString(qMax(0, integerCount - int(digits.size())), QLatin1Char('0'));
        r.decimalDigits = digits.mid(integerCount);
    } else {
        r.decimalDigits = QString(-integerCount, QLatin1Char('0')) + digits;
    }
    r.decimalDigits = r.decimalDigits.left(decimals);
    r.decimalDigits += QString(decimals - r.decimalDigits.size(), QLatin1Char('0'));

    qsizetype lead = 0;
    while (lead < r.integerDigits.size() && r.integerDigits.at(lead) == QLatin1Char('0'))
        ++lead;
    r.integerDigits.remove(0, lead);
    r.isZero = r.integerDigits.isEmpty() &&
               r.decimalDigits.count(QLatin1Char('0')) == r.decimalDigits.size();
    return r;
}

QString render(const Section& s, const Rounded& r, QChar decimalSeparator, QChar thousandSeparator)
{
    QString integer = r.integerDigits;
    if (integer.size() < s.minIntegerDigits)
        integer.prepend(QString(s.minIntegerDigits - integer.size(), QLatin1Char('0')));
    if (s.grouping) {
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, thousandSeparator);
    }
    QString decimals = r.decimalDigits;
    while (decimals.size() > s.minDecimals && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    QString text = s.prefix + integer;
    if (!decimals.isEmpty())
        text += decimalSeparator + decimals;
    return text + s.suffix;
}

} // namespace

QString FloatFormatter::format(const QString& pattern, double value)
{
    const FormatSettings& settings = FormatSettings::instance();
    return format(pattern, value, settings.decimalSeparator(), settings.thousandSeparator());
}

QString FloatFormatter::format(const QString& pattern, double value, QChar decimalSeparator,
                               QChar thousandSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (pattern.isEmpty())
        return general(value);

    const QStringList sections = splitSections(pattern);
    const Section positive = parseSection(sections.at(0));
    Section chosen = positive;
    bool withSign = value < 0;
    if (value < 0 && sections.size() > 1 && !sections.at(1).isEmpty()) {
        chosen = parseSection(sections.at(1));
        withSign = false;
    }
    Rounded rounded = roundDecimal(value, chosen.maxDecimals);
    if (rounded.isZero) {
        withSign = false;
        if (sections.size() > 2 && !sections.at(2).isEmpty()) {
            chosen = parseSection(sections.at(2));
            rounded = roundDecimal(0.0, chosen.maxDecimals);
        }
    }
    if (!chosen.hasPlaceholder)
        return chosen.prefix;
    const QString text = render(chosen, rounded, decimalSeparator, thousandSeparator);
    return withSign ? QLatin1Char('-') + text : text;
}

QString FloatFormatter::general(double value)
{
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('.'), FormatSettings::instance().decimalSeparator());
    return text;
}

} // namespace tavrel
