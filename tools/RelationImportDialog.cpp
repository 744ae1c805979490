#include "RelationImportDialog.h"

#include "FieldType.h"
#include "ModuleError.h"
#include "ReadOnlyTable.h"
#include "RelationImport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tavrel {

namespace {

using Action = RelationImportPlan::Action;

QString actionText(Action action)
{
    switch (action) {
    case Action::Insert:
        return QStringLiteral("Nueva");
    case Action::Update:
        return QStringLiteral("Actualiza");
    case Action::Unchanged:
        return QStringLiteral("Sin cambios");
    case Action::Refused:
        return QStringLiteral("Rechazada");
    case Action::Ignored:
        return QStringLiteral("Ignorada");
    }
    return QString();
}

QString valueText(const QVariant& v)
{
    if (isNull(v))
        return QStringLiteral("vacío");
    if (v.typeId() == QMetaType::Double)
        return QLocale(QLocale::Spanish, QLocale::Colombia).toString(v.toDouble(), 'f', 2);
    return v.toString().trimmed();
}

QString code(const QVariant& v)
{
    return isNull(v) ? QStringLiteral("—") : v.toString().trimmed();
}

// Runs a server call with the wait cursor; its failure is the dialog's message.
template <typename Call> bool waiting(const Call& call, const std::function<void(QString)>& fail)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        call();
        QApplication::restoreOverrideCursor();
        return true;
    } catch (const ModuleError& e) {
        QApplication::restoreOverrideCursor();
        fail(e.message());
    }
    return false;
}

} // namespace

RelationImportDialog::RelationImportDialog(std::shared_ptr<IAppServer> server, int company,
                                           const QString& user, std::function<void()> applied,
                                           QWidget* parent)
    : QDialog(parent), m_server(std::move(server)), m_company(company), m_user(user),
      m_applied(std::move(applied)), m_file(new QLabel(this)), m_summary(new QLabel(this)),
      m_table(ReadOnlyTable::create({QStringLiteral("Fila"), QStringLiteral("Acción"),
                                     QStringLiteral("Contab."), QStringLiteral("Cuenta"),
                                     QStringLiteral("Cód. rel."), QStringLiteral("Cambios"),
                                     QStringLiteral("Motivo")},
                                    this)),
      m_apply(nullptr)
{
    setObjectName(QStringLiteral("RelationImportDialog"));
    setWindowTitle(QStringLiteral("Importar desde Excel — empresa %1").arg(company));
    m_file->setObjectName(QStringLiteral("file"));
    m_file->setText(QStringLiteral("Elija el libro que exportó la relación (u otro con sus "
                                   "mismos títulos) para ver qué cambiaría."));
    m_file->setWordWrap(true);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    m_table->setObjectName(QStringLiteral("plan"));
    ReadOnlyTable::wrapLastColumn(m_table);

    auto* choose = new QPushButton(QStringLiteral("&Elegir libro…"), this);
    choose->setObjectName(QStringLiteral("choose"));
    connect(choose, &QPushButton::clicked, this, [this] { this->choose(); });
    auto* top = new QHBoxLayout;
    top->addWidget(m_file, 1);
    top->addWidget(choose);

    auto* buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(QStringLiteral("&Aplicar"), QDialogButtonBox::ActionRole);
    m_apply->setObjectName(QStringLiteral("apply"));
    m_apply->setEnabled(false);
    connect(m_apply, &QPushButton::clicked, this, [this] { apply(); });
    buttons->addButton(QStringLiteral("&Cerrar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(980, 480);
}

void RelationImportDialog::choose()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Importar desde Excel"), QString(),
                                     QStringLiteral("Libros de Excel (*.xlsx)"));
    if (!path.isEmpty())
        load(path);
}

bool RelationImportDialog::load(const QString& xlsx)
{
    m_file->setText(QStringLiteral("Libro: %1").arg(xlsx));
    m_plan.reset();
    m_table->setRowCount(0);
    m_apply->setEnabled(false);
    return waiting(
        [&] {
            m_plan = RelationImport::plan(*m_server, m_company, xlsx);
            showPlan(*m_plan);
        },
        [this](const QString& m) { fail(m); });
}

void RelationImportDialog::showPlan(const RelationImportPlan& plan)
{
    m_table->setRowCount(int(plan.entries.size()));
    int row = 0;
    for (const RelationImportPlan::Entry& e : plan.entries) {
        QStringList changes;
        for (auto it = e.changes.constBegin(); it != e.changes.constEnd(); ++it)
            changes.append(QStringLiteral("%1: %2 → %3")
                               .arg(RelationImportPlan::title(it.key()),
                                    valueText(it.value().first), valueText(it.value().second)));
        const QStringList cells{QString::number(e.sheetRow),
                                actionText(e.action),
                                code(e.key.value(QStringLiteral("COD_CONT"))),
                                code(e.key.value(QStringLiteral("COD_CUEN"))),
                                code(e.key.value(QStringLiteral("COD_CCOS"))),
                                changes.join(QLatin1Char('\n')),
                                e.message};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (e.action == Action::Refused)
                item->setForeground(QColor(0xA0, 0x10, 0x10));
            m_table->setItem(row, c, item);
        }
        ++row;
    }
    m_table->resizeRowsToContents();
    const int writes = plan.count(Action::Insert) + plan.count(Action::Update);
    QString text = QStringLiteral("%1 nueva(s), %2 actualizada(s), %3 sin cambios, %4 "
                                  "ignorada(s), %5 rechazada(s). %6 fila(s) de la empresa no "
                                  "están en la hoja; no se borran.")
                       .arg(plan.count(Action::Insert))
                       .arg(plan.count(Action::Update))
                       .arg(plan.count(Action::Unchanged))
                       .arg(plan.count(Action::Ignored))
                       .arg(plan.count(Action::Refused))
                       .arg(plan.notInSheet.size());
    if (plan.refused())
        text += QStringLiteral(" Con filas rechazadas no se graba nada: corrija la hoja y "
                               "elíjala de nuevo.");
    else if (writes == 0)
        text += QStringLiteral(" No hay nada que grabar.");
    m_summary->setText(text);
    m_apply->setEnabled(!plan.refused() && writes > 0);
}

bool RelationImportDialog::apply()
{
    if (!m_plan || !m_apply->isEnabled())
        return false;
    int written = 0;
    const bool ok =
        waiting([&] { written = RelationImport::apply(*m_server, m_company, m_user, *m_plan); },
                [this](const QString& m) { fail(m); });
    m_apply->setEnabled(false);
    if (!ok)
        return false;
    m_summary->setText(QStringLiteral("Se grabaron %1 fila(s) de la hoja en la relación de la "
                                      "empresa %2.")
                           .arg(written)
                           .arg(m_company));
    if (m_applied)
        m_applied();
    return true;
}

void RelationImportDialog::fail(const QString& message)
{
    m_summary->setText(
        QStringLiteral("<span style='color:#a01010'>%1</span>").arg(message.toHtmlEscaped()));
}

QString RelationImportDialog::summary() const
{
    return m_summary->text();
}

} // namespace tavrel
