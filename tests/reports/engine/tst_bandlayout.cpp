#include "Band.h"
#include "BandLayouter.h"
#include "MemoryDataSource.h"
#include "ModuleError.h"
#include "Report.h"
#include "TextMeasurer.h"
#include "ValueResolver.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace tavrel::report;

namespace {

const QString kLong =
    u"Sueldos del personal administrativo de planta con cargo al presupuesto de la vigencia"_s;

QByteArray pngBytes(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

// Text templates evaluated and one band laid out on its own, against a small report: a
// company source, a source holding a picture blob, declared variables and a variables
// callback.
class TstBandLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void evaluated_data();
    void evaluated();
    void refused_data();
    void refused();
    void stretching_data();
    void stretching();
    void wrappedLinesFitTheirBox();
    void shifting_data();
    void shifting();
    void verticalAlignment_data();
    void verticalAlignment();
    void pictureFromBlob_data();
    void pictureFromBlob();

private:
    BandInstance layOut() { return BandLayouter(*m_resolver, m_measurer).layout(*m_band); }
    const TextRun* run(const BandInstance& instance, const QString& name) const;

    std::unique_ptr<Report> m_report;
    std::unique_ptr<Band> m_band;
    std::unique_ptr<MemoryDataSource> m_company;
    std::unique_ptr<MemoryDataSource> m_images;
    std::unique_ptr<ValueResolver> m_resolver;
    TextMeasurer m_measurer;
    FontSpec m_font;
};

void TstBandLayout::init()
{
    m_report = std::make_unique<Report>();
    m_report->addVariable(u"gStCamRela"_s, QString());
    m_report->addVariable(u"gStCodUsua"_s);
    m_band = std::make_unique<Band>(Band::Kind::MasterData, 40, u"Banda"_s);
    m_company = std::make_unique<MemoryDataSource>(u"QryGnEmpre"_s,
                                                   QStringList{u"NOM_EMPR"_s, u"NIT_EMPR"_s});
    m_company->addRow({u"Alcaldía de Villavicencio"_s, u"892.099.324-3"_s});
    m_images = std::make_unique<MemoryDataSource>(u"Fotos"_s, QStringList{u"BMP_REPO"_s});
    const auto variables = [](const QString& name, QVariant& value) {
        if (name == u"gStCodUsua")
            value = u"JPEREZ"_s;
        else if (name == u"fechaCorte")
            value = QDate(2023, 12, 31);
    };
    m_resolver = std::make_unique<ValueResolver>(
        *m_report, QList<ReportDataSource*>{m_company.get(), m_images.get()}, variables,
        ReportSettings());
    m_resolver->setPage(2);
    m_company->first();
    m_font.pixelSize = 11;
}

const TextRun* TstBandLayout::run(const BandInstance& instance, const QString& name) const
{
    for (const Primitive& item : instance.items) {
        const auto* text = std::get_if<TextRun>(&item);
        if (text && text->objectName == name)
            return text;
    }
    return nullptr;
}

void TstBandLayout::stretching_data()
{
    QTest::addColumn<int>("stretch");
    QTest::addColumn<bool>("bandStretches");
    QTest::addColumn<bool>("boxGrows");
    QTest::addColumn<bool>("bandGrows");

    QTest::newRow("fixed box cuts its text")
        << int(TextObject::Stretch::None) << true << false << false;
    QTest::newRow("box grows and the band follows")
        << int(TextObject::Stretch::ToText) << true << true << true;
    QTest::newRow("box grows but a fixed band cuts it")
        << int(TextObject::Stretch::ToText) << false << true << false;
}

void TstBandLayout::stretching()
{
    QFETCH(int, stretch);
    QFETCH(bool, bandStretches);
    QFETCH(bool, boxGrows);
    QFETCH(bool, bandGrows);
    m_band->setStretch(bandStretches);
    m_band->addText(u"Memo15"_s, {80, 10, 120, 16}, kLong)
        .setFont(m_font)
        .setStretch(TextObject::Stretch(stretch));

    const BandInstance instance = layOut();
    const TextRun* text = run(instance, u"Memo15"_s);
    QVERIFY(text);
    const QStringList all = m_measurer.breakLines(kLong, m_font, 116, true);
    QVERIFY(all.size() >= 4);
    const qreal textHeight = all.size() * m_measurer.lineHeight(m_font) + 2;
    QCOMPARE(text->box.height() > 16, boxGrows);
    if (boxGrows)
        QCOMPARE(text->box.height(), textHeight);
    QCOMPARE(instance.height > 40, bandGrows);
    if (bandGrows)
        QCOMPARE(instance.height, 10 + textHeight);
    // Nothing is drawn outside the box nor below a band that does not grow.
    QVERIFY(text->clip.top() >= text->box.top() && text->clip.bottom() <= text->box.bottom());
    QVERIFY(text->clip.bottom() <= instance.height);
    for (const TextLine& line : text->lines)
        QVERIFY(line.rect.top() < text->clip.bottom());
    QCOMPARE(text->lines.size() == all.size(), bandGrows);
}

void TstBandLayout::wrappedLinesFitTheirBox()
{
    m_band->addText(u"Ajustado"_s, {0, 0, 150, 16}, kLong).setFont(m_font);
    m_band->addText(u"SinAjuste"_s, {0, 20, 150, 16}, kLong).setFont(m_font).setWordWrap(false);
    const BandInstance instance = layOut();

    const TextRun* wrapped = run(instance, u"Ajustado"_s);
    // Only whole lines show; the second would be cut by the box.
    QCOMPARE(wrapped->lines.size(), 1);
    const QStringList lines = m_measurer.breakLines(kLong, m_font, 146, true);
    QCOMPARE(lines.join(u' '), kLong);
    for (const QString& line : lines)
        QVERIFY2(m_measurer.textWidth(line, m_font) <= 146, qPrintable(line));
    const TextRun* single = run(instance, u"SinAjuste"_s);
    QCOMPARE(single->text(), kLong);
    QCOMPARE(single->clip, single->box);
}

void TstBandLayout::shifting_data()
{
    QTest::addColumn<qreal>("left");
    QTest::addColumn<bool>("shifts");
    QTest::addColumn<bool>("moves");

    QTest::newRow("under the grown box: pushed below it") << 415.75 << true << true;
    QTest::newRow("beside the grown box: stays") << 620.0 << true << false;
    QTest::newRow("no shift asked: stays overlapped") << 415.75 << false << false;
}

void TstBandLayout::shifting()
{
    QFETCH(qreal, left);
    QFETCH(bool, shifts);
    QFETCH(bool, moves);
    m_band->setStretch(true);
    m_band->addText(u"Nombre"_s, {151.18, 11.34, 453.54, 18.90}, QStringList(4, kLong).join(u' '))
        .setFont(m_font)
        .setStretch(TextObject::Stretch::ToText);
    m_band->addText(u"Nit"_s, {left, 30.24, 100, 15.12}, u"NIT: 1"_s)
        .setFont(m_font)
        .setShiftWhenOverlapped(shifts);
    m_band->addText(u"Debajo"_s, {left, 45.36, 100, 15.12}, u"x"_s)
        .setFont(m_font)
        .setShiftWhenOverlapped(true);

    const BandInstance instance = layOut();
    const TextRun* name = run(instance, u"Nombre"_s);
    const TextRun* nit = run(instance, u"Nit"_s);
    const TextRun* below = run(instance, u"Debajo"_s);
    QVERIFY(name->box.bottom() > 45.36);
    QCOMPARE(nit->box.top(), moves ? name->box.bottom() : 30.24);
    // The push carries on down to the box under the shifted one.
    if (moves)
        QCOMPARE(below->box.top(), nit->box.bottom());
}

void TstBandLayout::verticalAlignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<qreal>("gapAbove"); // in parts of the free height inside the padding

    QTest::newRow("top") << int(Qt::AlignTop) << 0.0;
    QTest::newRow("centre") << int(Qt::AlignVCenter) << 0.5;
    QTest::newRow("bottom") << int(Qt::AlignBottom) << 1.0;
}

void TstBandLayout::verticalAlignment()
{
    QFETCH(int, alignment);
    QFETCH(qreal, gapAbove);
    m_band->addText(u"SysMemo1"_s, {642.52, 2, 98.27, 30}, u"Página: 1"_s)
        .setFontPixelSize(8)
        .setVerticalAlignment(Qt::Alignment(alignment));
    const BandInstance instance = layOut();
    const TextRun* text = run(instance, u"SysMemo1"_s);
    FontSpec font;
    font.pixelSize = 8;
    const qreal free = 28 - m_measurer.lineHeight(font);
    QCOMPARE(text->lines.first().rect.top(), 3 + free * gapAbove);
}

void TstBandLayout::pictureFromBlob_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("wide picture: full width, centred vertically")
        << pngBytes({200, 50}) << QRectF(0, 17.5, 100, 25);
    QTest::newRow("tall picture: full height, centred horizontally")
        << pngBytes({30, 60}) << QRectF(37.5, 5, 25, 50);
    QTest::newRow("bytes that are no picture leave the box empty")
        << QByteArray("no image") << QRectF();
}

void TstBandLayout::pictureFromBlob()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QRectF, expected);
    m_images->addRow({bytes});
    m_images->first();
    m_band->addPicture(u"Picture1"_s, {0, 5, 100, 50}).setField(u"Fotos"_s, u"BMP_REPO"_s);
    const BandInstance instance = layOut();
    QCOMPARE(instance.items.isEmpty(), expected.isNull());
    if (!expected.isNull())
        QCOMPARE(std::get<ImageRun>(instance.items.first()).rect, expected);
}

void TstBandLayout::evaluated_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // Quoted fields, page numbers, date, time and supplied variables are pinned through the
    // relation report and the pagination test.
    QTest::newRow("literal keeps accents and its trailing blank")
        << u"Recurso Presupuestal "_s << u"Recurso Presupuestal "_s;
    QTest::newRow("unquoted field, source and field in other case")
        << u"[qrygnempre.nom_empr]"_s << u"Alcaldía de Villavicencio"_s;
    QTest::newRow("system names ignore case") << u"[page#]"_s << u"2"_s;
    QTest::newRow("declared variable the callback leaves keeps its design value")
        << u"<[gStCamRela]>"_s << u"<>"_s;
    QTest::newRow("undeclared variable the callback knows, a date")
        << u"[fechaCorte]"_s << u"31/12/2023"_s;
    QTest::newRow("bracket without its end is literal")
        << u"Saldo [inicial"_s << u"Saldo [inicial"_s;
    QTest::newRow("empty brackets are literal") << u"a[]b"_s << u"a[]b"_s;
}

void TstBandLayout::evaluated()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(m_resolver->evaluate(TextTemplate(text), u"Memo1"_s), expected);
}

void TstBandLayout::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messageParts");

    QTest::newRow("unknown data source names object and source")
        << u"[QryEmpresa.\"NOM_EMPR\"]"_s << QStringList{u"«Memo1»"_s, u"«QryEmpresa»"_s};
    QTest::newRow("unknown field names the field and its source")
        << u"[QryGnEmpre.\"BMP_LOGO\"]"_s << QStringList{u"«BMP_LOGO»"_s, u"«QryGnEmpre»"_s};
    QTest::newRow("variable names compare exactly")
        << u"[gstcodusua]"_s << QStringList{u"[gstcodusua]"_s};
}

void TstBandLayout::refused()
{
    QFETCH(QString, text);
    QFETCH(QStringList, messageParts);
    try {
        m_resolver->evaluate(TextTemplate(text), u"Memo1"_s);
        QFAIL("the text was accepted");
    } catch (const tavrel::ModuleError& error) {
        for (const QString& part : messageParts)
            QVERIFY2(error.message().contains(part), qPrintable(error.message()));
    }
}

QTEST_MAIN(TstBandLayout)
#include "tst_bandlayout.moc"
