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
