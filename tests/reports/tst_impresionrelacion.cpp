#include "DataSetBinding.h"
#include "ImpresionRelacion.h"
#include "RelacionDatos.h"
#include "ReportPreviewDialog.h"
#include "ReporteRelacion.h"

#include <QAction>
#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <poppler-qt6.h>

using tavrel::report::DataSetBinding;
using tavrel::report::ReportRun;

// The report actions of the maintenance form over three relation rows, printing to a
// PDF file. Any modal window that opens is closed and counted.
class TstImpresionRelacion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void senderDecidesTheAction_data();
    void senderDecidesTheAction();
    void printGoesToThePrinterPreparedAnew();
    void defaultSetUpOnlySetsUpThePrinter();
    void previewPrintsOnTheSetUpPrinter();

private:
    void vigilarDialogos();
    std::unique_ptr<ReportRun> preparar();

    QTemporaryDir m_dir;
    QString m_pdf;
    RelacionDatos m_datos{3};
    ReporteRelacion m_reporte;
    std::unique_ptr<QPrinter> m_impresora; // the data module's, in the module
    std::unique_ptr<ImpresionRelacion> m_impresion;
    int m_preparadas = 0;
    int m_vistas = 0;
    int m_configuraciones = 0;
    QStringList m_dialogos; // class and title of every modal window that opened
    QTimer m_vigia;
};

void TstImpresionRelacion::init()
{
    m_pdf = m_dir.filePath(QStringLiteral("impreso.pdf"));
    QFile::remove(m_pdf);
    m_preparadas = m_vistas = m_configuraciones = 0;
    m_dialogos.clear();
    m_impresora = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_impresora->setOutputFormat(QPrinter::PdfFormat);
    m_impresora->setOutputFileName(m_pdf);
    m_impresion = std::make_unique<ImpresionRelacion>([this] { return preparar(); }, *m_impresora);
    m_impresion->setMostrarVistaPrevia([this](std::unique_ptr<ReportRun>) { ++m_vistas; });
    m_impresion->setConfigurarImpresora([this](QPrinter&) { ++m_configuraciones; });
    vigilarDialogos();
}

void TstImpresionRelacion::cleanup()
{
    m_vigia.stop();
    m_vigia.disconnect();
    m_impresion.reset();
    m_impresora.reset();
}

std::unique_ptr<ReportRun> TstImpresionRelacion::preparar()
{
    ++m_preparadas;
    return m_reporte.StartReport(DataSetBinding(ReporteRelacion::NombreEmpresa, &m_datos.empresa),
                                 DataSetBinding(ReporteRelacion::NombreRelacion, &m_datos.relacion),
                                 {QStringLiteral("JPEREZ"), QStringLiteral("VVeZezev"),
                                  QStringLiteral("dd/MM/yyyy"), QStringLiteral("cod_gast")});
}

void TstImpresionRelacion::vigilarDialogos()
{
    m_vigia.setInterval(20);
    connect(&m_vigia, &QTimer::timeout, this, [this] {
        if (auto* dialogo = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            m_dialogos << QStringLiteral("%1 %2").arg(
                QLatin1String(dialogo->metaObject()->className()), dialogo->windowTitle());
            dialogo->reject();
        }
    });
    m_vigia.start();
}

void TstImpresionRelacion::senderDecidesTheAction_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<int>("previews");
    QTest::addColumn<bool>("prints");
    QTest::addColumn<int>("setUps");

    QTest::newRow("preview button") << "spbPreview" << 1 << false << 0;
    QTest::newRow("preview menu entry") << "Imprimir3" << 1 << false << 0;
    QTest::newRow("print button: straight to the printer") << "spbReporte" << 0 << true << 0;
    QTest::newRow("print menu entry") << "Imprimir1" << 0 << true << 0;
    QTest::newRow("page set-up: neither prints nor previews")
        << "PrepararPgina1" << 0 << false << 1;
    QTest::newRow("names are compared exactly") << "spbpreview" << 0 << false << 0;
    QTest::newRow("another action of the master form") << "spbNuevo" << 0 << false << 0;
}

void TstImpresionRelacion::senderDecidesTheAction()
{
    QFETCH(QString, sender);
    QFETCH(int, previews);
    QFETCH(bool, prints);
    QFETCH(int, setUps);
    QObject accion;
    accion.setObjectName(sender);
    m_impresion->BtnReporteClick(&accion);
    QTest::qWait(50);
    QCOMPARE(m_vistas, previews);
    QCOMPARE(QFile::exists(m_pdf), prints);
    QCOMPARE(m_configuraciones, setUps);
    QCOMPARE(m_preparadas, previews + int(prints)); // the set-up prepares nothing
    QCOMPARE(m_dialogos, QStringList());
}

void TstImpresionRelacion::printGoesToThePrinterPreparedAnew()
{
    m_impresion->BtnReporteClick(QStringLiteral("spbReporte"));
    for (int n = 4; n <= 9; ++n)
        m_datos.agregar(n);
    const QString segundo = m_dir.filePath(QStringLiteral("segundo.pdf"));
    m_impresion->impresora().setOutputFileName(segundo);
    m_impresion->BtnReporteClick(QStringLiteral("Imprimir1"));

    const auto primero = Poppler::Document::load(m_pdf);
    const auto despues = Poppler::Document::load(segundo);
    QVERIFY(primero && despues);
    QCOMPARE(primero->numPages(), 1);
    QCOMPARE(despues->numPages(), 2); // 9 blocks, 6 to a page
    const QString texto = despues->page(1)->text(QRectF());
    QVERIFY(texto.contains(QStringLiteral("Gasto Contable")));
    QVERIFY(texto.contains(QStringLiteral("Sueldo básico 9")));
}

void TstImpresionRelacion::defaultSetUpOnlySetsUpThePrinter()
{
    ImpresionRelacion impresion(
        [this] {
            ++m_preparadas;
            return std::unique_ptr<ReportRun>();
        },
        *m_impresora);
    impresion.setMostrarVistaPrevia([this](std::unique_ptr<ReportRun>) { ++m_vistas; });
    QPrinter* elegida = nullptr;
    QTimer::singleShot(0, this, [&] {
        if (auto* dialogo = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget()))
            elegida = dialogo->printer();
    });
    impresion.BtnReporteClick(QStringLiteral("PrepararPgina1"));
    QCOMPARE(m_dialogos, QStringList{QStringLiteral("QPrintDialog Configurar impresora")});
    QCOMPARE(elegida, m_impresora.get());
    QCOMPARE(m_preparadas, 0);
    QCOMPARE(m_vistas, 0);
}

void TstImpresionRelacion::previewPrintsOnTheSetUpPrinter()
{
    // The default preview; its print dialog opens on the printer of the set-up (a PDF
    // file here) and is accepted, then the preview is closed.
    m_vigia.disconnect();
    bool pedido = false;
    bool impreso = false;
    connect(&m_vigia, &QTimer::timeout, this, [&pedido, &impreso] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialogo = qobject_cast<QPrintDialog*>(modal)) {
            impreso = true;
            dialogo->accept();
        } else if (auto* vista = qobject_cast<tavrel::report::ReportPreviewDialog*>(modal)) {
            if (impreso) {
                vista->reject();
            } else if (!pedido) {
                pedido = true; // out of this tick: the print dialog runs its own loop
                QTimer::singleShot(0, vista->findChild<QAction*>(QStringLiteral("actionImprimir")),
                                   &QAction::trigger);
            }
        } else if (auto* otro = qobject_cast<QDialog*>(modal)) {
            otro->reject(); // a failure to print
        }
    });
    ImpresionRelacion impresion([this] { return preparar(); }, *m_impresora);
    impresion.BtnReporteClick(QStringLiteral("spbPreview"));
    QVERIFY(impreso);
    const auto pdf = Poppler::Document::load(m_pdf);
    QVERIFY(pdf);
    QVERIFY(pdf->page(0)->text(QRectF()).contains(QStringLiteral("Gasto Contable")));
}

QTEST_MAIN(TstImpresionRelacion)
#include "tst_impresionrelacion.moc"
