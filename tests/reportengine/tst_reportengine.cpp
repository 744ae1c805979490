#include "BandLayouter.h"
#include "DataSetReportSource.h"
#include "Field.h"
#include "LayoutEngine.h"
#include "MemoryDataSource.h"
#include "ModuleError.h"
#include "RepeatedItems.h"
#include "Report.h"
#include "ReportRun.h"
#include "ReportUnits.h"
#include "SClientDataSet.h"
#include "TextMeasurer.h"
#include "Thrown.h"
#include "ValueResolver.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace tavrel::report;
using tavrel::FieldType;

namespace {

const QString kLong =
    u"Sueldos del personal administrativo de planta con cargo al presupuesto de la vigencia"_s;
// Letter with 10 mm margins: the printable area runs from 37.795 to 1018.205.
const qreal kTop = mmToUnits(10);
const qreal kBottom = 1056 - mmToUnits(10);

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

// A one-line text in a box 10 high at `top`, on a background when `fill` is valid.
Primitive textAt(const QString& text, qreal top, const QColor& fill = QColor())
{
    const QRectF box(0, top, 200, 10);
    TextRun run{u"T"_s, box, box, {TextLine{text, box, 50, {}}}, {}, Qt::black, fill};
    return run;
}

QStringList textsOf(const LaidOutPage& page, const QString& name)
{
    QStringList texts;
    for (const TextRun* run : page.textsNamed(name))
        texts.append(run->text());
    return texts;
}

} // namespace

// The report engine over one report with every kind of band and a source of names
// ("Filas"), declared variables and a variables callback, a company source, a source
// holding a picture blob, and a client dataset of three rows (a name and a picture)
// standing on row 2. Templates are evaluated and single bands laid out on their own,
// and whole reports paginated.
class TstReportEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    // Templates and single bands.
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
    // Pages.
    void bandsStackFromTheTopAndFooterSitsAtTheBottom();
    void pageBreaks_data();
    void pageBreaks();
    void pageScopes_data();
    void pageScopes();
    void beforePrintSuppressesAndSetsCaptions();
    void emptySource_data();
    void emptySource();
    void detailRunsForEveryMasterRecord();
    void pagesOnTheirOwnMatchTheWalk();
    void unknownBandSourceIsRefused();
    void repeatedItemsSettleOnWhatEveryPageShows();
    // Client datasets as sources.
    void textsAreThoseTheDataSetShows_data();
    void textsAreThoseTheDataSetShows();
    void walkIsHiddenFromControlsAndEndsOnTheStartingRow();
    void closedDataSetIsRefusedByName();

private:
    void addRows(int count);
    LayoutEngine engine();
    LaidOutDocument layOut() { return engine().layout(*m_report); }
    BandInstance layOutBand() { return BandLayouter(*m_resolver, m_measurer).layout(*m_band); }
    const TextRun* textRun(const BandInstance& instance, const QString& name) const;
    void addDetail();

    std::unique_ptr<Report> m_report;
    std::unique_ptr<Band> m_band; // laid out on its own
    std::unique_ptr<MemoryDataSource> m_rows;
    std::unique_ptr<MemoryDataSource> m_company;
    std::unique_ptr<MemoryDataSource> m_images;
    std::unique_ptr<MemoryDataSource> m_lines; // for a detail band
    std::unique_ptr<ValueResolver> m_resolver;
    std::unique_ptr<SClientDataSet> m_dataSet;
    TextMeasurer m_measurer;
    FontSpec m_font;
};

void TstReportEngine::init()
{
    m_report = std::make_unique<Report>();
    Report& r = *m_report;
    r.addVariable(u"gStCamRela"_s, QString());
    r.addVariable(u"gStCodUsua"_s);
    r.addBand(Band::Kind::PageHeader, 50, u"Encabezado"_s)
        .addText(u"Pagina"_s, {0, 0, 300, 20}, u"Página [PAGE#] de [TOTALPAGES#]"_s);
    r.addBand(Band::Kind::Title, 30).addText(u"Titulo"_s, {0, 0, 300, 20}, u"Relación"_s);
    r.addBand(Band::Kind::ColumnHeader, 20, u"Columnas"_s)
        .addText(u"Columnas"_s, {0, 0, 300, 20}, u"Nombre"_s);
    Band& data = r.addBand(Band::Kind::MasterData, 100, u"Datos"_s);
    data.setDataSourceName(u"Filas"_s).setSpaceAfter(10);
    data.addText(u"Dato"_s, {0, 0, 300, 20}, u"[LINE#] [Filas.NOMBRE]"_s);
    data.addText(u"Pie del bloque"_s, {0, 80, 300, 20}, u"fin"_s);
    r.addBand(Band::Kind::Summary, 25)
        .addText(u"Resumen"_s, {0, 0, 300, 20}, u"Registros: [COUNT#]"_s);
    r.addBand(Band::Kind::PageFooter, 20, u"Pie"_s)
        .addText(u"Pie"_s, {0, 0, 300, 20}, u"Pie [PAGE#]"_s);
    m_band = std::make_unique<Band>(Band::Kind::MasterData, 40, u"Banda"_s);

    m_rows = std::make_unique<MemoryDataSource>(u"Filas"_s, QStringList{u"NOMBRE"_s});
    m_lines.reset();
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

    m_dataSet = std::make_unique<SClientDataSet>();
    m_dataSet->setObjectName(u"QryRubros"_s);
    m_dataSet->addField(u"NOMBRE"_s, FieldType::String, 40);
    m_dataSet->addField(u"FOTO"_s, FieldType::Blob);
    m_dataSet->createDataSet();
    for (const char* nombre : {"Nación", "Propios", "Crédito"}) {
        m_dataSet->append();
        m_dataSet->field(0)->setValue(QString::fromUtf8(nombre));
        m_dataSet->field(1)->setValue(QByteArray(nombre));
        m_dataSet->post();
    }
    m_dataSet->setRecNo(2);
}

void TstReportEngine::addRows(int count)
{
    for (int i = 1; i <= count; ++i)
        m_rows->addRow({u"Fila %1"_s.arg(i)});
}

LayoutEngine TstReportEngine::engine()
{
    LayoutEngine engine;
    engine.addDataSource(m_rows.get());
    if (m_lines)
        engine.addDataSource(m_lines.get());
    return engine;
}

void TstReportEngine::addDetail()
{
    m_lines = std::make_unique<MemoryDataSource>(u"Lineas"_s, QStringList{u"VALOR"_s});
    for (const char* value : {"a", "b", "c"})
        m_lines->addRow({QString::fromLatin1(value)});
    m_report->addBand(Band::Kind::Detail, 20)
        .setDataSourceName(u"Lineas"_s)
        .addText(u"Detalle"_s, {20, 0, 200, 20}, u"[LINE#][Lineas.VALOR]"_s);
}

const TextRun* TstReportEngine::textRun(const BandInstance& instance, const QString& name) const
{
    for (const Primitive& item : instance.items) {
        const auto* text = std::get_if<TextRun>(&item);
        if (text && text->objectName == name)
            return text;
    }
    return nullptr;
}

void TstReportEngine::stretching_data()
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

void TstReportEngine::stretching()
{
    QFETCH(int, stretch);
    QFETCH(bool, bandStretches);
    QFETCH(bool, boxGrows);
    QFETCH(bool, bandGrows);
    m_band->setStretch(bandStretches);
    m_band->addText(u"Memo15"_s, {80, 10, 120, 16}, kLong)
        .setFont(m_font)
        .setStretch(TextObject::Stretch(stretch));

    const BandInstance instance = layOutBand();
    const TextRun* text = textRun(instance, u"Memo15"_s);
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

void TstReportEngine::wrappedLinesFitTheirBox()
{
    m_band->addText(u"Ajustado"_s, {0, 0, 150, 16}, kLong).setFont(m_font);
    m_band->addText(u"SinAjuste"_s, {0, 20, 150, 16}, kLong).setFont(m_font).setWordWrap(false);
    const BandInstance instance = layOutBand();

    const TextRun* wrapped = textRun(instance, u"Ajustado"_s);
    // Only whole lines show; the second would be cut by the box.
    QCOMPARE(wrapped->lines.size(), 1);
    const QStringList lines = m_measurer.breakLines(kLong, m_font, 146, true);
    QCOMPARE(lines.join(u' '), kLong);
    for (const QString& line : lines)
        QVERIFY2(m_measurer.textWidth(line, m_font) <= 146, qPrintable(line));
    const TextRun* single = textRun(instance, u"SinAjuste"_s);
    QCOMPARE(single->text(), kLong);
    QCOMPARE(single->clip, single->box);
}

void TstReportEngine::shifting_data()
{
    QTest::addColumn<qreal>("left");
    QTest::addColumn<bool>("shifts");
    QTest::addColumn<bool>("moves");

    QTest::newRow("under the grown box: pushed below it") << 415.75 << true << true;
    QTest::newRow("beside the grown box: stays") << 620.0 << true << false;
    QTest::newRow("no shift asked: stays overlapped") << 415.75 << false << false;
}

void TstReportEngine::shifting()
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

    const BandInstance instance = layOutBand();
    const TextRun* name = textRun(instance, u"Nombre"_s);
    const TextRun* nit = textRun(instance, u"Nit"_s);
    const TextRun* below = textRun(instance, u"Debajo"_s);
    QVERIFY(name->box.bottom() > 45.36);
    QCOMPARE(nit->box.top(), moves ? name->box.bottom() : 30.24);
    // The push carries on down to the box under the shifted one.
    if (moves)
        QCOMPARE(below->box.top(), nit->box.bottom());
}

void TstReportEngine::verticalAlignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<qreal>("gapAbove"); // in parts of the free height inside the padding

    QTest::newRow("top") << int(Qt::AlignTop) << 0.0;
    QTest::newRow("centre") << int(Qt::AlignVCenter) << 0.5;
    QTest::newRow("bottom") << int(Qt::AlignBottom) << 1.0;
}

void TstReportEngine::verticalAlignment()
{
    QFETCH(int, alignment);
    QFETCH(qreal, gapAbove);
    m_band->addText(u"SysMemo1"_s, {642.52, 2, 98.27, 30}, u"Página: 1"_s)
        .setFontPixelSize(8)
        .setVerticalAlignment(Qt::Alignment(alignment));
    const BandInstance instance = layOutBand();
    const TextRun* text = textRun(instance, u"SysMemo1"_s);
    FontSpec font;
    font.pixelSize = 8;
    const qreal free = 28 - m_measurer.lineHeight(font);
    QCOMPARE(text->lines.first().rect.top(), 3 + free * gapAbove);
}

void TstReportEngine::pictureFromBlob_data()
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

void TstReportEngine::pictureFromBlob()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QRectF, expected);
    m_images->addRow({bytes});
    m_images->first();
    m_band->addPicture(u"Picture1"_s, {0, 5, 100, 50}).setField(u"Fotos"_s, u"BMP_REPO"_s);
    const BandInstance instance = layOutBand();
    QCOMPARE(instance.items.isEmpty(), expected.isNull());
    if (!expected.isNull())
        QCOMPARE(std::get<ImageRun>(instance.items.first()).rect, expected);
}

void TstReportEngine::evaluated_data()
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

void TstReportEngine::evaluated()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(m_resolver->evaluate(TextTemplate(text), u"Memo1"_s), expected);
}

void TstReportEngine::refused_data()
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

void TstReportEngine::refused()
{
    QFETCH(QString, text);
    QFETCH(QStringList, messageParts);
    QVERIFY(mentions(thrownBy([&] { m_resolver->evaluate(TextTemplate(text), u"Memo1"_s); }),
                     messageParts));
}

void TstReportEngine::bandsStackFromTheTopAndFooterSitsAtTheBottom()
{
    addRows(2);
    const LaidOutDocument document = layOut();
    QCOMPARE(document.pages.size(), 1);
    const LaidOutPage& page = document.pages.first();
    const auto top = [&](const QString& name, int index = 0) {
        return page.textsNamed(name).at(index)->box.top();
    };
    QCOMPARE(page.textsNamed(u"Pagina"_s).first()->box.left(), mmToUnits(10));
    QCOMPARE(top(u"Pagina"_s), kTop);
    QCOMPARE(top(u"Titulo"_s), kTop + 50);
    QCOMPARE(top(u"Columnas"_s), kTop + 80);
    QCOMPARE(top(u"Dato"_s, 0), kTop + 100);
    QCOMPARE(top(u"Dato"_s, 1), kTop + 210); // 100 high and 10 after
    QCOMPARE(top(u"Resumen"_s), kTop + 320);
    QCOMPARE(top(u"Pie"_s), kBottom - 20);
}

void TstReportEngine::pageBreaks_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");

    // Page 1 holds 7 blocks under header, title and column header; later pages hold 8.
    QTest::newRow("seven blocks and the summary fill page one") << 7 << 1;
    QTest::newRow("the eighth block opens page two whole") << 8 << 2;
    QTest::newRow("a summary that no longer fits opens page three") << 15 << 3;
}

void TstReportEngine::pageBreaks()
{
    QFETCH(int, rows);
    QFETCH(int, pages);
    addRows(rows);
    const LaidOutDocument document = layOut();
    QCOMPARE(document.pages.size(), pages);

    QStringList printed;
    for (const LaidOutPage& page : document.pages) {
        const QString number = QString::number(page.number);
        QCOMPARE(textsOf(page, u"Pagina"_s),
                 QStringList{u"Página %1 de %2"_s.arg(number).arg(pages)});
        QCOMPARE(textsOf(page, u"Columnas"_s).size(), 1);
        QCOMPARE(textsOf(page, u"Pie"_s), QStringList{u"Pie "_s + number});
        // A block starts and ends on the same page.
        QCOMPARE(page.textsNamed(u"Pie del bloque"_s).size(), page.textsNamed(u"Dato"_s).size());
        printed.append(textsOf(page, u"Dato"_s));
    }
    QCOMPARE(printed.size(), rows);
    QCOMPARE(printed.last(), u"%1 Fila %1"_s.arg(rows));
    QCOMPARE(textsOf(document.pages.last(), u"Resumen"_s),
             QStringList{u"Registros: %1"_s.arg(rows)});
}

void TstReportEngine::pageScopes_data()
{
    QTest::addColumn<int>("headerScope");
    QTest::addColumn<int>("footerScope");
    QTest::addColumn<QList<bool>>("headerOnPage");
    QTest::addColumn<QList<bool>>("footerOnPage");

    const int every = int(Band::PageScope::EveryPage);
    QTest::newRow("header on the first page only")
        << int(Band::PageScope::FirstPageOnly) << every << QList<bool>{true, false, false}
        << QList<bool>{true, true, true};
    QTest::newRow("footer on the first page only")
        << every << int(Band::PageScope::FirstPageOnly) << QList<bool>{true, true, true}
        << QList<bool>{true, false, false};
    QTest::newRow("footer on the last page only")
        << every << int(Band::PageScope::LastPageOnly) << QList<bool>{true, true, true}
        << QList<bool>{false, false, true};
}

void TstReportEngine::pageScopes()
{
    QFETCH(int, headerScope);
    QFETCH(int, footerScope);
    QFETCH(QList<bool>, headerOnPage);
    QFETCH(QList<bool>, footerOnPage);
    m_report->band(u"Encabezado"_s)->setPageScope(Band::PageScope(headerScope));
    m_report->band(u"Pie"_s)->setPageScope(Band::PageScope(footerScope));
    addRows(20);
    const LaidOutDocument document = layOut();
    QCOMPARE(document.pages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const LaidOutPage& page = document.pages[i];
        QCOMPARE(!page.textsNamed(u"Pagina"_s).isEmpty(), headerOnPage[i]);
        QCOMPARE(!page.textsNamed(u"Pie"_s).isEmpty(), footerOnPage[i]);
        // The blocks stay above a footer that prints on the page.
        for (const TextRun* end : page.textsNamed(u"Pie del bloque"_s))
            QVERIFY(!footerOnPage[i] || end->box.bottom() <= kBottom - 20 + 0.01);
        // Without a header the column header moves up; on page one it follows the title.
        QCOMPARE(page.textsNamed(u"Columnas"_s).first()->box.top(),
                 kTop + (headerOnPage[i] ? 50 : 0) + (i == 0 ? 30 : 0));
    }
}

void TstReportEngine::beforePrintSuppressesAndSetsCaptions()
{
    addRows(3);
    m_rows->addRow({u"omitir"_s});
    m_report->band(u"Columnas"_s)->setBeforePrint([](Band&, bool& print) { print = false; });
    Band* data = m_report->band(u"Datos"_s);
    data->addText(u"QRLCamRela"_s, {300, 0, 200, 20});
    MemoryDataSource* rows = m_rows.get();
    data->setBeforePrint([rows](Band& band, bool& print) {
        const QString name = rows->displayText(u"NOMBRE"_s);
        print = name != u"omitir";
        band.text(u"QRLCamRela"_s)->setText(u"Clase de Nómina "_s + name.right(1));
    });
    const LaidOutPage page = layOut().pages.first();
    QVERIFY(page.textsNamed(u"Columnas"_s).isEmpty());
    QCOMPARE(page.textsNamed(u"Dato"_s).first()->box.top(), kTop + 50 + 30);
    QCOMPARE(textsOf(page, u"QRLCamRela"_s),
             (QStringList{u"Clase de Nómina 1"_s, u"Clase de Nómina 2"_s, u"Clase de Nómina 3"_s}));
    QCOMPARE(textsOf(page, u"Resumen"_s), QStringList{u"Registros: 3"_s});
}

void TstReportEngine::emptySource_data()
{
    QTest::addColumn<bool>("printIfEmpty");
    QTest::newRow("one page with header and footer") << true;
    QTest::newRow("nothing at all when told so") << false;
}

void TstReportEngine::emptySource()
{
    QFETCH(bool, printIfEmpty);
    m_report->setPrintIfEmpty(printIfEmpty);
    const LaidOutDocument document = layOut();
    QCOMPARE(document.pages.size(), printIfEmpty ? 1 : 0);
    if (!printIfEmpty)
        return;
    QStringList names;
    for (const TextRun* run : document.pages.first().texts())
        names.append(run->objectName);
    QCOMPARE(names, (QStringList{u"Pagina"_s, u"Pie"_s}));
}

void TstReportEngine::detailRunsForEveryMasterRecord()
{
    addRows(2);
    addDetail();
    const LaidOutPage page = layOut().pages.first();
    QStringList order;
    for (const TextRun* run : page.texts()) {
        if (run->objectName == u"Dato" || run->objectName == u"Detalle")
            order.append(run->text());
    }
    QCOMPARE(order, (QStringList{u"1 Fila 1"_s, u"1a"_s, u"2b"_s, u"3c"_s, u"2 Fila 2"_s, u"1a"_s,
                                 u"2b"_s, u"3c"_s}));
}

void TstReportEngine::pagesOnTheirOwnMatchTheWalk()
{
    // Pages break inside the details of a record; a page laid out on its own, in any
    // order, starts where the walk started it and shows the total the count found.
    addRows(20);
    addDetail();
    const LaidOutDocument walked = layOut();
    QCOMPARE(walked.pages.size(), 4);
    const std::unique_ptr<ReportRun> run = engine().start(*m_report);
    for (int index : {3, 1, 2, 0, 2}) {
        LaidOutPage page;
        QVERIFY(run->layOutPage(index, page));
        QCOMPARE(page.number, index + 1);
        QStringList texts, expected;
        for (const TextRun* text : page.texts())
            texts << text->text();
        for (const TextRun* text : walked.pages[index].texts())
            expected << text->text();
        QCOMPARE(texts, expected);
    }
    QCOMPARE(run->pageCount(), 4);
    LaidOutPage none;
    QVERIFY(!run->layOutPage(4, none));
}

void TstReportEngine::repeatedItemsSettleOnWhatEveryPageShows()
{
    const auto texts = [](const QList<const Primitive*>& items) {
        QStringList found;
        for (const Primitive* item : items)
            found.append(std::get<TextRun>(*item).text());
        return found;
    };
    RepeatedItems repeated;
    const Primitive title = textAt(u"Título"_s, 0), date = textAt(u"Fecha"_s, 10);
    struct Step
    {
        QList<Primitive> items;
        QStringList expected;
        bool changed;
    };
    const QList<Step> steps{
        {{title, date, textAt(u"CSF"_s, 50)}, {}, false},
        // A value alike by chance on the page before repeats for now...
        {{title, date, textAt(u"CSF"_s, 50), textAt(u"1"_s, 60)},
         {u"Título"_s, u"Fecha"_s, u"CSF"_s},
         true},
        // ...and drops out as soon as a page differs, never to come back.
        {{title, date, textAt(u"SSF"_s, 50)}, {u"Título"_s, u"Fecha"_s}, true},
        {{title, date, textAt(u"CSF"_s, 50)}, {u"Título"_s, u"Fecha"_s}, false},
        // Drawn first, the title would go under a background it lies on.
        {{title, date, textAt(u"Sello"_s, 5, Qt::yellow)}, {}, false},
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const LaidOutPage page{int(i) + 1, steps[i].items};
        const RepeatedItems::Split split = repeated.next(page);
        QCOMPARE(texts(split.repeated), steps[i].expected);
        QCOMPARE(split.changed, steps[i].changed);
        if (!split.repeated.isEmpty())
            QCOMPARE(split.repeated.size() + split.rest.size(), steps[i].items.size());
    }
}

void TstReportEngine::unknownBandSourceIsRefused()
{
    m_report->band(u"Datos"_s)->setDataSourceName(u"QryVeZezev"_s);
    QVERIFY(mentions(thrownBy([&] { layOut(); }), {u"«Datos»", u"«QryVeZezev»"}));
}

void TstReportEngine::textsAreThoseTheDataSetShows_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("texts");

    // Display formats and calculated fields are pinned through the relation report.
    QTest::newRow("field named in another case")
        << u"nombre"_s << QStringList{u"Nación"_s, u"Propios"_s, u"Crédito"_s};
    QTest::newRow("a field the dataset lacks is empty")
        << u"NADA"_s << QStringList{QString(), QString(), QString()};
}

void TstReportEngine::textsAreThoseTheDataSetShows()
{
    QFETCH(QString, field);
    QFETCH(QStringList, texts);
    DataSetReportSource source(u"QryVeZezev"_s, *m_dataSet);
    QCOMPARE(source.hasField(field), field != u"NADA");
    QCOMPARE(source.recordCount(), 3);
    QStringList walked;
    for (source.first(); !source.eof(); source.next())
        walked << source.displayText(field);
    QCOMPARE(walked, texts);
}

void TstReportEngine::walkIsHiddenFromControlsAndEndsOnTheStartingRow()
{
    QSignalSpy moves(m_dataSet.get(), &SClientDataSet::currentRowChanged);
    {
        DataSetReportSource source(u"QryVeZezev"_s, *m_dataSet);
        QVariantList pictures;
        for (source.first(); !source.eof(); source.next())
            pictures << source.value(u"FOTO"_s);
        QCOMPARE(pictures.value(1), QVariant(QByteArray("Propios"))); // blobs come as bytes
        QCOMPARE(moves.count(), 0);
        QVERIFY(m_dataSet->controlsDisabled());
    }
    QVERIFY(!m_dataSet->controlsDisabled());
    QCOMPARE(m_dataSet->recNo(), 2);
    QVERIFY(!moves.isEmpty());
}

void TstReportEngine::closedDataSetIsRefusedByName()
{
    m_dataSet->close();
    DataSetReportSource source(u"QryVeZezev"_s, *m_dataSet);
    QCOMPARE(source.recordCount(), 0);
    QVERIFY(source.eof());
    QVERIFY(mentions(thrownBy([&] { source.first(); }), {u"QryRubros"}));
}

QTEST_MAIN(TstReportEngine)
#include "tst_reportengine.moc"
