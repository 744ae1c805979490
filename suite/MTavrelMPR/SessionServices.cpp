#include "SessionServices.h"

#include <QApplication>
#include <QMessageBox>

namespace tavrel {

namespace {
SessionServices& installed()
{
    static SessionServices services;
    return services;
}
} // namespace

const SessionServices& SessionServices::current()
{
    return installed();
}

void SessionServices::messageBox(const QString& message, MessageKind kind)
{
    QMessageBox::Icon icon = QMessageBox::Critical;
    if (kind == MessageKind::Warning)
        icon = QMessageBox::Warning;
    else if (kind == MessageKind::Information)
        icon = QMessageBox::Information;
    QMessageBox box(icon, QStringLiteral("Tavrel"), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

SessionServices::Scope::Scope(SessionServices services) : m_previous(std::move(installed()))
{
    installed() = std::move(services);
}

SessionServices::Scope::Scope(const std::function<void(SessionServices&)>& change)
    : m_previous(installed())
{
    SessionServices next = m_previous;
    change(next);
    installed() = std::move(next);
}

SessionServices::Scope::~Scope()
{
    installed() = std::move(m_previous);
}

} // namespace tavrel
