#pragma once

#include <QString>
#include <QStringList>

// Reads the suite's comma text of a string list, as the application server writes the
// program paths: entries separated by commas or blanks; an entry between double quotes
// keeps its blanks and commas, and a doubled quote inside it stands for one quote.
class TextoComas
{
public:
    static QStringList leer(const QString& texto);
};
