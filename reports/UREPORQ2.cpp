#include "UREPORQ2.h"

#include "ModuleError.h"
#include "SClientDataSet.h"
#include "TextMeasurer.h"

#include <cmath>

using namespace tavrel::report;

namespace {

// Where the page, date and time column of the header begins; texts to its left stop there.
constexpr qreal kColumnaPagina = 661;
constexpr qreal kAnchoBanda = 740;

QString campoEmpresa(const char* campo)
{
    return QStringLiteral("[QryEmpresa.\"%1\"]").arg(QLatin1String(campo));
}

} // namespace

TRptReporteMaestro::TRptReporteMaestro(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RptReporteMaestro"));
    resize(898, 533);

    QryEmpresa = new SClientDataSet(this);
    QryEmpresa->setObjectName(QStringLiteral("QryEmpresa"));
    QryEmpresa->setProviderName(QStringLiteral("DtsPEmpresa"));
    QryEmpresa->setCommandText(QStringLiteral(
        " SELECT NOM_EMPR, NIT_EMPR, BMP_REPO  FROM GN_EMPRE  WHERE COD_EMPR = :CODEMPR "));
    QryEmpresa->setSAuditFields(true);
    QryTemp = new SClientDataSet(this);
    QryTemp->setObjectName(QStringLiteral("QryTemp"));
    QryTemp->setProviderName(QStringLiteral("DtsPTemporal"));

    QCKReporte.page() =
        Page(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10));
    QCKReporte.setPrintIfEmpty(false);
    CrearEncabezado();
    CrearEncabezadoColumnas();
    CrearDetalle();
    CrearResumen();
    CrearPie();

    FormCreate();
}

TRptReporteMaestro::~TRptReporteMaestro() = default;

FontSpec TRptReporteMaestro::fuente(qreal alto, bool negrita, bool cursiva)
{
    FontSpec fuente;
    fuente.family = QStringLiteral("Arial");
    fuente.pixelSize = alto;
    fuente.bold = negrita;
    fuente.italic = cursiva;
    return fuente;
}

TextObject& TRptReporteMaestro::etiqueta(Band& banda, const QString& nombre,
                                         const QPointF& posicion, const QString& texto,
                                         const FontSpec& tipo)
{
    TextObject& objeto = banda.addText(nombre, QRectF(posicion, QSizeF(1, 1)), texto);
    objeto.setWordWrap(false);
    cambiarFuente(objeto, tipo, true);
    return objeto;
}

TextObject& TRptReporteMaestro::textoDatos(Band& banda, const QString& nombre,
                                           const QPointF& posicion, qreal ancho,
                                           const QString& texto, const FontSpec& tipo)
{
    TextObject& objeto = banda.addText(nombre, QRectF(posicion, QSizeF(ancho, 1)), texto);
    objeto.setWordWrap(false);
    cambiarFuente(objeto, tipo, false);
    return objeto;
}

void TRptReporteMaestro::cambiarFuente(TextObject& texto, const FontSpec& tipo, bool ajustarAncho)
{
    texto.setFont(tipo);
    QRectF caja = texto.geometry();
    caja.setHeight(TextMeasurer().lineHeight(tipo) + texto.padding().top() +
                   texto.padding().bottom());
    texto.setGeometry(caja);
    if (ajustarAncho)
        TRptReporteMaestro::ajustarAncho(texto, texto.text());
}

void TRptReporteMaestro::ajustarAncho(TextObject& texto, const QString& muestra)
{
    QRectF caja = texto.geometry();
    caja.setWidth(std::ceil(TextMeasurer().textWidth(muestra, texto.font()) +
                            texto.padding().left() + texto.padding().right()));
    texto.setGeometry(caja);
}

void TRptReporteMaestro::mover(ReportObject& objeto, const QPointF& posicion)
{
    QRectF caja = objeto.geometry();
    caja.moveTopLeft(posicion);
    objeto.setGeometry(caja);
}

ReportObject& TRptReporteMaestro::objeto(const QString& banda, const QString& nombre) const
{
    const Band* encontrada = QCKReporte.band(banda);
    ReportObject* objeto = encontrada ? encontrada->object(nombre) : nullptr;
    if (!objeto) {
        throw tavrel::ModuleError(
            QStringLiteral("El reporte «%1» no tiene el objeto «%2» en la banda «%3».")
                .arg(objectName(), nombre, banda));
    }
    return *objeto;
}

TextObject& TRptReporteMaestro::texto(const QString& banda, const QString& nombre) const
{
    ReportObject& encontrado = objeto(banda, nombre);
    if (encontrado.type() != ReportObject::Type::Text) {
        throw tavrel::ModuleError(QStringLiteral("El objeto «%1» del reporte «%2» no es un texto.")
                                      .arg(nombre, objectName()));
    }
    return static_cast<TextObject&>(encontrado);
}

void TRptReporteMaestro::CrearEncabezado()
{
    Band& banda = QCKReporte.addBand(Band::Kind::PageHeader, 93, QStringLiteral("PageHeaderBand1"));
    banda.addPicture(QStringLiteral("QRDBImgBMP_REPO"), {2, 1, 74, 86})
        .setField(QStringLiteral("QryEmpresa"), QStringLiteral("BMP_REPO"));
    textoDatos(banda, QStringLiteral("QRDBTxtNOM_EMPR"), {80, 15}, 441 - 80,
               campoEmpresa("NOM_EMPR"), fuente(15, true));
    etiqueta(banda, QStringLiteral("QRLblNIT"), {441, 18}, QStringLiteral("NIT:"),
             fuente(11, true));
    textoDatos(banda, QStringLiteral("QRDBTxtNIT_EMPR"), {470, 18}, kColumnaPagina - 470,
               campoEmpresa("NIT_EMPR"), fuente(11, true));
    textoDatos(banda, QStringLiteral("QRSysDatReportTitle"), {80, 35}, kColumnaPagina - 80,
               QStringLiteral("[REPORTTITLE]"), fuente(12, true));
    etiqueta(banda, QStringLiteral("QRLblDescripcion"), {80, 52},
             QStringLiteral("Descripcion Informe    "), fuente(11, true));

    // The system values are as wide as a date, which reaches a little into the right
    // margin.
    const FontSpec pequena = fuente(9);
    const struct
    {
        const char* etiqueta;
        const char* textoEtiqueta;
        const char* valor;
        const char* textoValor;
        qreal arriba;
    } lineas[] = {{"QRLblPagina", "Página:", "QRSysDatPagina", "[PAGE#]", 5},
                  {"QRLblFecha", "Fecha:", "QRSysDatFecha", "[DATE]", 20},
                  {"QRLblHora", "Hora:", "QRSysDatHora", "[TIME]", 35}};
    for (const auto& linea : lineas) {
        etiqueta(banda, QLatin1String(linea.etiqueta), {kColumnaPagina, linea.arriba},
                 QString::fromUtf8(linea.textoEtiqueta), pequena);
        ajustarAncho(textoDatos(banda, QLatin1String(linea.valor), {695, linea.arriba}, 1,
                                QLatin1String(linea.textoValor), pequena),
                     QStringLiteral("00/00/0000"));
    }
}

void TRptReporteMaestro::CrearEncabezadoColumnas()
{
    Band& banda =
        QCKReporte.addBand(Band::Kind::ColumnHeader, 50, QStringLiteral("ColumnHeaderBand1"));
    const FontSpec normal = fuente(13);
    etiqueta(banda, QStringLiteral("QRLblACT_USUA"), {516, 14}, QStringLiteral("Usuario"), normal);
    etiqueta(banda, QStringLiteral("QRLblACT_HORA"), {591, 14}, QStringLiteral("Hora"), normal);
    etiqueta(banda, QStringLiteral("QRLblACT_ESTA"), {719, 14}, QStringLiteral("Op."), normal);
    banda.addLine(QStringLiteral("QRShpLineaSuperior"), {0, 1}, 750).setPenWidth(3);
    banda.addLine(QStringLiteral("QRShpLineaInferior"), {0, 36}, 750).setPenWidth(3);
}

void TRptReporteMaestro::CrearDetalle()
{
    // The template's detail shows the audit columns but binds them to no dataset, so
    // they print empty until a form gives them a field.
    Band& banda = QCKReporte.addBand(Band::Kind::MasterData, 23, QStringLiteral("DetailBand1"));
    const FontSpec normal = fuente(13);
    textoDatos(banda, QStringLiteral("QRDBTxtACT_USUA"), {514, 1}, 74, QString(), normal);
    textoDatos(banda, QStringLiteral("QRDBTxtACT_HORA"), {589, 1}, 130, QString(), normal);
    textoDatos(banda, QStringLiteral("QRDBTxtACT_ESTA"), {719, 1}, 19, QString(), normal);
}

void TRptReporteMaestro::CrearResumen()
{
    Band& banda = QCKReporte.addBand(Band::Kind::Summary, 27, QStringLiteral("SmmBndResumen"));
    const FontSpec normal = fuente(13);
    etiqueta(banda, QStringLiteral("QRLblRegistros"), {430, 5},
             QStringLiteral("Número de Registros de Detalle:"), normal);
    textoDatos(banda, QStringLiteral("QRSysDatRegistros"), {628, 5}, kAnchoBanda - 628,
               QStringLiteral("[COUNT#]"), normal);
}

void TRptReporteMaestro::CrearPie()
{
    Band& banda = QCKReporte.addBand(Band::Kind::PageFooter, 41, QStringLiteral("PageFooterBand1"));
    const FontSpec pie = fuente(11);
    const struct
    {
        const char* nombre;
        qreal izquierda;
        const char* texto;
    } etiquetas[] = {
        {"QRLblTavreL", 12, "TavreL:"},         {"QRLblNomProg", 66, "Programa "},
        {"QRLblUsuario", 153, "Usuario:"},      {"QRLblNomUsua", 214, "Nombre Usuario"},
        {"QRLblFFecha", 360, "Formato Fecha:"}, {"QRLblForFecha", 465, "Formato Fecha"},
    };
    for (const auto& e : etiquetas) {
        etiqueta(banda, QLatin1String(e.nombre), {e.izquierda, 7}, QString::fromUtf8(e.texto), pie);
    }
    etiqueta(banda, QStringLiteral("QRVelmora"), {617, 7}, QStringLiteral("Velmora"),
             fuente(11, false, true));
}

void TRptReporteMaestro::FormCreate() {}

void TRptReporteMaestro::QCKReporteBeforePrint(bool& PrintReport)
{
    Q_UNUSED(PrintReport);
}
