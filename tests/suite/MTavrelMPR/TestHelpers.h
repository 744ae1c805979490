#pragma once

// Small helpers shared by the component tests: errors thrown or reported, rows for
// in-memory datasets, and answers to the modal windows a click opens.

#include "Field.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SessionServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <optional>

// The module error that `action` throws, if any.
template <class Action> std::optional<tavrel::ModuleError> thrownBy(Action&& action)
{
    try {
        action();
    } catch (const tavrel::ModuleError& error) {
        return error;
    }
    return std::nullopt;
}

// Whether an error was thrown and its message names every part; warns with the message
// when not, so a failing check shows what was said.
inline bool mentions(const std::optional<tavrel::ModuleError>& error,
                     std::initializer_list<QStringView> parts)
{
    if (!error) {
        qWarning("nothing was thrown");
        return false;
    }
    for (QStringView part : parts) {
        if (!error->message().contains(part)) {
            qWarning("%s", qPrintable(error->message()));
            return false;
        }
    }
    return true;
}

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
