#include "DataSetBinding.h"

#include "ModuleError.h"
#include "SClientDataSet.h"

namespace tavrel::report {

DataSetBinding::DataSetBinding(const QString& userName, SClientDataSet* dataSet)
    : m_userName(userName), m_dataSet(dataSet)
{}

DataSetBinding::~DataSetBinding() = default;

SClientDataSet* DataSetBinding::dataSet() const
{
    return m_dataSet;
}

void DataSetBinding::setDataSet(SClientDataSet* dataSet)
{
    m_dataSet = dataSet;
}

SClientDataSet& DataSetBinding::boundDataSet() const
{
    if (!m_dataSet) {
        throw ModuleError(QStringLiteral("El origen de datos «%1» del informe no está enlazado a "
                                         "ningún conjunto de datos.")
                              .arg(m_userName));
    }
    return *m_dataSet;
}

} // namespace tavrel::report
