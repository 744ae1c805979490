#include "TVNotas.h"

#include "ErrorReporter.h"
#include "Field.h"
#include "ModuleError.h"
#include "NotesDialog.h"
#include "NotesStore.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "SessionContext.h"

#include <QPainter>
#include <QPixmap>

using tavrel::ModuleError;

namespace {

// A sheet of paper with a folded corner and three lines of text.
QIcon notesIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPolygon sheet(
        {QPoint(2, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(2, 14)});
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(QColor(0xFF, 0xF4, 0xB0));
    p.drawPolygon(sheet);
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
    p.setPen(QColor(0x60, 0x60, 0x90));
    for (int y : {6, 9, 12})
        p.drawLine(4, y, 11, y);
    return QIcon(pixmap);
}

} // namespace

TVNotas::TVNotas(QWidget* parent) : QToolButton(parent)
{
    setIcon(notesIcon());
    setFixedSize(22, 22);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("Notas / Alertas"));
    connect(this, &QToolButton::clicked, this,
            [this] { tavrel::ErrorReporter::guard([this] { showNotes(); }); });
}

TVNotas::~TVNotas() = default;

SClientDataSet* TVNotas::dataSet() const
{
    return m_dataSet;
}

void TVNotas::setDataSet(SClientDataSet* dataSet)
{
    m_dataSet = dataSet;
}

void TVNotas::showNotes()
{
    if (!m_dataSet || !m_dataSet->active() || m_dataSet->isEmpty())
        throw ModuleError(QStringLiteral("No hay un registro seleccionado para ver sus notas"));
    tavrel::Field* key = m_dataSet->fieldByName(m_campo);
    const QString keyValue = key->asString().trimmed();
    if (keyValue.isEmpty())
        throw ModuleError(QStringLiteral("El registro no tiene %1; escríbalo antes de ver sus "
                                         "notas")
                              .arg(key->displayLabel()));
    bool ok = false;
    const int company = tavrel::SessionContext::companyCode().trimmed().toInt(&ok);
    if (!ok)
        throw ModuleError(QStringLiteral("Seleccione una empresa antes de ver las notas"));
    SDCOMConnection* connection = m_dataSet->remoteServer();
    if (!connection)
        throw ModuleError(
            QStringLiteral("«%1» no tiene conexión con el servidor").arg(m_dataSet->objectName()));
    connection->open();

    tavrel::NotesStore store(*connection->appServer(), m_forma, m_campo, company);
    const QString caption = QStringLiteral("%1: %2").arg(key->displayLabel(), keyValue);
    tavrel::NotesDialog dialog(store, keyValue, m_tituloForma, caption,
                               tavrel::SessionContext::userCode(), window());
    dialog.exec();
}
