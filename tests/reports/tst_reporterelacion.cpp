#include "RelacionDatos.h"
#include "ReportRenderer.h"
#include "ReportUnits.h"
#include "ReporteRelacion.h"

#include <QTemporaryDir>
#include <QTest>
#include <poppler-qt6.h>

using namespace tavrel::report;

namespace {

const qreal kMargen = mmToUnits(10);
constexpr qreal kTolerancia = 1.5; // points

// Whether the line runs draw every side of the rectangle, end to end.
bool cerrado(const QList<const LineRun*>& lineas, const QRectF& caja)
{
    const auto cubre = [&](bool vertical, qreal en, qreal desde, qreal hasta) {
        qreal alcanzado = desde;
        for (bool crecio = true; crecio && alcanzado < hasta - 0.01;) {
            crecio = false;
            for (const LineRun* run : lineas) {
                const QLineF l = run->line;
                if (qFuzzyCompare(l.x1(), l.x2()) != vertical)
                    continue;
                const qreal pos = vertical ? l.x1() : l.y1();
                const qreal a = vertical ? std::min(l.y1(), l.y2()) : std::min(l.x1(), l.x2());
                const qreal b = vertical ? std::max(l.y1(), l.y2()) : std::max(l.x1(), l.x2());
                if (std::abs(pos - en) < 0.01 && a <= alcanzado + 0.01 && b > alcanzado + 0.01) {
                    alcanzado = b;
                    crecio = true;
                }
            }
        }
        return alcanzado >= hasta - 0.01;
    };
    return cubre(false, caja.top(), caja.left(), caja.right()) &&
           cubre(false, caja.bottom(), caja.left(), caja.right()) &&
           cubre(true, caja.left(), caja.top(), caja.bottom()) &&
           cubre(true, caja.right(), caja.top(), caja.bottom());
}

QStringList textos(const LaidOutDocument& documento, const QString& objeto)
{
    QStringList encontrados;
    for (const LaidOutPage& pagina : documento.pages) {
        for (const TextRun* run : pagina.textsNamed(objeto))
            encontrados << run->text();
    }
    return encontrados;
}

} // namespace

// The relation report over in-memory company and relation datasets, laid out and
// written to PDF, then read back with poppler.
class TstReporteRelacion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void emptyRelationPrintsHeaderAndFooterOnly();
    void eachRowIsOneClosedBoxWithItsLabels();
    void captionFollowsTheConfiguredColumn_data();
    void captionFollowsTheConfiguredColumn();
    void footerProgramEndsAtTheRightOfItsBox();
    void blocksBreakBetweenPagesNeverInside();
    void amountsShowWithTheMoneyFormat_data();
    void amountsShowWithTheMoneyFormat();
    void variableCallback_data();
    void variableCallback();

private:
    LaidOutDocument preparar(int filas, const QString& camRela = QStringLiteral("cod_tnom"));
    std::unique_ptr<Poppler::Document> exportar(const LaidOutDocument& documento);

    QTemporaryDir m_dir;
    std::unique_ptr<RelacionDatos> m_datos;
    ReporteRelacion m_reporte;
};

void TstReporteRelacion::init()
{
    QVERIFY(m_dir.isValid());
    m_datos = std::make_unique<RelacionDatos>();
}

LaidOutDocument TstReporteRelacion::preparar(int filas, const QString& camRela)
{
    for (int n = 1; n <= filas; ++n)
        m_datos->agregar(n);
    const VariablesRelacion variables{QStringLiteral("JPEREZ"), QStringLiteral("VVeZezev"),
                                      QStringLiteral("dd/MM/yyyy"), camRela};
    return m_reporte.PrepareReport(m_datos->empresa, m_datos->relacion, variables,
                                   QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
}

std::unique_ptr<Poppler::Document> TstReporteRelacion::exportar(const LaidOutDocument& documento)
{
    const QString archivo = m_dir.filePath(QStringLiteral("relacion.pdf"));
    if (!ReportRenderer(documento).exportPdf(archivo))
        return nullptr;
    return Poppler::Document::load(archivo);
}

void TstReporteRelacion::emptyRelationPrintsHeaderAndFooterOnly()
{
    const auto pdf = exportar(preparar(0));
    QVERIFY(pdf);
    QCOMPARE(pdf->numPages(), 1);
    const QString texto = pdf->page(0)->text(QRectF());
    // The header shows the company the dataset stands on, which is not the first.
    const QByteArray nit = QByteArray("NIT: ") + RelacionDatos::NitEmpresaActual;
    for (const char* esperado :
         {RelacionDatos::NombreEmpresaActual, nit.constData(), "Nómina - Relación Rubros SIIF2",
          "Definición Relación Rubros SIIF2", "Página: 1", "Fecha: 15/03/2024", "Hora: 14:05:09",
          "TavreL: VVeZezev", "Usuario: JPEREZ", "Tavrel by Mirova", "Velmora"})
        QVERIFY2(texto.contains(QString::fromUtf8(esperado)), esperado);
    QVERIFY(!texto.contains(QStringLiteral("Contabilización")));
    QVERIFY(!texto.contains(QStringLiteral("Tránsito del Meta")));
    QCOMPARE(m_datos->empresa.recNo(), 2);
}

void TstReporteRelacion::eachRowIsOneClosedBoxWithItsLabels()
{
    const LaidOutDocument documento = preparar(3);
    QCOMPARE(documento.pages.size(), 1);
    const LaidOutPage& pagina = documento.pages.first();
    QCOMPARE(pagina.images().size(), 1); // the logo
    const QList<const TextRun*> esquinas = pagina.textsNamed(QStringLiteral("Memo7"));
    QCOMPARE(esquinas.size(), 3);

    const auto pdf = exportar(documento);
    QList<QRectF> contabilizacion, titulos;
    for (const auto& caja : pdf->page(0)->textList()) {
        if (caja->text() == u"Contabilización")
            contabilizacion << caja->boundingBox();
        else if (caja->text() == u"Clase")
            titulos << caja->boundingBox();
    }
    QCOMPARE(contabilizacion.size(), 3);
    QCOMPARE(titulos.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QRectF caja(kMargen, esquinas[i]->box.top(), 740, 128);
        QVERIFY2(cerrado(pagina.lines(), caja), qPrintable(QString::number(i)));
        // 2 units of padding left of the texts; a box sits 140 below the one before.
        QVERIFY(std::abs(contabilizacion[i].left() - unitsToPoints(caja.left() + 2)) < kTolerancia);
        QVERIFY(std::abs(titulos[i].left() - unitsToPoints(caja.left() + 352 + 2)) < kTolerancia);
        QVERIFY(std::abs(titulos[i].top() - contabilizacion[i].top()) < kTolerancia);
        if (i > 0)
            QCOMPARE(caja.top() - esquinas[i - 1]->box.top(), 140.0);
    }
    // The frames draw the outline only: every line lies on a side of some box.
    for (const LineRun* linea : pagina.lines()) {
        const bool enBorde = std::any_of(esquinas.cbegin(), esquinas.cend(), [&](const TextRun* e) {
            const qreal y = e->box.top();
            return std::abs(linea->line.y1() - y) < 0.01 ||
                   std::abs(linea->line.y1() - y - 128) < 0.01 ||
                   std::abs(linea->line.x1() - kMargen) < 0.01 ||
                   std::abs(linea->line.x1() - kMargen - 740) < 0.01;
        });
        QVERIFY2(enBorde, qPrintable(linea->objectName));
    }
}

void TstReporteRelacion::captionFollowsTheConfiguredColumn_data()
{
    QTest::addColumn<QString>("camRela");
    QTest::addColumn<QString>("titulo");

    QTest::newRow("payroll class") << "cod_tnom"
                                   << "Clase de Nómina";
    QTest::newRow("cost centre, in the reports' singular") << "cod_ccos"
                                                           << "Centro de Costo";
    QTest::newRow("prototype group") << "cod_gpro"
                                     << "Grupo de Prototipos";
    QTest::newRow("accounting expense") << "cod_gast"
                                        << "Gasto Contable";
    QTest::newRow("kind key in upper case is not a column name") << "COD_TNOM"
                                                                 << "";
    QTest::newRow("no kind configured yet") << ""
                                            << "";
}

void TstReporteRelacion::captionFollowsTheConfiguredColumn()
{
    QFETCH(QString, camRela);
    QFETCH(QString, titulo);
    const QStringList esperados = titulo.isEmpty() ? QStringList() : QStringList(3, titulo);
    QCOMPARE(textos(preparar(3, camRela), QStringLiteral("Memo8")), esperados);
}

void TstReporteRelacion::footerProgramEndsAtTheRightOfItsBox()
{
    const auto pdf = exportar(preparar(1));
    const qreal borde = unitsToPoints(kMargen + 151.18);
    qreal derecha = -1;
    for (const auto& caja : pdf->page(0)->textList()) {
        if (caja->text() == u"VVeZezev")
            derecha = caja->boundingBox().right();
    }
    QVERIFY(derecha <= borde);
    QVERIFY2(std::abs(derecha - unitsToPoints(kMargen + 151.18 - 2)) < kTolerancia,
             qPrintable(QString::number(derecha)));
}

void TstReporteRelacion::blocksBreakBetweenPagesNeverInside()
{
    // 6 blocks of 140 fit between the header (94.49) and the footer (15.12).
    const LaidOutDocument documento = preparar(20);
    QCOMPARE(documento.pages.size(), 4);
    const qreal pie = documento.page.printableRect().bottom() - 15.12;
    const QList<int> porPagina{6, 6, 6, 2};
    for (int p = 0; p < 4; ++p) {
        const LaidOutPage& pagina = documento.pages[p];
        const QList<const TextRun*> esquinas = pagina.textsNamed(QStringLiteral("Memo7"));
        QCOMPARE(esquinas.size(), porPagina[p]);
        QCOMPARE(pagina.textsNamed(QStringLiteral("Memo29")).size(), porPagina[p]);
        for (const TextRun* esquina : esquinas) {
            QVERIFY(esquina->box.top() + 128 <= pie);
            QVERIFY(cerrado(pagina.lines(), QRectF(kMargen, esquina->box.top(), 740, 128)));
        }
        QCOMPARE(textos(documento, QStringLiteral("SysMemo1"))[p],
                 QStringLiteral("Página: %1").arg(p + 1));
    }
}

void TstReporteRelacion::amountsShowWithTheMoneyFormat_data()
{
    QTest::addColumn<double>("total");
    QTest::addColumn<QVariant>("causado");
    QTest::addColumn<QStringList>("importes"); // total, caused, balance

    QTest::newRow("groups of three with points, two decimals after a comma")
        << 1234567.891 << QVariant(500000.0)
        << QStringList{"1.234.567,89", "500.000,00", "734.567,89"};
    QTest::newRow("nothing caused yet: zero shows without integer digit")
        << 1000.0 << QVariant(0.0) << QStringList{"1.000,00", ",00", "1.000,00"};
    QTest::newRow("caused unknown: empty, and the balance is zero")
        << 2500.5 << QVariant() << QStringList{"2.500,50", "", ",00"};
}

void TstReporteRelacion::amountsShowWithTheMoneyFormat()
{
    QFETCH(double, total);
    QFETCH(QVariant, causado);
    QFETCH(QStringList, importes);
    m_datos->agregar(1, total, causado);
    const LaidOutDocument documento = preparar(0);
    QStringList mostrados;
    for (const char* memo : {"Memo27", "Memo28", "Memo29"})
        mostrados << textos(documento, QLatin1String(memo)).value(0);
    QCOMPARE(mostrados, importes);
    const auto pdf = exportar(documento);
    QVERIFY(pdf->page(0)->text(QRectF()).contains(importes.first()));
}

void TstReporteRelacion::variableCallback_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("camRela");
    QTest::addColumn<QString>("value");

    QTest::newRow("user code") << "gStCodUsua"
                               << "cod_tnom"
                               << "JPEREZ";
    QTest::newRow("program code") << "gStNomProg"
                                  << "cod_tnom"
                                  << "VVeZezev";
    QTest::newRow("short date format, shown by no object") << "gStDateFormat"
                                                           << ""
                                                           << "d/M/yy";
    QTest::newRow("caption of the configured column") << "gStCamRela"
                                                      << "cod_gast"
                                                      << "Gasto Contable";
    QTest::newRow("a column without caption leaves the value passed") << "gStCamRela"
                                                                      << "cod_tnom "
                                                                      << "previo";
    QTest::newRow("variable names are compared exactly") << "gstcodusua"
                                                         << ""
                                                         << "previo";
    QTest::newRow("the company variable is not supplied") << "gSmCodEmpr"
                                                          << ""
                                                          << "previo";
}

void TstReporteRelacion::variableCallback()
{
    QFETCH(QString, name);
    QFETCH(QString, camRela);
    QFETCH(QString, value);
    const VariablesRelacion variables{QStringLiteral("JPEREZ"), QStringLiteral("VVeZezev"),
                                      QStringLiteral("d/M/yy"), camRela};
    QVariant valor = QStringLiteral("previo");
    variables.frxRptVeZezevGetValue(name, valor);
    QCOMPARE(valor.toString(), value);
}

QTEST_MAIN(TstReporteRelacion)
#include "tst_reporterelacion.moc"
