#include "ModuleApplication.h"

#include "ModuleError.h"
#include "SessionGlobals.h"

#include <QPointer>
#include <QWidget>
#include <optional>

Q_LOGGING_CATEGORY(lcModuleLifecycle, "tavrel.module.lifecycle", QtInfoMsg)

namespace tavrel {

namespace {

ModuleApplication* gInstance = nullptr;

QString nameOf(const QObject* object)
{
    const QString name = object->objectName();
    return name.isEmpty() ? QString::fromLatin1(object->metaObject()->className()) : name;
}

} // namespace

struct ModuleApplication::Private
{
    quintptr hostWindow = 0;
    int tag = 0;
    QList<QPointer<QObject>> owned;
    MessageSink sink;
    std::optional<SessionServices::Scope> services;

    void forgetDeleted()
    {
        owned.removeIf([](const QPointer<QObject>& p) { return p.isNull(); });
    }
};

ModuleApplication::ModuleApplication(QObject* parent) : QObject(parent), d(new Private)
{
    d->sink = SessionServices::current().showMessage;
    gInstance = this;
    // The suite's controls show the errors they catch the way the module does, and read
    // the company and the user of the module's session.
    d->services.emplace([this](SessionServices& services) {
        services.reportError = [this](const std::exception& error) { handleException(error); };
        services.sessionValues = [] { return SessionValues{gStCodiEmpr, gStCodiUsua}; };
    });
}

ModuleApplication::~ModuleApplication()
{
    // Copy first: every deletion may change the list through the destroyed signal.
    const auto owned = d->owned;
    for (auto it = owned.crbegin(); it != owned.crend(); ++it) {
        delete it->data();
    }
    d->services.reset();
    if (gInstance == this)
        gInstance = nullptr;
}

ModuleApplication* ModuleApplication::instance()
{
    return gInstance;
}

quintptr ModuleApplication::hostWindow() const
{
    return d->hostWindow;
}

void ModuleApplication::setHostWindow(quintptr handle)
{
    d->hostWindow = handle;
}

int ModuleApplication::tag() const
{
    return d->tag;
}

void ModuleApplication::setTag(int tag)
{
    d->tag = tag;
}

void ModuleApplication::adopt(QObject* object)
{
    if (!object || d->owned.contains(object)) {
        return;
    }
    d->forgetDeleted();
    d->owned.append(object);
    const QString name = nameOf(object);
    qCDebug(lcModuleLifecycle).noquote() << "created" << name;
    connect(object, &QObject::destroyed, this,
            [name] { qCDebug(lcModuleLifecycle).noquote() << "destroyed" << name; });
}

void ModuleApplication::destroy(QObject* object)
{
    if (!object || !d->owned.contains(object)) {
        return;
    }
    d->owned.removeOne(object);
    delete object;
}

void ModuleApplication::closeAndDestroy(QWidget* form)
{
    if (!form || !d->owned.contains(form)) {
        return;
    }
    QPointer<QWidget> guard(form);
    form->close();
    if (guard) {
        qCDebug(lcModuleLifecycle).noquote() << "closed" << nameOf(form);
        destroy(form);
    }
}

QList<QObject*> ModuleApplication::ownedObjects() const
{
    QList<QObject*> alive;
    for (const auto& object : d->owned) {
        if (object) {
            alive.append(object.data());
        }
    }
    return alive;
}

void ModuleApplication::handleException(const std::exception& error)
{
    if (const auto* moduleError = dynamic_cast<const ModuleError*>(&error)) {
        if (moduleError->isSilent()) {
            return;
        }
        showMessage(moduleError->message(), MessageKind::Error);
        return;
    }
    showMessage(QString::fromUtf8(error.what()), MessageKind::Error);
}

void ModuleApplication::showMessage(const QString& message, MessageKind kind)
{
    if (d->sink)
        d->sink(message, kind);
    else
        SessionServices::messageBox(message, kind);
}

void ModuleApplication::setMessageSink(MessageSink sink)
{
    d->sink = std::move(sink);
}

QString ModuleApplication::title()
{
    return QStringLiteral("Tavrel");
}

} // namespace tavrel
