#pragma once

#include <QCommandLineOption>

namespace tavrel {

// The options that several headless commands of the tools share, spelled once.
class ToolOptions
{
public:
    // --json: the result in JSON.
    static const QCommandLineOption& json();
    // --xlsx FILE: the workbook the command writes.
    static const QCommandLineOption& writtenWorkbook();
};

} // namespace tavrel
