#pragma once

#include "MTavrelMPRExport.h"

#include <QComboBox>
#include <QStringList>

// A drop-down list of shown texts with a parallel list of codes: the entry at index i
// shows Items()[i] and stands for Codigos()[i]. The two lists are kept by the caller,
// which may fill them one by one; a text without a code stands for the empty code.
class MTAVRELMPR_EXPORT TVsCmbCodigo : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ Items WRITE setItems)
    Q_PROPERTY(QStringList Codigos READ Codigos WRITE setCodigos)

public:
    explicit TVsCmbCodigo(QWidget* parent = nullptr);

    QStringList Items() const;
    void setItems(const QStringList& texts);
    QStringList& Codigos() { return m_codigos; }
    const QStringList& Codigos() const { return m_codigos; }
    void setCodigos(const QStringList& codes) { m_codigos = codes; }

    // Adds an entry to both lists.
    void agregar(const QString& texto, const QString& codigo);
    // Empties both lists.
    void limpiar();

    // The code of the selected entry; empty when none is selected.
    QString codigoActual() const;
    // Selects the first entry with that code; false (selection unchanged) when none has it.
    bool seleccionarCodigo(const QString& codigo);

private:
    QStringList m_codigos;
};
