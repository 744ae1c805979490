#pragma once

#include "TavrelReportsExport.h"

#include "LaidOutDocument.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPrinter;
class QScrollArea;
class QTimer;

namespace tavrel::report {

class ReportRun;

// A window that shows the pages of a report run one at a time, with page navigation,
// zoom, printing and an "Exportar a PDF…" action. It opens on the first page as soon as
// that is laid out; a page is laid out when it is shown, and the pages are counted
// meanwhile a few at a time, the count showing once it is known.
class TAVREL_REPORTS_EXPORT ReportPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReportPreviewDialog(std::unique_ptr<ReportRun> run, QWidget* parent = nullptr);
    ~ReportPreviewDialog() override;

    ReportRun& run() const { return *m_run; }
    // 1-based, as shown.
    int currentPage() const { return m_page; }
    // -1 while the pages are still being counted.
    int pageCount() const;

    // The printer that Print starts from and prints on, as a printer set-up left it;
    // not owned. Without one, Print starts from the system's default printer.
    void setSelectedPrinter(QPrinter* printer) { m_selectedPrinter = printer; }
    QPrinter* selectedPrinter() const { return m_selectedPrinter; }

public Q_SLOTS:
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void fitPage();
    // Asks for a printer with the print dialog, starting from the selected one, then
    // prints with a progress window. The page range chosen there holds for this print only.
    void printWithDialog();
    // Asks for a file name, then exports with a progress window; errors are shown in a
    // message box.
    void exportPdfWithDialog();
    // Exports without asking; throws ModuleError like ReportRenderer::exportPdf.
    bool exportPdf(const QString& fileName);

protected:
    // Fitted zooms follow the size of the page's view.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Fit
    {
        None,
        Width,
        Page
    };

    void buildToolBar();
    void showPage(int page);
    void render();
    void countSome();
    void updatePageLabel();

    std::unique_ptr<ReportRun> m_run;
    LaidOutPage m_shown;
    int m_page = 0;
    qreal m_zoom = 1; // screen pixels per report unit
    Fit m_fit = Fit::Width;
    QPrinter* m_selectedPrinter = nullptr;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_view = nullptr;
    QLabel* m_pageLabel = nullptr;
    QTimer* m_counter = nullptr;
};

} // namespace tavrel::report
