#pragma once

#include "MTavrelMPRExport.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace tavrel {

class IAppServer;

// A note attached to one record of a form.
struct Note
{
    qint64 key = -1; // the server's key of the row; -1 until stored
    QString user;
    QDateTime date; // server time when it was written
    QString text;
    bool alert = false;
    QVariantMap original; // the row as read, for the server's conflict check
};

// The notes of the records of one form and key column in one company, kept on the
// server in GN_NOTAS through the provider "DtsPGnNotas". A record is named by the text
// of its key column's value. Every change is one applyUpdates; a note someone else
// changed or deleted since it was read is refused with the server's conflict message.
class MTAVRELMPR_EXPORT NotesStore
{
public:
    NotesStore(IAppServer& server, const QString& form, const QString& keyField, int company);

    // The notes of a record, newest first.
    QList<Note> load(const QString& keyValue) const;
    // Stores a new note with the server's time and returns it.
    Note add(const QString& keyValue, const QString& text, bool alert, const QString& user);
    // Changes text and alert flag; author and date stay. The note then holds what was
    // stored.
    void update(Note& note, const QString& text, bool alert);
    void remove(const Note& note);

    static QString providerName() { return QStringLiteral("DtsPGnNotas"); }

private:
    void checkKey(const QString& keyValue) const;
    static QString checkedText(const QString& text);

    IAppServer& m_server;
    QString m_form;
    QString m_keyField;
    int m_company;
};

} // namespace tavrel
