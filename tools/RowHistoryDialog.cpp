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
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tavrel {

namespace {

QString valueText(const QString& column, const QJsonValue& v)
{
    if (v.isNull() || v.isUndefined())
        return QStringLiteral("(vacío)");
    if (v.isDouble() && column.startsWith(QLatin1String("VAL_")))
        return QLocale(QLocale::Spanish, QLocale::Colombia).toString(v.toDouble(), 'f', 2);
    if (v.isDouble())
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

QString RowHistoryDialog::changesText(const QString& details)
{
    const QJsonDocument doc = QJsonDocument::fromJson(details.toUtf8());
    QStringList lines;
    if (doc.isArray()) {
        for (const QJsonValue& change : doc.array()) {
            const QJsonObject c = change.toObject();
            const QString column = c.value(QStringLiteral("columna")).toString();
            lines.append(QStringLiteral("%1: %2 → %3")
                             .arg(column, valueText(column, c.value(QStringLiteral("antes"))),
                                  valueText(column, c.value(QStringLiteral("despues")))));
        }
    } else {
        const QJsonObject o = doc.object();
        lines.append(QStringLiteral("VAL_CAUS, ACT_USUA, ACT_HORA, ACT_ESTA recalculados"));
        if (o.contains(QStringLiteral("vacios_a_cero")))
            lines.append(QStringLiteral("VAL_CAUS vacío → 0 en %1 fila(s)")
                             .arg(o.value(QStringLiteral("vacios_a_cero")).toInt()));
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
    QVariantList args{m_company, m_concept->text().trimmed().toInt(), m_account->text().trimmed(),
                      related.isEmpty() ? QVariant() : QVariant(related.toInt()), QVariantList()};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        m_server->invoke(QStringLiteral("HistorialRegistro"), args);
    } catch (const ModuleError& e) {
        QApplication::restoreOverrideCursor();
        m_summary->setText(QStringLiteral("No se pudo leer el historial: %1").arg(e.message()));
        return false;
    }
    QApplication::restoreOverrideCursor();
    const QVariantList entries = args[4].toList();
    m_table->setRowCount(int(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        const QVariantList e = entries[i].toList();
        const qint64 key = e.value(3).toLongLong();
        const QStringList cells{
            e.value(0).toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            e.value(1).toString(), operationName(e.value(2).toString()),
            key < 0 ? QStringLiteral("%1 filas").arg(e.value(4).toInt())
                    : QStringLiteral("esta fila"),
            changesText(e.value(5).toString())};
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
