#pragma once

#include "MTavrelMPRExport.h"

#include <QPointer>
#include <QToolButton>

class SClientDataSet;

// The notes button of a form. A click opens the notes of the current record of DataSet:
// the record is named by the value of its field Campo, the notes belong to the form
// Forma and the current company, and the window is titled after TituloForma. The notes
// live on the server (tavrel::NotesStore); the user who writes one is the session's.
// Errors of a click go to tavrel::ErrorReporter.
class MTAVRELMPR_EXPORT TVNotas : public QToolButton
{
    Q_OBJECT
    Q_MOC_INCLUDE("SClientDataSet.h")
    Q_PROPERTY(SClientDataSet* DataSet READ dataSet WRITE setDataSet)
    Q_PROPERTY(QString TituloForma READ tituloForma WRITE setTituloForma)
    Q_PROPERTY(QString Forma READ forma WRITE setForma)
    Q_PROPERTY(QString Campo READ campo WRITE setCampo)

public:
    explicit TVNotas(QWidget* parent = nullptr);
    ~TVNotas() override;

    SClientDataSet* dataSet() const;
    void setDataSet(SClientDataSet* dataSet);
    QString tituloForma() const { return m_tituloForma; }
    void setTituloForma(const QString& title) { m_tituloForma = title; }
    QString forma() const { return m_forma; }
    void setForma(const QString& form) { m_forma = form; }
    QString campo() const { return m_campo; }
    void setCampo(const QString& field) { m_campo = field; }

    // The click: opens the notes window of the current record. Throws ModuleError when
    // there is no record, no key value, no company or no server.
    void showNotes();

private:
    QPointer<SClientDataSet> m_dataSet;
    QString m_tituloForma;
    QString m_forma;
    QString m_campo;
};
