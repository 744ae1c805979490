#include "RelationCheckDialog.h"

#include "IAppServer.h"
#include "ModuleError.h"
#include "ReadOnlyTable.h"
#include "RelationCheckCall.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tavrel {

namespace {

QString code(const QVariant& v)
{
    return v.isNull() ? QStringLiteral("—") : v.toString().trimmed();
}

// The row's keys have columns of their own: the message without the row's name.
QString whatToCheck(const QString& message)
{
    QString text = message.section(QStringLiteral(": "), 1);
    if (text.isEmpty())
        return message;
    text[0] = text[0].toUpper();
    return text;
}

} // namespace

RelationCheckDialog::RelationCheckDialog(std::shared_ptr<IAppServer> server, int company,
                                         QWidget* parent)
    : QDialog(parent), m_server(std::move(server)), m_company(company), m_summary(new QLabel(this)),
      m_table(ReadOnlyTable::create({QStringLiteral("Nivel"), QStringLiteral("Contab."),
                                     QStringLiteral("Cuenta"), QStringLiteral("Cód. rel."),
                                     QStringLiteral("Qué revisar")},
                                    this))
{
    setObjectName(QStringLiteral("RelationCheckDialog"));
    setWindowTitle(QStringLiteral("Revisar la relación — empresa %1").arg(company));
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    m_table->setObjectName(QStringLiteral("warnings"));
    ReadOnlyTable::wrapLastColumn(m_table);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Cerrar"), QDialogButtonBox::RejectRole);
    QPushButton* again =
        buttons->addButton(QStringLiteral("&Revisar de nuevo"), QDialogButtonBox::ActionRole);
    again->setObjectName(QStringLiteral("again"));
    connect(again, &QPushButton::clicked, this, [this] { refresh(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Son advertencias: la ventana de la relación sigue "
                                           "grabando estas filas. Corrija las que correspondan."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(900, 480);
    refresh();
}

QString RelationCheckDialog::summary() const
{
    return m_summary->text();
}

bool RelationCheckDialog::refresh()
{
    m_table->setRowCount(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QList<RelationWarning> warnings;
    try {
        warnings = RelationCheckCall::call(*m_server, {m_company}).warnings;
    } catch (const ModuleError& e) {
        QApplication::restoreOverrideCursor();
        m_summary->setText(QStringLiteral("No se pudo revisar la relación: %1").arg(e.message()));
        return false;
    }
    QApplication::restoreOverrideCursor();
    int notes = 0;
    m_table->setRowCount(int(warnings.size()));
    for (int i = 0; i < warnings.size(); ++i) {
        const RelationWarning& w = warnings[i];
        const bool note = w.level == RelationWarning::Level::Note;
        notes += note ? 1 : 0;
        const QStringList cells{note ? QStringLiteral("Nota") : QStringLiteral("Aviso"),
                                code(w.payrollConcept), code(w.account), code(w.related),
                                whatToCheck(w.message)};
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    m_table->resizeRowsToContents();
    // Once more when the dialog has laid its columns out.
    QTimer::singleShot(0, m_table, &QTableWidget::resizeRowsToContents);
    const qsizetype alerts = warnings.size() - notes;
    m_summary->setText(
        warnings.isEmpty()
            ? QStringLiteral("Empresa %1: no se encontró nada que revisar.").arg(m_company)
            : QStringLiteral("Empresa %1: %2 aviso(s) y %3 nota(s).")
                  .arg(m_company)
                  .arg(alerts)
                  .arg(notes));
    return true;
}

} // namespace tavrel
