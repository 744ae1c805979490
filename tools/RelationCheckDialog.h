#pragma once

#include <QDialog>
#include <memory>

class QLabel;
class QTableWidget;

namespace tavrel {

class IAppServer;

// "Revisar la relación": the server's consistency checks of one company's relation rows,
// one line per warning with the row's keys and what to look at. It changes nothing.
class RelationCheckDialog : public QDialog
{
    Q_OBJECT

public:
    RelationCheckDialog(std::shared_ptr<IAppServer> server, int company, QWidget* parent = nullptr);

    // Asks the server again; a failure is shown in the dialog. True when it answered.
    bool refresh();
    QTableWidget* table() const { return m_table; }
    QString summary() const;

private:
    std::shared_ptr<IAppServer> m_server;
    int m_company;
    QLabel* m_summary;
    QTableWidget* m_table;
};

} // namespace tavrel
