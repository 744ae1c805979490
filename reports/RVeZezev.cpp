#include "RVeZezev.h"

#include "DVeZezev.h"
#include "TituloCampoRelacionado.h"

using namespace tavrel::report;

QPointer<TRptVeZezev> RptVeZEZev;

namespace {

const QString kEncabezado = QStringLiteral("PageHeaderBand1");
const QString kDetalle = QStringLiteral("DetailBand1");

QString campoRelacion(const char* campo)
{
    return QStringLiteral("[QryVeZEZev.\"%1\"]").arg(QLatin1String(campo));
}

} // namespace

TRptVeZezev::TRptVeZezev(QWidget* parent) : TRptReporteMaestro(parent)
{
    setObjectName(QStringLiteral("RptVeZEZev"));
    resize(887, 589);
    ModificarEncabezado();

    Band* columnas = QCKReporte.band(QStringLiteral("ColumnHeaderBand1"));
    columnas->addLine(QStringLiteral("QRShape1"), {0, 36}, 750).setPenWidth(3);
    columnas->setBeforePrint([this](Band&, bool& print) { ColumnHeaderBand1BeforePrint(print); });

    mover(objeto(QStringLiteral("SmmBndResumen"), QStringLiteral("QRLblRegistros")), {510, 5});
    ReportObject& cuenta =
        objeto(QStringLiteral("SmmBndResumen"), QStringLiteral("QRSysDatRegistros"));
    QRectF caja = cuenta.geometry();
    caja.moveLeft(708);
    caja.setWidth(740 - 708);
    cuenta.setGeometry(caja);

    CrearBloqueRelacion();
}

void TRptVeZezev::ModificarEncabezado()
{
    TextObject& titulo = texto(kEncabezado, QStringLiteral("QRSysDatReportTitle"));
    cambiarFuente(titulo, fuente(11, true), false);
    // Up to the NIT, which now shares its line.
    titulo.setGeometry({100, 30, 534 - 100, titulo.geometry().height()});

    mover(objeto(kEncabezado, QStringLiteral("QRLblNIT")), {534, 32});
    mover(objeto(kEncabezado, QStringLiteral("QRLblDescripcion")), {100, 49});
    TextObject& nombre = texto(kEncabezado, QStringLiteral("QRDBTxtNOM_EMPR"));
    nombre.setFont(fuente(12, true));
    // Designed 70 wide for a label that grows with its text; it runs to the page column.
    nombre.setGeometry({100, 8, 661 - 100, 16});
    TextObject& nit = texto(kEncabezado, QStringLiteral("QRDBTxtNIT_EMPR"));
    nit.setGeometry({563, 32, 661 - 563, nit.geometry().height()});

    ReportObject& logo = objeto(kEncabezado, QStringLiteral("QRDBImgBMP_REPO"));
    QRectF caja = logo.geometry();
    caja.setWidth(92);
    logo.setGeometry(caja);

    const struct
    {
        const char* etiqueta;
        const char* valor;
        qreal arriba;
    } lineas[] = {{"QRLblPagina", "QRSysDatPagina", 33},
                  {"QRLblFecha", "QRSysDatFecha", 48},
                  {"QRLblHora", "QRSysDatHora", 63}};
    for (const auto& linea : lineas) {
        ReportObject& etiqueta = objeto(kEncabezado, QLatin1String(linea.etiqueta));
        mover(etiqueta, {etiqueta.geometry().left(), linea.arriba});
        ReportObject& valor = objeto(kEncabezado, QLatin1String(linea.valor));
        mover(valor, {valor.geometry().left(), linea.arriba});
    }
}

void TRptVeZezev::CrearBloqueRelacion()
{
    Band& banda = *QCKReporte.band(kDetalle);
    banda.setHeight(160);
    banda.setBeforePrint([this](Band&, bool& print) { DetailBand1BeforePrint(print); });
    banda.addLine(QStringLiteral("QRShape2"), {0, 1}, 740).setPenWidth(2);

    const FontSpec negrita = fuente(11, true);
    const FontSpec normal = fuente(11);
    const struct
    {
        const char* nombre;
        qreal izquierda, arriba;
        const char* texto;
    } etiquetas[] = {
        {"QRLabel2", 8, 8, "Contabilización"},
        {"QRLabel3", 8, 43, "Cuenta contable"},
        {"QRLabel4", 8, 75, "Fuente de Financiación"},
        {"QRLabel5", 312, 77, "Recurso Presupuestal"},
        {"QRLabel6", 576, 77, "Situación de Fondos"},
        {"QRLabel7", 8, 113, "Dependencia de Afectación de PAC"},
        {"QRLabel1", 312, 113, "Valor Total"},
        {"QRLabel8", 440, 113, "Valor Causado"},
        {"QRLabel9", 576, 113, "Saldo"},
    };
    for (const auto& e : etiquetas) {
        etiqueta(banda, QLatin1String(e.nombre), {e.izquierda, e.arriba},
                 QString::fromUtf8(e.texto), negrita);
    }
    // Set before each band; as wide as the rest of its line.
    textoDatos(banda, QStringLiteral("QRLCamRela"), {344, 8}, 740 - 344, QString(), negrita);

    // Data texts run to the next column of their line; the amounts end before it.
    const struct
    {
        const char* nombre;
        qreal izquierda, arriba, ancho;
        const char* campo;
        bool derecha;
    } datos[] = {
        {"QRDBText3", 16, 24, 57, "COD_CONT", true},
        {"QRDBText4", 95, 24, 344 - 95, "DtfNmbCont", false},
        {"QRDBText1", 344, 24, 58, "COD_CCOS", true},
        {"QRDBText2", 408, 24, 740 - 408, "DtfNmbCamRela", false},
        {"QRDBText5", 16, 59, 95 - 16, "COD_CUEN", false},
        {"QRDBText6", 95, 59, 740 - 95, "DtfNmbCuen", false},
        {"QRDBText7", 10, 91, 312 - 10, "DtfNmbFuen", false},
        {"QRDBText8", 312, 93, 576 - 312, "DtfNmbPres", false},
        {"QRDBText9", 576, 93, 740 - 576, "DtfNmbSitu", false},
        {"QRDBText10", 10, 129, 312 - 10, "DEP_APAC", false},
        {"QRDBText11", 312, 129, 120, "VAL_TOTA", true},
        {"QRDBText12", 464, 129, 104, "VAL_CAUS", true},
        {"QRDBText13", 576, 129, 160, "DtfNmbValSald", true},
    };
    for (const auto& d : datos) {
        TextObject& texto = textoDatos(banda, QLatin1String(d.nombre), {d.izquierda, d.arriba},
                                       d.ancho, campoRelacion(d.campo), normal);
        if (d.derecha)
            texto.setHorizontalAlignment(Qt::AlignRight);
    }
}

void TRptVeZezev::ColumnHeaderBand1BeforePrint(bool& PrintBand)
{
    PrintBand = false;
}

void TRptVeZezev::DetailBand1BeforePrint(bool& PrintBand)
{
    Q_UNUSED(PrintBand);
    // A column without caption leaves the caption empty.
    texto(kDetalle, QStringLiteral("QRLCamRela"))
        .setText(TituloCampoRelacionado(DtmVeZezev ? DtmVeZezev->gStCamRela : QString()));
}
