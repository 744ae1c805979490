#include "RelationSample.h"

#include "LayoutEngine.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

using namespace tavrel::report;

namespace {

QByteArray logoPng()
{
    QImage image(200, 120, QImage::Format_RGB32);
    image.fill(QColor(0, 70, 127));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(252, 209, 22));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(60, 20, 80, 80));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const QStringList kRelationFields{
    QStringLiteral("COD_CONT"),      QStringLiteral("DtfNmbCont"), QStringLiteral("COD_CCOS"),
    QStringLiteral("DtfNmbCamRela"), QStringLiteral("COD_CUEN"),   QStringLiteral("DtfNmbCuen"),
    QStringLiteral("DtfNmbFuen"),    QStringLiteral("DtfNmbPres"), QStringLiteral("DtfNmbSitu"),
    QStringLiteral("DEP_APAC"),      QStringLiteral("VAL_TOTA"),   QStringLiteral("VAL_CAUS"),
    QStringLiteral("DtfNmbValSald")};

} // namespace

RelationSample::RelationSample(int rows)
    : company(QStringLiteral("QryGnEmpre"),
              {QStringLiteral("NOM_EMPR"), QStringLiteral("NIT_EMPR"), QStringLiteral("BMP_REPO")}),
      relation(QStringLiteral("QryVeZezev"), kRelationFields)
{
    company.addRow({QStringLiteral("Instituto Departamental de Tránsito del Meta"),
                    QStringLiteral("892.000.148-8"), logoPng()});
    for (int i = 1; i <= rows; ++i) {
        const double total = 1000000.0 * i;
        relation.addRow({QStringLiteral("%1").arg(100 + i, 4, 10, QChar(u'0')),
                         QStringLiteral("Sueldo básico %1").arg(i), QStringLiteral("01"),
                         QStringLiteral("Nómina de planta"), QStringLiteral("51010%1").arg(i % 10),
                         QStringLiteral("Sueldos del personal administrativo"),
                         QStringLiteral("Nación"), QStringLiteral("10 - Recursos corrientes"),
                         QStringLiteral("CSF - Con situación de fondos"),
                         QStringLiteral("Gestión General"),
                         QLocale(QLocale::Spanish, QLocale::Colombia).toString(total, 'f', 2),
                         QStringLiteral("500.000,00"), QStringLiteral("%1").arg(i)});
    }
    variables.insert(QStringLiteral("gStCodUsua"), QStringLiteral("JPEREZ"));
    variables.insert(QStringLiteral("gStNomProg"), QStringLiteral("VVeZezev"));
    variables.insert(QStringLiteral("gStCamRela"), QStringLiteral("Clase de Nómina"));

    report.setTitle(QStringLiteral("Relación Rubros SIIF2"));
    for (const char* name : {"gStCodUsua", "gStDateFormat", "gStNomProg"})
        report.addVariable(QString::fromLatin1(name));
    report.addVariable(QStringLiteral("gStCamRela"), QString());
    buildHeader();
    buildBlock();
    buildFooter();
}

void RelationSample::buildHeader()
{
    Band& header =
        report.addBand(Band::Kind::PageHeader, kHeaderHeight, QStringLiteral("PageHeader1"));
    header.setStretch(true);
    header.addPicture(QStringLiteral("Picture1"), {0, 0, 151.18, 94.49})
        .setField(QStringLiteral("QryGnEmpre"), QStringLiteral("BMP_REPO"));
    const auto add = [&](const char* name, QRectF rect, const QString& text,
                         qreal size) -> TextObject& {
        return header.addText(QString::fromLatin1(name), rect, text)
            .setFontPixelSize(size)
            .setBold(true);
    };
    add("QryGnEmpreNOM_EMPR", {151.18, 11.34, 453.54, 18.90},
        QStringLiteral("[QryGnEmpre.\"NOM_EMPR\"]"), 13)
        .setStretch(TextObject::Stretch::ToTallest);
    add("QryGnEmpreNIT_EMPR", {415.75, 30.24, 188.98, 15.12},
        QStringLiteral("NIT: [QryGnEmpre.\"NIT_EMPR\"]"), 11)
        .setShiftWhenOverlapped(true);
    add("Memo1", {151.18, 45.24, 453.54, 15.12}, QStringLiteral("Nómina - Relación Rubros SIIF2"),
        11)
        .setShiftWhenOverlapped(true)
        .setStretch(TextObject::Stretch::ToTallest);
    add("Memo2", {151.18, 60.35, 453.54, 15.12}, QStringLiteral("Definición Relación Rubros SIIF2"),
        11)
        .setShiftWhenOverlapped(true)
        .setStretch(TextObject::Stretch::ToTallest);
    add("SysMemo1", {642.52, 30.24, 98.27, 15.12}, QStringLiteral("Página: [PAGE#]"), 8)
        .setVerticalAlignment(Qt::AlignVCenter);
    add("SysMemo2", {642.52, 45.35, 98.27, 15.12}, QStringLiteral("Fecha: [DATE]"), 8)
        .setVerticalAlignment(Qt::AlignVCenter);
    add("SysMemo3", {642.52, 60.47, 98.27, 15.12}, QStringLiteral("Hora: [TIME]"), 8)
        .setVerticalAlignment(Qt::AlignVCenter);
}

void RelationSample::buildBlock()
{
    Band& block =
        report.addBand(Band::Kind::MasterData, kBlockHeight, QStringLiteral("MasterData1"));
    block.setDataSourceName(QStringLiteral("QryVeZezev"));
    struct Cell
    {
        int memo;
        qreal left, top, width;
        const char* content; // a label, or a field of the relation when it has no blank
        Frame::Sides frame;
    };
    using F = Frame;
    const Cell cells[] = {
        {7, 0, 0, 352, "Contabilización", F::Left | F::Top},
        {8, 352, 0, 388, "[gStCamRela]", F::Right | F::Top},
        {9, 0, 16, 80, "COD_CONT", F::Left},
        {10, 80, 16, 272, "DtfNmbCont", F::NoSide},
        {11, 352, 16, 80, "COD_CCOS", F::NoSide},
        {12, 432, 16, 308, "DtfNmbCamRela", F::Right},
        {13, 0, 32, 740, "Cuenta Contable", F::Left | F::Right},
        {14, 0, 48, 80, "COD_CUEN", F::Left},
        {15, 80, 48, 660, "DtfNmbCuen", F::Right},
        {16, 0, 64, 272, "Fuente de Financiación", F::Left},
        {17, 272, 64, 240, "Recurso Presupuestal ", F::NoSide},
        {18, 512, 64, 228, "Situación de Fondos", F::Right},
        {19, 0, 80, 272, "DtfNmbFuen", F::Left},
        {20, 272, 80, 240, "DtfNmbPres", F::NoSide},
        {21, 512, 80, 228, "DtfNmbSitu", F::Right},
        {22, 0, 96, 272, "Dependencia de Afectación de PAC", F::Left},
        {23, 272, 96, 148, "Valor Total", F::NoSide},
        {24, 420, 96, 148, "Valor Causado", F::NoSide},
        {25, 568, 96, 172, "Saldo", F::Right},
        {26, 0, 112, 272, "DEP_APAC", F::Left | F::Bottom},
        {27, 272, 112, 148, "VAL_TOTA", F::Bottom},
        {28, 420, 112, 148, "VAL_CAUS", F::Bottom},
        {29, 568, 112, 172, "DtfNmbValSald", F::Right | F::Bottom},
    };
    for (const Cell& cell : cells) {
        const QString content = QString::fromUtf8(cell.content);
        const bool isField = kRelationFields.contains(content);
        block
            .addText(QStringLiteral("Memo%1").arg(cell.memo), {cell.left, cell.top, cell.width, 16},
                     isField ? QStringLiteral("[QryVeZezev.\"%1\"]").arg(content) : content)
            .setFontPixelSize(11)
            .setBold(!isField)
            .setFrame(cell.frame);
    }
}

void RelationSample::buildFooter()
{
    Band& footer =
        report.addBand(Band::Kind::PageFooter, kFooterHeight, QStringLiteral("PageFooter1"));
    const auto add = [&](const char* name, qreal left, qreal width,
                         const QString& text) -> TextObject& {
        return footer.addText(QString::fromLatin1(name), {left, 0, width, 15.12}, text)
            .setFontPixelSize(11);
    };
    add("Memo3", 0, 151.18, QStringLiteral("TavreL: [gStNomProg]"))
        .setHorizontalAlignment(Qt::AlignRight);
    add("Memo4", 226.77, 188.98, QStringLiteral("Usuario: [gStCodUsua]"));
    add("Memo5", 415.75, 188.98, QStringLiteral("Tavrel by Mirova"));
    add("Memo6", 604.72, 136.06, QStringLiteral("Velmora")).setItalic(true);
}

LaidOutDocument RelationSample::layOut()
{
    LayoutEngine engine;
    engine.addDataSource(&company);
    engine.addDataSource(&relation);
    engine.setVariablesCallback([this](const QString& name, QVariant& value) {
        if (variables.contains(name))
            value = variables.value(name);
    });
    ReportSettings settings;
    settings.runTime = QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9));
    engine.setSettings(settings);
    return engine.layout(report);
}
