#include "TVPField.h"

#include "ErrorReporter.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"

#include <QKeyEvent>

TVPField::TVPField(QWidget* parent) : QToolButton(parent)
{
    setText(QStringLiteral("..."));
    setFixedSize(22, 22);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("Seleccionar de la lista (F2)"));
    connect(this, &QToolButton::clicked, this, &TVPField::runClick);
}

TVPField::~TVPField() = default;

SClientDataSet* TVPField::dataSet() const
{
    return m_dataSet;
}

void TVPField::setDataSet(SClientDataSet* dataSet)
{
    m_dataSet = dataSet;
}

SDCOMConnection* TVPField::remoteServer() const
{
    return m_remoteServer;
}

void TVPField::setRemoteServer(SDCOMConnection* connection)
{
    m_remoteServer = connection;
}

QWidget* TVPField::buddy() const
{
    return m_buddy;
}

void TVPField::setBuddy(QWidget* edit)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = edit;
    if (edit)
        edit->installEventFilter(this);
}

bool TVPField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool f2 = key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier;
        const bool altDown = key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier;
        if ((f2 || altDown) && isEnabled()) {
            click();
            return true;
        }
    }
    return QToolButton::eventFilter(watched, event);
}

void TVPField::runClick()
{
    if (OnClick)
        tavrel::ErrorReporter::guard([this] { OnClick(this); });
}
