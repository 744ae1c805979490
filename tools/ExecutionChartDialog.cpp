#include "ExecutionChartDialog.h"

#include "FloatFormatter.h"
#include "ModuleError.h"
#include "XlsxWriter.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>

namespace tavrel {

namespace {

// Amounts are drawn in millions of pesos.
constexpr double kMillion = 1e6;

} // namespace

ExecutionChartDialog::ExecutionChartDialog(const std::function<ExecutionTotals()>& fetch,
                                           QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("ExecutionChartDialog"));
    setWindowTitle(QStringLiteral("Ejecución presupuestal"));
    m_status->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save =
        buttons->addButton(QStringLiteral("&Guardar imagen…"), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("save"));
    QPushButton* excel =
        buttons->addButton(QStringLiteral("Exportar a E&xcel…"), QDialogButtonBox::ActionRole);
    excel->setObjectName(QStringLiteral("excel"));
    QPushButton* close =
        buttons->addButton(QStringLiteral("C&errar"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, [this] {
        saveWithDialog(QStringLiteral("Guardar imagen"), QStringLiteral("ejecucion-presupuestal.png"),
                       QStringLiteral("Imagen PNG (*.png)"), &ExecutionChartDialog::savePng);
    });
    connect(excel, &QPushButton::clicked, this, [this] {
        saveWithDialog(QStringLiteral("Exportar a Excel"),
                       QStringLiteral("ejecucion-presupuestal.xlsx"),
                       QStringLiteral("Libro de Excel (*.xlsx)"), &ExecutionChartDialog::saveXlsx);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(buttons);
    resize(820, 540);

    try {
        m_totals = fetch();
        const ExecutionTotals& totals = m_totals;
        m_status->setText(QStringLiteral("Empresa %1: valor total y valor causado de los rubros "
                                         "de la relación, en millones de pesos.")
                              .arg(totals.company));
        m_tabs->addTab(chart(QStringLiteral("Por recurso presupuestal"),
                             QStringLiteral("Recurso presupuestal"), totals.byResource),
                       QStringLiteral("Por &recurso"));
        m_tabs->addTab(chart(QStringLiteral("Por fuente de financiación"),
                             QStringLiteral("Fuente de financiación"), totals.bySource),
                       QStringLiteral("Por &fuente"));
    } catch (const ModuleError& e) {
        m_status->setText(e.message());
        m_status->setStyleSheet(QStringLiteral("color: #b00020;"));
        save->setEnabled(false);
        excel->setEnabled(false);
    }
}

QWidget* ExecutionChartDialog::chart(const QString& title, const QString& axis,
                                     const QList<ExecutionTotals::Group>& groups)
{
    auto* total = new QBarSet(QStringLiteral("Valor total"));
    auto* caused = new QBarSet(QStringLiteral("Valor causado"));
    QStringList categories;
    double highest = 0;
    for (const ExecutionTotals::Group& g : groups) {
        categories.append(g.label());
        *total << g.total / kMillion;
        *caused << g.caused / kMillion;
        highest = std::max({highest, g.total / kMillion, g.caused / kMillion});
    }
    auto* series = new QBarSeries;
    series->append(total);
    series->append(caused);

    auto* c = new QChart;
    c->setTitle(title);
    c->addSeries(series);
    c->setAnimationOptions(QChart::NoAnimation);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    x->setTitleText(axis);
    c->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = new QValueAxis;
    y->setRange(0, highest > 0 ? highest * 1.05 : 1);
    y->applyNiceNumbers();
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setTitleText(QStringLiteral("Millones de pesos"));
    c->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    c->legend()->setAlignment(Qt::AlignBottom);

    auto* view = new QChartView(c, m_tabs);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

void ExecutionChartDialog::savePng(const QString& path) const
{
    QWidget* view = m_tabs->currentWidget();
    if (!view)
        throw ModuleError(QStringLiteral("No hay gráfico que guardar."));
    if (!view->grab().save(path, "PNG"))
        throw ModuleError(QStringLiteral("No se pudo escribir la imagen «%1».")
                              .arg(QDir::toNativeSeparators(path)));
}

void ExecutionChartDialog::saveXlsx(const QString& path) const
{
    XlsxWriter book;
    book.addSheet(m_totals.sheet());
    book.save(path);
}

void ExecutionChartDialog::saveWithDialog(const QString& caption, const QString& fileName,
                                          const QString& filter,
                                          void (ExecutionChartDialog::*save)(const QString&) const)
{
    const QString path =
        QFileDialog::getSaveFileName(this, caption, QDir::home().filePath(fileName), filter);
    if (path.isEmpty())
        return;
    try {
        (this->*save)(path);
    } catch (const ModuleError& e) {
        QMessageBox::warning(this, windowTitle(), e.message());
    }
}

} // namespace tavrel
