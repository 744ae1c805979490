#include "TextoComas.h"

namespace {

bool esBlanco(QChar c)
{
    return c.unicode() <= ' ';
}

} // namespace

QStringList TextoComas::leer(const QString& texto)
{
    QStringList entradas;
    const qsizetype n = texto.size();
    qsizetype i = 0;
    while (i < n && esBlanco(texto.at(i)))
        ++i;
    while (i < n) {
        QString entrada;
        if (texto.at(i) == u'"') {
            ++i;
            while (i < n) {
                if (texto.at(i) == u'"') {
                    if (i + 1 < n && texto.at(i + 1) == u'"') {
                        entrada += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entrada += texto.at(i++);
            }
        } else {
            while (i < n && texto.at(i) != u',' && !esBlanco(texto.at(i)))
                entrada += texto.at(i++);
        }
        entradas.append(entrada);
        // Blanks, at most one comma and blanks again separate two entries; a comma at
        // the very end leaves one empty entry after it.
        while (i < n && esBlanco(texto.at(i)))
            ++i;
        if (i < n && texto.at(i) == u',') {
            ++i;
            while (i < n && esBlanco(texto.at(i)))
                ++i;
            if (i == n)
                entradas.append(QString());
        }
    }
    return entradas;
}
