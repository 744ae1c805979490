#include "ServerReportDialog.h"

#include "FieldType.h"
#include "FloatFormatter.h"
#include "ModuleError.h"
#include "ReadOnlyTable.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tavrel {

ServerReportDialog::ServerReportDialog(const QString& title, int year, QWidget* parent)
    : QDialog(parent), m_body(new QVBoxLayout), m_year(new QSpinBox(this)),
      m_status(new QLabel(this)), m_compute(new QPushButton(QStringLiteral("&Calcular"), this)),
      m_export(new QPushButton(QStringLiteral("Exportar a &Excel…"), this))
{
    setWindowTitle(title);
    m_year->setObjectName(QStringLiteral("year"));
    m_year->setRange(0, 9999);
    m_year->setSpecialValueText(QStringLiteral("Según FEC_RPCO"));
    m_year->setValue(year);
    m_year->setMinimumWidth(
        m_year->fontMetrics().horizontalAdvance(QStringLiteral("Según FEC_RPCO")) + 48);
    auto* yearLabel = new QLabel(QStringLiteral("&Año:"), this);
    yearLabel->setBuddy(m_year);
    m_compute->setObjectName(QStringLiteral("compute"));
    m_compute->setDefault(true);
    m_compute->setAutoDefault(true);
    connect(m_compute, &QPushButton::clicked, this, [this] { compute(); });

    auto* top = new QHBoxLayout;
    top->addWidget(yearLabel);
    top->addWidget(m_year);
    top->addWidget(m_compute);
    top->addStretch();

    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(this);
    m_export->setObjectName(QStringLiteral("export"));
    m_export->setAutoDefault(false);
    m_export->setEnabled(false);
    buttons->addButton(m_export, QDialogButtonBox::ActionRole);
    QPushButton* close =
        buttons->addButton(QStringLiteral("C&errar"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("close"));
    close->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_export, &QPushButton::clicked, this, [this] { exportWithDialog(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_status);
    layout->addLayout(m_body, 1);
    layout->addWidget(buttons);
}

bool ServerReportDialog::compute()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok = false;
    try {
        m_status->setText(load(m_year->value()));
        m_status->setStyleSheet(QString());
        ok = true;
    } catch (const ModuleError& e) {
        m_status->setText(e.message());
        m_status->setStyleSheet(QStringLiteral("color: #b00020;"));
    }
    QApplication::restoreOverrideCursor();
    m_export->setEnabled(ok);
    return ok;
}

QTableWidget* ServerReportDialog::addTable(const QStringList& headers, int stretch)
{
    QTableWidget* table = ReadOnlyTable::create(headers, this);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    m_body->addWidget(table, stretch);
    return table;
}

QLabel* ServerReportDialog::addLabel(const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    m_body->addWidget(label);
    return label;
}

QString ServerReportDialog::money(const QVariant& value)
{
    return isNull(value) ? QString()
                         : FloatFormatter::format(QStringLiteral("#,##0.00"), value.toDouble());
}

void ServerReportDialog::setNumberCell(QTableWidget* table, int row, int column,
                                       const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
}

void ServerReportDialog::exportWithDialog()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar a Excel"),
                                                      QDir::home().filePath(suggestedFile()),
                                                      QStringLiteral("Libro de Excel (*.xlsx)"));
    if (path.isEmpty())
        return;
    try {
        exportTo(path);
        m_status->setText(m_status->text() + QStringLiteral("\nExportado a %1").arg(path));
    } catch (const ModuleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
}

} // namespace tavrel
