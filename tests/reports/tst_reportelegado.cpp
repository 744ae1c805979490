#include "DVeZezev.h"
#include "LayoutEngine.h"
#include "MemoryDataSource.h"
#include "Param.h"
#include "RVeZezev.h"
#include "SClientDataSet.h"

#include <QTest>

using namespace tavrel::report;

// The legacy report forms: the master template and the relation form built on it.
class TstReporteLegado : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void objectsWhereTheFormsPutThem_data();
    void objectsWhereTheFormsPutThem();
    void templateReportAndDatasets();
    void printingShowsTheCaptionAndHidesTheColumnTitles_data();
    void printingShowsTheCaptionAndHidesTheColumnTitles();

private:
    std::unique_ptr<TRptReporteMaestro> m_maestro;
    std::unique_ptr<TRptVeZezev> m_relacion;
    std::unique_ptr<TDtmVeZezev> m_datos;
};

void TstReporteLegado::init()
{
    m_maestro = std::make_unique<TRptReporteMaestro>();
    m_relacion = std::make_unique<TRptVeZezev>();
    m_datos = std::make_unique<TDtmVeZezev>();
    DtmVeZezev = m_datos.get();
}

void TstReporteLegado::cleanup()
{
    m_datos.reset();
    m_relacion.reset();
    m_maestro.reset();
}

void TstReporteLegado::objectsWhereTheFormsPutThem_data()
{
    QTest::addColumn<bool>("relacion");
    QTest::addColumn<QString>("band");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QPointF>("topLeft");
    QTest::addColumn<qreal>("fontHeight"); // 0: not a text

    const QString header = QStringLiteral("PageHeaderBand1");
    const QString detail = QStringLiteral("DetailBand1");
    QTest::newRow("template: company name beside the narrow logo")
        << false << header << "QRDBTxtNOM_EMPR" << QPointF(80, 15) << 15.0;
    QTest::newRow("relation form: company name moved up, smaller")
        << true << header << "QRDBTxtNOM_EMPR" << QPointF(100, 8) << 12.0;
    QTest::newRow("relation form: report title under the name")
        << true << header << "QRSysDatReportTitle" << QPointF(100, 30) << 11.0;
    QTest::newRow("template: page number at the top")
        << false << header << "QRSysDatPagina" << QPointF(695, 5) << 9.0;
    QTest::newRow("relation form: page, date and time lines lower")
        << true << header << "QRLblHora" << QPointF(661, 63) << 9.0;
    QTest::newRow("relation form: summary count moved right")
        << true << "SmmBndResumen"
        << "QRSysDatRegistros" << QPointF(708, 5) << 13.0;
    QTest::newRow("template footer: italic maker name") << false << "PageFooterBand1"
                                                        << "QRVelmora" << QPointF(617, 7) << 11.0;
    QTest::newRow("relation block: caption set at print time")
        << true << detail << "QRLCamRela" << QPointF(344, 8) << 11.0;
    QTest::newRow("relation block: source on the second line of its pair, 2 lower")
        << true << detail << "QRDBText8" << QPointF(312, 93) << 11.0;
    QTest::newRow("relation block: balance on the last line")
        << true << detail << "QRDBText13" << QPointF(576, 129) << 11.0;
    QTest::newRow("relation block: inherited audit text keeps its font")
        << true << detail << "QRDBTxtACT_HORA" << QPointF(589, 1) << 13.0;
    QTest::newRow("relation block: rule over the block")
        << true << detail << "QRShape2" << QPointF(0, 1) << 0.0;
}

void TstReporteLegado::objectsWhereTheFormsPutThem()
{
    QFETCH(bool, relacion);
    QFETCH(QString, band);
    QFETCH(QString, object);
    QFETCH(QPointF, topLeft);
    QFETCH(qreal, fontHeight);
    const TRptReporteMaestro& forma =
        relacion ? static_cast<TRptReporteMaestro&>(*m_relacion) : *m_maestro;
    const ReportObject& encontrado = forma.objeto(band, object);
    QCOMPARE(encontrado.geometry().topLeft(), topLeft);
    if (fontHeight > 0)
        QCOMPARE(forma.texto(band, object).font().pixelSize, fontHeight);
}

void TstReporteLegado::templateReportAndDatasets()
{
    const Report& plantilla = m_maestro->QCKReporte;
    QCOMPARE(plantilla.page().paperSize(), QSizeF(816, 1056));
    QCOMPARE(plantilla.page().marginsMm(), QMarginsF(10, 10, 10, 10));
    QVERIFY(!plantilla.printIfEmpty());
    QCOMPARE(m_maestro->QryEmpresa->providerName(), QStringLiteral("DtsPEmpresa"));
    QCOMPARE(m_maestro->QryEmpresa->paramCount(), 1);
    QCOMPARE(m_maestro->QryEmpresa->param(0).name, QStringLiteral("CODEMPR"));
    QCOMPARE(m_maestro->QryTemp->providerName(), QStringLiteral("DtsPTemporal"));
    QCOMPARE(m_maestro->size(), QSize(898, 533));

    QCOMPARE(m_relacion->objectName(), QStringLiteral("RptVeZEZev"));
    QCOMPARE(m_relacion->size(), QSize(887, 589));
    const Band* detalle = m_relacion->QCKReporte.band(QStringLiteral("DetailBand1"));
    QCOMPARE(detalle->height(), 160.0);
    QCOMPARE(detalle->objects().size(), 24u + 3u); // the block and the template's audit texts
    QCOMPARE(m_maestro->objeto(QStringLiteral("PageHeaderBand1"), QStringLiteral("QRDBImgBMP_REPO"))
                 .geometry()
                 .width(),
             74.0);
    QCOMPARE(
        m_relacion->objeto(QStringLiteral("PageHeaderBand1"), QStringLiteral("QRDBImgBMP_REPO"))
            .geometry()
            .width(),
        92.0);
}

void TstReporteLegado::printingShowsTheCaptionAndHidesTheColumnTitles_data()
{
    QTest::addColumn<QString>("camRela");
    QTest::addColumn<QString>("caption");

    QTest::newRow("prototype group") << "cod_gpro"
                                     << "Grupo de Prototipos";
    QTest::newRow("cost centre") << "cod_ccos"
                                 << "Centro de Costo";
    QTest::newRow("a column of no kind leaves it empty") << "cod_empr"
                                                         << "";
}

void TstReporteLegado::printingShowsTheCaptionAndHidesTheColumnTitles()
{
    QFETCH(QString, camRela);
    QFETCH(QString, caption);
    MemoryDataSource empresa(
        QStringLiteral("QryEmpresa"),
        {QStringLiteral("NOM_EMPR"), QStringLiteral("NIT_EMPR"), QStringLiteral("BMP_REPO")});
    empresa.addRow({QStringLiteral("Alcaldía de Villavicencio"), QStringLiteral("892.099.324-3")});
    MemoryDataSource relacion(QStringLiteral("QryVeZEZev"),
                              {"COD_CONT", "DtfNmbCont", "COD_CCOS", "DtfNmbCamRela", "COD_CUEN",
                               "DtfNmbCuen", "DtfNmbFuen", "DtfNmbPres", "DtfNmbSitu", "DEP_APAC",
                               "VAL_TOTA", "VAL_CAUS", "DtfNmbValSald"});
    relacion.addRow({101, QStringLiteral("Sueldo básico")});
    LayoutEngine motor;
    motor.addDataSource(&empresa);
    motor.addDataSource(&relacion);

    // A caption left from an earlier run does not stay when the column has none. The
    // title is read when the report prints.
    DtmVeZezev->gStCamRela = QStringLiteral("cod_tnom");
    motor.layout(m_relacion->QCKReporte);
    DtmVeZezev->gStCamRela = camRela;
    m_relacion->QCKReporte.setTitle(QStringLiteral("Relación Rubros SIIF2"));
    const LaidOutPage pagina = motor.layout(m_relacion->QCKReporte).pages.value(0);
    const QList<const TextRun*> titulo = pagina.textsNamed(QStringLiteral("QRSysDatReportTitle"));
    QVERIFY(!titulo.isEmpty());
    QCOMPARE(titulo.first()->text(), QStringLiteral("Relación Rubros SIIF2"));
    QStringList titulos;
    for (const TextRun* run : pagina.textsNamed(QStringLiteral("QRLCamRela")))
        titulos << run->text();
    QCOMPARE(titulos, caption.isEmpty() ? QStringList() : QStringList{caption});
    QCOMPARE(pagina.textsNamed(QStringLiteral("QRDBText4")).value(0)->text(),
             QStringLiteral("Sueldo básico"));
    QVERIFY(pagina.textsNamed(QStringLiteral("QRLblACT_USUA")).isEmpty());
    for (const LineRun* linea : pagina.lines())
        QVERIFY(!linea->objectName.startsWith(u"QRShpLinea") && linea->objectName != u"QRShape1");

    // The template has no handler: its column titles print.
    MemoryDataSource empresaPlantilla(
        QStringLiteral("QryEmpresa"),
        {QStringLiteral("NOM_EMPR"), QStringLiteral("NIT_EMPR"), QStringLiteral("BMP_REPO")});
    LayoutEngine motorPlantilla;
    motorPlantilla.addDataSource(&empresaPlantilla);
    const LaidOutPage plantilla = motorPlantilla.layout(m_maestro->QCKReporte).pages.value(0);
    QCOMPARE(plantilla.textsNamed(QStringLiteral("QRLblACT_USUA")).size(), 1);
}

QTEST_MAIN(TstReporteLegado)
#include "tst_reportelegado.moc"
