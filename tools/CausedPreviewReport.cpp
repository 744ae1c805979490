#include "CausedPreviewReport.h"

#include "CausedPreviewCall.h"
#include "FieldType.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "XlsxWriter.h"

#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace tavrel {

namespace {

const QString kDate = QStringLiteral("dd/MM/yyyy");
const QString kMoney = QStringLiteral("#,##0.00");

// The columns of the sheet and the row columns they show ("" for the difference).
struct SheetColumn
{
    const char* source;
    XlsxColumn column;
};

QList<SheetColumn> sheetColumns()
{
    using K = XlsxColumn::Kind;
    return {
        {"COD_EMPR", {QStringLiteral("Empresa"), K::Number, QStringLiteral("0"), 9}},
        {"COD_CONT", {QStringLiteral("Concepto"), K::Number, QStringLiteral("0"), 10}},
        {"COD_CUEN", {QStringLiteral("Cuenta"), K::Text, QString(), 18}},
        {"COD_CCOS", {QStringLiteral("Código relacionado"), K::Number, QStringLiteral("0"), 12}},
        {"COD_FUEN", {QStringLiteral("Fuente"), K::Text, QString(), 8}},
        {"COD_PRES", {QStringLiteral("Recurso"), K::Number, QStringLiteral("0"), 9}},
        {"COD_SITU", {QStringLiteral("Situación"), K::Text, QString(), 9}},
        {"VAL_TOTA", {QStringLiteral("Valor total"), K::Number, kMoney, 16}},
        {"VAL_CAUS", {QStringLiteral("Causado actual"), K::Number, kMoney, 16}},
        {"VAL_CAUS_NUEVO", {QStringLiteral("Causado nuevo"), K::Number, kMoney, 16}},
        {"", {QStringLiteral("Diferencia"), K::Number, kMoney, 16}},
    };
}

QVariantList totalRow(int company, const QString& label, double total, double current, double next)
{
    return {company == 0 ? QVariant() : QVariant(company),
            QVariant(),
            label,
            QVariant(),
            QVariant(),
            QVariant(),
            QVariant(),
            total,
            current,
            next,
            std::round((next - current) * 100) / 100};
}

} // namespace

CausedPreviewReport CausedPreviewReport::fetch(IAppServer& server, int company, int year,
                                               const QDateTime& clientTime)
{
    CausedPreviewReport report;
    static_cast<CausedPreviewReply&>(report) =
        CausedPreviewCall::call(server, {company, year, clientTime});
    report.company = company;
    return report;
}

QString CausedPreviewReport::periodText() const
{
    if (yearly)
        return QStringLiteral("Año %1, del %2 al %3: suma de %4 de los movimientos débito, "
                              "porque la bandera V0000017 de la empresa %5 %6")
            .arg(start.date().year())
            .arg(start.toString(kDate), end.toString(kDate), summedColumn)
            .arg(company)
            .arg(summedColumn == QLatin1String("VAL_TRAN") ? QStringLiteral("es S")
                                                           : QStringLiteral("no es S"));
    return QStringLiteral("Última fecha contable, %1: suma de %2 de los movimientos débito; "
                          "los rubros sin movimiento quedan vacíos")
        .arg(start.toString(kDate + QStringLiteral(" HH:mm")), summedColumn);
}

bool CausedPreviewReport::changes(int row) const
{
    const QVariant a = current(row);
    const QVariant b = next(row);
    if (isNull(a) || isNull(b))
        return isNull(a) != isNull(b);
    return a.toDouble() != b.toDouble();
}

QVariant CausedPreviewReport::difference(int row) const
{
    const QVariant a = current(row);
    const QVariant b = next(row);
    if (isNull(a) && isNull(b))
        return QVariant();
    // Amounts are in cents; the subtraction's binary residue is not.
    return std::round((b.toDouble() - a.toDouble()) * 100) / 100;
}

QList<CausedPreviewReport::CompanyTotal> CausedPreviewReport::companyTotals() const
{
    QList<CompanyTotal> totals;
    for (int r = 0; r < rows.rows.size(); ++r) {
        const int company = rows.value(r, QStringLiteral("COD_EMPR")).toInt();
        if (totals.isEmpty() || totals.last().company != company) {
            CompanyTotal fresh;
            fresh.company = company;
            totals.append(fresh);
        }
        CompanyTotal& t = totals.last();
        ++t.rows;
        t.changed += changes(r) ? 1 : 0;
        t.current += current(r).toDouble();
        t.next += next(r).toDouble();
    }
    return totals;
}

QJsonArray CausedPreviewReport::toJson() const
{
    QJsonArray array;
    for (const QVariantList& row : rows.rows) {
        QJsonObject o;
        for (int c = 0; c < rows.columns.size(); ++c) {
            const QVariant& v = row[c];
            o[rows.columns[c]] = isNull(v) ? QJsonValue(QJsonValue::Null)
                                 : v.typeId() == QMetaType::QDateTime
                                     ? QJsonValue(v.toDateTime().toString(Qt::ISODateWithMs))
                                     : QJsonValue::fromVariant(v);
        }
        array.append(o);
    }
    return array;
}

void CausedPreviewReport::writeXlsx(const QString& path) const
{
    const QList<SheetColumn> layout = sheetColumns();
    QList<XlsxColumn> columns;
    for (const SheetColumn& s : layout)
        columns.append(s.column);
    const QList<CompanyTotal> totals = companyTotals();
    QList<QVariantList> sheet;
    double allTotal = 0, allCurrent = 0, allNext = 0;
    int r = 0;
    for (const CompanyTotal& t : totals) {
        double companyTotal = 0;
        for (int i = 0; i < t.rows; ++i, ++r) {
            QVariantList line;
            for (const SheetColumn& s : layout)
                line.append(*s.source ? rows.value(r, QLatin1String(s.source)) : difference(r));
            companyTotal += rows.value(r, QStringLiteral("VAL_TOTA")).toDouble();
            sheet.append(line);
        }
        sheet.append(totalRow(t.company, QStringLiteral("Total empresa %1").arg(t.company),
                              companyTotal, t.current, t.next));
        allTotal += companyTotal;
        allCurrent += t.current;
        allNext += t.next;
    }
    sheet.append(totalRow(0, QStringLiteral("Total general"), allTotal, allCurrent, allNext));
    XlsxWriter::write(path, QStringLiteral("Vista previa del causado"), columns, sheet);
}

} // namespace tavrel
