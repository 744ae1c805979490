#pragma once

#include "DataSetTypes.h"

#include <QString>
#include <QStringList>

// What the code pickers of the maintenance window do: the guards they apply before a
// pick and the lookup queries they hand to the lookup dialog. Kept apart from the
// window so that the exact texts can be checked without widgets.
class ConsultasSelectores
{
public:
    enum class Paso
    {
        Nada,             // the handler ends quietly
        FaltaCuenta,      // focus to the concept edit, then the account message
        FaltaRelacionado, // the related-code message; the focus stays
        Abrir,            // the query is built and the dialog runs
    };

    static const QString& mensajeCuenta();
    static const QString& mensajeRelacionado();

    // Concept picker: only while the relation row is being edited.
    static Paso pasoConcepto(tavrel::DataSetState estado);
    // Account picker: only while editing, and only with a concept in the row.
    static Paso pasoCuenta(tavrel::DataSetState estado, bool codContNulo);
    // Related-code picker: needs a concept, whatever the state.
    static Paso pasoRelacionado(bool codContNulo);
    // Entering the account edit: needs a concept, whatever the state.
    static Paso pasoEntradaCuenta(bool codContNulo);

    // The company's concepts of the four related-field kinds (one line).
    static QString conceptos(int empresa);
    // The accounts of the concept in the company (one line); the concept as its text.
    static QString cuentas(int empresa, const QString& codCont);
    // The list of the configured related-field kind (three lines).
    static QStringList relacionados(const QString& tabRela, const QString& camRela,
                                    const QString& nomRela, int empresa);
};
