#pragma once

#include "MTavrelMPRExport.h"
#include "QbeConditionBuilder.h"

#include <QPointer>
#include <QToolButton>

class SClientDataSet;

// The query-by-example button. SetDataset binds a client dataset and keeps its command
// text as the base query; Vquery(condition) reopens the dataset on the base query with
// the condition appended. A click opens the criteria window, whose criteria become a
// condition (see tavrel::QbeConditionBuilder) that Vquery runs.
//
// Settings:
//   Tag           0: the base query has no WHERE, criteria start with " WHERE ";
//                 1: it has one, criteria start with " AND ".
//   SQLUpperCase  typed text values are upper-cased and compared with UPPER(column).
//   DateFormat    how dates are typed in the criteria window (Qt notation); the process
//                 short date format until set.
//   PermiteFiltro the criteria window opens with the criteria of the last query, so the
//                 user can narrow the filter further; off, it always opens blank.
//   Refrescar     Vquery always reads the rows again from the server; off, a Vquery whose
//                 text equals the one the open dataset already shows keeps its rows.
//   MostrarTodos  the criteria window also offers the fields that are not visible (codes
//                 hidden from the grid can still be searched); off, only visible fields.
//   Flat          the button is drawn flat until the mouse is over it.
//
// The base condition (setBaseCondition) is a restriction the framework keeps, such as the
// current company: it is ANDed into every query, also the empty one, and the typed
// criteria combine with it (QbeConditionBuilder::composeQuery).
//
// Errors of a click go to tavrel::ErrorReporter; the operations throw ModuleError.
class MTAVRELMPR_EXPORT TVSDBQbe : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(bool SQLUpperCase READ sqlUpperCase WRITE setSQLUpperCase)
    Q_PROPERTY(bool PermiteFiltro READ permiteFiltro WRITE setPermiteFiltro)
    Q_PROPERTY(bool Refrescar READ refrescar WRITE setRefrescar)
    Q_PROPERTY(bool MostrarTodos READ mostrarTodos WRITE setMostrarTodos)
    Q_PROPERTY(QString DateFormat READ dateFormat WRITE setDateFormat)
    Q_PROPERTY(int Tag READ tag WRITE setTag)
    Q_PROPERTY(bool Flat READ flat WRITE setFlat)

public:
    explicit TVSDBQbe(QWidget* parent = nullptr);
    ~TVSDBQbe() override;

    // Binds the dataset and takes its current command text as the base query.
    void SetDataset(SClientDataSet* dataSet);
    SClientDataSet* dataSet() const;
    QString baseSql() const { return m_baseSql; }

    // Forgets the criteria of earlier queries; with `abrir` the dataset is opened at once
    // on the base query (Vquery with no condition).
    void Inicializar(bool abrir);

    // Closes the dataset, sets its command text to the base query plus the base
    // condition plus `condition` (an empty condition adds nothing) and opens it again.
    // Parameter values are kept. Refused while the dataset is being edited or holds
    // changes not sent to the server. When the open fails, the dataset is opened again
    // on the text it had and the error is thrown.
    void Vquery(const QString& condition);
    // The condition of the last Vquery.
    QString condition() const { return m_condition; }

    QString baseCondition() const { return m_baseCondition; }
    void setBaseCondition(const QString& condition) { m_baseCondition = condition; }

    // Runs a query from criteria, as the criteria window's Aceptar does.
    void applyCriteria(const QList<tavrel::QbeCriterion>& criteria);
    // The criteria window's fields: data fields that can be searched, visible ones only
    // unless MostrarTodos.
    QList<tavrel::QbeCriterion> searchableFields() const;
    // Opens the criteria window (the click). Returns whether a query ran.
    bool showCriteria();

    bool sqlUpperCase() const { return m_upperCase; }
    void setSQLUpperCase(bool on) { m_upperCase = on; }
    bool permiteFiltro() const { return m_permiteFiltro; }
    void setPermiteFiltro(bool on) { m_permiteFiltro = on; }
    bool refrescar() const { return m_refrescar; }
    void setRefrescar(bool on) { m_refrescar = on; }
    bool mostrarTodos() const { return m_mostrarTodos; }
    void setMostrarTodos(bool on) { m_mostrarTodos = on; }
    QString dateFormat() const;
    void setDateFormat(const QString& format) { m_dateFormat = format; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    bool flat() const { return autoRaise(); }
    void setFlat(bool on) { setAutoRaise(on); }

private:
    SClientDataSet* requireDataSet() const;

    QPointer<SClientDataSet> m_dataSet;
    QString m_baseSql;
    QString m_baseCondition;
    QString m_condition;
    QList<tavrel::QbeCriterion> m_lastCriteria;
    bool m_upperCase = false;
    bool m_permiteFiltro = true;
    bool m_refrescar = true;
    bool m_mostrarTodos = false;
    QString m_dateFormat;
    int m_tag = 0;
};
