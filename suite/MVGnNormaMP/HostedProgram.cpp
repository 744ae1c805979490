#include "HostedProgram.h"

#include <QWidget>

namespace tavrel {

HostedProgram::~HostedProgram() = default;

HostedProgram* HostedProgram::of(QWidget* window)
{
    return dynamic_cast<HostedProgram*>(window);
}

} // namespace tavrel
