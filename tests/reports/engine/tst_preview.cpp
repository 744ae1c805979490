#include "RelationSample.h"
#include "ReportPreviewDialog.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrel::report;

// The preview window over the three pages of the relation-shaped sample.
class TstPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void navigation_data();
    void navigation();
    void exportActionWritesThePages();

private:
    QString pageLabel() const;

    std::unique_ptr<ReportPreviewDialog> m_dialog;
};

void TstPreview::init()
{
    RelationSample sample(14);
    m_dialog = std::make_unique<ReportPreviewDialog>(sample.layOut());
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

void TstPreview::cleanup()
{
    m_dialog.reset();
}

QString TstPreview::pageLabel() const
{
    return m_dialog->findChild<QLabel*>(QStringLiteral("labelPagina"))->text();
}

void TstPreview::navigation_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("page");

    QTest::newRow("opens on the first page") << QStringList{} << 1;
    QTest::newRow("last, then next stays on the last")
        << QStringList{QStringLiteral("actionUltima"), QStringLiteral("actionSiguiente")} << 3;
    QTest::newRow("previous stops at the first page")
        << QStringList{QStringLiteral("actionAnterior")} << 1;
}

void TstPreview::navigation()
{
    QFETCH(QStringList, actions);
    QFETCH(int, page);
    QCOMPARE(m_dialog->pageCount(), 3);
    for (const QString& name : actions)
        m_dialog->findChild<QAction*>(name)->trigger();
    QCOMPARE(m_dialog->currentPage(), page);
    QCOMPARE(pageLabel(), QStringLiteral("Página %1 de 3").arg(page));
}

void TstPreview::exportActionWritesThePages()
{
    QAction* action = m_dialog->findChild<QAction*>(QStringLiteral("actionExportarPdf"));
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("Exportar a PDF…"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("vista.pdf"));
    QVERIFY(m_dialog->exportPdf(file));
    QVERIFY(QFileInfo(file).size() > 0);
}

QTEST_MAIN(TstPreview)
#include "tst_preview.moc"
