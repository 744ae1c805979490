#include "DataSetReportSource.h"

#include "Field.h"
#include "SClientDataSet.h"

namespace tavrel::report {

DataSetReportSource::DataSetReportSource(const QString& name, SClientDataSet& dataSet)
    : m_name(name), m_dataSet(dataSet), m_startRecNo(dataSet.recNo())
{
    m_dataSet.disableControls();
}

DataSetReportSource::~DataSetReportSource()
{
    // Returning to the row must not throw out of a destructor: a handler that refuses
    // the scroll leaves the cursor where the walk ended.
    try {
        if (m_dataSet.active() && m_startRecNo > 0 && m_dataSet.recNo() != m_startRecNo)
            m_dataSet.setRecNo(m_startRecNo);
    } catch (...) {
    }
    m_dataSet.enableControls();
}

void DataSetReportSource::first()
{
    m_dataSet.first();
}

void DataSetReportSource::seek(int index)
{
    if (m_dataSet.active() && index >= 0 && index < m_dataSet.recordCount()) {
        if (m_dataSet.eof()) // past the end: a move to the row it stands on would keep that
            m_dataSet.first();
        m_dataSet.setRecNo(index + 1);
    } else {
        ReportDataSource::seek(index);
    }
}

void DataSetReportSource::next()
{
    m_dataSet.next();
}

bool DataSetReportSource::eof() const
{
    return !m_dataSet.active() || m_dataSet.eof();
}

int DataSetReportSource::recordCount() const
{
    return m_dataSet.active() ? m_dataSet.recordCount() : 0;
}

bool DataSetReportSource::hasField(const QString& field) const
{
    return m_dataSet.findField(field) != nullptr;
}

QString DataSetReportSource::displayText(const QString& field) const
{
    const Field* found = m_dataSet.findField(field);
    return found && !m_dataSet.isEmpty() ? found->displayText() : QString();
}

QVariant DataSetReportSource::value(const QString& field) const
{
    const Field* found = m_dataSet.findField(field);
    return found && !m_dataSet.isEmpty() ? found->value() : QVariant();
}

} // namespace tavrel::report
