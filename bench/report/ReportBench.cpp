#include "ReportBench.h"

#include "AppServerFactory.h"
#include "BenchProcess.h"
#include "DVeZezev.h"
#include "Field.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "UVeZezev.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <ctime>

namespace tavrel::bench {

namespace {

// CPU seconds of the process: steadier than the clock on a shared machine.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Positions of the relation block in 1/96 inch, as the report lays them out.
struct Cell
{
    qreal left, top;
    const char* label;
    const char* field;
};

const Cell kCells[] = {
    {0, 0, "Contabilización", nullptr},
    {352, 0, "Clase de Nómina", nullptr},
    {0, 16, nullptr, "COD_CONT"},
    {80, 16, nullptr, "DtfNmbCont"},
    {352, 16, nullptr, "COD_CCOS"},
    {432, 16, nullptr, "DtfNmbCamRela"},
    {0, 32, "Cuenta Contable", nullptr},
    {0, 48, nullptr, "COD_CUEN"},
    {80, 48, nullptr, "DtfNmbCuen"},
    {0, 64, "Fuente de Financiación", nullptr},
    {272, 64, "Recurso Presupuestal ", nullptr},
    {512, 64, "Situación de Fondos", nullptr},
    {0, 80, nullptr, "DtfNmbFuen"},
    {272, 80, nullptr, "DtfNmbPres"},
    {512, 80, nullptr, "DtfNmbSitu"},
    {0, 96, "Dependencia de Afectación de PAC", nullptr},
    {272, 96, "Valor Total", nullptr},
    {420, 96, "Valor Causado", nullptr},
    {568, 96, "Saldo", nullptr},
    {0, 112, nullptr, "DEP_APAC"},
    {272, 112, nullptr, "VAL_TOTA"},
    {420, 112, nullptr, "VAL_CAUS"},
    {568, 112, nullptr, "DtfNmbValSald"},
};

// The texts of every row, read as the report reads them; their total length.
qint64 walk(SClientDataSet& relacion)
{
    QList<Field*> fields;
    for (const Cell& cell : kCells) {
        if (cell.field)
            fields << relacion.fieldByName(QLatin1String(cell.field));
    }
    qint64 length = 0;
    relacion.disableControls();
    for (relacion.first(); !relacion.eof(); relacion.next()) {
        for (const Field* field : fields)
            length += field->displayText().size();
    }
    relacion.enableControls();
    return length;
}

QFont font(qreal pixels, bool bold, bool italic = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(qRound(pixels * 10));
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// The floor: the texts of the report read from the same datasets and drawn where the
// report draws them, with no layout engine: fonts made once, one rectangle per block.
void drawFloor(const QString& file, SClientDataSet& relacion, SClientDataSet& empresa)
{
    QPdfWriter writer(file);
    writer.setResolution(960);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    const qreal s = 10;
    const qreal margin = 10 * 96 / 25.4;
    const QFont bold = font(11, true), plain = font(11, false), small = font(8, true);
    const QFont title = font(13, true), italic = font(11, false, true);
    const QImage logo =
        QImage::fromData(empresa.fieldByName(QStringLiteral("BMP_REPO"))->value().toByteArray());
    const QString name = empresa.fieldByName(QStringLiteral("NOM_EMPR"))->displayText();
    const QString nit = empresa.fieldByName(QStringLiteral("NIT_EMPR"))->displayText();
    QList<Field*> fields;
    for (const Cell& cell : kCells)
        fields << (cell.field ? relacion.fieldByName(QLatin1String(cell.field)) : nullptr);
    const QString date = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));

    int page = 0;
    qreal y = 0;
    const auto at = [&](qreal x, qreal top) { return QPointF(margin + x, top + 11) * s; };
    const auto startPage = [&] {
        if (page++ > 0)
            writer.newPage();
        painter.drawImage(QRectF(margin * s, margin * s, 151.18 * s, 94.49 * s), logo);
        painter.setFont(title);
        painter.drawText(at(151.18, margin + 11.34), name);
        painter.setFont(font(11, true));
        painter.drawText(at(415.75, margin + 30.24), QStringLiteral("NIT: ") + nit);
        painter.drawText(at(151.18, margin + 45.24),
                         QStringLiteral("Nómina - Relación Rubros SIIF2"));
        painter.drawText(at(151.18, margin + 60.35),
                         QStringLiteral("Definición Relación Rubros SIIF2"));
        painter.setFont(small);
        painter.drawText(at(642.52, margin + 30.24), QStringLiteral("Página: %1").arg(page));
        painter.drawText(at(642.52, margin + 45.35), QStringLiteral("Fecha: ") + date);
        painter.drawText(at(642.52, margin + 60.47), QStringLiteral("Hora: ") + time);
        const qreal foot = 1056 - margin - 15.12;
        painter.setFont(plain);
        painter.drawText(at(60, foot), QStringLiteral("TavreL: VVeZezev"));
        painter.drawText(at(226.77, foot), QStringLiteral("Usuario: JPEREZ"));
        painter.drawText(at(415.75, foot), QStringLiteral("Tavrel by Mirova"));
        painter.setFont(italic);
        painter.drawText(at(604.72, foot), QStringLiteral("Velmora"));
        y = margin + 94.49;
    };
    startPage();
    relacion.disableControls();
    for (relacion.first(); !relacion.eof(); relacion.next()) {
        if (y + 140 > 1056 - margin - 15.12) // six blocks to a page
            startPage();
        painter.setPen(QPen(Qt::black, s));
        painter.drawRect(QRectF(margin * s, y * s, 740 * s, 128 * s));
        for (qsizetype i = 0; i < fields.size(); ++i) {
            const Cell& cell = kCells[i];
            painter.setFont(cell.label ? bold : plain);
            painter.drawText(at(cell.left + 2, y + cell.top),
                             cell.label ? QString::fromUtf8(cell.label) : fields[i]->displayText());
        }
        y += 140;
    }
    relacion.enableControls();
}

} // namespace

ReportBench::ReportBench(const QString& database, int company)
    : m_database(database), m_company(company)
{}

ReportBench::~ReportBench() = default;

ReportBench::Result ReportBench::run(Mode mode, const QString& pdfFile)
{
    SessionServices::Scope services(SessionServices{
        .connectServer =
            [](const QString& protocol, const QString& server) {
                return AppServerFactory::connect(protocol, server);
            },
        .showMessage = [](const QString& message,
                          MessageKind) { std::fprintf(stderr, "%s\n", qPrintable(message)); }});
    auto app = std::make_unique<ModuleApplication>();
    gStProtocolo = QStringLiteral("local");
    gStParSrv = m_database;
    gStParUsu = QStringLiteral("JPEREZ");
    gStParPas = QStringLiteral("Tavrel2026");
    gStParEmp = QString::number(m_company);

    Result result;
    QElapsedTimer clock;
    clock.start();
    DtmVeZezev = app->create<TDtmVeZezev>();
    DtmVeZezev->DataModuleCreate();
    FrmVeZezev = app->create<TFrmVeZezev>();
    DtmVeZezev->EnlazarForma(FrmVeZezev->DCOMCnction, FrmVeZezev->CdsGnEmpre);
    FrmVeZezev->FormCreate();
    SClientDataSet& relacion = *DtmVeZezev->QryVeZEZev;
    result.rows = relacion.recordCount();
    result.fetchSeconds = clock.nsecsElapsed() / 1e9;
    result.dataPeakKb = BenchProcess::peakMemoryKb();

    clock.restart();
    const double cpuStart = cpuSeconds();
    switch (mode) {
    case Mode::Walk:
        walk(relacion);
        break;
    case Mode::Report:
        FrmVeZezev->ExportarPdf(pdfFile);
        break;
    case Mode::Floor: {
        drawFloor(pdfFile, relacion, DtmVeZezev->frxDBDGnEmpre.boundDataSet());
        break;
    }
    case Mode::Preview: {
        // Time until the preview window is up with its first page painted.
        QTimer watch;
        watch.setInterval(1);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || result.wallSeconds > 0)
                return;
            dialog->grab();
            result.wallSeconds = clock.nsecsElapsed() / 1e9;
            result.seconds = cpuSeconds() - cpuStart;
            dialog->reject();
        });
        watch.start();
        FrmVeZezev->BtnReporteClick(FrmVeZezev->spbPreview);
        break;
    }
    }
    if (mode != Mode::Preview) {
        result.wallSeconds = clock.nsecsElapsed() / 1e9;
        result.seconds = cpuSeconds() - cpuStart;
    }
    result.bytes = QFileInfo(pdfFile).size();
    result.peakKb = BenchProcess::peakMemoryKb();
    app.reset();
    return result;
}

} // namespace tavrel::bench
