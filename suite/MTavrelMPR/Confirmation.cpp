#include "Confirmation.h"

#include <QMessageBox>
#include <QPushButton>

namespace tavrel {

bool Confirmation::ask(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmar"), question,
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString Confirmation::deleteQuestion()
{
    return QStringLiteral("¿Borrar el registro?");
}

} // namespace tavrel
