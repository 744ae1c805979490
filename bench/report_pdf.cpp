// Renders a relation of many rows to PDF through the relation report and prints the
// time and size, against a floor: the same pages with one text per block.
//
//   report_pdf [rows] [file.pdf]     (5000 rows; the PDF is kept only when named)

#include "DataSetReportSource.h"
#include "Field.h"
#include "LayoutEngine.h"
#include "ReportRenderer.h"
#include "ReporteRelacion.h"
#include "SClientDataSet.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

using namespace tavrel::report;
using tavrel::FieldKind;
using tavrel::FieldType;

namespace {

QByteArray logo()
{
    QImage imagen(240, 150, QImage::Format_RGB32);
    imagen.fill(QColor(0, 84, 147));
    QPainter pintor(&imagen);
    pintor.setRenderHint(QPainter::Antialiasing);
    pintor.setPen(Qt::NoPen);
    pintor.setBrush(QColor(252, 209, 22));
    pintor.drawEllipse(QRectF(75, 20, 90, 90));
    pintor.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    imagen.save(&buffer, "PNG");
    return bytes;
}

void llenarEmpresa(SClientDataSet& empresa)
{
    empresa.addField(QStringLiteral("NOM_EMPR"), FieldType::String, 80);
    empresa.addField(QStringLiteral("NIT_EMPR"), FieldType::String, 20);
    empresa.addField(QStringLiteral("BMP_REPO"), FieldType::Blob);
    empresa.createDataSet();
    empresa.append();
    empresa.field(0)->setValue(QStringLiteral("Instituto Departamental de Tránsito del Meta"));
    empresa.field(1)->setValue(QStringLiteral("892.000.148-8"));
    empresa.field(2)->setValue(logo());
    empresa.post();
}

void llenarRelacion(SClientDataSet& relacion, int filas)
{
    for (const char* nombre : {"COD_CONT", "COD_CCOS"})
        relacion.addField(QLatin1String(nombre), FieldType::SmallInt);
    for (const char* nombre : {"COD_CUEN", "DEP_APAC", "DtfNmbCont", "DtfNmbCamRela", "DtfNmbCuen",
                               "DtfNmbFuen", "DtfNmbPres", "DtfNmbSitu"})
        relacion.addField(QLatin1String(nombre), FieldType::String, 90);
    for (const char* nombre : {"VAL_TOTA", "VAL_CAUS"})
        relacion.addField(QLatin1String(nombre), FieldType::Float)
            ->setDisplayFormat(QStringLiteral("#,##.00"));
    relacion.addField(QStringLiteral("DtfNmbValSald"), FieldType::Float, 0, FieldKind::Calculated)
        ->setDisplayFormat(QStringLiteral("#,##.00"));
    relacion.OnCalcFields = [](SClientDataSet& ds) {
        ds.fieldByName(QStringLiteral("DtfNmbValSald"))
            ->setValue(ds.fieldByName(QStringLiteral("VAL_TOTA"))->asFloat() -
                       ds.fieldByName(QStringLiteral("VAL_CAUS"))->asFloat());
    };
    relacion.createDataSet();
    const QStringList conceptos{QStringLiteral("Sueldo básico"), QStringLiteral("Horas extra"),
                                QStringLiteral("Prima de servicios"),
                                QStringLiteral("Auxilio de transporte")};
    for (int n = 1; n <= filas; ++n) {
        relacion.append();
        const auto poner = [&](const char* nombre, const QVariant& valor) {
            relacion.fieldByName(QLatin1String(nombre))->setValue(valor);
        };
        poner("COD_CONT", 100 + n % 400);
        poner("DtfNmbCont", conceptos[n % conceptos.size()]);
        poner("COD_CCOS", n % 12 + 1);
        poner("DtfNmbCamRela", QStringLiteral("Nómina de planta %1").arg(n % 12 + 1));
        poner("COD_CUEN", QStringLiteral("5101%1").arg(n % 100, 2, 10, QChar(u'0')));
        poner("DtfNmbCuen", QStringLiteral("Sueldos del personal administrativo"));
        poner("DtfNmbFuen", QStringLiteral("Nación"));
        poner("DtfNmbPres", QStringLiteral("10 - Recursos corrientes"));
        poner("DtfNmbSitu", QStringLiteral("CSF"));
        poner("DEP_APAC", QStringLiteral("Gestión General"));
        poner("VAL_TOTA", 1000000.0 * (n % 50 + 1) + 0.25 * n);
        poner("VAL_CAUS", 400000.0 * (n % 7));
        relacion.post();
    }
    relacion.first();
}

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

    SClientDataSet empresa;
    SClientDataSet relacion;
    llenarEmpresa(empresa);
    llenarRelacion(relacion, filas);
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
