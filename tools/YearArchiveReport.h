#pragma once

#include "ArchiveReadCall.h"

#include <QJsonObject>

namespace tavrel {

class IAppServer;

// The relation rows a company archived under a year, as the application server keeps
// them (its method ConsultarArchivo), and what the host shows and exports of them.
class YearArchiveReport : public ArchiveReadReply
{
public:
    // Throws ModuleError, a refusal when the year is not archived.
    static YearArchiveReport fetch(IAppServer& server, int company, int year);

    int company = 0;
    int year = 0;

    // {"empresa", "vigencia", "usuario", "fecha", "filas": [{column: value}]}
    QJsonObject toJson() const;
    // The rows under the titles of their columns. Throws ModuleError.
    void writeXlsx(const QString& path) const;
};

} // namespace tavrel
