#include "RelationSample.h"

#include "LayoutEngine.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

using namespace Qt::StringLiterals;
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
    u"COD_CONT"_s,   u"DtfNmbCont"_s, u"COD_CCOS"_s,     u"DtfNmbCamRela"_s, u"COD_CUEN"_s,
    u"DtfNmbCuen"_s, u"DtfNmbFuen"_s, u"DtfNmbPres"_s,   u"DtfNmbSitu"_s,    u"DEP_APAC"_s,
    u"VAL_TOTA"_s,   u"VAL_CAUS"_s,   u"DtfNmbValSald"_s};

} // namespace

RelationSample::RelationSample(int rows)
    : company(u"QryGnEmpre"_s, {u"NOM_EMPR"_s, u"NIT_EMPR"_s, u"BMP_REPO"_s}),
      relation(u"QryVeZezev"_s, kRelationFields)
{
    company.addRow(
        {u"Instituto Departamental de Tránsito del Meta"_s, u"892.000.148-8"_s, logoPng()});
    for (int i = 1; i <= rows; ++i) {
        const double total = 1000000.0 * i;
        relation.addRow({u"%1"_s.arg(100 + i, 4, 10, QChar(u'0')), u"Sueldo básico %1"_s.arg(i),
                         u"01"_s, u"Nómina de planta"_s, u"51010%1"_s.arg(i % 10),
                         u"Sueldos del personal administrativo"_s, u"Nación"_s,
                         u"10 - Recursos corrientes"_s, u"CSF - Con situación de fondos"_s,
                         u"Gestión General"_s,
                         QLocale(QLocale::Spanish, QLocale::Colombia).toString(total, 'f', 2),
                         u"500.000,00"_s, u"%1"_s.arg(i)});
    }
    variables.insert(u"gStCodUsua"_s, u"JPEREZ"_s);
    variables.insert(u"gStNomProg"_s, u"VVeZezev"_s);
    variables.insert(u"gStCamRela"_s, u"Clase de Nómina"_s);

    report.setTitle(u"Relación Rubros SIIF2"_s);
    for (const char* name : {"gStCodUsua", "gStDateFormat", "gStNomProg"})
        report.addVariable(QString::fromLatin1(name));
    report.addVariable(u"gStCamRela"_s, QString());
    buildHeader();
    buildBlock();
    buildFooter();
}

void RelationSample::buildHeader()
{
    Band& header = report.addBand(Band::Kind::PageHeader, kHeaderHeight, u"PageHeader1"_s);
    header.setStretch(true);
    header.addPicture(u"Picture1"_s, {0, 0, 151.18, 94.49})
        .setField(u"QryGnEmpre"_s, u"BMP_REPO"_s);
    const auto add = [&](const char* name, QRectF rect, const QString& text,
                         qreal size) -> TextObject& {
        return header.addText(QString::fromLatin1(name), rect, text)
            .setFontPixelSize(size)
            .setBold(true);
    };
    add("QryGnEmpreNOM_EMPR", {151.18, 11.34, 453.54, 18.90}, u"[QryGnEmpre.\"NOM_EMPR\"]"_s, 13)
        .setStretch(TextObject::Stretch::ToTallest);
    add("QryGnEmpreNIT_EMPR", {415.75, 30.24, 188.98, 15.12}, u"NIT: [QryGnEmpre.\"NIT_EMPR\"]"_s,
        11)
        .setShiftWhenOverlapped(true);
    add("Memo1", {151.18, 45.24, 453.54, 15.12}, u"Nómina - Relación Rubros SIIF2"_s, 11)
        .setShiftWhenOverlapped(true)
        .setStretch(TextObject::Stretch::ToTallest);
    add("Memo2", {151.18, 60.35, 453.54, 15.12}, u"Definición Relación Rubros SIIF2"_s, 11)
        .setShiftWhenOverlapped(true)
        .setStretch(TextObject::Stretch::ToTallest);
    add("SysMemo1", {642.52, 30.24, 98.27, 15.12}, u"Página: [PAGE#]"_s, 8)
        .setVerticalAlignment(Qt::AlignVCenter);
    add("SysMemo2", {642.52, 45.35, 98.27, 15.12}, u"Fecha: [DATE]"_s, 8)
        .setVerticalAlignment(Qt::AlignVCenter);
    add("SysMemo3", {642.52, 60.47, 98.27, 15.12}, u"Hora: [TIME]"_s, 8)
        .setVerticalAlignment(Qt::AlignVCenter);
}

void RelationSample::buildBlock()
{
    Band& block = report.addBand(Band::Kind::MasterData, kBlockHeight, u"MasterData1"_s);
    block.setDataSourceName(u"QryVeZezev"_s);
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
            .addText(u"Memo%1"_s.arg(cell.memo), {cell.left, cell.top, cell.width, 16},
                     isField ? u"[QryVeZezev.\"%1\"]"_s.arg(content) : content)
            .setFontPixelSize(11)
            .setBold(!isField)
            .setFrame(cell.frame);
    }
}

void RelationSample::buildFooter()
{
    Band& footer = report.addBand(Band::Kind::PageFooter, kFooterHeight, u"PageFooter1"_s);
    const auto add = [&](const char* name, qreal left, qreal width,
                         const QString& text) -> TextObject& {
        return footer.addText(QString::fromLatin1(name), {left, 0, width, 15.12}, text)
            .setFontPixelSize(11);
    };
    add("Memo3", 0, 151.18, u"TavreL: [gStNomProg]"_s).setHorizontalAlignment(Qt::AlignRight);
    add("Memo4", 226.77, 188.98, u"Usuario: [gStCodUsua]"_s);
    add("Memo5", 415.75, 188.98, u"Tavrel by Mirova"_s);
    add("Memo6", 604.72, 136.06, u"Velmora"_s).setItalic(true);
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
