#pragma once

#include "MVGnNormaMPExport.h"

namespace tavrel {

// Makes SDCOMConnection reach the application server in-process for the protocol
// "local" (or an empty protocol): the connection's database (a SQLite file or a
// postgresql:// URL) is opened by tavrel::LocalAppServer. Other protocols are refused
// with a clear message until the network server exists.
class MVGNNORMAMP_EXPORT LocalServerFactory
{
public:
    // Registers the factory unless one is registered already (a host or a test may
    // bring its own).
    static void install();
};

} // namespace tavrel
