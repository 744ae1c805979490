#pragma once

#include "LaidOutDocument.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;

namespace tavrel::report {

// A window that shows laid-out pages, with page navigation, zoom, printing and an
// "Exportar a PDF…" action.
class ReportPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReportPreviewDialog(LaidOutDocument document, QWidget* parent = nullptr);
    ~ReportPreviewDialog() override;

    QPrintPreviewWidget* previewWidget() const { return m_preview; }
    const LaidOutDocument& document() const { return m_document; }
    // 1-based, as shown.
    int currentPage() const;
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
    // prints. The page range chosen there holds for this print only.
    void printWithDialog();
    // Asks for a file name, then exports; errors are shown in a message box.
    void exportPdfWithDialog();
    // Exports without asking; throws ModuleError like ReportRenderer::exportPdf.
    bool exportPdf(const QString& fileName) const;

private:
    void buildToolBar();
    void showPage(int page);
    void updatePageLabel();

    LaidOutDocument m_document;
    std::unique_ptr<QPrinter> m_printer; // the preview's own, drawing the pages on screen
    QPrinter* m_selectedPrinter = nullptr;
    QPrintPreviewWidget* m_preview = nullptr;
    QLabel* m_pageLabel = nullptr;
};

} // namespace tavrel::report
