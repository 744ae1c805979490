#pragma once

#include "TavrelReportsExport.h"

#include <QString>

namespace tavrel::report {

// How a report is written to PDF, beyond its pages: fonts are always embedded and the
// file is replaced without asking.
struct TAVREL_REPORTS_EXPORT PdfExportSettings
{
    // The producing application, written into the file's information.
    QString creator = QStringLiteral("Tavrel");
    // PDF/A-1b, for archiving, instead of plain PDF 1.4.
    bool pdfA = false;
};

} // namespace tavrel::report
