#pragma once

#include <QList>
#include <QString>

namespace tavrel {

// A program of the suite's menu: the code the suite knows it by, the caption users see,
// the menu group and the module library that implements it.
struct ProgramEntry
{
    QString code;
    QString caption;
    QString group;
    QString library;
};

class ProgramCatalog
{
public:
    static const QList<ProgramEntry>& programs();
    // By program code, caption or library name (case-insensitive); nullptr when unknown.
    static const ProgramEntry* find(const QString& codeCaptionOrLibrary);
};

} // namespace tavrel
