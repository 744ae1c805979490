#include "ConsultasSelectores.h"

using tavrel::DataSetState;

namespace {

bool editando(DataSetState estado)
{
    return estado == DataSetState::Edit || estado == DataSetState::Insert;
}

} // namespace

const QString& ConsultasSelectores::mensajeCuenta()
{
    static const QString texto = QStringLiteral(
        "Debe seleccionar una contabilización antes de seleccionar la cuenta contable...");
    return texto;
}

const QString& ConsultasSelectores::mensajeRelacionado()
{
    static const QString texto = QStringLiteral("Se Tiene que Asignar Primero la Contabilización.");
    return texto;
}

ConsultasSelectores::Paso ConsultasSelectores::pasoConcepto(DataSetState estado)
{
    return editando(estado) ? Paso::Abrir : Paso::Nada;
}

ConsultasSelectores::Paso ConsultasSelectores::pasoCuenta(DataSetState estado, bool codContNulo)
{
    if (!editando(estado))
        return Paso::Nada;
    return codContNulo ? Paso::FaltaCuenta : Paso::Abrir;
}

ConsultasSelectores::Paso ConsultasSelectores::pasoRelacionado(bool codContNulo)
{
    return codContNulo ? Paso::FaltaRelacionado : Paso::Abrir;
}

ConsultasSelectores::Paso ConsultasSelectores::pasoEntradaCuenta(bool codContNulo)
{
    return codContNulo ? Paso::FaltaCuenta : Paso::Nada;
}

QString ConsultasSelectores::conceptos(int empresa)
{
    return QStringLiteral(
               " SELECT COD_CONT, NOM_CONT  FROM NM_NCCON              WHERE (COD_EMPR = ") +
           QString::number(empresa) +
           QStringLiteral(" AND CAM_RELA IN ('COD_TNOM','COD_GAST','COD_CCOS','COD_GPRO')") +
           QStringLiteral(") ");
}

QString ConsultasSelectores::cuentas(int empresa, const QString& codCont)
{
    return QStringLiteral(
               " SELECT COD_CUEN, NOM_CUEN  FROM NM_NCMCO              WHERE (COD_EMPR = ") +
           QString::number(empresa) + QStringLiteral(") AND ") + QStringLiteral(" (COD_CONT = ") +
           codCont + QStringLiteral(") ");
}

QStringList ConsultasSelectores::relacionados(const QString& tabRela, const QString& camRela,
                                              const QString& nomRela, int empresa)
{
    return {QStringLiteral("select ") + camRela + QStringLiteral(", ") + nomRela,
            QStringLiteral("from ") + tabRela,
            QStringLiteral("where cod_empr = ") + QString::number(empresa)};
}
