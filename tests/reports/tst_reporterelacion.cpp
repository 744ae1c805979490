#include "DataSetBinding.h"
#include "ImpresionRelacion.h"
#include "ModuleError.h"
#include "RelacionDatos.h"
#include "ReportPreviewDialog.h"
#include "ReportRenderer.h"
#include "ReportRun.h"
#include "ReportUnits.h"
#include "ReporteRelacion.h"
#include "Thrown.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;
using namespace tavrel::report;

namespace {

const qreal kMargen = mmToUnits(10);
constexpr qreal kTolerancia = 1.5; // points

QStringList textos(const LaidOutDocument& documento, const QString& objeto)
{
    QStringList encontrados;
    for (const LaidOutPage& pagina : documento.pages) {
        for (const TextRun* run : pagina.textsNamed(objeto))
            encontrados << run->text();
    }
    return encontrados;
}

// The box, in points, of the word with that text nearest to the point; null if none.
QRectF palabra(const Poppler::Page& pagina, const QString& texto, const QPointF& cerca)
{
    QRectF hallada;
    for (const auto& caja : pagina.textList()) {
        const QRectF r = caja->boundingBox();
        if (caja->text() == texto &&
            (hallada.isNull() || (r.topLeft() - cerca).manhattanLength() <
                                     (hallada.topLeft() - cerca).manhattanLength()))
            hallada = r;
    }
    return hallada;
}

} // namespace

// The relation report over in-memory company and relation datasets: laid out, written
// to PDF and read back with poppler, printed, and shown in the preview window; and the
// report actions of the maintenance form, printing three rows to a PDF file.
class TstReporteRelacion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void pdfShowsHeaderFooterAndAmounts();
    void eachRowIsOneClosedBoxNeverSplit_data();
    void eachRowIsOneClosedBoxNeverSplit();
    void textsSitWhereLaidOut_data();
    void textsSitWhereLaidOut();
    void captionFollowsTheConfiguredColumn_data();
    void captionFollowsTheConfiguredColumn();
    void refusedExportsWriteNothing();
    void previewNavigatesAndExports();
    void longReportStreamsToItsLastPage();
    void senderDecidesTheAction_data();
    void senderDecidesTheAction();
    void printGoesToThePrinterPreparedAnew();
    void defaultSetUpOnlySetsUpThePrinter();
    void previewPrintsOnTheSetUpPrinter();

private:
    // The actions over three rows on a printer writing m_pdf; from then on any modal
    // window that opens is closed and its class and title added to m_dialogos.
    ImpresionRelacion& acciones();
    std::unique_ptr<ReportRun> iniciar(int filas, const QString& camRela = u"cod_tnom"_s);
    LaidOutDocument preparar(int filas, const QString& camRela = u"cod_tnom"_s)
    {
        return iniciar(filas, camRela)->document();
    }
    std::unique_ptr<Poppler::Document> exportar(const LaidOutDocument& documento);

    QTemporaryDir m_dir;
    std::unique_ptr<RelacionDatos> m_datos;
    ReporteRelacion m_reporte;
    QString m_pdf;
    std::unique_ptr<QPrinter> m_impresora;
    std::unique_ptr<ImpresionRelacion> m_impresion;
    int m_preparadas = 0;
    int m_vistas = 0;
    int m_configuraciones = 0;
    QStringList m_dialogos;
    QTimer m_vigia;
};

void TstReporteRelacion::init()
{
    QVERIFY(m_dir.isValid());
    m_datos = std::make_unique<RelacionDatos>();
    m_vigia.stop();
    m_vigia.disconnect();
    m_impresion.reset();
    m_preparadas = m_vistas = m_configuraciones = 0;
    m_dialogos.clear();
}

ImpresionRelacion& TstReporteRelacion::acciones()
{
    m_pdf = m_dir.filePath(u"acciones.pdf"_s);
    QFile::remove(m_pdf);
    m_impresora = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_impresora->setOutputFormat(QPrinter::PdfFormat);
    m_impresora->setOutputFileName(m_pdf);
    m_impresion = std::make_unique<ImpresionRelacion>(
        [this] {
            ++m_preparadas;
            return iniciar(m_preparadas == 1 ? 3 : 0, u"cod_gast"_s);
        },
        *m_impresora);
    m_vigia.setInterval(20);
    connect(&m_vigia, &QTimer::timeout, this, [this] {
        if (auto* dialogo = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            m_dialogos << u"%1 %2"_s.arg(QLatin1String(dialogo->metaObject()->className()),
                                         dialogo->windowTitle());
            dialogo->reject();
        }
    });
    m_vigia.start();
    return *m_impresion;
}

std::unique_ptr<ReportRun> TstReporteRelacion::iniciar(int filas, const QString& camRela)
{
    for (int n = 1; n <= filas; ++n)
        m_datos->agregar(n);
    const VariablesRelacion variables{u"JPEREZ"_s, u"VVeZezev"_s, u"dd/MM/yyyy"_s, camRela};
    return m_reporte.StartReport(
        DataSetBinding(ReporteRelacion::NombreEmpresa, &m_datos->empresa),
        DataSetBinding(ReporteRelacion::NombreRelacion, &m_datos->relacion), variables,
        QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
}

std::unique_ptr<Poppler::Document> TstReporteRelacion::exportar(const LaidOutDocument& documento)
{
    const QString archivo = m_dir.filePath(u"relacion.pdf"_s);
    if (!ReportRenderer(documento).exportPdf(archivo))
        return nullptr;
    return Poppler::Document::load(archivo);
}

void TstReporteRelacion::pdfShowsHeaderFooterAndAmounts()
{
    const auto pdf = exportar(preparar(14));
    QVERIFY(pdf);
    QCOMPARE(pdf->numPages(), 3);
    QCOMPARE(pdf->info(u"Title"_s), u"Relación Rubros SIIF2"_s);
    QCOMPARE(pdf->info(u"Creator"_s), u"Tavrel"_s);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(pdf->page(i)->pageSizeF(), QSizeF(612, 792)); // Letter
        QVERIFY(pdf->page(i)->text(QRectF()).contains(u"Página: %1"_s.arg(i + 1)));
    }
    // The header shows the company the dataset stands on, which is not the first; labels,
    // variables and field values keep their accents; amounts show with the money format,
    // the balance calculated for each row.
    const QString texto = pdf->page(0)->text(QRectF());
    const QByteArray nit = QByteArray("NIT: ") + RelacionDatos::NitEmpresaActual;
    for (const char* esperado :
         {RelacionDatos::NombreEmpresaActual, nit.constData(), "Nómina - Relación Rubros SIIF2",
          "Definición Relación Rubros SIIF2", "Fecha: 15/03/2024", "Hora: 14:05:09",
          "TavreL: VVeZezev", "Usuario: JPEREZ", "Tavrel by Mirova", "Velmora", "Contabilización",
          "Situación de Fondos", "Clase de Nómina", "Sueldo básico 1", "1.000.000,89", "500.000,00",
          "500.000,89", "1.500.000,89"})
        QVERIFY2(texto.contains(QString::fromUtf8(esperado)), esperado);
    QVERIFY(!texto.contains(u"Tránsito del Meta"_s));
    QCOMPARE(m_datos->empresa.recNo(), 2);
    const QList<Poppler::FontInfo> fuentes = pdf->fonts();
    QVERIFY(!fuentes.isEmpty());
    for (const Poppler::FontInfo& fuente : fuentes) {
        QVERIFY2(fuente.isEmbedded(), qPrintable(fuente.name()));
        QVERIFY2(fuente.name().contains(u"LiberationSans"_s), qPrintable(fuente.name()));
    }
}

void TstReporteRelacion::eachRowIsOneClosedBoxNeverSplit_data()
{
    QTest::addColumn<int>("filas");
    QTest::addColumn<QList<int>>("porPagina");

    QTest::newRow("no rows: one page with header and footer only") << 0 << QList<int>{0};
    QTest::newRow("three rows on one page") << 3 << QList<int>{3};
    // 6 blocks of 140 fit between the header (94.49) and the footer (15.12).
    QTest::newRow("the seventh block opens page two whole") << 7 << QList<int>{6, 1};
}

void TstReporteRelacion::eachRowIsOneClosedBoxNeverSplit()
{
    QFETCH(int, filas);
    QFETCH(QList<int>, porPagina);
    const LaidOutDocument documento = preparar(filas);
    QCOMPARE(documento.pages.size(), porPagina.size());
    const qreal pie = documento.page.printableRect().bottom() - 15.12;
    for (int p = 0; p < porPagina.size(); ++p) {
        const LaidOutPage& pagina = documento.pages[p];
        QCOMPARE(pagina.images().size(), 1); // the logo
        QCOMPARE(textos(documento, u"SysMemo1"_s)[p], u"Página: %1"_s.arg(p + 1));
        QCOMPARE(pagina.textsNamed(u"Memo5"_s).size(), 1); // the footer
        const QList<const TextRun*> esquinas = pagina.textsNamed(u"Memo7"_s);
        QCOMPARE(esquinas.size(), porPagina[p]);
        QCOMPARE(pagina.textsNamed(u"Memo29"_s).size(), porPagina[p]);
        // The frame sides of the cells close one box per block and draw nothing inside.
        QVERIFY(pagina.lines().isEmpty());
        const QList<const RectRun*> cajas = pagina.rects();
        QCOMPARE(cajas.size(), porPagina[p]);
        for (int i = 0; i < esquinas.size(); ++i) {
            QCOMPARE(cajas[i]->rect, QRectF(kMargen, esquinas[i]->box.top(), 740, 128));
            QVERIFY(cajas[i]->rect.bottom() <= pie);
            if (i > 0) // a box sits 140 below the one before
                QCOMPARE(cajas[i]->rect.top() - cajas[i - 1]->rect.top(), 140.0);
        }
    }
}

void TstReporteRelacion::textsSitWhereLaidOut_data()
{
    QTest::addColumn<QString>("objeto");
    QTest::addColumn<int>("pagina");

    QTest::newRow("bold label at the corner of each block") << u"Memo7"_s << 1;
    QTest::newRow("company name beside the logo") << u"QryGnEmpreNOM_EMPR"_s << 0;
    QTest::newRow("vertically centred system text") << u"SysMemo2"_s << 2;
    QTest::newRow("right-aligned footer program") << u"Memo3"_s << 0;
}

void TstReporteRelacion::textsSitWhereLaidOut()
{
    QFETCH(QString, objeto);
    QFETCH(int, pagina);
    const LaidOutDocument documento = preparar(14);
    const auto pdf = exportar(documento);
    const auto pdfPagina = pdf->page(pagina);
    const QList<const TextRun*> runs = documento.pages[pagina].textsNamed(objeto);
    QVERIFY(!runs.isEmpty());
    for (const TextRun* run : runs) {
        const TextLine& linea = run->lines.first();
        const QStringList partes = linea.text.split(u' ', Qt::SkipEmptyParts);
        const QPointF arriba(unitsToPoints(linea.rect.left()), unitsToPoints(linea.rect.top()));
        const QRectF primera = palabra(*pdfPagina, partes.first(), arriba);
        const QRectF ultima = palabra(*pdfPagina, partes.last(), arriba);
        QVERIFY2(!primera.isNull() && !ultima.isNull(), qPrintable(linea.text));
        QVERIFY(std::abs(primera.top() - arriba.y()) <= kTolerancia);
        // Right-aligned text ends at its box's right edge less its padding of 2 units.
        const qreal borde = unitsToPoints(run->box.right() - 2);
        QVERIFY2((run->alignment & Qt::AlignRight)
                     ? std::abs(ultima.right() - borde) <= kTolerancia
                     : std::abs(primera.left() - arriba.x()) <= kTolerancia,
                 qPrintable(u"%1-%2 in %3"_s.arg(primera.left())
                                .arg(ultima.right())
                                .arg(unitsToPoints(run->box.left()))));
    }
}

void TstReporteRelacion::captionFollowsTheConfiguredColumn_data()
{
    QTest::addColumn<QString>("camRela");
    QTest::addColumn<QString>("titulo");

    QTest::newRow("cost centre, in the reports' singular") << u"cod_ccos"_s << u"Centro de Costo"_s;
    QTest::newRow("accounting expense") << u"cod_gast"_s << u"Gasto Contable"_s;
    QTest::newRow("kind key in upper case is not a column name") << u"COD_TNOM"_s << u""_s;
    QTest::newRow("no kind configured yet") << u""_s << u""_s;
}

void TstReporteRelacion::captionFollowsTheConfiguredColumn()
{
    QFETCH(QString, camRela);
    QFETCH(QString, titulo);
    const QStringList esperados = titulo.isEmpty() ? QStringList() : QStringList(3, titulo);
    QCOMPARE(textos(preparar(3, camRela), u"Memo8"_s), esperados);
}

void TstReporteRelacion::refusedExportsWriteNothing()
{
    const QString sinCarpeta = m_dir.filePath(u"no-existe/relacion.pdf"_s);
    QVERIFY(mentions(thrownBy([&] { ReportRenderer(preparar(1)).exportPdf(sinCarpeta); }),
                     {sinCarpeta}));
    const QString vacio = m_dir.filePath(u"vacio.pdf"_s);
    QVERIFY(!ReportRenderer(LaidOutDocument{u"Vacío"_s, Page(), {}}).exportPdf(vacio));
    QVERIFY(!QFile::exists(vacio));
    // Stopped after its first page, an export leaves no file behind.
    const std::unique_ptr<ReportRun> corrida = iniciar(7);
    ReportRenderer detenido(*corrida);
    detenido.setProgress([](int pagina, int) { return pagina < 1; });
    QVERIFY(!detenido.exportPdf(vacio));
    QVERIFY(detenido.cancelled() && !QFile::exists(vacio));
}

void TstReporteRelacion::previewNavigatesAndExports()
{
    ReportPreviewDialog dialogo(iniciar(14));
    dialogo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialogo));
    QTRY_COMPARE(dialogo.pageCount(), 3); // counted after the first page shows
    const auto pagina = [&dialogo](const char* accion) {
        if (accion)
            dialogo.findChild<QAction*>(QLatin1String(accion))->trigger();
        return dialogo.findChild<QLabel*>(u"labelPagina"_s)->text();
    };
    QCOMPARE(pagina(nullptr), u"Página 1 de 3"_s);
    QCOMPARE(pagina("actionAnterior"), u"Página 1 de 3"_s); // stops at the first
    QCOMPARE(pagina("actionUltima"), u"Página 3 de 3"_s);
    QCOMPARE(pagina("actionSiguiente"), u"Página 3 de 3"_s); // stays on the last
    QCOMPARE(dialogo.currentPage(), 3);

    const QString archivo = m_dir.filePath(u"vista.pdf"_s);
    QVERIFY(dialogo.exportPdf(archivo));
    const auto pdf = Poppler::Document::load(archivo);
    QVERIFY(pdf);
    QCOMPARE(pdf->numPages(), 3);
}

void TstReporteRelacion::longReportStreamsToItsLastPage()
{
    // 20,000 rows make 3,334 pages of six blocks, the last with two. Any page is laid out
    // on its own as the walk would make it; printing the last alone counts the pages and
    // lays out that one only.
    const std::unique_ptr<ReportRun> corrida = iniciar(20000);
    LaidOutPage sola;
    QVERIFY(corrida->layOutPage(1700, sola));
    QCOMPARE(sola.textsNamed(u"Memo10"_s).first()->text(), u"Sueldo básico 10201"_s);
    const QString archivo = m_dir.filePath(u"ultima.pdf"_s);
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(archivo);
    impresora.setPrintRange(QPrinter::PageRange);
    impresora.setFromTo(3334, 3334);
    QVERIFY(ReportRenderer(*corrida).print(&impresora));
    QCOMPARE(corrida->pageCount(), 3334);
    const auto pdf = Poppler::Document::load(archivo);
    QVERIFY(pdf);
    QCOMPARE(pdf->numPages(), 1);
    const QString texto = pdf->page(0)->text(QRectF());
    for (const char* esperado : {"Página: 3334", "Sueldo básico 19999", "Sueldo básico 20000",
                                 "20.000.000.000,89", "Usuario: JPEREZ", "Velmora"})
        QVERIFY2(texto.contains(QString::fromUtf8(esperado)), esperado);
    QVERIFY(!texto.contains(u"Sueldo básico 19998"_s));
}

void TstReporteRelacion::senderDecidesTheAction_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<int>("previews");
    QTest::addColumn<bool>("prints");
    QTest::addColumn<int>("setUps");

    QTest::newRow("preview button") << u"spbPreview"_s << 1 << false << 0;
    QTest::newRow("preview menu entry") << u"Imprimir3"_s << 1 << false << 0;
    QTest::newRow("print button: straight to the printer") << u"spbReporte"_s << 0 << true << 0;
    QTest::newRow("print menu entry") << u"Imprimir1"_s << 0 << true << 0;
    QTest::newRow("page set-up: neither prints nor previews")
        << u"PrepararPgina1"_s << 0 << false << 1;
    QTest::newRow("names are compared exactly") << u"spbpreview"_s << 0 << false << 0;
    QTest::newRow("another action of the master form") << u"spbNuevo"_s << 0 << false << 0;
}

void TstReporteRelacion::senderDecidesTheAction()
{
    QFETCH(QString, sender);
    QFETCH(int, previews);
    QFETCH(bool, prints);
    QFETCH(int, setUps);
    ImpresionRelacion& impresion = acciones();
    impresion.setMostrarVistaPrevia([this](std::unique_ptr<ReportRun>) { ++m_vistas; });
    impresion.setConfigurarImpresora([this](QPrinter&) { ++m_configuraciones; });
    QObject accion;
    accion.setObjectName(sender);
    impresion.BtnReporteClick(&accion);
    QTest::qWait(50);
    QCOMPARE(m_vistas, previews);
    QCOMPARE(QFile::exists(m_pdf), prints);
    QCOMPARE(m_configuraciones, setUps);
    QCOMPARE(m_preparadas, previews + int(prints)); // the set-up prepares nothing
    QCOMPARE(m_dialogos, QStringList());
}

void TstReporteRelacion::printGoesToThePrinterPreparedAnew()
{
    ImpresionRelacion& impresion = acciones();
    impresion.BtnReporteClick(u"spbReporte"_s);
    for (int n = 4; n <= 9; ++n)
        m_datos->agregar(n);
    const QString segundo = m_dir.filePath(u"segundo.pdf"_s);
    impresion.impresora().setOutputFileName(segundo);
    impresion.BtnReporteClick(u"Imprimir1"_s);

    const auto primero = Poppler::Document::load(m_pdf);
    const auto despues = Poppler::Document::load(segundo);
    QVERIFY(primero && despues);
    QCOMPARE(primero->numPages(), 1);
    QCOMPARE(despues->numPages(), 2); // 9 blocks, 6 to a page
    const QString texto = despues->page(1)->text(QRectF());
    QVERIFY(texto.contains(u"Gasto Contable"_s));
    QVERIFY(texto.contains(u"Sueldo básico 9"_s));
}

void TstReporteRelacion::defaultSetUpOnlySetsUpThePrinter()
{
    ImpresionRelacion& impresion = acciones();
    impresion.setMostrarVistaPrevia([this](std::unique_ptr<ReportRun>) { ++m_vistas; });
    QPrinter* elegida = nullptr;
    QTimer::singleShot(0, this, [&] {
        if (auto* dialogo = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget()))
            elegida = dialogo->printer();
    });
    impresion.BtnReporteClick(u"PrepararPgina1"_s);
    QCOMPARE(m_dialogos, QStringList{u"QPrintDialog Configurar impresora"_s});
    QCOMPARE(elegida, m_impresora.get());
    QCOMPARE(m_preparadas, 0);
    QCOMPARE(m_vistas, 0);
}

void TstReporteRelacion::previewPrintsOnTheSetUpPrinter()
{
    // The default preview; its print dialog opens on the printer of the set-up (a PDF
    // file here) and is accepted, then the preview is closed.
    ImpresionRelacion& impresion = acciones();
    m_vigia.disconnect();
    bool pedido = false;
    bool impreso = false;
    connect(&m_vigia, &QTimer::timeout, this, [&pedido, &impreso] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialogo = qobject_cast<QPrintDialog*>(modal)) {
            impreso = true;
            dialogo->accept();
        } else if (auto* vista = qobject_cast<ReportPreviewDialog*>(modal)) {
            if (impreso) {
                vista->reject();
            } else if (!pedido) {
                pedido = true; // out of this tick: the print dialog runs its own loop
                QTimer::singleShot(0, vista->findChild<QAction*>(u"actionImprimir"_s),
                                   &QAction::trigger);
            }
        } else if (auto* otro = qobject_cast<QDialog*>(modal)) {
            otro->reject(); // a failure to print
        }
    });
    impresion.BtnReporteClick(u"spbPreview"_s);
    QVERIFY(impreso);
    const auto pdf = Poppler::Document::load(m_pdf);
    QVERIFY(pdf);
    QVERIFY(pdf->page(0)->text(QRectF()).contains(u"Gasto Contable"_s));
}

QTEST_MAIN(TstReporteRelacion)
#include "tst_reporterelacion.moc"
