#pragma once

#include "IAppServer.h"

#include <QString>
#include <memory>

namespace tavrel {

// The application server for a session's protocol and server argument: "local" (or an
// empty protocol) runs it in-process on the SQLite file or postgresql:// URL that the
// argument names. Other protocols are refused until the network server exists.
class AppServerFactory
{
public:
    // Throws ModuleError (Connection) for an unknown protocol, an empty server argument
    // or a database that cannot be opened.
    static std::shared_ptr<IAppServer> connect(const QString& protocol, const QString& database);
};

} // namespace tavrel
