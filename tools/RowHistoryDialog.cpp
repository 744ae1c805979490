#include "RowHistoryDialog.h"

#include "IAppServer.h"
#include "ModuleError.h"
#include "ReadOnlyTable.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tavrel {

namespace {

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

QString valueText(const QString& column, const QVariant& v)
{
    if (v.isNull())
        return QStringLiteral("(vacío)");
    if (isNumber(v) && column.startsWith(QLatin1String("VAL_")))
        return QLocale(QLocale::Spanish, QLocale::Colombia).toString(v.toDouble(), 'f', 2);
    if (isNumber(v))
        return QString::number(v.toDouble(), 'f', 0);
    QString text = v.toString();
    // Date-times are stored as yyyy-MM-ddTHH:mm:ss, with .zzz when they have milliseconds.
    if ((text.size() == 19 || text.size() == 23) && text[10] == u'T' && text[4] == u'-')
        text[10] = u' ';
    return text;
}

} // namespace

QString RowHistoryDialog::operationName(const QString& code)
{
    if (code == QLatin1String("A"))
        return QStringLiteral("Inserción");
    if (code == QLatin1String("M"))
        return QStringLiteral("Modificación");
    if (code == QLatin1String("B"))
        return QStringLiteral("Borrado");
    if (code == QLatin1String("C"))
        return QStringLiteral("Actualización del causado");
    return QStringLiteral("Sentencia");
}

QString RowHistoryDialog::changesText(const RowHistoryEntry& entry)
{
    QStringList lines;
    if (entry.rowKey >= 0) {
        for (const RowHistoryChange& c : entry.changes)
            lines.append(
                QStringLiteral("%1: %2 → %3")
                    .arg(c.column, valueText(c.column, c.before), valueText(c.column, c.after)));
    } else {
        lines.append(QStringLiteral("VAL_CAUS, ACT_USUA, ACT_HORA, ACT_ESTA recalculados"));
        if (entry.emptiedToZero >= 0)
            lines.append(
                QStringLiteral("VAL_CAUS vacío → 0 en %1 fila(s)").arg(entry.emptiedToZero));
    }
    return lines.join(QLatin1Char('\n'));
}

RowHistoryDialog::RowHistoryDialog(std::shared_ptr<IAppServer> server, const RowKeys& keys,
                                   QWidget* parent)
    : QDialog(parent), m_server(std::move(server)), m_company(keys.company),
      m_concept(new QLineEdit(keys.payrollConcept.trimmed(), this)),
      m_account(new QLineEdit(keys.account.trimmed(), this)),
      m_related(new QLineEdit(keys.related.trimmed(), this)), m_summary(new QLabel(this)),
      m_table(ReadOnlyTable::create({QStringLiteral("Fecha"), QStringLiteral("Usuario"),
                                     QStringLiteral("Operación"), QStringLiteral("Alcance"),
                                     QStringLiteral("Cambios")},
                                    this))
{
    setObjectName(QStringLiteral("RowHistoryDialog"));
    setWindowTitle(QStringLiteral("Historial del registro — empresa %1").arg(keys.company));
    m_concept->setObjectName(QStringLiteral("concept"));
    m_account->setObjectName(QStringLiteral("account"));
    m_related->setObjectName(QStringLiteral("related"));
    m_concept->setValidator(new QIntValidator(-32768, 32767, m_concept));
    m_related->setValidator(new QIntValidator(-32768, 32767, m_related));
    m_account->setMaxLength(30);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&Contabilización:"), m_concept);
    fields->addRow(QStringLiteral("C&uenta:"), m_account);
    fields->addRow(QStringLiteral("Código &relacionado:"), m_related);
    auto* find = new QPushButton(QStringLiteral("C&onsultar"), this);
    find->setObjectName(QStringLiteral("find"));
    find->setDefault(true);
    connect(find, &QPushButton::clicked, this, [this] { refresh(); });
    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addWidget(find, 0, Qt::AlignBottom);

    m_table->setObjectName(QStringLiteral("entries"));
    ReadOnlyTable::wrapLastColumn(m_table);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Cerrar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Las llaves son las de la fila actual de la ventana "
                                           "de la relación; puede cambiarlas para consultar otra "
                                           "fila de la empresa."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addLayout(top);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(900, 520);
    if (!keys.payrollConcept.trimmed().isEmpty())
        refresh();
}

QString RowHistoryDialog::summary() const
{
    return m_summary->text();
}

bool RowHistoryDialog::refresh()
{
    m_table->setRowCount(0);
    if (m_concept->text().trimmed().isEmpty() || m_account->text().trimmed().isEmpty()) {
        m_summary->setText(QStringLiteral("Indique la contabilización y la cuenta de la fila."));
        return false;
    }
    const QString related = m_related->text().trimmed();
    const RowHistoryRequest request{
        m_company, m_concept->text().trimmed().toInt(), m_account->text().trimmed(),
        related.isEmpty() ? std::nullopt : std::optional<int>(related.toInt())};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QList<RowHistoryEntry> entries;
    try {
        entries = RowHistoryCall::call(*m_server, request).entries;
    } catch (const ModuleError& e) {
        QApplication::restoreOverrideCursor();
        m_summary->setText(QStringLiteral("No se pudo leer el historial: %1").arg(e.message()));
        return false;
    }
    QApplication::restoreOverrideCursor();
    m_table->setRowCount(int(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        const RowHistoryEntry& e = entries[i];
        const QStringList cells{e.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), e.user,
                                operationName(e.operation),
                                e.rowKey < 0 ? QStringLiteral("%1 filas").arg(e.rows)
                                             : QStringLiteral("esta fila"),
                                changesText(e)};
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    m_table->resizeRowsToContents();
    // Once more when the dialog has laid its columns out.
    QTimer::singleShot(0, m_table, &QTableWidget::resizeRowsToContents);
    m_summary->setText(
        entries.isEmpty()
            ? QStringLiteral("No hay cambios registrados de esa fila en la empresa %1.")
                  .arg(m_company)
            : QStringLiteral("%1 cambio(s) registrado(s).").arg(entries.size()));
    return true;
}

} // namespace tavrel
