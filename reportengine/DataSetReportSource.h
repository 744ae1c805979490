#pragma once

#include "TavrelReportsDataExport.h"

#include "ReportDataSource.h"

class SClientDataSet;

namespace tavrel::report {

// A client dataset seen by the report engine under a name of the layout's choosing
// ("QryVeZezev"). Texts are the fields' display texts, so display formats, lookup and
// calculated fields show as in the grid; values are the fields' raw values (pictures).
//
// Make one for a single run: while it lives the dataset's controls are disabled, so
// grids and edits do not follow the walk; destroying it returns the dataset to the row
// it stood on and enables the controls again. Moving through a dataset that is not open
// is refused with the dataset's own message.
class TAVREL_REPORTS_DATA_EXPORT DataSetReportSource : public ReportDataSource
{
public:
    DataSetReportSource(const QString& name, SClientDataSet& dataSet);
    ~DataSetReportSource() override;
    DataSetReportSource(const DataSetReportSource&) = delete;
    DataSetReportSource& operator=(const DataSetReportSource&) = delete;

    SClientDataSet& dataSet() const { return m_dataSet; }

    QString name() const override { return m_name; }
    void first() override;
    void next() override;
    void seek(int index) override;
    bool eof() const override;
    int recordCount() const override;
    bool hasField(const QString& field) const override;
    QString displayText(const QString& field) const override;
    QVariant value(const QString& field) const override;

private:
    QString m_name;
    SClientDataSet& m_dataSet;
    int m_startRecNo = 0;
};

} // namespace tavrel::report
