#pragma once

#include "MVGnNormaMPExport.h"
#include "SessionServices.h"

#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <utility>

class QWidget;

// Creation, closing and destruction of the objects a module application owns, one
// line each ("created <name>", "closed <name>", "destroyed <name>"). Off by default;
// enable with the rule "tavrel.module.lifecycle.debug=true".
MVGNNORMAMP_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcModuleLifecycle);

namespace tavrel {

// The application object of a loaded module. It stands for the host inside the
// module: it carries the host window and the current company code (its tag), owns
// the module's data modules and forms, and shows the errors that reach a UI
// boundary.
//
// One exists per loaded module; the module's load entry creates it and its unload
// entry destroys it. instance() is null in between. While it lives, the session
// services are the host's with its handleException as reportError and the session
// globals as sessionValues.
class MVGNNORMAMP_EXPORT ModuleApplication : public QObject
{
    Q_OBJECT

public:
    using MessageSink = std::function<void(const QString& message, MessageKind kind)>;

    // Takes the session services installed now (the host's) and puts its layer on them.
    explicit ModuleApplication(QObject* parent = nullptr);
    // Destroys the owned objects that are still alive, newest first, and puts the
    // host's session services back.
    ~ModuleApplication() override;

    static ModuleApplication* instance();

    // Window handle of the host window the module was loaded into.
    quintptr hostWindow() const;
    void setHostWindow(quintptr handle);

    // The current company code, kept by the master form.
    int tag() const;
    void setTag(int tag);

    // Creates an object that this application owns. The object is fully constructed
    // before it is owned; when its constructor throws, nothing is owned.
    template <class T, class... Args> T* create(Args&&... args)
    {
        T* object = new T(std::forward<Args>(args)...);
        adopt(object);
        return object;
    }

    // Takes ownership of an object without a parent. Objects deleted elsewhere are
    // simply forgotten.
    void adopt(QObject* object);
    // Deletes an owned object now. Null and objects not owned are ignored.
    void destroy(QObject* object);
    // Closes an owned form, so that its close handlers run, and then deletes it, even
    // when a handler refused to close.
    void closeAndDestroy(QWidget* form);
    // The owned objects still alive, oldest first.
    QList<QObject*> ownedObjects() const;

    // Shows the error in a modal box titled "Tavrel". A ModuleError of kind Abort is
    // silent.
    void handleException(const std::exception& error);
    // Shows a message in a modal box, or hands it to the message sink when one is set.
    void showMessage(const QString& message, MessageKind kind);
    // Replaces the modal boxes, e.g. in tests; an empty sink restores them. The sink
    // starts as the host's showMessage (a host without a screen prints the messages).
    void setMessageSink(MessageSink sink);

    static QString title();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
