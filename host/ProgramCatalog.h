#pragma once

#include <QList>
#include <QString>

namespace tavrel {

// A published operation of a program's window that the host offers in its menu: the
// operation's name, the menu caption and the question asked before it runs.
struct ProgramOperation
{
    QString method;
    QString caption;
    QString confirmation;
};

// A program of the suite's menu: the code the suite knows it by, the caption users see,
// the menu group, the module library that implements it and the operations of its
// window that the host offers.
struct ProgramEntry
{
    QString code;
    QString caption;
    QString group;
    QString library;
    QList<ProgramOperation> operations;
};

class ProgramCatalog
{
public:
    static const QList<ProgramEntry>& programs();
    // By program code, caption or library name (case-insensitive); nullptr when unknown.
    static const ProgramEntry* find(const QString& codeCaptionOrLibrary);
};

} // namespace tavrel
