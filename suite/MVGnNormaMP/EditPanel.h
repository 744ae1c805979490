#pragma once

#include "MVGnNormaMPExport.h"

#include <QWidget>

namespace tavrel {

// The inside of the master form's edit area: the derived form puts its controls on it
// at absolute positions. Its size hint covers every visible child (plus a margin), so
// the scroll area around it shows scroll bars only when the controls do not fit.
class MVGNNORMAMP_EXPORT EditPanel : public QWidget
{
    Q_OBJECT

public:
    explicit EditPanel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tavrel
