#pragma once

#include "RowHistoryCall.h"

#include <QDialog>
#include <QVariant>
#include <memory>

class QLabel;
class QLineEdit;
class QTableWidget;

namespace tavrel {

class IAppServer;

// "Historial del registro": the recorded changes of one relation row, found by its
// company, concept, account and related code (the keys of the row the relation window
// shows, which the user may change), oldest first.
class RowHistoryDialog : public QDialog
{
    Q_OBJECT

public:
    struct RowKeys
    {
        int company = 0;
        QString payrollConcept;
        QString account;
        QString related;
    };

    RowHistoryDialog(std::shared_ptr<IAppServer> server, const RowKeys& keys,
                     QWidget* parent = nullptr);

    // Asks the server for the history of the keys in the fields; a failure or a wrong
    // key is shown in the dialog. True when the server answered.
    bool refresh();
    QTableWidget* table() const { return m_table; }
    QString summary() const;

    // "COLUMNA: antes → después" lines of an entry's changes.
    static QString changesText(const RowHistoryEntry& entry);
    // The operation's name: "Inserción", "Modificación", …
    static QString operationName(const QString& code);

private:
    std::shared_ptr<IAppServer> m_server;
    int m_company;
    QLineEdit* m_concept;
    QLineEdit* m_account;
    QLineEdit* m_related;
    QLabel* m_summary;
    QTableWidget* m_table;
};

} // namespace tavrel
