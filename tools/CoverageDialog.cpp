#include "CoverageDialog.h"

#include <QFont>
#include <QTableWidget>

namespace tavrel {

CoverageDialog::CoverageDialog(Fetch fetch, QWidget* parent)
    : ServerReportDialog(QStringLiteral("Movimientos sin relación"), 0, parent),
      m_fetch(std::move(fetch))
{
    setObjectName(QStringLiteral("CoverageDialog"));
    m_groups = addTable({QStringLiteral("Empresa"), QStringLiteral("Código rel."),
                         QStringLiteral("Concepto"), QStringLiteral("Cuenta"),
                         QStringLiteral("Movimientos"), QStringLiteral("Suma VAL_CAUC"),
                         QStringLiteral("Suma VAL_TRAN")},
                        1);
    m_groups->setObjectName(QStringLiteral("groups"));
    resize(760, 480);
    compute();
}

QString CoverageDialog::load(int year)
{
    m_groups->setRowCount(0);
    m_report = m_fetch(year);
    const ResultTable& g = m_report.groups;
    m_groups->setRowCount(int(g.rows.size()) + 1);
    for (int r = 0; r < g.rows.size(); ++r) {
        const auto cell = [&](const char* column) {
            const QVariant v = g.value(r, QLatin1String(column));
            return v.isNull() ? QString() : v.toString();
        };
        m_groups->setItem(r, 0, new QTableWidgetItem(cell("COD_EMPR")));
        setNumberCell(m_groups, r, 1, cell("COD_CCOS"));
        setNumberCell(m_groups, r, 2, cell("COD_CONT"));
        m_groups->setItem(r, 3, new QTableWidgetItem(cell("COD_CUEN")));
        setNumberCell(m_groups, r, 4, cell("MOVIMIENTOS"));
        setNumberCell(m_groups, r, 5, money(g.value(r, QStringLiteral("VAL_CAUC"))));
        setNumberCell(m_groups, r, 6, money(g.value(r, QStringLiteral("VAL_TRAN"))));
    }
    const CoverageReport::Total t = m_report.total();
    const int last = int(g.rows.size());
    m_groups->setItem(last, 0, new QTableWidgetItem(QStringLiteral("Total")));
    setNumberCell(m_groups, last, 4, QString::number(t.movements));
    setNumberCell(m_groups, last, 5, money(t.caused));
    setNumberCell(m_groups, last, 6, money(t.transaction));
    QFont bold = m_groups->font();
    bold.setBold(true);
    for (int c = 0; c < m_groups->columnCount(); ++c) {
        if (!m_groups->item(last, c))
            m_groups->setItem(last, c, new QTableWidgetItem);
        m_groups->item(last, c)->setFont(bold);
    }
    const QString period = QStringLiteral("Año %1, del %2 al %3")
                               .arg(m_report.year())
                               .arg(m_report.start.toString(QStringLiteral("dd/MM/yyyy")),
                                    m_report.end.toString(QStringLiteral("dd/MM/yyyy")));
    if (t.groups == 0)
        return period +
               QStringLiteral(": todos los movimientos débito tienen rubro en la relación.");
    const bool one = t.movements == 1;
    return period +
           QStringLiteral(": %1 %2 en %3 %4 de empresa, código relacionado, concepto y cuenta "
                          "%5 rubro en la relación; el causado no %6 suma.")
               .arg(t.movements)
               .arg(one ? QStringLiteral("movimiento débito")
                        : QStringLiteral("movimientos débito"))
               .arg(t.groups)
               .arg(t.groups == 1 ? QStringLiteral("combinación") : QStringLiteral("combinaciones"))
               .arg(one ? QStringLiteral("no tiene") : QStringLiteral("no tienen"))
               .arg(one ? QStringLiteral("lo") : QStringLiteral("los"));
}

QString CoverageDialog::suggestedFile() const
{
    return QStringLiteral("movimientos-sin-relacion-%1.xlsx").arg(m_report.year());
}

void CoverageDialog::exportTo(const QString& path)
{
    m_report.writeXlsx(path);
}

} // namespace tavrel
