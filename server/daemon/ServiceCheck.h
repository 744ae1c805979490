#pragma once

#include "DaemonOptions.h"

#include <QTextStream>

namespace tavrel {

// tavrel-server --check: what the server would need to serve, verified without serving,
// one line per check (ok, AVISO or FALLA and what was found):
// - the listening address may be served (TLS off the loopback address);
// - both logins connect; the functions behind the policies and the sessions are
//   installed as this version makes them, and both roles may run them; each role is as restricted
//   as a server requires; every table with a company column has row-level security and its policy;
// - the certificate and key load and belong together, and the certificate has not
//   expired (a warning when it expires within WarningDays);
// - the access log can be written.
class ServiceCheck
{
public:
    // Returns the exit code: 0 when nothing failed (warnings allowed), 1 otherwise.
    static int run(const DaemonOptions& options, QTextStream& out);

    static constexpr int WarningDays = 30;
};

} // namespace tavrel
