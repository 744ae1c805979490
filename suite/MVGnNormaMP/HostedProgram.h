#pragma once

#include "MVGnNormaMPExport.h"

#include <QList>
#include <QString>
#include <QVariantMap>

class QWidget;

namespace tavrel {

// An operation a program's window offers the host that loaded it: the name it is
// published under, the caption of the host's menu item and the question the host asks
// before running it (empty: none).
struct ProgramOperation
{
    QString name;
    QString caption;
    QString confirmation;
};

// What a host may ask of a program window it loaded, beside the module's entry points:
// the window's published operations, whether a record is being edited, a fresh read of
// its records, the key of the row it shows and its exports. Every master form answers
// it; a host reaches it through of() on the window the load entry returned.
class MVGNNORMAMP_EXPORT HostedProgram
{
public:
    virtual ~HostedProgram();

    // The published operations, in the order the host's menu lists them.
    virtual QList<ProgramOperation> operations() const = 0;
    // Runs the published operation of that name (in any case). An unknown name throws
    // ModuleError naming it; the operation's own errors pass through.
    virtual void runOperation(const QString& name) = 0;

    // A record is being inserted or edited and not yet posted.
    virtual bool isEditing() const = 0;
    // Reads the window's records again from the server.
    virtual void refresh() = 0;
    // The company the window works in (the user may change it there); 0 before the first.
    virtual int company() const = 0;
    // The key fields of the row the window shows, by field name; empty without a row.
    virtual QVariantMap currentKey() const = 0;

    // The rows as the grid shows them, as CSV or as an Excel workbook; the window's report
    // as PDF. Throw ModuleError on failure; a window without a report refuses the PDF.
    virtual void exportCsv(const QString& path) = 0;
    virtual void exportExcel(const QString& path) = 0;
    virtual void exportPdf(const QString& path) = 0;

    // The program behind a window a load entry returned; nullptr for any other widget.
    static HostedProgram* of(QWidget* window);
};

} // namespace tavrel
