// Renders a relation of many rows to PDF through the relation report and prints the
// time and size, against a floor: the same pages with one text per block.
//
//   report_pdf [rows] [file.pdf]     (5000 rows; the PDF is kept only when named)

#include "DataSetReportSource.h"
#include "LayoutEngine.h"
#include "RelacionDatos.h"
#include "ReportRenderer.h"
#include "ReporteRelacion.h"
#include "SClientDataSet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

using namespace tavrel::report;

namespace {

// The floor: one text per block on pages of the same paper, header and footer.
void disenarPiso(Report& piso)
{
    piso.addBand(Band::Kind::PageHeader, 94.49)
        .addText(QStringLiteral("T"), {0, 0, 740, 16}, QStringLiteral("Página: [PAGE#]"));
    Band& bloque = piso.addBand(Band::Kind::MasterData, 140);
    bloque.setDataSourceName(ReporteRelacion::NombreRelacion);
    bloque.addText(QStringLiteral("C"), {0, 0, 80, 16}, QStringLiteral("[QryVeZezev.COD_CONT]"));
    piso.addBand(Band::Kind::PageFooter, 15.12)
        .addText(QStringLiteral("P"), {0, 0, 151.18, 15.12}, QStringLiteral("VVeZezev"));
}

qint64 tamano(const QString& archivo)
{
    return QFileInfo(archivo).size();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication aplicacion(argc, argv);
    const QStringList args = aplicacion.arguments();
    const int filas = args.size() > 1 ? args[1].toInt() : 5000;
    QTemporaryDir carpeta;
    const QString archivo =
        args.size() > 2 ? args[2] : carpeta.filePath(QStringLiteral("relacion.pdf"));
    const QString archivoPiso = carpeta.filePath(QStringLiteral("piso.pdf"));

    // The test data of the relation report, with amounts that vary from row to row.
    RelacionDatos datos;
    for (int n = 1; n <= filas; ++n)
        datos.agregar(n, 1000000.0 * (n % 50 + 1) + 0.25 * n, 400000.0 * (n % 7));
    datos.relacion.first();
    SClientDataSet& empresa = datos.empresa;
    SClientDataSet& relacion = datos.relacion;
    const VariablesRelacion variables{QStringLiteral("JPEREZ"), QStringLiteral("VVeZezev"),
                                      QStringLiteral("dd/MM/yyyy"), QStringLiteral("cod_tnom")};
    ReporteRelacion reporte;
    QElapsedTimer reloj;

    reloj.start();
    const LaidOutDocument paginas = reporte.PrepareReport(empresa, relacion, variables);
    const double segDisposicion = reloj.nsecsElapsed() / 1e9;
    reloj.restart();
    ReportRenderer(paginas).exportPdf(archivo);
    const double segPdf = reloj.nsecsElapsed() / 1e9;

    Report piso;
    disenarPiso(piso);
    reloj.restart();
    {
        DataSetReportSource fuente(ReporteRelacion::NombreRelacion, relacion);
        LayoutEngine motor;
        motor.addDataSource(&fuente);
        const LaidOutDocument paginasPiso = motor.layout(piso);
        ReportRenderer(paginasPiso).exportPdf(archivoPiso);
    }
    const double segPiso = reloj.nsecsElapsed() / 1e9;

    const double total = segDisposicion + segPdf;
    QTextStream salida(stdout);
    salida << "report_pdf: " << filas << " filas, " << paginas.pages.size() << " páginas\n";
    salida << QStringLiteral("  disposición       %1 s\n").arg(segDisposicion, 0, 'f', 3);
    salida << QStringLiteral("  escritura PDF     %1 s\n").arg(segPdf, 0, 'f', 3);
    salida << QStringLiteral("  total             %1 s   %2 bytes\n")
                  .arg(total, 0, 'f', 3)
                  .arg(tamano(archivo));
    salida << QStringLiteral("  piso (un texto)   %1 s   %2 bytes\n")
                  .arg(segPiso, 0, 'f', 3)
                  .arg(tamano(archivoPiso));
    salida << QStringLiteral("  razón total/piso  %1\n").arg(total / segPiso, 0, 'f', 2);
    return 0;
}
