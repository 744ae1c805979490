#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The host's trim: removes the characters with codes 0 to 32 at both ends.
QString RecortarEspacios(const QString& text);

// Splits the host parameter string into `params` (emptied first) and rewrites it.
//
// Tokens are separated by blanks only; tabs and other characters stay inside a
// token. A token that starts with a double quote runs to the next double quote and
// may hold blanks. Positions inside the string are 16-bit signed counters, as the
// host's form of the string allows no more than 32,767 characters; a longer run
// without a separator is cut into pieces of that length.
//
// Afterwards `hpv` holds the last entry whose first three letters are AND in any
// letter case (so ANDES counts), in its own case, or is empty when there is none.
void SepararParametrosHpv(QString& hpv, QStringList& params);
