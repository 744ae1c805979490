#include "SepararParametrosHpv.h"

#include <algorithm>
#include <limits>

namespace {

constexpr QChar Blanco = u' ';
constexpr QChar Comillas = u'"';

bool EsEspacio(QChar c)
{
    return c.unicode() <= 32;
}

QStringView RecortarVista(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && EsEspacio(text[first])) {
        ++first;
    }
    while (last > first && EsEspacio(text[last - 1])) {
        --last;
    }
    return text.sliced(first, last - first);
}

bool EmpiezaConAnd(const QString& entry)
{
    if (entry.size() < 3) {
        return false;
    }
    // Only ASCII letters are folded, as the host's upper-case conversion does.
    const auto upper = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') ? char16_t(u - u'a' + u'A') : u;
    };
    return upper(entry[0]) == u'A' && upper(entry[1]) == u'N' && upper(entry[2]) == u'D';
}

// Appends the trimmed token and removes its first occurrence from the string.
void CerrarToken(QString& hpv, const QString& token, QStringList& params)
{
    params.append(RecortarVista(token).toString());
    if (!token.isEmpty()) {
        const qsizetype at = hpv.indexOf(token, 0, Qt::CaseSensitive);
        if (at >= 0) {
            hpv.remove(at, token.size());
        }
    }
    hpv = RecortarEspacios(hpv);
}

// The text up to the next double quote, after dropping the first character. Without
// a closing quote the token is empty and the rest stays in the string.
void CerrarTokenEntreComillas(QString& hpv, QStringList& params)
{
    hpv.remove(0, 1);
    const qsizetype cierre = hpv.indexOf(Comillas);
    const QString token = cierre < 0 ? QString() : hpv.left(cierre);
    params.append(RecortarVista(token).toString());
    hpv = RecortarEspacios(hpv.mid(cierre + 1));
}

} // namespace

QString RecortarEspacios(const QString& text)
{
    return RecortarVista(text).toString();
}

void SepararParametrosHpv(QString& hpv, QStringList& params)
{
    params = QStringList();

    while (!RecortarVista(hpv).isEmpty()) {
        const QString recortado = RecortarEspacios(hpv);
        const qint16 ultima = static_cast<qint16>(
            std::min<qsizetype>(hpv.size(), std::numeric_limits<qint16>::max()));
        QString token;
        bool cerrado = false;
        qint16 pos = 0;
        while (pos < ultima && !cerrado) {
            ++pos;
            const QChar c = hpv.at(pos - 1);
            if (c != Blanco && c != Comillas) {
                token += c;
            }
            if (c == Blanco || RecortarVista(token) == recortado) {
                CerrarToken(hpv, token, params);
                cerrado = true;
            } else if (c == Comillas) {
                CerrarTokenEntreComillas(hpv, params);
                cerrado = true;
            }
        }
        // Only a run of more than 32,767 characters without a blank or a quote gets
        // here: the scanned part becomes a token of its own.
        if (!cerrado) {
            CerrarToken(hpv, token, params);
        }
    }

    for (const QString& entry : std::as_const(params)) {
        if (EmpiezaConAnd(entry)) {
            hpv = entry;
        }
    }
}
