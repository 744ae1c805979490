#include "ModuleError.h"
#include "RelationSample.h"
#include "ReportRenderer.h"
#include "ReportUnits.h"

#include <QFontInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <poppler-qt6.h>

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

// The relation-shaped sample written to PDF and read back with poppler.
class TstPdfExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void pagesMetadataAndFonts();
    void textsSitWhereLaidOut_data();
    void textsSitWhereLaidOut();
    void accentedTextsSurvive_data();
    void accentedTextsSurvive();
    void printerGetsPagesWithoutDialog_data();
    void printerGetsPagesWithoutDialog();
    void refusedExportsWriteNothing();

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
    m_pdf = m_dir.filePath(QStringLiteral("relacion.pdf"));
    QVERIFY(ReportRenderer(m_document).exportPdf(m_pdf));
}

std::unique_ptr<Poppler::Document> TstPdfExport::load(const QString& fileName) const
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(fileName);
    if (!document || document->isLocked())
        return nullptr;
    return document;
}

void TstPdfExport::pagesMetadataAndFonts()
{
    // "Arial" is drawn with the metric-compatible Liberation Sans.
    QCOMPARE(QFontInfo(QFont(QStringLiteral("Arial"))).family(), QStringLiteral("Liberation Sans"));
    const auto pdf = load(m_pdf);
    QVERIFY(pdf);
    QCOMPARE(pdf->numPages(), 3);
    QCOMPARE(pdf->info(QStringLiteral("Title")), QStringLiteral("Relación Rubros SIIF2"));
    QCOMPARE(pdf->info(QStringLiteral("Creator")), QStringLiteral("Tavrel"));
    for (int i = 0; i < 3; ++i) {
        const auto page = pdf->page(i);
        QCOMPARE(page->pageSizeF(), QSizeF(612, 792)); // Letter
        QVERIFY(page->text(QRectF()).contains(QStringLiteral("Página: %1").arg(i + 1)));
    }
    const QList<Poppler::FontInfo> fonts = pdf->fonts();
    QVERIFY(!fonts.isEmpty());
    for (const Poppler::FontInfo& font : fonts) {
        QVERIFY2(font.isEmbedded(), qPrintable(font.name()));
        QVERIFY2(font.name().contains(QStringLiteral("LiberationSans")), qPrintable(font.name()));
    }
}

void TstPdfExport::textsSitWhereLaidOut_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<int>("pageIndex");

    QTest::newRow("bold label at the corner of each block") << QStringLiteral("Memo7") << 1;
    QTest::newRow("field in the middle of a block") << QStringLiteral("Memo20") << 1;
    QTest::newRow("company name beside the logo") << QStringLiteral("QryGnEmpreNOM_EMPR") << 0;
    QTest::newRow("vertically centred system text") << QStringLiteral("SysMemo2") << 2;
    QTest::newRow("italic footer text") << QStringLiteral("Memo6") << 2;
    QTest::newRow("right-aligned footer text") << QStringLiteral("Memo3") << 0;
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
                     qPrintable(QStringLiteral("%1 != %2").arg(last->box.right()).arg(right)));
            QVERIFY(last->box.right() <= unitsToPoints(run->box.right()));
        } else {
            QVERIFY2(
                std::abs(first->box.left() - lineTop.x()) <= kTolerance,
                qPrintable(QStringLiteral("%1 != %2").arg(first->box.left()).arg(lineTop.x())));
        }
    }
}

void TstPdfExport::accentedTextsSurvive_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("label with acute accent") << QStringLiteral("Contabilización");
    QTest::newRow("label of several words") << QStringLiteral("Situación de Fondos");
    QTest::newRow("variable value") << QStringLiteral("Clase de Nómina");
    QTest::newRow("field value with accents") << QStringLiteral("Tránsito del Meta");
}

void TstPdfExport::accentedTextsSurvive()
{
    QFETCH(QString, text);
    const auto pdf = load(m_pdf);
    QVERIFY(pdf->page(0)->text(QRectF()).contains(text));
}

void TstPdfExport::printerGetsPagesWithoutDialog_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("pageMarks");

    QTest::newRow("every page") << 0 << 0
                                << QStringList{QStringLiteral("Página: 1"),
                                               QStringLiteral("Página: 2"),
                                               QStringLiteral("Página: 3")};
    QTest::newRow("a page range chosen on the printer")
        << 2 << 3 << QStringList{QStringLiteral("Página: 2"), QStringLiteral("Página: 3")};
}

void TstPdfExport::printerGetsPagesWithoutDialog()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, pageMarks);
    const QString file = m_dir.filePath(QStringLiteral("impreso.pdf"));
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
    const QString missing = m_dir.filePath(QStringLiteral("no-existe/relacion.pdf"));
    try {
        ReportRenderer(m_document).exportPdf(missing);
        QFAIL("the export ran");
    } catch (const tavrel::ModuleError& error) {
        QVERIFY2(error.message().contains(missing), qPrintable(error.message()));
    }
    const LaidOutDocument empty{QStringLiteral("Vacío"), Page(), {}};
    const QString emptyFile = m_dir.filePath(QStringLiteral("vacio.pdf"));
    QVERIFY(!ReportRenderer(empty).exportPdf(emptyFile));
    QVERIFY(!QFile::exists(emptyFile));
}

QTEST_MAIN(TstPdfExport)
#include "tst_pdfexport.moc"
