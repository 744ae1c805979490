// The comma text of the server's program paths and of the suite's lists.

#include "CommaText.h"
#include "FuzzCheck.h"

using tavrel::CommaText;

namespace {

QString shown(const QStringList& list)
{
    return QLatin1Char('[') + list.join(QLatin1String("][")) + QLatin1Char(']');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::textOf(data, size);
    const QStringList entries = CommaText::split(text);

    // Writing the entries back and reading them again gives the same entries.
    const QString joined = CommaText::join(entries);
    const QStringList again = CommaText::split(joined);
    FUZZ_CHECK(again == entries, shown(entries) + QStringLiteral(" -> ") + joined +
                                     QStringLiteral(" -> ") + shown(again));
    // and the written form is canonical: writing once more changes nothing.
    FUZZ_CHECK(CommaText::join(again) == joined, joined);

    // The input's pieces used as a list of their own (split at every '|') survive the
    // round trip too, whatever they hold.
    const QStringList pieces = text.split(QLatin1Char('|'));
    const QString written = CommaText::join(pieces);
    FUZZ_CHECK(CommaText::split(written) == pieces,
               shown(pieces) + QStringLiteral(" -> ") + written + QStringLiteral(" -> ") +
                   shown(CommaText::split(written)));

    // Only a quoted entry can hold a separator.
    if (!text.contains(QLatin1Char('"'))) {
        for (const QString& entry : entries) {
            for (QChar c : entry)
                FUZZ_CHECK(c != QLatin1Char(',') && c.unicode() > ' ', shown(entries));
        }
    }
    return 0;
}
