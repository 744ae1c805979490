#pragma once

#include "TavrelContractsExport.h"

#include <QByteArray>
#include <QString>
#include <exception>

namespace tavrel {

// The one error type that crosses the layers. A handler refuses by throwing it with
// its Spanish message; every UI boundary catches it and hands it to the module
// application's HandleException.
class TAVREL_CONTRACTS_EXPORT ModuleError : public std::exception
{
public:
    enum class Kind
    {
        Refusal,    // a rule of the module or the suite refused the action
        Conversion, // a text or value could not be converted
        Server,     // the database or the application server failed
        Connection, // the server or database could not be reached
        Conflict,   // the row was changed by someone else since it was read
        Abort,      // silent: the action stops and no message is shown
    };

    explicit ModuleError(const QString& message, Kind kind = Kind::Refusal);

    const QString& message() const noexcept { return m_message; }
    Kind kind() const noexcept { return m_kind; }
    bool isSilent() const noexcept { return m_kind == Kind::Abort; }
    const char* what() const noexcept override { return m_utf8.constData(); }

    // A silent abort, the way a handler stops without a message.
    static ModuleError abort();

private:
    QString m_message;
    QByteArray m_utf8;
    Kind m_kind;
};

} // namespace tavrel
