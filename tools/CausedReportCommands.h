#pragma once

#include <QStringList>
#include <QTextStream>

namespace tavrel {

// The sub-commands of the reports over the caused values, computed by the application
// server without loading any module and without writing to the database:
//   tavrel causado-preview --database D --user U --password P --company N [--year Y]
//                          (--json | --xlsx F)
//     what the caused-value update would write for company N's window, row by row.
//   tavrel coverage --database D --user U --password P [--company N] [--year Y]
//                   (--json | --xlsx F)
//     the year's debit movements that no relation row takes in.
// Without --year both follow FEC_RPCO. Exit 0 on success, 1 when the server refuses or
// the file cannot be written, 2 for a wrong command line.
class CausedReportCommands
{
public:
    static int preview(const QStringList& args, QTextStream& out, QTextStream& err);
    static int coverage(const QStringList& args, QTextStream& out, QTextStream& err);

    static const char* const previewSynopsis;
    static const char* const coverageSynopsis;
};

} // namespace tavrel
