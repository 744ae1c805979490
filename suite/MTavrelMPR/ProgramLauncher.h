#pragma once

#include "MTavrelMPRExport.h"
#include "ModuleError.h"

#include <QString>
#include <QVariant>

namespace tavrel {

// A request to open another program of the suite, as a linked label makes it.
struct ProgramRequest
{
    QString path;      // the program's path, as GN_PROGR keeps it
    QString keyField;  // the column of the current record that the link carries; may be empty
    QString infoField; // the column of the opened program that receives the key
    QVariant keyValue; // the key column's value in the current record; null when none
};

// How components ask the host to open a program: through the session services'
// launchProgram; without one, launch() refuses with "El programa <path> no está
// disponible en este equipo".
class MTAVRELMPR_EXPORT ProgramLauncher
{
public:
    // Hands the request to the host; errors are thrown to the caller.
    static void launch(const ProgramRequest& request);
    // The refusal for a program that cannot be opened here.
    static ModuleError unavailable(const QString& path);
};

} // namespace tavrel
