#pragma once

#include "TavrelReportsDataExport.h"

#include <QPointer>
#include <QString>

class SClientDataSet;

namespace tavrel::report {

// A client dataset bound to reports under the name their layouts use ("QryVeZezev"),
// for as long as the binding lives; each run walks it through a DataSetReportSource
// made for that run. The dataset is not owned and may be set later than the binding.
class TAVREL_REPORTS_DATA_EXPORT DataSetBinding
{
public:
    explicit DataSetBinding(const QString& userName, SClientDataSet* dataSet = nullptr);
    ~DataSetBinding();
    DataSetBinding(const DataSetBinding&) = delete;
    DataSetBinding& operator=(const DataSetBinding&) = delete;

    const QString& userName() const { return m_userName; }
    SClientDataSet* dataSet() const;
    void setDataSet(SClientDataSet* dataSet);

    // The bound dataset; throws ModuleError when there is none.
    SClientDataSet& boundDataSet() const;

private:
    QString m_userName;
    QPointer<SClientDataSet> m_dataSet;
};

} // namespace tavrel::report
