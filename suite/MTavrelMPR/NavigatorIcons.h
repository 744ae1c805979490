#pragma once

#include <QIcon>

// The glyphs of the navigator buttons, drawn at run time so that they look the same
// on every platform and style. `which` is a TVNavegador::Button value.
class NavigatorIcons
{
public:
    static QIcon icon(int which, const QColor& color);
};
