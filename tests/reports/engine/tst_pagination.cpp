#include "LayoutEngine.h"
#include "MemoryDataSource.h"
#include "ModuleError.h"
#include "RelationSample.h"
#include "Report.h"
#include "ReportUnits.h"

#include <QTest>

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

// Whether lines at `at` along one axis cover [from, to] on the other, end to end.
bool covered(const QList<const LineRun*>& lines, Qt::Orientation orientation, qreal at, qreal from,
             qreal to)
{
    qreal reached = from;
    bool grew = true;
    while (grew && reached < to - 0.01) {
        grew = false;
        for (const LineRun* run : lines) {
            const QLineF l = run->line;
            const bool vertical = qFuzzyCompare(l.x1(), l.x2());
            if (vertical != (orientation == Qt::Vertical))
                continue;
            const qreal pos = vertical ? l.x1() : l.y1();
            const qreal a = vertical ? std::min(l.y1(), l.y2()) : std::min(l.x1(), l.x2());
            const qreal b = vertical ? std::max(l.y1(), l.y2()) : std::max(l.x1(), l.x2());
            if (std::abs(pos - at) < 0.01 && a <= reached + 0.01 && b > reached + 0.01) {
                reached = b;
                grew = true;
            }
        }
    }
    return reached >= to - 0.01;
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
    void relationBlocksAreClosedBoxes();

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
    m_rows = std::make_unique<MemoryDataSource>(QStringLiteral("Filas"),
                                                QStringList{QStringLiteral("NOMBRE")});
    m_extraSources.clear();
    Report& r = *m_report;
    r.addBand(Band::Kind::PageHeader, 50, QStringLiteral("Encabezado"))
        .addText(QStringLiteral("Pagina"), {0, 0, 300, 20},
                 QStringLiteral("Página [PAGE#] de [TOTALPAGES#]"));
    r.addBand(Band::Kind::Title, 30)
        .addText(QStringLiteral("Titulo"), {0, 0, 300, 20}, QStringLiteral("Relación"));
    r.addBand(Band::Kind::ColumnHeader, 20, QStringLiteral("Columnas"))
        .addText(QStringLiteral("Columnas"), {0, 0, 300, 20}, QStringLiteral("Nombre"));
    Band& data = r.addBand(Band::Kind::MasterData, 100, QStringLiteral("Datos"));
    data.setDataSourceName(QStringLiteral("Filas")).setSpaceAfter(10);
    data.addText(QStringLiteral("Dato"), {0, 0, 300, 20}, QStringLiteral("[LINE#] [Filas.NOMBRE]"));
    data.addText(QStringLiteral("Pie del bloque"), {0, 80, 300, 20}, QStringLiteral("fin"));
    r.addBand(Band::Kind::Summary, 25)
        .addText(QStringLiteral("Resumen"), {0, 0, 300, 20}, QStringLiteral("Registros: [COUNT#]"));
    r.addBand(Band::Kind::PageFooter, 20, QStringLiteral("Pie"))
        .addText(QStringLiteral("Pie"), {0, 0, 300, 20}, QStringLiteral("Pie [PAGE#]"));
}

void TstPagination::addRows(int count)
{
    for (int i = 1; i <= count; ++i)
        m_rows->addRow({QStringLiteral("Fila %1").arg(i)});
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
    QCOMPARE(page.textsNamed(QStringLiteral("Pagina")).first()->box.left(), mmToUnits(10));
    QCOMPARE(top(QStringLiteral("Pagina")), kTop);
    QCOMPARE(top(QStringLiteral("Titulo")), kTop + 50);
    QCOMPARE(top(QStringLiteral("Columnas")), kTop + 80);
    QCOMPARE(top(QStringLiteral("Dato"), 0), kTop + 100);
    QCOMPARE(top(QStringLiteral("Dato"), 1), kTop + 210); // 100 high and 10 after
    QCOMPARE(top(QStringLiteral("Resumen")), kTop + 320);
    QCOMPARE(top(QStringLiteral("Pie")), kBottom - 20);
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
        QCOMPARE(textsOf(page, QStringLiteral("Pagina")),
                 QStringList{QStringLiteral("Página %1 de %2").arg(number).arg(pages)});
        QCOMPARE(textsOf(page, QStringLiteral("Columnas")).size(), 1);
        QCOMPARE(textsOf(page, QStringLiteral("Pie")),
                 QStringList{QStringLiteral("Pie ") + number});
        // A block starts and ends on the same page, above the footer.
        const QList<const TextRun*> starts = page.textsNamed(QStringLiteral("Dato"));
        const QList<const TextRun*> ends = page.textsNamed(QStringLiteral("Pie del bloque"));
        QCOMPARE(starts.size(), ends.size());
        for (qsizetype i = 0; i < starts.size(); ++i) {
            QCOMPARE(ends[i]->box.top(), starts[i]->box.top() + 80);
            QVERIFY(ends[i]->box.bottom() <= kBottom - 20 + 0.01);
            printed.append(starts[i]->text());
        }
    }
    QCOMPARE(printed.size(), rows);
    QCOMPARE(printed.last(), QStringLiteral("%1 Fila %1").arg(rows));
    QCOMPARE(textsOf(document.pages.last(), QStringLiteral("Resumen")),
             QStringList{QStringLiteral("Registros: %1").arg(rows)});
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
    m_report->band(QStringLiteral("Encabezado"))->setPageScope(Band::PageScope(headerScope));
    m_report->band(QStringLiteral("Pie"))->setPageScope(Band::PageScope(footerScope));
    addRows(20);
    const LaidOutDocument document = layOut();
    QCOMPARE(document.pages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const LaidOutPage& page = document.pages[i];
        QCOMPARE(!page.textsNamed(QStringLiteral("Pagina")).isEmpty(), headerOnPage[i]);
        QCOMPARE(!page.textsNamed(QStringLiteral("Pie")).isEmpty(), footerOnPage[i]);
        // Without a header the column header moves up; on page one it follows the title.
        QCOMPARE(page.textsNamed(QStringLiteral("Columnas")).first()->box.top(),
                 kTop + (headerOnPage[i] ? 50 : 0) + (i == 0 ? 30 : 0));
    }
}

void TstPagination::beforePrintSuppressesAndSetsCaptions()
{
    addRows(3);
    m_rows->addRow({QStringLiteral("omitir")});
    m_report->band(QStringLiteral("Columnas"))->setBeforePrint([](Band&, bool& print) {
        print = false;
    });
    Band* data = m_report->band(QStringLiteral("Datos"));
    data->addText(QStringLiteral("QRLCamRela"), {300, 0, 200, 20});
    MemoryDataSource* rows = m_rows.get();
    data->setBeforePrint([rows](Band& band, bool& print) {
        const QString name = rows->displayText(QStringLiteral("NOMBRE"));
        print = name != u"omitir";
        band.text(QStringLiteral("QRLCamRela"))
            ->setText(QStringLiteral("Clase de Nómina ") + name.right(1));
    });
    const LaidOutPage page = layOut().pages.first();
    QVERIFY(page.textsNamed(QStringLiteral("Columnas")).isEmpty());
    QCOMPARE(page.textsNamed(QStringLiteral("Dato")).first()->box.top(), kTop + 50 + 30);
    QCOMPARE(textsOf(page, QStringLiteral("QRLCamRela")),
             (QStringList{QStringLiteral("Clase de Nómina 1"), QStringLiteral("Clase de Nómina 2"),
                          QStringLiteral("Clase de Nómina 3")}));
    QCOMPARE(textsOf(page, QStringLiteral("Resumen")), QStringList{QStringLiteral("Registros: 3")});
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
    QCOMPARE(names, (QStringList{QStringLiteral("Pagina"), QStringLiteral("Pie")}));
}

void TstPagination::detailRunsForEveryMasterRecord()
{
    addRows(2);
    MemoryDataSource lines(QStringLiteral("Lineas"), {QStringLiteral("VALOR")});
    for (const char* value : {"a", "b", "c"})
        lines.addRow({QString::fromLatin1(value)});
    m_extraSources.append(&lines);
    m_report->addBand(Band::Kind::Detail, 20)
        .setDataSourceName(QStringLiteral("Lineas"))
        .addText(QStringLiteral("Detalle"), {20, 0, 200, 20},
                 QStringLiteral("[LINE#][Lineas.VALOR]"));
    const LaidOutPage page = layOut().pages.first();
    QStringList order;
    for (const TextRun* run : page.texts()) {
        if (run->objectName == u"Dato" || run->objectName == u"Detalle")
            order.append(run->text());
    }
    QCOMPARE(order,
             (QStringList{QStringLiteral("1 Fila 1"), QStringLiteral("1a"), QStringLiteral("2b"),
                          QStringLiteral("3c"), QStringLiteral("2 Fila 2"), QStringLiteral("1a"),
                          QStringLiteral("2b"), QStringLiteral("3c")}));
}

void TstPagination::unknownBandSourceIsRefused()
{
    m_report->band(QStringLiteral("Datos"))->setDataSourceName(QStringLiteral("QryVeZezev"));
    try {
        layOut();
        QFAIL("the layout ran");
    } catch (const tavrel::ModuleError& error) {
        QVERIFY2(error.message().contains(u"«Datos»") && error.message().contains(u"«QryVeZezev»"),
                 qPrintable(error.message()));
    }
}

void TstPagination::relationBlocksAreClosedBoxes()
{
    RelationSample sample(3);
    const LaidOutDocument document = sample.layOut();
    QCOMPARE(document.pages.size(), 1);
    const LaidOutPage& page = document.pages.first();
    const QList<const TextRun*> corners = page.textsNamed(QStringLiteral("Memo7"));
    QCOMPARE(corners.size(), 3);
    const QList<const LineRun*> lines = page.lines();
    const qreal left = mmToUnits(10);
    for (qsizetype i = 0; i < corners.size(); ++i) {
        const qreal top = corners[i]->box.top();
        QCOMPARE(corners[i]->box.left(), left);
        QCOMPARE(top, kTop + RelationSample::kHeaderHeight + i * RelationSample::kBlockHeight);
        QCOMPARE(corners[i]->text(), QStringLiteral("Contabilización"));
        const qreal bottom = top + RelationSample::kBoxHeight;
        QVERIFY(covered(lines, Qt::Vertical, left, top, bottom));
        QVERIFY(covered(lines, Qt::Vertical, left + 740, top, bottom));
        QVERIFY(covered(lines, Qt::Horizontal, top, left, left + 740));
        QVERIFY(covered(lines, Qt::Horizontal, bottom, left, left + 740));
        // No inner line: the row under the top one has no horizontal line above it.
        QVERIFY(!covered(lines, Qt::Horizontal, top + 16, left, left + 10));
    }
    QCOMPARE(textsOf(page, QStringLiteral("Memo8")),
             QStringList(3, QStringLiteral("Clase de Nómina")));
}

QTEST_MAIN(TstPagination)
#include "tst_pagination.moc"
