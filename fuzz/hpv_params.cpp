// The host parameter string split into the list of entries and the filter.

#include "FuzzCheck.h"
#include "SepararParametrosHpv.h"

#include <QStringList>

namespace {

bool EsRecortado(const QString& entry)
{
    return RecortarEspacios(entry) == entry;
}

bool EmpiezaConAnd(const QString& entry)
{
    return entry.left(3).compare(QLatin1String("AND"), Qt::CaseInsensitive) == 0 &&
           entry.size() >= 3 && entry[0].unicode() < 128 && entry[1].unicode() < 128 &&
           entry[2].unicode() < 128;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString original = fuzz::textOf(data, size);
    QString hpv = original;
    QStringList params{QStringLiteral("entrada anterior")};
    SepararParametrosHpv(hpv, params);
    // A blank string is not split (the load entry never passes one): no entries, and
    // the string as it was.
    if (RecortarEspacios(original).isEmpty()) {
        FUZZ_CHECK(params.isEmpty() && hpv == original, hpv);
        return 0;
    }

    // Each entry is a piece of the string, trimmed, without quotes, the pieces in the
    // string's order and apart from each other.
    qsizetype desde = 0;
    QString filtro;
    for (const QString& entry : std::as_const(params)) {
        FUZZ_CHECK(EsRecortado(entry), entry);
        FUZZ_CHECK(!entry.contains(u'"'), entry);
        const qsizetype at = original.indexOf(entry, desde);
        FUZZ_CHECK(at >= 0, QStringLiteral("'%1' not found after %2").arg(entry).arg(desde));
        desde = at + entry.size();
        if (EmpiezaConAnd(entry))
            filtro = entry;
    }
    // No more entries than the string has characters, plus the empty one of a leading blank.
    FUZZ_CHECK(params.size() <= original.size() + 1, QString::number(params.size()));
    FUZZ_CHECK(hpv == filtro, hpv + QStringLiteral(" / ") + filtro);

    // The entries written back, each between quotes, split into the same list and filter.
    QStringList citados;
    for (const QString& entry : std::as_const(params))
        citados.append(u'"' + entry + u'"');
    QString reconstruido = citados.join(u' ');
    QStringList otraVez;
    SepararParametrosHpv(reconstruido, otraVez);
    FUZZ_CHECK(otraVez == params,
               params.join(QStringLiteral(" | ")) + QStringLiteral(" vs ") +
                   otraVez.join(QStringLiteral(" | ")));
    FUZZ_CHECK(reconstruido == hpv, reconstruido);
    return 0;
}
