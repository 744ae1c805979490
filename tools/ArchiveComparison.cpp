#include "ArchiveComparison.h"

#include "FieldType.h"
#include "XlsxWriter.h"

#include <QJsonArray>
#include <map>
#include <tuple>

namespace tavrel {

namespace {

QJsonValue figuresJson(bool present, const ArchiveComparison::Figures& f)
{
    if (!present)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("VAL_TOTA"), f.total},
                       {QStringLiteral("VAL_CAUS"), f.caused},
                       {QStringLiteral("VAL_SALD"), f.balance}};
}

QJsonValue keyJson(const QVariant& v)
{
    return isNull(v) ? QJsonValue(QJsonValue::Null) : QJsonValue::fromVariant(v);
}

} // namespace

ArchiveComparison::ArchiveComparison(const YearArchiveReport& first,
                                     const YearArchiveReport& second)
    : m_company(first.company), m_firstYear(first.year), m_secondYear(second.year)
{
    // Ordered as the archive orders its rows: payrollConcept, account, related code (none first).
    using Key = std::tuple<qint64, QString, qint64>;
    std::map<Key, Line> lines;
    for (const YearArchiveReport* year : {&first, &second}) {
        const ResultTable& t = year->rows;
        for (int r = 0; r < t.rows.size(); ++r) {
            const QVariant payrollConcept = t.value(r, QStringLiteral("COD_CONT"));
            const QVariant account = t.value(r, QStringLiteral("COD_CUEN")).toString().trimmed();
            const QVariant related = t.value(r, QStringLiteral("COD_CCOS"));
            const Key key{isNull(payrollConcept) ? -1 : payrollConcept.toLongLong(),
                          account.toString(), isNull(related) ? -1 : related.toLongLong()};
            Line& line = lines[key];
            line.payrollConcept = payrollConcept;
            line.account = account;
            line.related = related;
            const bool isFirst = year == &first;
            (isFirst ? line.inFirst : line.inSecond) = true;
            Figures& f = isFirst ? line.first : line.second;
            f.total += t.value(r, QStringLiteral("VAL_TOTA")).toDouble();
            f.caused += t.value(r, QStringLiteral("VAL_CAUS")).toDouble();
            f.balance += t.value(r, QStringLiteral("VAL_SALD")).toDouble();
        }
    }
    for (const auto& [key, line] : lines)
        m_lines.append(line);
}

QJsonObject ArchiveComparison::toJson() const
{
    QJsonArray keys;
    for (const Line& l : m_lines)
        keys.append(QJsonObject{
            {QStringLiteral("COD_CONT"), keyJson(l.payrollConcept)},
            {QStringLiteral("COD_CUEN"), keyJson(l.account)},
            {QStringLiteral("COD_CCOS"), keyJson(l.related)},
            {QString::number(m_firstYear), figuresJson(l.inFirst, l.first)},
            {QString::number(m_secondYear), figuresJson(l.inSecond, l.second)},
            {QStringLiteral("diferencia"),
             figuresJson(true, {l.second.total - l.first.total, l.second.caused - l.first.caused,
                                l.second.balance - l.first.balance})}});
    return {{QStringLiteral("empresa"), m_company},
            {QStringLiteral("vigencias"), QJsonArray{m_firstYear, m_secondYear}},
            {QStringLiteral("claves"), keys}};
}

void ArchiveComparison::writeXlsx(const QString& path) const
{
    using K = XlsxColumn::Kind;
    const QString money = QStringLiteral("#,##0.00");
    const QString a = QString::number(m_firstYear);
    const QString b = QString::number(m_secondYear);
    QList<XlsxColumn> columns = {
        {QStringLiteral("Contabilización"), K::Number, QStringLiteral("0"), 14},
        {QStringLiteral("Cuenta"), K::Text, QString(), 18},
        {QStringLiteral("Campo relacionado"), K::Number, QStringLiteral("0"), 12},
        {QStringLiteral("En"), K::Text, QString(), 12},
    };
    for (const QString& what :
         {QStringLiteral("Total"), QStringLiteral("Causado"), QStringLiteral("Saldo")}) {
        columns.append({what + QLatin1Char(' ') + a, K::Number, money, 15});
        columns.append({what + QLatin1Char(' ') + b, K::Number, money, 15});
        columns.append({QStringLiteral("Diferencia ") + what.toLower(), K::Number, money, 15});
    }
    QList<QVariantList> sheet;
    for (const Line& l : m_lines) {
        const QString in = l.inFirst && l.inSecond ? QStringLiteral("ambas")
                           : l.inFirst             ? QStringLiteral("solo ") + a
                                                   : QStringLiteral("solo ") + b;
        sheet.append({l.payrollConcept, l.account, l.related, in, l.first.total, l.second.total,
                      l.second.total - l.first.total, l.first.caused, l.second.caused,
                      l.second.caused - l.first.caused, l.first.balance, l.second.balance,
                      l.second.balance - l.first.balance});
    }
    XlsxWriter::write(path, QStringLiteral("Vigencias %1 y %2").arg(a, b), columns, sheet);
}

} // namespace tavrel
