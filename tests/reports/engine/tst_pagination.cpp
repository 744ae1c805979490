#include "LayoutEngine.h"
#include "MemoryDataSource.h"
#include "ModuleError.h"
#include "Report.h"
#include "ReportUnits.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace tavrel::report;

namespace {

// Letter with 10 mm margins: the printable area runs from 37.795 to 1018.205.
const qreal kTop = mmToUnits(10);
const qreal kBottom = 1056 - mmToUnits(10);

QStringList textsOf(const LaidOutPage& page, const QString& name)
{
    QStringList texts;
    for (const TextRun* run : page.textsNamed(name))
        texts.append(run->text());
    return texts;
}

} // namespace

// A report with every kind of band over one data source of names.
class TstPagination : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void bandsStackFromTheTopAndFooterSitsAtTheBottom();
    void pageBreaks_data();
    void pageBreaks();
    void pageScopes_data();
    void pageScopes();
    void beforePrintSuppressesAndSetsCaptions();
    void emptySource_data();
    void emptySource();
    void detailRunsForEveryMasterRecord();
    void unknownBandSourceIsRefused();

private:
    void addRows(int count);
    LaidOutDocument layOut();

    std::unique_ptr<Report> m_report;
    std::unique_ptr<MemoryDataSource> m_rows;
    QList<ReportDataSource*> m_extraSources;
};

void TstPagination::init()
{
    m_report = std::make_unique<Report>();
    m_rows = std::make_unique<MemoryDataSource>(u"Filas"_s, QStringList{u"NOMBRE"_s});
    m_extraSources.clear();
    Report& r = *m_report;
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
}

void TstPagination::addRows(int count)
{
    for (int i = 1; i <= count; ++i)
        m_rows->addRow({u"Fila %1"_s.arg(i)});
}

LaidOutDocument TstPagination::layOut()
{
    LayoutEngine engine;
    engine.addDataSource(m_rows.get());
    for (ReportDataSource* source : m_extraSources)
        engine.addDataSource(source);
    return engine.layout(*m_report);
}

void TstPagination::bandsStackFromTheTopAndFooterSitsAtTheBottom()
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

void TstPagination::pageBreaks_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");

    // Page 1 holds 7 blocks under header, title and column header; later pages hold 8.
    QTest::newRow("seven blocks and the summary fill page one") << 7 << 1;
    QTest::newRow("the eighth block opens page two whole") << 8 << 2;
    QTest::newRow("a summary that no longer fits opens page three") << 15 << 3;
}

void TstPagination::pageBreaks()
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

void TstPagination::pageScopes_data()
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

void TstPagination::pageScopes()
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

void TstPagination::beforePrintSuppressesAndSetsCaptions()
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

void TstPagination::emptySource_data()
{
    QTest::addColumn<bool>("printIfEmpty");
    QTest::newRow("one page with header and footer") << true;
    QTest::newRow("nothing at all when told so") << false;
}

void TstPagination::emptySource()
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

void TstPagination::detailRunsForEveryMasterRecord()
{
    addRows(2);
    MemoryDataSource lines(u"Lineas"_s, {u"VALOR"_s});
    for (const char* value : {"a", "b", "c"})
        lines.addRow({QString::fromLatin1(value)});
    m_extraSources.append(&lines);
    m_report->addBand(Band::Kind::Detail, 20)
        .setDataSourceName(u"Lineas"_s)
        .addText(u"Detalle"_s, {20, 0, 200, 20}, u"[LINE#][Lineas.VALOR]"_s);
    const LaidOutPage page = layOut().pages.first();
    QStringList order;
    for (const TextRun* run : page.texts()) {
        if (run->objectName == u"Dato" || run->objectName == u"Detalle")
            order.append(run->text());
    }
    QCOMPARE(order, (QStringList{u"1 Fila 1"_s, u"1a"_s, u"2b"_s, u"3c"_s, u"2 Fila 2"_s, u"1a"_s,
                                 u"2b"_s, u"3c"_s}));
}

void TstPagination::unknownBandSourceIsRefused()
{
    m_report->band(u"Datos"_s)->setDataSourceName(u"QryVeZezev"_s);
    try {
        layOut();
        QFAIL("the layout ran");
    } catch (const tavrel::ModuleError& error) {
        QVERIFY2(error.message().contains(u"«Datos»") && error.message().contains(u"«QryVeZezev»"),
                 qPrintable(error.message()));
    }
}

QTEST_MAIN(TstPagination)
#include "tst_pagination.moc"
