#pragma once

#include "Delta.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

namespace tavrel {

struct TableDef;

// What the network server makes of a desk's changed rows before it applies them. The
// desk's word counts for the data, not for what the server vouches for:
//   - column names in the table's spelling (DeltaColumns), so that the checks below
//     see what the database stores;
//   - every row, before and after, of one of the session's companies;
//   - the audit columns ACT_USUA, ACT_HORA and ACT_ESTA (where the table has them) of
//     an inserted or modified row are the session's user, the server's time and "A" or
//     "M", whatever the desk sent; the time the desk sent stays when it is one the server
//     gave it for this post (at most postSeconds old). The original values the desk read
//     stay as they are: they still tell whether someone changed the row since it was
//     read; those of stamps the desk did not send are not checked;
//   - the change log GN_LOGCM only grows, and each entry names the session's user.
class DeskDelta
{
public:
    struct Session
    {
        QString user; // as the server stamps it
        QList<int> companies;
    };

    // `serverTime` is asked once, only when a row gets the time stamp. Throws ModuleError
    // (Refusal) for a row the session may not write.
    static Delta prepare(const TableDef& table, const Delta& delta, const Session& session,
                         const std::function<QDateTime()>& serverTime);

    static QString changeLog() { return QStringLiteral("GN_LOGCM"); }
    // How old a desk's time stamp may be and still be taken as the server's time it asked
    // for before posting.
    static constexpr int postSeconds = 120;
};

} // namespace tavrel
