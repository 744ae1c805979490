#include "RenderProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace tavrel::report {

namespace {

constexpr qint64 kShowAfterMs = 400;

} // namespace

RenderProgress::RenderProgress(QWidget* parent, const QString& title)
    : m_parent(parent), m_title(title)
{
    m_clock.start();
}

RenderProgress::~RenderProgress()
{
    delete m_dialog;
}

ReportRenderer::Progress RenderProgress::callback()
{
    return [this](int page, int pageCount) { return advance(page, pageCount); };
}

bool RenderProgress::advance(int page, int pageCount)
{
    if (!m_dialog && m_clock.elapsed() >= kShowAfterMs) {
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setWindowTitle(m_title);
        m_dialog->setCancelButtonText(QStringLiteral("Cancelar"));
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->show();
    }
    if (m_dialog) {
        m_dialog->setMaximum(std::max(pageCount, 0));
        m_dialog->setLabelText(pageCount > 0
                                   ? QStringLiteral("Página %1 de %2").arg(page).arg(pageCount)
                                   : QStringLiteral("Página %1").arg(page));
        if (pageCount > 0)
            m_dialog->setValue(page);
        QCoreApplication::processEvents();
        return !m_dialog->wasCanceled();
    }
    return true;
}

} // namespace tavrel::report
