#include "ReporteRelacion.h"

#include "DataSetBinding.h"
#include "DataSetReportSource.h"
#include "FormatSettings.h"
#include "LayoutEngine.h"
#include "ReportRun.h"

using namespace tavrel::report;

const QString ReporteRelacion::NombreEmpresa = QStringLiteral("QryGnEmpre");
const QString ReporteRelacion::NombreRelacion = QStringLiteral("QryVeZezev");

namespace {

constexpr qreal kAltoEncabezado = 94.49; // 25 mm
constexpr qreal kAltoBloque = 140;       // a box of 128 and 12 of space
constexpr qreal kAltoFila = 16;
constexpr qreal kAltoPie = 15.12;

QString campoEmpresa(const char* campo)
{
    return QStringLiteral("[QryGnEmpre.\"%1\"]").arg(QLatin1String(campo));
}

} // namespace

ReporteRelacion::ReporteRelacion() : m_report(std::make_unique<Report>())
{
    Report& report = *m_report;
    report.setTitle(QStringLiteral("Relación Rubros SIIF2"));
    report.page() =
        Page(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10));
    report.addVariable(QStringLiteral(" Globales"));
    report.addVariable(QStringLiteral("gStCodUsua"));
    report.addVariable(QStringLiteral("gStDateFormat"));
    report.addVariable(QStringLiteral("gStNomProg"));
    report.addVariable(QStringLiteral(" Reporte"));
    report.addVariable(QStringLiteral("gSmCodEmpr"));
    report.addVariable(QStringLiteral("gStCamRela"), QStringLiteral(""));
    CrearEncabezado();
    CrearBloque();
    CrearPie();
}

ReporteRelacion::~ReporteRelacion() = default;
ReporteRelacion::ReporteRelacion(ReporteRelacion&&) noexcept = default;
ReporteRelacion& ReporteRelacion::operator=(ReporteRelacion&&) noexcept = default;

void ReporteRelacion::CrearEncabezado()
{
    Band& banda =
        m_report->addBand(Band::Kind::PageHeader, kAltoEncabezado, QStringLiteral("PageHeader1"));
    banda.setStretch(true);
    banda.addPicture(QStringLiteral("Picture1"), {0, 0, 151.18, 94.49})
        .setField(NombreEmpresa, QStringLiteral("BMP_REPO"));

    const auto texto = [&](const char* nombre, const QRectF& caja, const QString& contenido,
                           qreal alto) -> TextObject& {
        return banda.addText(QLatin1String(nombre), caja, contenido)
            .setFontPixelSize(alto)
            .setBold(true);
    };
    texto("QryGnEmpreNOM_EMPR", {151.18, 11.34, 453.54, 18.90}, campoEmpresa("NOM_EMPR"), 13)
        .setStretch(TextObject::Stretch::ToTallest);
    texto("QryGnEmpreNIT_EMPR", {415.75, 30.24, 188.98, 15.12},
          QStringLiteral("NIT: ") + campoEmpresa("NIT_EMPR"), 11)
        .setShiftWhenOverlapped(true);
    texto("Memo1", {151.18, 45.24, 453.54, 15.12}, QStringLiteral("Nómina - Relación Rubros SIIF2"),
          11)
        .setShiftWhenOverlapped(true)
        .setStretch(TextObject::Stretch::ToTallest);
    texto("Memo2", {151.18, 60.35, 453.54, 15.12},
          QStringLiteral("Definición Relación Rubros SIIF2"), 11)
        .setShiftWhenOverlapped(true)
        .setStretch(TextObject::Stretch::ToTallest);
    texto("SysMemo1", {642.52, 30.24, 98.27, 15.12}, QStringLiteral("Página: [PAGE#]"), 8)
        .setVerticalAlignment(Qt::AlignVCenter);
    texto("SysMemo2", {642.52, 45.35, 98.27, 15.12}, QStringLiteral("Fecha: [DATE]"), 8)
        .setVerticalAlignment(Qt::AlignVCenter);
    texto("SysMemo3", {642.52, 60.47, 98.27, 15.12}, QStringLiteral("Hora: [TIME]"), 8)
        .setVerticalAlignment(Qt::AlignVCenter);
}

void ReporteRelacion::CrearBloque()
{
    Band& banda =
        m_report->addBand(Band::Kind::MasterData, kAltoBloque, QStringLiteral("MasterData1"));
    banda.setDataSourceName(NombreRelacion);

    // A label in bold, or a field of the relation in plain text; the frame sides of the
    // cells draw the block's outline and nothing inside it.
    struct Celda
    {
        int memo;
        qreal izquierda, arriba, ancho;
        const char* etiqueta;
        const char* campo;
        Frame::Sides marco;
    };
    using F = Frame;
    static const Celda celdas[] = {
        {7, 0, 0, 352, "Contabilización", nullptr, F::Left | F::Top},
        {8, 352, 0, 388, nullptr, nullptr, F::Right | F::Top},
        {9, 0, 16, 80, nullptr, "COD_CONT", F::Left},
        {10, 80, 16, 272, nullptr, "DtfNmbCont", F::NoSide},
        {11, 352, 16, 80, nullptr, "COD_CCOS", F::NoSide},
        {12, 432, 16, 308, nullptr, "DtfNmbCamRela", F::Right},
        {13, 0, 32, 740, "Cuenta Contable", nullptr, F::Left | F::Right},
        {14, 0, 48, 80, nullptr, "COD_CUEN", F::Left},
        {15, 80, 48, 660, nullptr, "DtfNmbCuen", F::Right},
        {16, 0, 64, 272, "Fuente de Financiación", nullptr, F::Left},
        {17, 272, 64, 240, "Recurso Presupuestal ", nullptr, F::NoSide},
        {18, 512, 64, 228, "Situación de Fondos", nullptr, F::Right},
        {19, 0, 80, 272, nullptr, "DtfNmbFuen", F::Left},
        {20, 272, 80, 240, nullptr, "DtfNmbPres", F::NoSide},
        {21, 512, 80, 228, nullptr, "DtfNmbSitu", F::Right},
        {22, 0, 96, 272, "Dependencia de Afectación de PAC", nullptr, F::Left},
        {23, 272, 96, 148, "Valor Total", nullptr, F::NoSide},
        {24, 420, 96, 148, "Valor Causado", nullptr, F::NoSide},
        {25, 568, 96, 172, "Saldo", nullptr, F::Right},
        {26, 0, 112, 272, nullptr, "DEP_APAC", F::Left | F::Bottom},
        {27, 272, 112, 148, nullptr, "VAL_TOTA", F::Bottom},
        {28, 420, 112, 148, nullptr, "VAL_CAUS", F::Bottom},
        {29, 568, 112, 172, nullptr, "DtfNmbValSald", F::Right | F::Bottom},
    };
    for (const Celda& celda : celdas) {
        QString contenido;
        if (celda.etiqueta)
            contenido = QString::fromUtf8(celda.etiqueta);
        else if (celda.campo)
            contenido =
                QStringLiteral("[%1.\"%2\"]").arg(NombreRelacion, QLatin1String(celda.campo));
        else
            contenido = QStringLiteral("[gStCamRela]");
        banda
            .addText(QStringLiteral("Memo%1").arg(celda.memo),
                     {celda.izquierda, celda.arriba, celda.ancho, kAltoFila}, contenido)
            .setFontPixelSize(11)
            .setBold(celda.campo == nullptr)
            .setColour(Qt::black)
            .setFrame(celda.marco);
    }
}

void ReporteRelacion::CrearPie()
{
    Band& banda =
        m_report->addBand(Band::Kind::PageFooter, kAltoPie, QStringLiteral("PageFooter1"));
    const auto texto = [&](const char* nombre, qreal izquierda, qreal ancho,
                           const QString& contenido) -> TextObject& {
        return banda.addText(QLatin1String(nombre), {izquierda, 0, ancho, kAltoPie}, contenido)
            .setFontPixelSize(11);
    };
    texto("Memo3", 0, 151.18, QStringLiteral("TavreL: [gStNomProg]"))
        .setHorizontalAlignment(Qt::AlignRight);
    texto("Memo4", 226.77, 188.98, QStringLiteral("Usuario: [gStCodUsua]"));
    texto("Memo5", 415.75, 188.98, QStringLiteral("Tavrel by Mirova"));
    texto("Memo6", 604.72, 136.06, QStringLiteral("Velmora")).setItalic(true);
}

LayoutEngine ReporteRelacion::Motor(const VariablesRelacion& variables,
                                    const QDateTime& momento) const
{
    LayoutEngine engine;
    // The callback outlives this call in the runs: it keeps its own copy of the variables.
    engine.setVariablesCallback([variables](const QString& name, QVariant& value) {
        variables.frxRptVeZezevGetValue(name, value);
    });
    ReportSettings settings;
    const tavrel::FormatSettings& formatos = tavrel::FormatSettings::instance();
    settings.shortDateFormat =
        variables.gStDateFormat.isEmpty() ? formatos.shortDateFormat() : variables.gStDateFormat;
    settings.timeFormat = formatos.longTimeFormat();
    settings.runTime = momento;
    engine.setSettings(settings);
    return engine;
}

std::unique_ptr<ReportRun> ReporteRelacion::StartReport(ReportDataSource& empresa,
                                                        ReportDataSource& relacion,
                                                        const VariablesRelacion& variables,
                                                        const QDateTime& momento)
{
    LayoutEngine engine = Motor(variables, momento);
    engine.addDataSource(&empresa);
    engine.addDataSource(&relacion);
    return engine.start(*m_report);
}

std::unique_ptr<ReportRun> ReporteRelacion::StartReport(const DataSetBinding& empresa,
                                                        const DataSetBinding& relacion,
                                                        const VariablesRelacion& variables,
                                                        const QDateTime& momento)
{
    LayoutEngine engine = Motor(variables, momento);
    engine.addDataSource(
        std::make_unique<DataSetReportSource>(empresa.userName(), empresa.boundDataSet()));
    engine.addDataSource(
        std::make_unique<DataSetReportSource>(relacion.userName(), relacion.boundDataSet()));
    return engine.start(*m_report);
}

LaidOutDocument ReporteRelacion::PrepareReport(SClientDataSet& empresa, SClientDataSet& relacion,
                                               const VariablesRelacion& variables,
                                               const QDateTime& momento)
{
    DataSetReportSource fuenteEmpresa(NombreEmpresa, empresa);
    DataSetReportSource fuenteRelacion(NombreRelacion, relacion);
    return StartReport(fuenteEmpresa, fuenteRelacion, variables, momento)->document();
}
