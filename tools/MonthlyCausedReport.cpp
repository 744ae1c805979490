#include "MonthlyCausedReport.h"

#include "FieldType.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "XlsxWriter.h"

#include <QJsonArray>
#include <QLocale>
#include <map>
#include <tuple>

namespace tavrel {

namespace {

const char* const kKeys[] = {"COD_EMPR", "COD_CONT", "COD_CUEN", "COD_CCOS"};
const char* const kClasses[] = {"COD_FUEN", "COD_PRES", "COD_SITU", "DEP_APAC"};

QString monthColumn(int month)
{
    return QStringLiteral("M%1").arg(month, 2, 10, QChar(u'0'));
}

QJsonValue json(const QVariant& v)
{
    if (isNull(v))
        return QJsonValue::Null;
    if (v.typeId() == QMetaType::QString)
        return v.toString().trimmed();
    return QJsonValue::fromVariant(v);
}

QJsonArray monthsJson(const QList<double>& months)
{
    QJsonArray array;
    for (double m : months)
        array.append(m);
    return array;
}

double total(const QList<double>& months)
{
    double sum = 0;
    for (double m : months)
        sum += m;
    return sum;
}

QList<XlsxColumn> monthColumns(QList<XlsxColumn> columns)
{
    const QString money = QStringLiteral("#,##0.00");
    const QLocale spanish(QLocale::Spanish);
    for (int m = 1; m <= 12; ++m)
        columns.append({spanish.standaloneMonthName(m), XlsxColumn::Kind::Number, money, 14});
    columns.append({QStringLiteral("Total del año"), XlsxColumn::Kind::Number, money, 16});
    return columns;
}

} // namespace

MonthlyCausedReport MonthlyCausedReport::fetch(IAppServer& server, int company, int year)
{
    MonthlyCausedReport report;
    static_cast<MonthlyCausedReply&>(report) = MonthlyCausedCall::call(server, {company, year});
    report.company = company;
    QStringList needed;
    for (const char* c : kKeys)
        needed.append(QLatin1String(c));
    for (const char* c : kClasses)
        needed.append(QLatin1String(c));
    for (int m = 1; m <= 12; ++m)
        needed.append(monthColumn(m));
    for (const QString& column : needed) {
        if (report.rows.columnIndex(column) < 0)
            throw ModuleError(
                QStringLiteral("A la respuesta del servidor le falta la columna %1").arg(column),
                ModuleError::Kind::Conversion);
    }
    return report;
}

QList<double> MonthlyCausedReport::months(int row) const
{
    QList<double> list;
    for (int m = 1; m <= 12; ++m)
        list.append(rows.value(row, monthColumn(m)).toDouble());
    return list;
}

QList<MonthlyCausedReport::Classification> MonthlyCausedReport::classifications() const
{
    // Ordered by the codes as text, an empty code first.
    using Key = std::tuple<QString, QString, QString, QString>;
    std::map<Key, Classification> groups;
    const auto text = [](const QVariant& v) {
        return isNull(v) ? QString() : QStringLiteral("%1").arg(v.toString().trimmed(), 12);
    };
    for (int r = 0; r < rows.rows.size(); ++r) {
        const auto value = [&](int i) { return rows.value(r, QLatin1String(kClasses[i])); };
        const Key key{text(value(0)), text(value(1)), text(value(2)), text(value(3))};
        Classification& group = groups[key];
        if (group.months.isEmpty()) {
            group = {value(0), value(1), value(2), value(3), QList<double>(12, 0.0)};
            for (QVariant* v : {&group.fuente, &group.situacion, &group.dependencia}) {
                if (!isNull(*v))
                    *v = v->toString().trimmed();
            }
        }
        const QList<double> m = months(r);
        for (int i = 0; i < 12; ++i)
            group.months[i] += m[i];
    }
    QList<Classification> list;
    for (const auto& [key, group] : groups)
        list.append(group);
    return list;
}

QJsonObject MonthlyCausedReport::toJson() const
{
    QJsonArray rowList;
    for (int r = 0; r < rows.rows.size(); ++r) {
        QJsonObject o;
        for (const char* c : kKeys)
            o[QLatin1String(c)] = json(rows.value(r, QLatin1String(c)));
        o[QStringLiteral("months")] = monthsJson(months(r));
        rowList.append(o);
    }
    QJsonArray classList;
    for (const Classification& c : classifications())
        classList.append(QJsonObject{{QStringLiteral("COD_FUEN"), json(c.fuente)},
                                     {QStringLiteral("COD_PRES"), json(c.recurso)},
                                     {QStringLiteral("COD_SITU"), json(c.situacion)},
                                     {QStringLiteral("DEP_APAC"), json(c.dependencia)},
                                     {QStringLiteral("months"), monthsJson(c.months)}});
    return {{QStringLiteral("rows"), rowList}, {QStringLiteral("classifications"), classList}};
}

void MonthlyCausedReport::writeXlsx(const QString& path) const
{
    using K = XlsxColumn::Kind;
    XlsxSheet byRow{
        XlsxWriter::sheetName(QStringLiteral("Causado por mes %1").arg(year())), {}, {}, true};
    XlsxTable rowTable{
        monthColumns({{QStringLiteral("Empresa"), K::Number, QStringLiteral("0"), 9},
                      {QStringLiteral("Contabilización"), K::Number, QStringLiteral("0"), 14},
                      {QStringLiteral("Cuenta"), K::Text, QString(), 18},
                      {QStringLiteral("Campo relacionado"), K::Number, QStringLiteral("0"), 12}}),
        {}};
    for (int r = 0; r < rows.rows.size(); ++r) {
        QVariantList line;
        for (const char* c : kKeys)
            line.append(rows.value(r, QLatin1String(c)));
        const QList<double> m = months(r);
        for (double v : m)
            line.append(v);
        line.append(total(m));
        rowTable.rows.append(line);
    }
    byRow.tables.append(rowTable);
    XlsxSheet byClass{
        XlsxWriter::sheetName(QStringLiteral("Por clasificación %1").arg(year())), {}, {}, true};
    XlsxTable classTable{
        monthColumns({{QStringLiteral("Fuente"), K::Text, QString(), 8},
                      {QStringLiteral("Recurso"), K::Number, QStringLiteral("0"), 9},
                      {QStringLiteral("Situación"), K::Text, QString(), 9},
                      {QStringLiteral("Dependencia PAC"), K::Text, QString(), 18}}),
        {}};
    for (const Classification& c : classifications()) {
        QVariantList line{c.fuente, c.recurso, c.situacion, c.dependencia};
        for (double v : c.months)
            line.append(v);
        line.append(total(c.months));
        classTable.rows.append(line);
    }
    byClass.tables.append(classTable);
    XlsxWriter book;
    book.addSheet(byRow);
    book.addSheet(byClass);
    book.save(path);
}

} // namespace tavrel
