#include "EditPanel.h"

#include <QChildEvent>
#include <QEvent>

namespace tavrel {

namespace {
constexpr int Margin = 8;
}

EditPanel::EditPanel(QWidget* parent) : QWidget(parent) {}

QSize EditPanel::sizeHint() const
{
    return minimumSizeHint();
}

QSize EditPanel::minimumSizeHint() const
{
    QRect covered;
    for (QObject* child : children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow() && !w->isHidden())
            covered |= w->geometry();
    }
    if (covered.isNull())
        return QSize(0, 0);
    return QSize(covered.right() + 1 + Margin, covered.bottom() + 1 + Margin);
}

bool EditPanel::event(QEvent* event)
{
    if (event->type() == QEvent::ChildAdded) {
        if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
            child->installEventFilter(this);
        updateGeometry();
    } else if (event->type() == QEvent::ChildRemoved) {
        updateGeometry();
    }
    return QWidget::event(event);
}

bool EditPanel::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        updateGeometry();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tavrel
