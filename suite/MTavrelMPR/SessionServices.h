#pragma once

#include "MTavrelMPRExport.h"

#include <QString>
#include <exception>
#include <functional>
#include <memory>

namespace tavrel {

class IAppServer;
class XlsxWriter;
struct ProgramRequest;

enum class MessageKind
{
    Error,
    Warning,
    Information,
};

// The session values that the components need from the framework hosting them.
struct SessionValues
{
    QString companyCode; // the current company code, as text
    QString userCode;
};

// What a session of the suite gets from the code that hosts it: the application server,
// the display of errors and messages, the opening of other programs and the session's
// company and user, and what the host adds to a master form's Excel export. The host (or a test, or a benchmark) installs its services; a loaded
// module's application puts its own layer on top for as long as it lives. The facades
// (SDCOMConnection::open, ErrorReporter, ProgramLauncher, SessionContext) read current().
//
// An empty member stands for the behaviour without a host: no server, errors and messages
// in a modal box titled "Tavrel", every program unavailable, empty session values, an
// export of the rows alone.
struct MTAVRELMPR_EXPORT SessionServices
{
    // A server for the protocol and the server argument (SQLite file, postgresql:// URL).
    std::function<std::shared_ptr<IAppServer>(const QString& protocol, const QString& database)>
        connectServer{};
    std::function<void(const std::exception& error)> reportError{};
    std::function<void(const ProgramRequest& request)> launchProgram{};
    std::function<SessionValues()> sessionValues{};
    std::function<void(const QString& message, MessageKind kind)> showMessage{};
    // Adds sheets after the rows of a master form's Excel export before the workbook is
    // saved (figures of the same data); what it throws fails the export.
    std::function<void(XlsxWriter& book)> addExportSheets{};

    // The services installed now (all empty when no scope is alive).
    static const SessionServices& current();
    // Shows the message in a modal box titled "Tavrel", what an empty showMessage means.
    static void messageBox(const QString& message, MessageKind kind);

    class Scope;
};

// Installs services for as long as it lives and then puts back what was installed before.
// Scopes end in the reverse order of their start.
class MTAVRELMPR_EXPORT SessionServices::Scope
{
public:
    explicit Scope(SessionServices services);
    // Installs the current services with `change` applied to them.
    explicit Scope(const std::function<void(SessionServices&)>& change);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    SessionServices m_previous;
};

} // namespace tavrel
