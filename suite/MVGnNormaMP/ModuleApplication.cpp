#include "ModuleApplication.h"

#include "ErrorReporter.h"
#include "ModuleError.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

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

    void forgetDeleted()
    {
        owned.removeIf([](const QPointer<QObject>& p) { return p.isNull(); });
    }
};

namespace {
ModuleApplication::MessageSink& defaultSink()
{
    static ModuleApplication::MessageSink sink;
    return sink;
}
} // namespace

ModuleApplication::ModuleApplication(QObject* parent) : QObject(parent), d(new Private)
{
    d->sink = defaultSink();
    gInstance = this;
    // The suite's controls show the errors they catch the way the module does.
    ErrorReporter::setHandler([this](const std::exception& error) { handleException(error); });
}

void ModuleApplication::setDefaultMessageSink(MessageSink sink)
{
    defaultSink() = std::move(sink);
}

ModuleApplication::~ModuleApplication()
{
    // Copy first: every deletion may change the list through the destroyed signal.
    const auto owned = d->owned;
    for (auto it = owned.crbegin(); it != owned.crend(); ++it) {
        delete it->data();
    }
    if (gInstance == this) {
        gInstance = nullptr;
        ErrorReporter::setHandler({});
    }
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
    if (d->sink) {
        d->sink(message, kind);
        return;
    }
    QMessageBox::Icon icon = QMessageBox::Critical;
    if (kind == MessageKind::Warning) {
        icon = QMessageBox::Warning;
    } else if (kind == MessageKind::Information) {
        icon = QMessageBox::Information;
    }
    QMessageBox box(icon, title(), message, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
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
