#pragma once

// Small helpers shared by the component tests: errors thrown or reported, rows for
// in-memory datasets, and answers to the modal windows a click opens.

#include "Field.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SessionServices.h"
#include "Thrown.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <functional>

// Collects the messages the controls report instead of showing them, while it lives.
struct ReportedErrors : QStringList
{
    tavrel::SessionServices::Scope scope{[this](tavrel::SessionServices& services) {
        services.reportError = [this](const std::exception& e) {
            append(QString::fromUtf8(e.what()));
        };
    }};
};

// Appends and posts one record per row, the values in field order.
inline void appendRows(SClientDataSet& dataSet, const QList<QVariantList>& rows)
{
    for (const QVariantList& row : rows) {
        dataSet.append();
        for (int i = 0; i < row.size(); ++i)
            dataSet.field(i)->setValue(row[i]);
        dataSet.post();
    }
}

// Key presses that carry their text, as a keyboard sends them (QTest::keyClicks refuses
// text beyond ASCII).
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Answers the next modal message box by clicking the button with the given text, and
// keeps the box's text in *seen. The box must open within the current call (the answer
// is posted to the event loop that the box starts).
inline void answerNextBox(const QString& buttonText, QString* seen = nullptr)
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

// Runs `action` on the modal window of type T as soon as it shows; for dialogs that a
// click opens with exec().
template <class T> void whenModalShows(std::function<void(T*)> action, int attempts = 200)
{
    QTimer::singleShot(10, [action, attempts] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget()))
            action(window);
        else if (attempts > 0)
            whenModalShows<T>(action, attempts - 1);
    });
}
