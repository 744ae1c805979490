#include "MonthlyCausedDialog.h"

#include "FieldType.h"

#include <QLocale>
#include <QTableWidget>

namespace tavrel {

namespace {

QStringList withMonths(QStringList headers)
{
    const QLocale spanish(QLocale::Spanish);
    for (int m = 1; m <= 12; ++m)
        headers.append(spanish.standaloneMonthName(m, QLocale::ShortFormat));
    headers.append(QStringLiteral("Total"));
    return headers;
}

QString text(const QVariant& v)
{
    return isNull(v) ? QString() : v.toString().trimmed();
}

} // namespace

MonthlyCausedDialog::MonthlyCausedDialog(Fetch fetch, QWidget* parent)
    : ServerReportDialog(QStringLiteral("Causado por mes"), 0, parent), m_fetch(std::move(fetch))
{
    setObjectName(QStringLiteral("MonthlyCausedDialog"));
    addLabel(QStringLiteral("Por rubro de la relación:"));
    m_rows = addTable(withMonths({QStringLiteral("Contab."), QStringLiteral("Cuenta"),
                                  QStringLiteral("Cód. rel.")}),
                      3);
    m_rows->setObjectName(QStringLiteral("rows"));
    addLabel(QStringLiteral("Por clasificación presupuestal (fuente, recurso, situación, "
                            "dependencia PAC):"));
    m_classes = addTable(withMonths({QStringLiteral("Fuente"), QStringLiteral("Recurso"),
                                     QStringLiteral("Situación"), QStringLiteral("Dependencia")}),
                         2);
    m_classes->setObjectName(QStringLiteral("classifications"));
    resize(1180, 620);
    compute();
}

void MonthlyCausedDialog::fillMonths(QTableWidget* table, int row, int first,
                                     const QList<double>& months)
{
    double total = 0;
    for (int m = 0; m < months.size(); ++m) {
        setNumberCell(table, row, first + m, money(months[m]));
        total += months[m];
    }
    setNumberCell(table, row, first + int(months.size()), money(total));
}

QString MonthlyCausedDialog::load(int year)
{
    m_rows->setRowCount(0);
    m_classes->setRowCount(0);
    m_report = m_fetch(year);
    const ResultTable& t = m_report.rows;
    m_rows->setRowCount(int(t.rows.size()));
    double total = 0;
    for (int r = 0; r < t.rows.size(); ++r) {
        setNumberCell(m_rows, r, 0, text(t.value(r, QStringLiteral("COD_CONT"))));
        m_rows->setItem(r, 1, new QTableWidgetItem(text(t.value(r, QStringLiteral("COD_CUEN")))));
        setNumberCell(m_rows, r, 2, text(t.value(r, QStringLiteral("COD_CCOS"))));
        const QList<double> months = m_report.months(r);
        fillMonths(m_rows, r, 3, months);
        for (double m : months)
            total += m;
    }
    const QList<MonthlyCausedReport::Classification> classes = m_report.classifications();
    m_classes->setRowCount(int(classes.size()));
    for (int r = 0; r < classes.size(); ++r) {
        const MonthlyCausedReport::Classification& c = classes[r];
        m_classes->setItem(r, 0, new QTableWidgetItem(text(c.fuente)));
        setNumberCell(m_classes, r, 1, text(c.recurso));
        m_classes->setItem(r, 2, new QTableWidgetItem(text(c.situacion)));
        m_classes->setItem(r, 3, new QTableWidgetItem(text(c.dependencia)));
        fillMonths(m_classes, r, 4, c.months);
    }
    return QStringLiteral("Año %1, del %2 al %3, suma de %4 de los movimientos débito: %5 "
                          "rubros, causado del año %6.")
        .arg(m_report.year())
        .arg(m_report.start.toString(QStringLiteral("dd/MM/yyyy")),
             m_report.end.toString(QStringLiteral("dd/MM/yyyy")), m_report.summedColumn)
        .arg(t.rows.size())
        .arg(money(total));
}

QString MonthlyCausedDialog::suggestedFile() const
{
    return QStringLiteral("causado-por-mes-%1.xlsx").arg(m_report.year());
}

void MonthlyCausedDialog::exportTo(const QString& path)
{
    m_report.writeXlsx(path);
}

} // namespace tavrel
