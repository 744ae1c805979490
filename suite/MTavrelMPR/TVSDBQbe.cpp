#include "TVSDBQbe.h"

#include "ErrorReporter.h"
#include "Field.h"
#include "FormatSettings.h"
#include "ModuleError.h"
#include "QbeCriteriaDialog.h"
#include "SClientDataSet.h"

using tavrel::ModuleError;
using tavrel::QbeConditionBuilder;
using tavrel::QbeCriterion;

TVSDBQbe::TVSDBQbe(QWidget* parent) : QToolButton(parent)
{
    setText(QStringLiteral("Consultar"));
    setToolTip(QStringLiteral("Consulta por ejemplo"));
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(this, &QToolButton::clicked, this,
            [this] { tavrel::ErrorReporter::guard([this] { showCriteria(); }); });
}

TVSDBQbe::~TVSDBQbe() = default;

void TVSDBQbe::SetDataset(SClientDataSet* dataSet)
{
    m_dataSet = dataSet;
    m_baseSql = dataSet ? dataSet->commandText() : QString();
    m_condition.clear();
    m_lastCriteria.clear();
}

SClientDataSet* TVSDBQbe::dataSet() const
{
    return m_dataSet;
}

SClientDataSet* TVSDBQbe::requireDataSet() const
{
    if (!m_dataSet)
        throw ModuleError(QStringLiteral("La consulta por ejemplo «%1» no tiene un conjunto de "
                                         "datos asignado")
                              .arg(objectName()));
    return m_dataSet;
}

QString TVSDBQbe::dateFormat() const
{
    return m_dateFormat.trimmed().isEmpty() ? tavrel::FormatSettings::instance().shortDateFormat()
                                            : m_dateFormat;
}

void TVSDBQbe::Inicializar(bool abrir)
{
    m_lastCriteria.clear();
    m_condition.clear();
    if (abrir)
        Vquery(QString());
}

void TVSDBQbe::Vquery(const QString& condition)
{
    SClientDataSet* ds = requireDataSet();
    const QString text =
        QbeConditionBuilder::composeQuery(m_baseSql, m_baseCondition, m_tag, condition);
    if (ds->active()) {
        if (ds->state() == tavrel::DataSetState::Edit ||
            ds->state() == tavrel::DataSetState::Insert)
            throw ModuleError(QStringLiteral("Guarde o cancele el registro que está editando "
                                             "antes de consultar"));
        if (ds->changeCount() > 0)
            throw ModuleError(QStringLiteral("Hay cambios que no se han enviado al servidor; "
                                             "guárdelos o cancélelos antes de consultar"));
        if (!m_refrescar && ds->commandText() == text) {
            m_condition = condition;
            return;
        }
    }
    const QString previous = ds->commandText();
    const bool wasActive = ds->active();
    ds->close();
    ds->setCommandText(text);
    try {
        ds->open();
    } catch (...) {
        ds->setCommandText(previous);
        if (wasActive) {
            try {
                ds->open();
            } catch (...) {
                // The failure of the new query is the one to report.
            }
        }
        throw;
    }
    m_condition = condition;
}

QList<QbeCriterion> TVSDBQbe::searchableFields() const
{
    QList<QbeCriterion> list;
    if (!m_dataSet)
        return list;
    for (tavrel::Field* f : m_dataSet->fields()) {
        if (f->kind() != tavrel::FieldKind::Data || f->dataType() == tavrel::FieldType::Blob)
            continue;
        if (!f->visible() && !m_mostrarTodos)
            continue;
        QbeCriterion c;
        c.fieldName = f->fieldName();
        c.label = f->displayLabel();
        c.type = f->dataType();
        list.append(c);
    }
    return list;
}

void TVSDBQbe::applyCriteria(const QList<QbeCriterion>& criteria)
{
    QbeConditionBuilder builder;
    builder.setUpperCase(m_upperCase);
    builder.setDateFormat(dateFormat());
    Vquery(builder.condition(criteria, m_tag));
    m_lastCriteria = criteria;
}

bool TVSDBQbe::showCriteria()
{
    SClientDataSet* ds = requireDataSet();
    QList<tavrel::QbeCriteriaDialog::FieldInfo> fields;
    for (const QbeCriterion& c : searchableFields())
        fields.append({c.fieldName, c.label, c.type});
    if (fields.isEmpty())
        throw ModuleError(QStringLiteral("«%1» no tiene campos por los que se pueda consultar")
                              .arg(ds->objectName()));

    tavrel::QbeCriteriaDialog dialog(fields, dateFormat(), window());
    if (m_permiteFiltro)
        dialog.setCriteria(m_lastCriteria);
    dialog.OnAccept = [this](const QList<QbeCriterion>& criteria) { applyCriteria(criteria); };
    return dialog.exec() == QDialog::Accepted;
}
