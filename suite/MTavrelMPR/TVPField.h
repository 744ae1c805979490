#pragma once

#include "MTavrelMPRExport.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QToolButton>
#include <functional>

class SClientDataSet;
class SDCOMConnection;

// A picker button (22 x 22, "...") beside a code edit. A click runs OnClick, which the
// form sets to a handler that fills SQL and runs the lookup dialog; the dialog reads the
// other properties: the query columns to return (Variables), the destination fields of
// DataSet (Destino), the column titles (Titulos), the window title (Titulo), and writes
// the chosen row's values into Valores and, when LookUpField names a query column, that
// column's value into LookUpValue.
//
// The string lists are handed out by reference, so a handler may clear them and append
// lines: picker->sql().clear(); picker->sql().append(...).
//
// With a buddy edit, F2 or Alt+Down in the edit clicks the picker while it is enabled.
// Errors thrown by OnClick go to tavrel::ErrorReporter; they never leave the click.
class MTAVRELMPR_EXPORT TVPField : public QToolButton
{
    Q_OBJECT
    Q_MOC_INCLUDE("SClientDataSet.h")
    Q_MOC_INCLUDE("SDCOMConnection.h")
    Q_PROPERTY(QStringList Variables READ variables WRITE setVariables)
    Q_PROPERTY(QStringList Destino READ destino WRITE setDestino)
    Q_PROPERTY(QStringList Titulos READ titulos WRITE setTitulos)
    Q_PROPERTY(QStringList SQL READ sql WRITE setSQL)
    Q_PROPERTY(QStringList Valores READ valores WRITE setValores)
    Q_PROPERTY(QString Titulo READ titulo WRITE setTitulo)
    Q_PROPERTY(SClientDataSet* DataSet READ dataSet WRITE setDataSet)
    Q_PROPERTY(SDCOMConnection* RemoteServer READ remoteServer WRITE setRemoteServer)
    Q_PROPERTY(QString DataBaseName READ dataBaseName WRITE setDataBaseName)
    Q_PROPERTY(QString LookUpField READ lookUpField WRITE setLookUpField)
    Q_PROPERTY(QString LookUpValue READ lookUpValue WRITE setLookUpValue)
    Q_PROPERTY(int Tag READ tag WRITE setTag)
    Q_PROPERTY(QString Name READ objectName WRITE setObjectName)

public:
    using ClickHandler = std::function<void(QObject* sender)>;

    explicit TVPField(QWidget* parent = nullptr);
    ~TVPField() override;

    QStringList& variables() { return m_variables; }
    const QStringList& variables() const { return m_variables; }
    void setVariables(const QStringList& lines) { m_variables = lines; }
    QStringList& destino() { return m_destino; }
    const QStringList& destino() const { return m_destino; }
    void setDestino(const QStringList& lines) { m_destino = lines; }
    QStringList& titulos() { return m_titulos; }
    const QStringList& titulos() const { return m_titulos; }
    void setTitulos(const QStringList& lines) { m_titulos = lines; }
    QStringList& sql() { return m_sql; }
    const QStringList& sql() const { return m_sql; }
    void setSQL(const QStringList& lines) { m_sql = lines; }
    QStringList& valores() { return m_valores; }
    const QStringList& valores() const { return m_valores; }
    void setValores(const QStringList& lines) { m_valores = lines; }

    QString titulo() const { return m_titulo; }
    void setTitulo(const QString& title) { m_titulo = title; }
    SClientDataSet* dataSet() const;
    void setDataSet(SClientDataSet* dataSet);
    SDCOMConnection* remoteServer() const;
    void setRemoteServer(SDCOMConnection* connection);
    QString dataBaseName() const { return m_dataBaseName; }
    void setDataBaseName(const QString& name) { m_dataBaseName = name; }
    QString lookUpField() const { return m_lookUpField; }
    void setLookUpField(const QString& field) { m_lookUpField = field; }
    QString lookUpValue() const { return m_lookUpValue; }
    void setLookUpValue(const QString& value) { m_lookUpValue = value; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // The edit whose F2 and Alt+Down click this picker; null for none.
    QWidget* buddy() const;
    void setBuddy(QWidget* edit);

    ClickHandler OnClick;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runClick();

    QStringList m_variables;
    QStringList m_destino;
    QStringList m_titulos;
    QStringList m_sql;
    QStringList m_valores;
    QString m_titulo;
    QPointer<SClientDataSet> m_dataSet;
    QPointer<SDCOMConnection> m_remoteServer;
    QString m_dataBaseName;
    QString m_lookUpField;
    QString m_lookUpValue;
    int m_tag = 0;
    QPointer<QWidget> m_buddy;
};
