#include "DVeZezev.h"
#include "LayoutEngine.h"
#include "MemoryDataSource.h"
#include "RVeZezev.h"
#include "SClientDataSet.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tavrel::report;

// The legacy report forms: the master template and the relation form built on it.
class TstReporteLegado : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
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

void TstReporteLegado::printingShowsTheCaptionAndHidesTheColumnTitles_data()
{
    QTest::addColumn<QString>("camRela");
    QTest::addColumn<QString>("caption");

    QTest::newRow("cost centre") << u"cod_ccos"_s << u"Centro de Costo"_s;
    QTest::newRow("a column of no kind leaves it empty") << u"cod_empr"_s << u""_s;
}

void TstReporteLegado::printingShowsTheCaptionAndHidesTheColumnTitles()
{
    QFETCH(QString, camRela);
    QFETCH(QString, caption);
    MemoryDataSource empresa(u"QryEmpresa"_s, {u"NOM_EMPR"_s, u"NIT_EMPR"_s, u"BMP_REPO"_s});
    empresa.addRow({u"Alcaldía de Villavicencio"_s, u"892.099.324-3"_s});
    MemoryDataSource relacion(u"QryVeZEZev"_s,
                              {"COD_CONT", "DtfNmbCont", "COD_CCOS", "DtfNmbCamRela", "COD_CUEN",
                               "DtfNmbCuen", "DtfNmbFuen", "DtfNmbPres", "DtfNmbSitu", "DEP_APAC",
                               "VAL_TOTA", "VAL_CAUS", "DtfNmbValSald"});
    relacion.addRow({101, u"Sueldo básico"_s});
    LayoutEngine motor;
    motor.addDataSource(&empresa);
    motor.addDataSource(&relacion);

    // A caption left from an earlier run does not stay when the column has none. The
    // title is read when the report prints.
    DtmVeZezev->gStCamRela = u"cod_tnom"_s;
    motor.layout(m_relacion->QCKReporte);
    DtmVeZezev->gStCamRela = camRela;
    m_relacion->QCKReporte.setTitle(u"Relación Rubros SIIF2"_s);
    const LaidOutPage pagina = motor.layout(m_relacion->QCKReporte).pages.value(0);
    const QList<const TextRun*> titulo = pagina.textsNamed(u"QRSysDatReportTitle"_s);
    QVERIFY(!titulo.isEmpty());
    QCOMPARE(titulo.first()->text(), u"Relación Rubros SIIF2"_s);
    QStringList titulos;
    for (const TextRun* run : pagina.textsNamed(u"QRLCamRela"_s))
        titulos << run->text();
    QCOMPARE(titulos, caption.isEmpty() ? QStringList() : QStringList{caption});
    QCOMPARE(pagina.textsNamed(u"QRDBText4"_s).value(0)->text(), u"Sueldo básico"_s);
    QVERIFY(pagina.textsNamed(u"QRLblACT_USUA"_s).isEmpty());
    for (const LineRun* linea : pagina.lines())
        QVERIFY(!linea->objectName.startsWith(u"QRShpLinea") && linea->objectName != u"QRShape1");

    // The template has no handler: its column titles print.
    MemoryDataSource empresaPlantilla(u"QryEmpresa"_s,
                                      {u"NOM_EMPR"_s, u"NIT_EMPR"_s, u"BMP_REPO"_s});
    LayoutEngine motorPlantilla;
    motorPlantilla.addDataSource(&empresaPlantilla);
    const LaidOutPage plantilla = motorPlantilla.layout(m_maestro->QCKReporte).pages.value(0);
    QCOMPARE(plantilla.textsNamed(u"QRLblACT_USUA"_s).size(), 1);
}

QTEST_MAIN(TstReporteLegado)
#include "tst_reportelegado.moc"
