#include "CausedPreviewDialog.h"

#include <QFont>
#include <QLabel>
#include <QTableWidget>

namespace tavrel {

namespace {

// Rows whose caused value would change.
const QColor kChanged(255, 236, 179);

QString text(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

CausedPreviewDialog::CausedPreviewDialog(Fetch fetch, QWidget* parent)
    : ServerReportDialog(QStringLiteral("Vista previa del causado"), 0, parent),
      m_fetch(std::move(fetch))
{
    setObjectName(QStringLiteral("CausedPreviewDialog"));
    m_rows =
        addTable({QStringLiteral("Empresa"), QStringLiteral("Concepto"), QStringLiteral("Cuenta"),
                  QStringLiteral("Código rel."), QStringLiteral("Fuente"),
                  QStringLiteral("Recurso"), QStringLiteral("Situación"),
                  QStringLiteral("Valor total"), QStringLiteral("Causado actual"),
                  QStringLiteral("Causado nuevo"), QStringLiteral("Diferencia")},
                 3);
    m_rows->setObjectName(QStringLiteral("rows"));
    addLabel(QStringLiteral("Totales por empresa (las filas resaltadas cambiarían):"));
    m_totals = addTable({QStringLiteral("Empresa"), QStringLiteral("Rubros"),
                         QStringLiteral("Cambian"), QStringLiteral("Causado actual"),
                         QStringLiteral("Causado nuevo"), QStringLiteral("Diferencia")},
                        1);
    m_totals->setObjectName(QStringLiteral("totals"));
    resize(980, 600);
    compute();
}

QString CausedPreviewDialog::load(int year)
{
    m_rows->setRowCount(0);
    m_totals->setRowCount(0);
    m_report = m_fetch(year);
    const ResultTable& t = m_report.rows;
    m_rows->setRowCount(int(t.rows.size()));
    int changed = 0;
    for (int r = 0; r < t.rows.size(); ++r) {
        const auto cell = [&](const char* column) { return t.value(r, QLatin1String(column)); };
        m_rows->setItem(r, 0, new QTableWidgetItem(text(cell("COD_EMPR"))));
        setNumberCell(m_rows, r, 1, text(cell("COD_CONT")));
        m_rows->setItem(r, 2, new QTableWidgetItem(text(cell("COD_CUEN"))));
        setNumberCell(m_rows, r, 3, text(cell("COD_CCOS")));
        m_rows->setItem(r, 4, new QTableWidgetItem(text(cell("COD_FUEN"))));
        setNumberCell(m_rows, r, 5, text(cell("COD_PRES")));
        m_rows->setItem(r, 6, new QTableWidgetItem(text(cell("COD_SITU"))));
        setNumberCell(m_rows, r, 7, money(cell("VAL_TOTA")));
        setNumberCell(m_rows, r, 8, money(m_report.current(r)));
        setNumberCell(m_rows, r, 9, money(m_report.next(r)));
        setNumberCell(m_rows, r, 10, money(m_report.difference(r)));
        if (m_report.changes(r)) {
            ++changed;
            for (int c = 0; c < m_rows->columnCount(); ++c)
                m_rows->item(r, c)->setBackground(kChanged);
            QFont bold = m_rows->font();
            bold.setBold(true);
            m_rows->item(r, 9)->setFont(bold);
            m_rows->item(r, 10)->setFont(bold);
        }
    }
    const QList<CausedPreviewReport::CompanyTotal> totals = m_report.companyTotals();
    m_totals->setRowCount(int(totals.size()));
    for (int i = 0; i < totals.size(); ++i) {
        const CausedPreviewReport::CompanyTotal& c = totals[i];
        m_totals->setItem(i, 0, new QTableWidgetItem(QString::number(c.company)));
        setNumberCell(m_totals, i, 1, QString::number(c.rows));
        setNumberCell(m_totals, i, 2, QString::number(c.changed));
        setNumberCell(m_totals, i, 3, money(c.current));
        setNumberCell(m_totals, i, 4, money(c.next));
        setNumberCell(m_totals, i, 5, money(c.next - c.current));
    }
    return QStringLiteral("%1.\n%2 de %3 rubros cambiarían. Nada se ha escrito.")
        .arg(m_report.periodText())
        .arg(changed)
        .arg(t.rows.size());
}

QString CausedPreviewDialog::suggestedFile() const
{
    return QStringLiteral("vista-previa-causado.xlsx");
}

void CausedPreviewDialog::exportTo(const QString& path)
{
    m_report.writeXlsx(path);
}

} // namespace tavrel
