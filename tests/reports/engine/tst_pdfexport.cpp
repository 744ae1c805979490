#include "ModuleError.h"
#include "RelationSample.h"
#include "ReportPreviewDialog.h"
#include "ReportRenderer.h"
#include "ReportUnits.h"

#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

using namespace tavrel::report;

namespace {

constexpr qreal kTolerance = 1.5; // points

struct Word
{
    QString text;
    QRectF box; // points
};

QList<Word> wordsOf(const Poppler::Page& page)
{
    QList<Word> words;
    for (const auto& box : page.textList())
        words.append({box->text(), box->boundingBox()});
    return words;
}

// The word with that text nearest to the point, or nullptr.
const Word* nearest(const QList<Word>& words, const QString& text, const QPointF& at)
{
    const Word* found = nullptr;
    qreal best = 0;
    for (const Word& word : words) {
        const qreal distance = (word.box.topLeft() - at).manhattanLength();
        if (word.text == text && (!found || distance < best)) {
            found = &word;
            best = distance;
        }
    }
    return found;
}

} // namespace

// The relation-shaped sample written to PDF and read back with poppler, printed, and
// shown in the preview window.
class TstPdfExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void pagesMetadataFontsAndAccents();
    void textsSitWhereLaidOut_data();
    void textsSitWhereLaidOut();
    void printerGetsPagesWithoutDialog_data();
    void printerGetsPagesWithoutDialog();
    void refusedExportsWriteNothing();
    void previewNavigation_data();
    void previewNavigation();
    void previewExportsThePages();

private:
    std::unique_ptr<Poppler::Document> load(const QString& fileName) const;

    QTemporaryDir m_dir;
    std::unique_ptr<RelationSample> m_sample;
    LaidOutDocument m_document;
    QString m_pdf;
};

void TstPdfExport::init()
{
    QVERIFY(m_dir.isValid());
    m_sample = std::make_unique<RelationSample>(14);
    m_document = m_sample->layOut();
    QCOMPARE(m_document.pages.size(), 3);
    m_pdf = m_dir.filePath(u"relacion.pdf"_s);
    QVERIFY(ReportRenderer(m_document).exportPdf(m_pdf));
}

std::unique_ptr<Poppler::Document> TstPdfExport::load(const QString& fileName) const
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(fileName);
    if (!document || document->isLocked())
        return nullptr;
    return document;
}

void TstPdfExport::pagesMetadataFontsAndAccents()
{
    // "Arial" is drawn with the metric-compatible Liberation Sans.
    QCOMPARE(QFontInfo(QFont(u"Arial"_s)).family(), u"Liberation Sans"_s);
    const auto pdf = load(m_pdf);
    QVERIFY(pdf);
    QCOMPARE(pdf->numPages(), 3);
    QCOMPARE(pdf->info(u"Title"_s), u"Relación Rubros SIIF2"_s);
    QCOMPARE(pdf->info(u"Creator"_s), u"Tavrel"_s);
    for (int i = 0; i < 3; ++i) {
        const auto page = pdf->page(i);
        QCOMPARE(page->pageSizeF(), QSizeF(612, 792)); // Letter
        QVERIFY(page->text(QRectF()).contains(u"Página: %1"_s.arg(i + 1)));
    }
    // Accented labels, variable and field values come out as they were written.
    const QString first = pdf->page(0)->text(QRectF());
    for (const QString& text : {u"Contabilización"_s, u"Situación de Fondos"_s,
                                u"Clase de Nómina"_s, u"Tránsito del Meta"_s})
        QVERIFY2(first.contains(text), qPrintable(text));
    const QList<Poppler::FontInfo> fonts = pdf->fonts();
    QVERIFY(!fonts.isEmpty());
    for (const Poppler::FontInfo& font : fonts) {
        QVERIFY2(font.isEmbedded(), qPrintable(font.name()));
        QVERIFY2(font.name().contains(u"LiberationSans"_s), qPrintable(font.name()));
    }
}

void TstPdfExport::textsSitWhereLaidOut_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<int>("pageIndex");

    QTest::newRow("bold label at the corner of each block") << u"Memo7"_s << 1;
    QTest::newRow("field in the middle of a block") << u"Memo20"_s << 1;
    QTest::newRow("company name beside the logo") << u"QryGnEmpreNOM_EMPR"_s << 0;
    QTest::newRow("vertically centred system text") << u"SysMemo2"_s << 2;
    QTest::newRow("italic footer text") << u"Memo6"_s << 2;
    QTest::newRow("right-aligned footer text") << u"Memo3"_s << 0;
}

void TstPdfExport::textsSitWhereLaidOut()
{
    QFETCH(QString, objectName);
    QFETCH(int, pageIndex);
    const auto pdf = load(m_pdf);
    const QList<Word> words = wordsOf(*pdf->page(pageIndex));
    const QList<const TextRun*> runs = m_document.pages[pageIndex].textsNamed(objectName);
    QVERIFY(!runs.isEmpty());
    for (const TextRun* run : runs) {
        const TextLine& line = run->lines.first();
        const QStringList parts = line.text.split(u' ', Qt::SkipEmptyParts);
        const QPointF lineTop(unitsToPoints(line.rect.left()), unitsToPoints(line.rect.top()));
        const Word* first = nearest(words, parts.first(), lineTop);
        const Word* last = nearest(words, parts.last(), lineTop);
        QVERIFY2(first && last, qPrintable(line.text));
        QVERIFY(std::abs(first->box.top() - lineTop.y()) <= kTolerance);
        if (run->alignment & Qt::AlignRight) {
            // Ends at the box's right edge, inside its padding of 2 units.
            const qreal right = unitsToPoints(run->box.right() - 2);
            QVERIFY2(std::abs(last->box.right() - right) <= kTolerance,
                     qPrintable(u"%1 != %2"_s.arg(last->box.right()).arg(right)));
            QVERIFY(last->box.right() <= unitsToPoints(run->box.right()));
        } else {
            QVERIFY2(std::abs(first->box.left() - lineTop.x()) <= kTolerance,
                     qPrintable(u"%1 != %2"_s.arg(first->box.left()).arg(lineTop.x())));
        }
    }
}

void TstPdfExport::printerGetsPagesWithoutDialog_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("pageMarks");

    QTest::newRow("every page") << 0 << 0
                                << QStringList{u"Página: 1"_s, u"Página: 2"_s, u"Página: 3"_s};
    QTest::newRow("a page range chosen on the printer")
        << 2 << 3 << QStringList{u"Página: 2"_s, u"Página: 3"_s};
}

void TstPdfExport::printerGetsPagesWithoutDialog()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, pageMarks);
    const QString file = m_dir.filePath(u"impreso.pdf"_s);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    if (from > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(from, to);
    }
    QVERIFY(ReportRenderer(m_document).print(&printer));

    const auto pdf = load(file);
    QVERIFY(pdf);
    QCOMPARE(pdf->numPages(), pageMarks.size());
    for (int i = 0; i < pdf->numPages(); ++i) {
        QCOMPARE(pdf->page(i)->pageSizeF(), QSizeF(612, 792));
        QVERIFY(pdf->page(i)->text(QRectF()).contains(pageMarks[i]));
    }
}

void TstPdfExport::refusedExportsWriteNothing()
{
    const QString missing = m_dir.filePath(u"no-existe/relacion.pdf"_s);
    try {
        ReportRenderer(m_document).exportPdf(missing);
        QFAIL("the export ran");
    } catch (const tavrel::ModuleError& error) {
        QVERIFY2(error.message().contains(missing), qPrintable(error.message()));
    }
    const LaidOutDocument empty{u"Vacío"_s, Page(), {}};
    const QString emptyFile = m_dir.filePath(u"vacio.pdf"_s);
    QVERIFY(!ReportRenderer(empty).exportPdf(emptyFile));
    QVERIFY(!QFile::exists(emptyFile));
}

void TstPdfExport::previewNavigation_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("page");

    QTest::newRow("opens on the first page") << QStringList{} << 1;
    QTest::newRow("last, then next stays on the last")
        << QStringList{u"actionUltima"_s, u"actionSiguiente"_s} << 3;
    QTest::newRow("previous stops at the first page") << QStringList{u"actionAnterior"_s} << 1;
}

void TstPdfExport::previewNavigation()
{
    QFETCH(QStringList, actions);
    QFETCH(int, page);
    ReportPreviewDialog dialog(m_document);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.pageCount(), 3);
    for (const QString& name : actions)
        dialog.findChild<QAction*>(name)->trigger();
    QCOMPARE(dialog.currentPage(), page);
    QCOMPARE(dialog.findChild<QLabel*>(u"labelPagina"_s)->text(), u"Página %1 de 3"_s.arg(page));
}

void TstPdfExport::previewExportsThePages()
{
    ReportPreviewDialog dialog(m_document);
    QAction* action = dialog.findChild<QAction*>(u"actionExportarPdf"_s);
    QVERIFY(action);
    QCOMPARE(action->text(), u"Exportar a PDF…"_s);
    const QString file = m_dir.filePath(u"vista.pdf"_s);
    QVERIFY(dialog.exportPdf(file));
    const auto pdf = load(file);
    QVERIFY(pdf);
    QCOMPARE(pdf->numPages(), 3);
}

QTEST_MAIN(TstPdfExport)
#include "tst_pdfexport.moc"
