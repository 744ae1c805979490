#pragma once

#include "TavrelReportsExport.h"

#include "ReportRenderer.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

namespace tavrel::report {

// The progress of a long print or export: a QProgressDialog with Cancel over `parent`,
// shown only when the work lasts, window-modal and never run on its own event loop, so
// that nothing waits on it where no one can answer. Events are processed between pages.
class TAVREL_REPORTS_EXPORT RenderProgress
{
public:
    RenderProgress(QWidget* parent, const QString& title);
    ~RenderProgress();
    RenderProgress(const RenderProgress&) = delete;
    RenderProgress& operator=(const RenderProgress&) = delete;

    // For ReportRenderer::setProgress; valid while this lives.
    ReportRenderer::Progress callback();

private:
    bool advance(int page, int pageCount);

    QPointer<QWidget> m_parent;
    QString m_title;
    QProgressDialog* m_dialog = nullptr;
    QElapsedTimer m_clock;
};

} // namespace tavrel::report
