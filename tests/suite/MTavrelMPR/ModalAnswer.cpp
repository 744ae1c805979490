#include "ModalAnswer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

void answerNextBox(const QString& buttonText, QString* seen)
{
    QTimer::singleShot(0, [buttonText, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            qFatal("no message box is open");
        if (seen)
            *seen = box->text();
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == buttonText) {
                b->click();
                return;
            }
        }
        qFatal("the message box has no button '%s'", qPrintable(buttonText));
    });
}
