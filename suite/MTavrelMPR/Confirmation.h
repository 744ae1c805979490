#pragma once

#include "MTavrelMPRExport.h"

#include <QString>

class QWidget;

namespace tavrel {

// The yes/no question the controls ask before they destroy data, with Spanish buttons
// ("Sí", "No"). "No" is the default, so a stray Enter deletes nothing.
class MTAVRELMPR_EXPORT Confirmation
{
public:
    static bool ask(QWidget* parent, const QString& question);

    // The navigator's and the grid's question before a delete.
    static QString deleteQuestion();
};

} // namespace tavrel
