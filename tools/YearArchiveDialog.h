#pragma once

#include "ServerReportDialog.h"
#include "YearArchiveCall.h"
#include "YearArchiveReport.h"

#include <functional>

namespace tavrel {

// "Archivar la vigencia": for the year chosen, says how many relation rows of the company
// would be archived, archives them with "Archivar la vigencia", and shows the rows of a
// year already archived, with who archived it and when. Each year is archived once.
class YearArchiveDialog : public ServerReportDialog
{
    Q_OBJECT

public:
    // What the dialog asks the server; both throw ModuleError.
    struct Actions
    {
        std::function<YearArchiveReply(int year, bool apply)> archive;
        std::function<YearArchiveReport(int year)> read;
    };
    YearArchiveDialog(Actions actions, int year, QWidget* parent = nullptr);

    QPushButton* archiveButton() const { return m_archive; }
    QTableWidget* rowsTable() const { return m_rows; }
    const YearArchiveReport& report() const { return m_report; }
    // Archives the year in the box and shows it; false (and the message shown) on error.
    bool archiveYear();
    void exportTo(const QString& path) override;

protected:
    QString load(int year) override;
    QString suggestedFile() const override;

private:
    void show(const YearArchiveReport& report);

    Actions m_actions;
    YearArchiveReport m_report;
    QPushButton* m_archive;
    QTableWidget* m_rows;
};

} // namespace tavrel
