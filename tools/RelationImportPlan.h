#pragma once

#include "DataPacket.h"
#include "Delta.h"
#include "RelationFieldChecks.h"
#include "XlsxReader.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QVariantMap>

namespace tavrel {

// What importing a workbook into one company's relation would do, row by row of its
// first sheet, and the changes that do it.
//
// Columns are found by their titles, as the window's export writes them, in any order. A
// row's key is its concept, account and related code (blank: null); a key of the company
// is updated, a new one inserted, and the company's keys the sheet lacks are only listed.
// VAL_CAUS is never written: a different value is reported and left. A value the import
// would write is checked as the window checks it when the field is assigned; besides, a
// key twice in the sheet, a key the company holds twice, a row changed on the server after
// the export (its ACT_HORA differs) whose values differ from the server's, and a value that
// is not a number or code of its column refuse the row.
class RelationImportPlan
{
public:
    enum class Action
    {
        Insert,
        Update,
        Unchanged,
        Refused,
        Ignored
    };

    struct Entry
    {
        int sheetRow = 0;
        QVariantMap key; // COD_CONT, COD_CUEN, COD_CCOS
        Action action = Action::Unchanged;
        QMap<QString, QPair<QVariant, QVariant>> changes; // column: server's, sheet's
        QString message;
        qint64 rowKey = -1;   // the server's row to update
        QVariantMap original; // its values as read
    };

    // The company's rows as the relation's provider gives them, with their row keys.
    // `finds` runs the concept and account checks. Throws ModuleError for a sheet without
    // the key columns or with a column twice.
    static RelationImportPlan make(const XlsxReader::Sheet& sheet, int company,
                                   const DataPacket& serverRows,
                                   const RelationFieldChecks::Finds& finds);

    bool refused() const;
    // The inserts and updates, stamped as a post of the window stamps them.
    Delta delta(int company, const QString& user, const QDateTime& serverTime) const;
    // {"rows": [...], "notInSheet": [...], "summary": {...}}
    QJsonObject toJson() const;
    int count(Action action) const;

    static QString actionName(Action action);
    // "contabilización 10, cuenta 51010101, campo relacionado 100"
    static QString keyText(const QVariantMap& key);
    // The column titles of the window that name the import's columns.
    static QString title(const QString& column);

    QList<Entry> entries;
    QList<QVariantMap> notInSheet;
};

} // namespace tavrel
