#pragma once

#include <QList>
#include <QString>

namespace tavrel {

struct ProgramTools;

// A program of the suite's menu: the code the suite knows it by, the caption users see,
// the menu group, the module library that implements it and the desk tools the host
// offers beside the operations its window publishes (none: nullptr).
struct ProgramEntry
{
    QString code;
    QString caption;
    QString group;
    QString library;
    const ProgramTools* tools = nullptr;
};

class ProgramCatalog
{
public:
    static const QList<ProgramEntry>& programs();
    // By program code, caption or library name (case-insensitive); nullptr when unknown.
    static const ProgramEntry* find(const QString& codeCaptionOrLibrary);
};

} // namespace tavrel
