#include "YearArchiveDialog.h"

#include "FieldType.h"
#include "ModuleError.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace tavrel {

namespace {

QString text(const QVariant& v)
{
    return isNull(v) ? QString() : v.toString().trimmed();
}

} // namespace

YearArchiveDialog::YearArchiveDialog(Actions actions, int year, QWidget* parent)
    : ServerReportDialog(QStringLiteral("Archivar la vigencia"), year, parent),
      m_actions(std::move(actions)),
      m_archive(new QPushButton(QStringLiteral("&Archivar la vigencia"), this))
{
    setObjectName(QStringLiteral("YearArchiveDialog"));
    yearBox()->setSpecialValueText(QString());
    yearBox()->setRange(1, 9999);
    yearBox()->setValue(year);
    computeButton()->setText(QStringLiteral("&Revisar"));
    m_archive->setObjectName(QStringLiteral("archive"));
    m_archive->setAutoDefault(false);
    m_archive->setEnabled(false);
    connect(m_archive, &QPushButton::clicked, this, [this] { archiveYear(); });
    auto* note = addLabel(QStringLiteral(
        "Se guarda una copia de cada fila de la relación de la empresa tal como está ahora, con "
        "su saldo, bajo el año elegido. La relación no cambia. Cada vigencia se archiva una sola "
        "vez."));
    note->setObjectName(QStringLiteral("note"));
    m_rows =
        addTable({QStringLiteral("Contab."), QStringLiteral("Cuenta"), QStringLiteral("Cód. rel."),
                  QStringLiteral("Fuente"), QStringLiteral("Recurso"), QStringLiteral("Situación"),
                  QStringLiteral("Dependencia"), QStringLiteral("Valor total"),
                  QStringLiteral("Valor causado"), QStringLiteral("Saldo")},
                 1);
    m_rows->setObjectName(QStringLiteral("rows"));
    // The archive button stands beside "Revisar".
    if (auto* top = qobject_cast<QBoxLayout*>(layout()->itemAt(0)->layout()))
        top->insertWidget(3, m_archive);
    resize(980, 520);
    // Only an archived year has rows to export; "Revisar" enables the export first.
    const auto exportArchived = [this] { exportButton()->setEnabled(m_report.year != 0); };
    connect(computeButton(), &QPushButton::clicked, this, exportArchived);
    compute();
    exportArchived();
}

void YearArchiveDialog::show(const YearArchiveReport& report)
{
    m_report = report;
    const ResultTable& t = report.rows;
    m_rows->setRowCount(int(t.rows.size()));
    const char* const columns[] = {"COD_CONT", "COD_CUEN", "COD_CCOS", "COD_FUEN", "COD_PRES",
                                   "COD_SITU", "DEP_APAC", "VAL_TOTA", "VAL_CAUS", "VAL_SALD"};
    for (int r = 0; r < t.rows.size(); ++r) {
        for (int c = 0; c < 10; ++c) {
            const QVariant v = t.value(r, QLatin1String(columns[c]));
            if (c >= 7)
                setNumberCell(m_rows, r, c, money(v));
            else if (c == 0 || c == 2 || c == 4)
                setNumberCell(m_rows, r, c, text(v));
            else
                m_rows->setItem(r, c, new QTableWidgetItem(text(v)));
        }
    }
}

QString YearArchiveDialog::load(int year)
{
    m_rows->setRowCount(0);
    m_report = YearArchiveReport();
    m_archive->setEnabled(false);
    try {
        const YearArchiveReply plan = m_actions.archive(year, false);
        m_archive->setEnabled(true);
        return QStringLiteral("La vigencia %1 no está archivada: se archivarían %2 filas de la "
                              "relación tal como están ahora. Pulse «Archivar la vigencia» para "
                              "archivarlas.")
            .arg(year)
            .arg(plan.rows);
    } catch (const ModuleError& refused) {
        if (refused.kind() != ModuleError::Kind::Refusal)
            throw;
        // An archived year is refused: show what was archived.
        YearArchiveReport archived;
        try {
            archived = m_actions.read(year);
        } catch (const ModuleError&) {
            throw refused;
        }
        show(archived);
        return refused.message();
    }
}

bool YearArchiveDialog::archiveYear()
{
    const int year = yearBox()->value();
    try {
        const YearArchiveReply done = m_actions.archive(year, true);
        show(m_actions.read(year));
        m_archive->setEnabled(false);
        exportButton()->setEnabled(true);
        statusLabel()->setStyleSheet(QString());
        statusLabel()->setText(
            QStringLiteral("Vigencia %1 archivada: %2 filas, por %3 el %4.")
                .arg(year)
                .arg(done.rows)
                .arg(done.user, done.when.toString(QStringLiteral("dd/MM/yyyy HH:mm"))));
        return true;
    } catch (const ModuleError& e) {
        statusLabel()->setStyleSheet(QStringLiteral("color: #b00020;"));
        statusLabel()->setText(e.message());
        return false;
    }
}

QString YearArchiveDialog::suggestedFile() const
{
    return QStringLiteral("vigencia-%1.xlsx").arg(m_report.year);
}

void YearArchiveDialog::exportTo(const QString& path)
{
    m_report.writeXlsx(path);
}

} // namespace tavrel
